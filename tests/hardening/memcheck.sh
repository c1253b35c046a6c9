#!/usr/bin/env bash
# Runs the converter under valgrind: one conversion per codec (each with other
# options, so that paging, table-code modes, trims and both planes are all
# exercised), then a few runs that fail at each stage; then the renderer on
# some of those sources and on a damaged one. Any memory error or leak fails
# the script. Usage: memcheck.sh path/to/pelmoimage path/to/pelmoimage-render
set -euo pipefail

exe=${1:?path of the pelmoimage executable}
render=${2:?path of the pelmoimage-render executable}
here=$(cd "$(dirname "$0")" && pwd)
data=$here/../data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind=(valgrind --quiet --leak-check=full --show-leak-kinds=definite,possible
          --errors-for-leak-kinds=definite,possible --track-origins=yes)
runs=0

# expect STATUS [valgrind option...] -- converter arguments...
expect() {
    local want=$1
    shift
    local opts=()
    while [ "$1" != -- ]; do opts+=("$1"); shift; done
    shift
    runs=$((runs + 1))
    local log=$work/valgrind-$runs.log status=0
    "${valgrind[@]}" "${opts[@]}" --log-file="$log" "$exe" "$@" >"$work/out" 2>"$work/err" || status=$?
    if [ "$status" -ne "$want" ] || [ -s "$log" ]; then
        echo "memcheck: FAILED (status $status, expected $want): $(basename "$exe") $*" >&2
        cat "$log" "$work/err" >&2
        exit 1
    fi
    echo "memcheck: clean, status $status: $(basename "$exe") $*"
}

# One conversion per codec: valgrind's own status 1 marks an error or a leak.
expect 0 --error-exitcode=1 -- -c raw -tc image "$data/sample.png" "$work/raw.asm"
expect 0 --error-exitcode=1 -- -c rle -tc data -xorder "$data/sample.png" "$work/rle.asm"
expect 0 --error-exitcode=1 -- -c srle -tc include -setsymb "$data/sample.png" "$work/srle.asm"
expect 0 --error-exitcode=1 -- -c frle -dim -unflip "$data/sample.png" "$work/frle.asm"
expect 0 --error-exitcode=1 -- -c bnp -strim -etrim "$data/sample.png" "$work/bnp.asm"
expect 0 --error-exitcode=1 -- -c bit2xp "$data/sample.png" "$work/bit2xp.asm"

# Failing runs end with status 1 themselves, so valgrind reports with 99.
expect 1 --error-exitcode=99 -- -c lz "$data/sample.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- "$work/missing.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- "$data/h12.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- "$data/empty.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- "$data/not_tiff.tif" "$work/x.asm"
expect 1 --error-exitcode=99 -- -c frle "$data/allvalues.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- -c bnp "$data/allvalues.png" "$work/x.asm"
expect 1 --error-exitcode=99 -- "$data/sample.png" "$work/missing/x.asm"
expect 1 --error-exitcode=99 -- -c rle "$data/sample.png" /dev/full
# The renderer: sources of the runs above (and the dim plane of one), and one
# cut short in a .db line.
"$exe" -c bnp -dim -strim -etrim "$data/sample.png" "$work/bnp_dim.asm" >/dev/null
exe=$render
expect 0 --error-exitcode=1 -- -w 96 -c raw "$work/raw.asm" "$work/raw.png"
expect 0 --error-exitcode=1 -- -w 96 -xorder -c rle "$work/rle.asm" "$work/rle.bmp"
expect 0 --error-exitcode=1 -- -w 96 -h 64 -c bnp -dimplane "$work/bnp_dim.asm" \
    "$work/bnp.asm" "$work/tones.tif"
expect 0 --error-exitcode=1 -- -w 96 "$work/srle.asm" "$work/srle.tga"
sed '$ s/,[^,]*$/,$G/' "$work/bit2xp.asm" >"$work/cut.asm"
expect 1 --error-exitcode=99 -- -w 96 -c bit2xp "$work/cut.asm" "$work/cut.png"
echo "memcheck: $runs runs under valgrind, no error and no leak"
