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
    # One run over all the files (a run each took ten times as long): it names
    # every place it would change, and fails on any of them.
    status=0
    report=$("$formatter" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
    [ $status -eq 0 ] && exit 0
    bad=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' <<<"$report" | uniq)
    if [ -z "$bad" ]; then
        echo "$report" >&2  # a failure that names no file: the formatter's own
        exit $status
    fi
    while IFS= read -r file; do echo "not formatted: $file (run make format)"; done <<<"$bad"
    exit 1
fi
"$formatter" -i "${files[@]}"
