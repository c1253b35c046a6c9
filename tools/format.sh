#!/usr/bin/env bash
# Formats every C++ file of src/, tests/ and bench/ with the repository's
# .clang-format. Usage:
#   tools/format.sh           rewrite the files in place (`make format`)
#   tools/format.sh --check   change nothing; list the files that would change
#                             and fail if there is any (run by `make test`)
set -euo pipefail
cd "$(dirname "$0")/.."

# The formatting rules of one clang-format release can differ from the next:
# the one Debian 12 ships (14) is the reference.
formatter=
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null 2>&1; then
        formatter=$candidate
        break
    fi
done
if [ -z "$formatter" ]; then
    echo "format.sh: clang-format is missing (Debian package: clang-format)" >&2
    exit 1
fi

mapfile -t files < <(find src tests bench -type f \( -name '*.cpp' -o -name '*.hpp' \) | LC_ALL=C sort)

if [ "${1:-}" = --check ]; then
    bad=0
    for file in "${files[@]}"; do
        if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
            echo "not formatted: $file (run make format)"
            bad=1
        fi
    done
    exit $bad
fi
"$formatter" -i "${files[@]}"
