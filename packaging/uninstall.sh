#!/usr/bin/env bash
# Removes what `cmake --install BUILD --prefix PREFIX` puts below $DESTDIR, as
# `make install` does with the same PREFIX and DESTDIR. The list of files comes
# from installing the same build into a scratch folder, since install_manifest.txt
# in BUILD names whichever install ran last (the tests install from there too).
# Shared folders (bin, man/man1, completions) stay; a folder of the package's
# own (share/doc/pelmoimage) goes when it is left empty.
# Usage: [DESTDIR=...] uninstall.sh BUILD PREFIX
set -euo pipefail
build=$1 prefix=$2

stage=$(mktemp -d)
manifest=$build/install_manifest.txt
kept=$stage.manifest
restore() {
    rm -rf "$stage"
    if [[ -f $kept ]]; then mv "$kept" "$manifest"; else rm -f "$manifest"; fi
}
trap restore EXIT
if [[ -f $manifest ]]; then cp "$manifest" "$kept"; fi
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null

while IFS= read -r -d '' file; do
    target=${DESTDIR:-}${file#.}
    if [[ -e $target || -L $target ]]; then
        rm -f -- "$target"
        echo "Removed $target"
    fi
done < <(cd "$stage" && find . ! -type d -print0 | sort -z)

while IFS= read -r -d '' folder; do
    target=${DESTDIR:-}${folder#.}
    if rmdir -- "$target" 2>/dev/null; then echo "Removed $target/"; fi
done < <(cd "$stage" && find . -depth -type d -name pelmoimage -print0)
