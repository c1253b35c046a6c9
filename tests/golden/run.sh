#!/usr/bin/env bash
# End-to-end golden cases: runs the built converter and compares standard
# output, standard error, exit status and the output file byte for byte.
#
#   run.sh EXECUTABLE [CASE...]            check the cases (default: all)
#   run.sh --update EXECUTABLE [CASE...]   rewrite their expected files
#
# A case is NAME.args in this folder: the arguments, one per line (an empty
# line is an empty argument, an empty file no argument at all). "@OUT@" stands
# for the output file "out.asm". The program runs in a fresh scratch folder
# that holds "data" (the fixture pictures of tests/data) and an empty folder
# "adir", so names in messages are the relative names written in the case.
# Expected: NAME.stdout, NAME.stderr, NAME.status and NAME.asm (the output
# file; absent when the run must leave none).
#
# Besides the comparison, each check run verifies that the run creates no file
# other than the expected output; a failing run that names @OUT@ is repeated
# with a file already in its place, which must stay untouched; a successful run
# is repeated over a longer existing file, which must be replaced entirely.
# A successful case of "-format c" is compiled too (cc -std=c99 -Wall -Wextra
# -pedantic -Werror, or $CC) into a program that lists the header's symbols
# and the bytes of each array, which must be what the assembler source of the
# same conversion holds.
# After --update, review the diff and run model.py, which recomputes every
# case independently.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
data=$(cd "$here/../data" && pwd)
update=0
if [ "${1-}" = --update ]; then
    update=1
    shift
