#!/usr/bin/env bash
# One version number everywhere: --version of both programs, the header of
# every source, both manual pages and the package show the build's project
# version. Usage: version.sh EXE RENDER DOCS VERSION SAMPLE SCRATCH
# (the package's Version field and its changelog are checked by deb_package.sh)
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$1 render=$2 docs=$3 version=$4 sample=$5 scratch=$6

rm -rf "$scratch"
mkdir -p "$scratch"
line="PelmoImage v$version (Mar 2, 2013) by Orlavin"
for program in "$exe" "$render"; do
    out=$("$program" --version) || fail "$program --version ends with status $?"
    [[ $out == "$line" ]] || fail "$program --version prints '$out', not '$line'"
    [[ $("$program" --help | head -n 1) == "$line" ]] ||
        fail "$program --help does not start with '$line'"
done
"$exe" "$sample" "$scratch/sample.asm" >/dev/null || fail "the sample does not convert"
[[ $(head -n 1 "$scratch/sample.asm") == $'\t; Created by PelmoImage v'"$version (Mar 2, 2013)" ]] ||
    fail "the source's header does not name version $version"
for page in pelmoimage pelmoimage-render; do
    title=${page^^}
    grep -qx ".TH $title 1 \"[0-9-]*\" \"PelmoImage $version\" \"User Commands\"" \
        "$docs/$page.1" ||
        fail "the title line of $page.1 does not name version $version: $(head -n 1 "$docs/$page.1")"
done
finish
