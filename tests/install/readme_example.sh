#!/usr/bin/env bash
# The README's worked examples and its table of codec sizes reproduce byte for
# byte with the built executables, and its Makefile recipe builds.
# Usage: readme_example.sh EXE RENDER SOURCE SCRATCH
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$1 render=$2 source=$3 scratch=$4
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

# The renderer's example, run as shown from a folder with docs/ and build/.
mkdir -p "$scratch/top/build"
ln -s "$source/docs" "$scratch/top/docs"
render_block=$(block render)
mapfile -t commands < <(grep '^\$ ' <<<"$render_block")
((${#commands[@]} == 2)) || fail "the render example has ${#commands[@]} commands, not 2"
read -ra convert <<<"${commands[0]#'$ build/pelmoimage '}"
read -ra show <<<"${commands[1]#'$ build/pelmoimage-render '}"
(cd "$scratch/top" && "$exe" "${convert[@]}" >/dev/null) || fail "the render example's conversion fails"
stdout=$(cd "$scratch/top" && "$render" "${show[@]}") || fail "the render example fails"
[[ $stdout == "$(grep -v '^\$ ' <<<"$render_block")" ]] ||
    fail "the renderer's standard output differs from the README:"$'\n'"$stdout"

# The same sprite as a source and as a C header: the first lines of each and
# the header's last lines as shown; the C file shown compiles as shown.
mkdir -p "$scratch/c/build"
ln -s "$source/docs" "$scratch/c/docs"
while read -r command; do
    read -ra convert <<<"${command#'$ build/pelmoimage '}"
    (cd "$scratch/c" && "$exe" "${convert[@]}") || fail "the C example's conversion fails: $command"
done < <(block c-commands)
for shown in "head c-asm build/ball.asm" "head c-header build/ball.h" "tail c-table build/ball.h"; do
    read -r end name file <<<"$shown"
    [[ $($end -n "$(block "$name" | wc -l)" "$scratch/c/$file") == "$(block "$name")" ]] ||
        fail "$file differs from the README's $name"
done
block c-program >"$scratch/c/fetch.c"
read -ra compile <<<"$(block c-compile | sed 's/^\$ //')"
(cd "$scratch/c" && "${compile[@]}") || fail "the README's C file does not compile cleanly"

# The Makefile recipe, with the two programs built here, on two pictures whose
# sources define names of their own; built again after a picture changed.
mkdir -p "$scratch/make/gfx"
cp "$source/docs/sample.png" "$scratch/make/gfx/house.png"
cp "$source/docs/sample.png" "$scratch/make/gfx/tree.png"
block make >"$scratch/make/Makefile"
make_graphics() {
    make -s -C "$scratch/make" graphics PELMOIMAGE="$exe" RENDER="$render" >/dev/null ||
        fail "the README's Makefile recipe fails ($1)"
}
make_graphics first
touch -d '-10 seconds' "$scratch/make/gfx/"*
touch "$scratch/make/gfx/house.png"
make_graphics again
for name in house tree; do
    expect_file "$scratch/make/gfx/$name.shown.bmp"
    names=$(grep -Eo '^(	\.equ [^ ]+|[^	;].*:$)' "$scratch/make/gfx/$name.asm" | sed 's/^	\.equ //')
    others=$(grep -v "^${name}_" <<<"$names" || true)
    [[ -n $names && -z $others ]] || fail "$name.asm defines names not its own: $others"
done
[[ ! $scratch/make/gfx/house.png -nt $scratch/make/gfx/house.shown.bmp ]] ||
    fail "the changed picture's preview was not made again"

# Every file the README links or shows is in the repository.
while read -r target; do
    [[ -e $source/$target ]] || fail "the README links $target, which does not exist"
done < <(grep -o '](\(docs\|tests\|tools\)/[^)]*)' "$readme" | sed 's/^](//; s/)$//')
finish
