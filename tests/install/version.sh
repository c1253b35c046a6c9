#!/usr/bin/env bash
# One version number everywhere: --version, the header of every source, the
# manual page and the package all show the build's project version.
# Usage: version.sh EXE PAGE VERSION SAMPLE SCRATCH
# (the package's own Version field is checked by deb_package.sh)
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$1 page=$2 version=$3 sample=$4 scratch=$5

rm -rf "$scratch"
mkdir -p "$scratch"
line="PelmoImage v$version (Mar 2, 2013) by Orlavin"
out=$("$exe" --version) || fail "--version ends with status $?"
[[ $out == "$line" ]] || fail "--version prints '$out', not '$line'"
[[ $("$exe" --help | head -n 1) == "$line" ]] || fail "--help does not start with '$line'"
"$exe" "$sample" "$scratch/sample.asm" >/dev/null || fail "the sample does not convert"
[[ $(head -n 1 "$scratch/sample.asm") == $'\t; Created by PelmoImage v'"$version (Mar 2, 2013)" ]] ||
    fail "the source's header does not name version $version"
grep -qx ".TH PELMOIMAGE 1 \"[0-9-]*\" \"PelmoImage $version\" \"User Commands\"" "$page" ||
    fail "the manual page's title line does not name version $version: $(head -n 1 "$page")"
finish
