#!/usr/bin/env bash
# The bash completions offer options, codec and table-code keywords, and files.
# Usage: completion.sh SCRIPT RENDER_SCRIPT SCRATCH
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
script=$1 render=$2 scratch=$3
codecs='best bit2xp bnp frle raw rle srle'
render_codecs='bit2xp bnp frle raw rle srle'
modes='data image include none'
options='--help --version -alpha -c -dim -dims -dither -etrim -first -font -fontspace -format -frames -ftable -interleave -invert -ldata -levels -lprefix -luma -mask -maxpixels -pad -planes -plusmask -q -setsymb -spacewidth -strim -tc -tiles -tileset -tones -unflip -vflag -vpackets -vprefix -vsize -vstart -xorder'

expect_completion "$script" "$codecs" pelmoimage -c ''
expect_completion "$script" 'best bit2xp bnp' pelmoimage -c b
expect_completion "$script" 'best bit2xp bnp' pelmoimage -C B
expect_completion "$script" "$codecs" pelmoimage a.png b.asm -dim -c ''
expect_completion "$script" "$modes" pelmoimage -tc ''
expect_completion "$script" 'image include' pelmoimage -TC i
expect_completion "$script" "$options" pelmoimage -
expect_completion "$script" '-vflag -vpackets -vprefix -vsize -vstart' pelmoimage -v
expect_completion "$script" '' pelmoimage -c z
# A value is never read as an option: after "-vprefix -c" the next word is free.
expect_completion "$script" "$modes" pelmoimage -vprefix -c -tc ''
expect_completion "$script" '' pelmoimage -vprefix ''
expect_completion "$script" 'all auto' pelmoimage -frames ''
expect_completion "$script" 'all' pelmoimage -FRAMES al
expect_completion "$script" 'bayer4 bayer8' pelmoimage -dither B
expect_completion "$script" '' pelmoimage -levels ''
expect_completion "$script" '' pelmoimage -tones ''
expect_completion "$script" 'dim full mask' pelmoimage -planes ''
expect_completion "$script" 'mask,full,dim' pelmoimage -planes MASK,full,D
expect_completion "$script" 'asm bin c' pelmoimage -format ''
expect_completion "$script" 'bin' pelmoimage -FORMAT B

# File names everywhere else.
rm -rf "$scratch"
mkdir -p "$scratch"
touch "$scratch/picture.png" "$scratch/picture.gif" "$scratch/other.bmp"
expect_completion "$script" "$scratch/picture.gif $scratch/picture.png" \
    pelmoimage "$scratch/pic"
expect_completion "$script" "$scratch/other.bmp" pelmoimage -c rle "$scratch/o"
# After @, an option file, even as the value of an option.
expect_completion "$script" "@$scratch/other.bmp" pelmoimage -c "@$scratch/o"
expect_completion "$script" "$scratch/other.bmp" pelmoimage -tileset "$scratch/o"
expect_completion "$script" "$scratch/other.bmp" pelmoimage -tiles "$scratch/o"

# The renderer's: its options, codecs after -c, nothing after -w, files elsewhere.
expect_completion "$render" '--help --version -c -dimplane -f -frame -frames -h -maxpixels -over -plusmask -q -text -tileset -unflip -w -xorder -zoom' pelmoimage-render -
expect_completion "$render" '' pelmoimage-render -zoom ''
expect_completion "$render" '' pelmoimage-render -frame ''
expect_completion "$script" '' pelmoimage -maxpixels ''
expect_completion "$render" "$render_codecs" pelmoimage-render a.asm -C ''
expect_completion "$render" '' pelmoimage-render -w ''
expect_completion "$render" "$scratch/other.bmp" pelmoimage-render -dimplane "$scratch/o"
expect_completion "$render" "$scratch/other.bmp" pelmoimage-render -over "$scratch/o"
expect_completion "$render" "@$scratch/other.bmp" pelmoimage-render "@$scratch/o"

# Sourcing registers the function for the command.
registered=$(bash -c 'source "$1"; complete -p pelmoimage' _ "$script")
[[ $registered == 'complete -F _pelmoimage pelmoimage' ]] ||
    fail "not registered for pelmoimage: $registered"
registered=$(bash -c 'source "$1"; complete -p pelmoimage-render' _ "$render")
[[ $registered == 'complete -F _pelmoimage_render pelmoimage-render' ]] ||
    fail "not registered for pelmoimage-render: $registered"
finish
