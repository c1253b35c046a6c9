#!/usr/bin/env bash
# `cmake --install` into a scratch prefix, and with DESTDIR, installs the
# expected files, the installed executables convert the sample picture and show
# it, and uninstall.sh removes what the DESTDIR install put in place.
# Usage: cmake_install.sh CMAKE BUILD SOURCE SCRATCH SAMPLE
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
cmake=$1 build=$2 source=$3 scratch=$4 sample=$5

rm -rf "$scratch"
mkdir -p "$scratch/out"
"$cmake" --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log"
root=$scratch/prefix

expect_file "$root/bin/pelmoimage"
[[ -x $root/bin/pelmoimage ]] || fail "$root/bin/pelmoimage is not executable"
expect_gzipped "$source/docs/pelmoimage.1" "$root/share/man/man1/pelmoimage.1.gz"
expect_gzipped "$source/docs/pelmoimage-render.1" "$root/share/man/man1/pelmoimage-render.1.gz"
cmp -s "$source/completion/pelmoimage.bash" \
    "$root/share/bash-completion/completions/pelmoimage" ||
    fail "completion not installed to share/bash-completion/completions"
cmp -s "$source/completion/pelmoimage-render.bash" \
    "$root/share/bash-completion/completions/pelmoimage-render" ||
    fail "the renderer's completion not installed to share/bash-completion/completions"
installed=$(files_below "$root")
[[ $installed == "$(installed_files .)" ]] || fail "unexpected set of installed files: $installed"

warnings=$(man_warnings "$root/share/man/man1/pelmoimage.1.gz")
[[ -z $warnings ]] || fail "installed man page: $warnings"
expect_completion "$root/share/bash-completion/completions/pelmoimage" \
    'best bit2xp bnp frle raw rle srle' pelmoimage -c ''
expect_conversion "$root/bin/pelmoimage" "$sample" "$scratch/out"
expect_render "$root/bin/pelmoimage-render" "$scratch/out"

# DESTDIR stages the same layout below a root, as `make install DESTDIR=...` does,
# and `make uninstall` with the same DESTDIR and PREFIX takes every file away again
# and nothing else.
stage=$scratch/stage
DESTDIR=$stage "$cmake" --install "$build" --prefix /opt/pelmo >/dev/null
staged=$(files_below "$stage")
[[ $staged == "$(installed_files ./opt/pelmo)" ]] || fail "unexpected set of staged files: $staged"
touch "$stage/opt/pelmo/bin/other-program"
DESTDIR=$stage "$source/packaging/uninstall.sh" "$build" /opt/pelmo >"$scratch/uninstall.log" ||
    fail "uninstall fails: $(cat "$scratch/uninstall.log")"
left=$(files_below "$stage")
[[ $left == ./opt/pelmo/bin/other-program ]] || fail "uninstall leaves or takes: $left"
[[ ! -e $stage/opt/pelmo/share/doc/pelmoimage ]] || fail "uninstall leaves share/doc/pelmoimage"
finish