fi
if [ $# -lt 1 ]; then
    echo "usage: $0 [--update] EXECUTABLE [CASE...]" >&2
    exit 2
fi
exe=$(realpath "$1")
shift
if [ $# -eq 0 ]; then
    for file in "$here"/*.args; do
        name=${file##*/}
        set -- "$@" "${name%.args}"
    done
fi
export LC_ALL=C

work=$(mktemp -d "${TMPDIR:-/tmp}/pelmo-golden.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

complain() {
    echo "FAIL $case: $*"
    failures=$((failures + 1))
}

# run_case PRESET: runs the current case in a fresh scratch folder. PRESET, when
# not empty, is written to out.asm first. Leaves $work/stdout, stderr, status,
# and the scratch folder in $work/cwd.
run_case() {
    rm -rf "$work/cwd"
    mkdir -p "$work/cwd/adir"
    ln -s "$data" "$work/cwd/data"
    if [ -n "$1" ]; then printf '%s' "$1" >"$work/cwd/out.asm"; fi
    (cd "$work/cwd" && ls -A >"$work/before")
    (cd "$work/cwd" && "$exe" "${args[@]}" >"$work/stdout" 2>"$work/stderr")
    echo $? >"$work/status"
    (cd "$work/cwd" && ls -A >"$work/after")
}

same_file() {  # same_file EXPECTED ACTUAL WHAT
    if ! cmp -s "$1" "$2"; then
        complain "$3 differs"
        diff -u --label expected --label actual "$1" "$2" | head -n 40
    fi
}

compare_console() {
    same_file "$here/$case.stdout" "$work/stdout" "standard output"
    same_file "$here/$case.stderr" "$work/stderr" "standard error"
    same_file "$here/$case.status" "$work/status" "exit status"
}

# listing_program HEADER: a C program that includes HEADER and lists, in the
# order it defines them, each symbol "NAME=value" and each label's bytes
# "label: XX XX ..."; asm_listing SOURCE: the same of an assembler source.
listing_program() {
    printf '#include <stdio.h>\n#include "%s"\nstatic void show(const char *label, const unsigned char *p, size_t n) {\n' "$1"
    printf '    printf("%%s:", label);\n    while (n--) printf(" %%02X", *p++);\n    printf("\\n");\n}\nint main(void) {\n'
    awk '/^#define [A-Za-z0-9_]+ 0x[0-9A-F]+$/ { printf "    printf(\"%s=%%ld\\n\", (long)%s);\n", $2, $2 }
        /^#define [A-Za-z0-9_]+ \(\(const unsigned char \*\)0\)$/ { printf "    show(\"%s\", %s, 0);\n", $2, $2 }
        /^static const unsigned char [A-Za-z0-9_]+\[\] = \{$/ { n = substr($5, 1, length($5) - 2); printf "    show(\"%s\", %s, sizeof %s);\n", n, n, n }
        END { printf "    return 0;\n}\n" }' "$1"
}
asm_listing() {
    awk 'function hex(t, i, v) { for (i = 1; i <= length(t); i++) v = 16 * v + index("0123456789ABCDEF", substr(t, i, 1)) - 1; return v }
        function flush() { if (line != "") print line; line = "" }
        /^\t\.(equ|set) / { flush(); print $2 "=" hex(substr($3, 2)) }
        /^[A-Za-z0-9_]+:$/ && !/_frames:$/ { flush(); line = $0 }
        /^\t\.db / { n = split(substr($0, 6), b, ","); for (i = 1; i <= n; i++) line = line " " substr(b[i], 2) }
        END { flush() }' "$1"
}

# check_c_header: compiles the case's header and compares its listing with
# that of the assembler source the same arguments write without -format.
check_c_header() {
    local plain=() i
    for ((i = 0; i < ${#args[@]}; i++)); do
        if [ "${args[i],,}" = -format ]; then
            i=$((i + 1))
        else
            plain+=("${args[i]/#out.asm/plain.asm}")
        fi
    done
    (cd "$work/cwd" && listing_program out.asm >listing.c)
    if ! (cd "$work/cwd" && ${CC:-cc} -std=c99 -Wall -Wextra -pedantic -Werror -o listing listing.c 2>"$work/cc"); then
        complain "the C header does not compile cleanly: $(head -n 5 "$work/cc")"
    elif ! (cd "$work/cwd" && "$exe" "${plain[@]}" >/dev/null 2>&1); then
        complain "the same conversion as an assembler source fails"
    else
        asm_listing "$work/cwd/plain.asm" >"$work/expected_listing"
        "$work/cwd/listing" >"$work/listing"
        same_file "$work/expected_listing" "$work/listing" "the C header's listing"
    fi
    rm -f "$work/cwd/listing.c" "$work/cwd/listing" "$work/cwd/plain.asm"
}

for case in "$@"; do
    if [ ! -f "$here/$case.args" ]; then
        complain "no such case"
        continue
    fi
    args=()
    uses_out=0
    while IFS= read -r line || [ -n "$line" ]; do
        if [ "$line" = @OUT@ ]; then
            line=out.asm
            uses_out=1
        fi
        args+=("$line")
    done <"$here/$case.args"

    run_case ""
    if [ $update -eq 1 ]; then
        cp "$work/stdout" "$here/$case.stdout"
        cp "$work/stderr" "$here/$case.stderr"
        cp "$work/status" "$here/$case.status"
        if [ -f "$work/cwd/out.asm" ]; then
            cp "$work/cwd/out.asm" "$here/$case.asm"
        else
            rm -f "$here/$case.asm"
        fi
        echo "updated $case (status $(cat "$work/status"))"
        continue
    fi

    before=$failures
    compare_console
    if [ -f "$here/$case.asm" ]; then
        if [ -f "$work/cwd/out.asm" ]; then
            same_file "$here/$case.asm" "$work/cwd/out.asm" "output file"
        else
            complain "no output file was written"
        fi
        echo out.asm >>"$work/before"
    elif [ -e "$work/cwd/out.asm" ]; then
        complain "an output file was left behind"
    fi
    if ! diff -q <(sort "$work/before") <(sort "$work/after") >/dev/null; then
        complain "the run created or removed files: $(sort "$work/before" "$work/after" | uniq -u | tr '\n' ' ')"
    fi
    if [ -f "$here/$case.asm" ] && printf '%s\n' "${args[@],,}" | grep -qx -- -format &&
        [ "$(head -c 2 "$here/$case.asm")" = "/*" ]; then
        check_c_header
    fi

    status=$(cat "$here/$case.status")
    if [ "$status" != 0 ] && [ $uses_out -eq 1 ]; then
        sentinel=$'an existing file that a failed run must not touch\n'
        run_case "$sentinel"
        compare_console
        if [ "$(cat "$work/cwd/out.asm"; echo x)" != "${sentinel}x" ]; then
            complain "a failed run changed the existing output file"
        fi
    elif [ "$status" = 0 ] && [ -f "$here/$case.asm" ]; then
        old=$(head -c 70000 /dev/zero | tr '\0' 'z')
        run_case "$old"
        compare_console
        same_file "$here/$case.asm" "$work/cwd/out.asm" "output file written over a longer one"
    fi
    [ $failures -eq $before ] && echo "ok   $case"
done

if [ $update -eq 0 ] && [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
exit 0
