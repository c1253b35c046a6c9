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
# "adir", so names in messages are the relative names written in the case;
# "option_files" there is this folder's, for "@option_files/NAME".
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

# ctest starts this script once a case, and the thirty processes it used to
# start for its checks cost as much as the converter's runs: the checks stay in
# bash, and the files of a run are compared by one sha256sum, not a cmp each.
case ${BASH_SOURCE[0]} in
*/*) here=${BASH_SOURCE[0]%/*} ;;
*) here=. ;;
esac
here=$(cd "$here" && pwd)
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
# Names in a folder, as `ls -A` lists them, by globbing.
shopt -s dotglob nullglob

work=$(mktemp -d "${TMPDIR:-/tmp}/pelmo-golden.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
# The scratch folder each run starts from, copied: "data" and an empty "adir".
mkdir -p "$work/fresh/adir"
ln -s "$data" "$work/fresh/data"
ln -s "$here/option_files" "$work/fresh/option_files"
runs=0
sentinel=$'an existing file that a failed run must not touch\n'
printf '%s' "$sentinel" >"$work/sentinel"
old=z  # 70000 of them, doubled up in bash (a substitution over 70000 spaces takes 0.1 s)
while [ ${#old} -lt 70000 ]; do old+=$old; done
old=${old:0:70000}

complain() {
    echo "FAIL $case: $*"
    failures=$((failures + 1))
}

# names VARIABLE: the names in the scratch folder, one a line, into VARIABLE.
names() {
    local -n list=$1
    local path
    list=""
    for path in "$cwd"/*; do list+=${path##*/}$'\n'; done
}

# run_case PRESET: runs the current case in a fresh scratch folder. PRESET, when
# not empty, is written to out.asm first. Leaves $work/stdout, stderr, status,
# the scratch folder in $cwd, its names before and after the run in $before
# and $after, and the digests of the run's files (see digest).
run_case() {
    cwd=$work/run$((runs += 1))
    cp -a "$work/fresh" "$cwd"
    if [ -n "$1" ]; then printf '%s' "$1" >"$cwd/out.asm"; fi
    names before
    cd "$cwd" || exit 2
    "$exe" "${args[@]}" >"$work/stdout" 2>"$work/stderr"
    echo $? >"$work/status"
    cd "$work" || exit 2
    names after
    digest "$work/stdout" "$work/stderr" "$work/status" "$cwd/out.asm"
}

# digest FILE...: the SHA-256 of each FILE in sum[FILE], in one process; none
# for a file that is not there.
declare -A sum
digest() {
    local file line
    for file in "$@"; do sum[$file]=; done
    while IFS= read -r line; do sum[${line:66}]=${line:0:64}; done < <(sha256sum -- "$@" 2>/dev/null)
}

same_file() {  # same_file EXPECTED ACTUAL WHAT
    if [ -z "${sum[$1]-}" ] || [ "${sum[$1]-}" != "${sum[$2]-}" ]; then
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
    (cd "$cwd" && listing_program out.asm >listing.c)
    if ! (cd "$cwd" && ${CC:-cc} -std=c99 -Wall -Wextra -pedantic -Werror -o listing listing.c 2>"$work/cc"); then
        complain "the C header does not compile cleanly: $(head -n 5 "$work/cc")"
    elif ! (cd "$cwd" && "$exe" "${plain[@]}" >/dev/null 2>&1); then
        complain "the same conversion as an assembler source fails"
    else
        asm_listing "$cwd/plain.asm" >"$work/expected_listing"
        "$cwd/listing" >"$work/listing"
        digest "$work/expected_listing" "$work/listing"
        same_file "$work/expected_listing" "$work/listing" "the C header's listing"
    fi
    rm -f "$cwd/listing.c" "$cwd/listing" "$cwd/plain.asm"
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
        if [ -f "$cwd/out.asm" ]; then
            cp "$cwd/out.asm" "$here/$case.asm"
        else
            rm -f "$here/$case.asm"
        fi
        echo "updated $case (status $(<"$work/status"))"
        continue
    fi

    before_failures=$failures
    digest "$here/$case.stdout" "$here/$case.stderr" "$here/$case.status" "$here/$case.asm" \
        "$work/sentinel"
    compare_console
    if [ -f "$here/$case.asm" ]; then
        if [ -f "$cwd/out.asm" ]; then
            same_file "$here/$case.asm" "$cwd/out.asm" "output file"
        else
            complain "no output file was written"
        fi
        before+=out.asm$'\n'
    elif [ -e "$cwd/out.asm" ]; then
        complain "an output file was left behind"
    fi
    # The same names before and after, counted.
    declare -A count=()
    while IFS= read -r name; do
        [ -n "$name" ] && count[$name]=$((${count[$name]:-0} + 1))
    done <<<"$before"
    while IFS= read -r name; do
        [ -n "$name" ] && count[$name]=$((${count[$name]:-0} - 1))
    done <<<"$after"
    for name in "${!count[@]}"; do
        if [ "${count[$name]}" -ne 0 ]; then
            complain "the run created or removed files: $(printf '%s' "$before$after" | sort | uniq -u | tr '\n' ' ')"
            break
        fi
    done
    unset count
    if [ -f "$here/$case.asm" ] && printf '%s\n' "${args[@],,}" | grep -qx -- -format &&
        [ "$(head -c 2 "$here/$case.asm")" = "/*" ]; then
        check_c_header
    fi

    read -r status <"$here/$case.status"
    if [ "$status" != 0 ] && [ $uses_out -eq 1 ]; then
        run_case "$sentinel"
        compare_console
        if [ "${sum[$cwd/out.asm]-}" != "${sum[$work/sentinel]}" ]; then
            complain "a failed run changed the existing output file"
        fi
    elif [ "$status" = 0 ] && [ -f "$here/$case.asm" ]; then
        run_case "$old"
        compare_console
        same_file "$here/$case.asm" "$cwd/out.asm" "output file written over a longer one"
    fi
    [ $failures -eq $before_failures ] && echo "ok   $case"
done

if [ $update -eq 0 ] && [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
exit 0
