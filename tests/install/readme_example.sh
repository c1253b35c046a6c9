#!/usr/bin/env bash
# The README's worked example and its table of codec sizes reproduce byte for
# byte with the built executable.
# Usage: readme_example.sh EXE SOURCE SCRATCH
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$1 source=$2 scratch=$3
readme=$source/README.md

# block NAME: the lines of the fenced block that follows "<!-- readme-example: NAME -->".
block() {
    awk -v marker="<!-- readme-example: $1 -->" '
        $0 == marker { found = 1; next }
        found && /^```/ { if (inside) exit; inside = 1; next }
        inside { print }' "$readme"
}

# table NAME: the lines of the table that follows "<!-- readme-example: NAME -->".
table() {
    awk -v marker="<!-- readme-example: $1 -->" '
        $0 == marker { found = 1; next }
        found && !/^\|/ { exit }
        found { print }' "$readme"
}

rm -rf "$scratch"
mkdir -p "$scratch/build"

# The command line and its standard output.
command_block=$(block command)
command_line=$(head -n 1 <<<"$command_block")
[[ $command_line == '$ build/pelmoimage '* ]] || fail "no command in the example: '$command_line'"
read -ra args <<<"${command_line#'$ build/pelmoimage '}"
args=("${args[@]/#build\//$scratch/build/}")
stdout=$(cd "$source" && "$exe" "${args[@]}" 2>"$scratch/stderr") || fail "the example fails"
[[ ! -s $scratch/stderr ]] || fail "the example writes to standard error: $(cat "$scratch/stderr")"
[[ $stdout == "$(tail -n +2 <<<"$command_block")" ]] ||
    fail "standard output differs from the README:"$'\n'"$stdout"

# The first lines of the source it writes, tabs included.
shown=$(block source)
lines=$(wc -l <<<"$shown")
((lines >= 8)) || fail "the README shows only $lines lines of the source"
output=${args[-1]}
[[ $(head -n "$lines" "$output") == "$shown" ]] ||
    fail "the source's first lines differ from the README:"$'\n'"$(head -n "$lines" "$output")"

# The table of sizes: one row per codec, the columns in this order.
columns=('' '-dim' '-xorder' '-dim -xorder')
rows=0
while IFS='|' read -r _ codec cells; do
    codec=$(tr -d ' `' <<<"$codec")
    read -ra sizes <<<"$(tr '|' ' ' <<<"$cells")"
    ((${#sizes[@]} == ${#columns[@]})) || fail "row $codec has ${#sizes[@]} sizes"
    for i in "${!columns[@]}"; do
        # shellcheck disable=SC2086 # the column's options are separate words
        got=$(cd "$source" && "$exe" -c "$codec" ${columns[i]} docs/sample.png \
            "$scratch/size.asm" | sed -n "s/^Symbol 'IMG_SIZE' set to //p")
        [[ $got == "${sizes[i]}" ]] ||
            fail "-c $codec ${columns[i]}: the README says ${sizes[i]} bytes, the run gives $got"
    done
    rows=$((rows + 1))
done < <(table sizes | grep '^| `')
((rows == 6)) || fail "the size table has $rows codec rows, not 6"

# Every file the README links or shows is in the repository.
while read -r target; do
    [[ -e $source/$target ]] || fail "the README links $target, which does not exist"
done < <(grep -o '](\(docs\|tests\|tools\)/[^)]*)' "$readme" | sed 's/^](//; s/)$//')
finish
