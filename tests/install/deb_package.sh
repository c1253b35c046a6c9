#!/usr/bin/env bash
# CPack builds pelmoimage_<version>_<arch>.deb depending on the FreeImage
# runtime, and lintian finds no error and no warning in it; unpacked into a
# scratch root, it holds the expected files, its changelog names its version,
# and its executables convert the sample picture and show it.
# Usage: deb_package.sh CPACK BUILD SOURCE SCRATCH SAMPLE VERSION
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
cpack=$1 build=$2 source=$3 scratch=$4 sample=$5 version=$6

rm -rf "$scratch"
mkdir -p "$scratch/out"
(cd "$scratch" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg") \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; exit 1; }

arch=$(dpkg --print-architecture)
deb=$scratch/pkg/pelmoimage_${version}_${arch}.deb
[[ -f $deb ]] || { fail "no $deb; made: $(ls "$scratch/pkg")"; finish; }

[[ $(dpkg-deb -f "$deb" Package) == pelmoimage ]] || fail "wrong package name"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "wrong version"
[[ $(dpkg-deb -f "$deb" Architecture) == "$arch" ]] || fail "wrong architecture"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no maintainer"
[[ -n $(dpkg-deb -f "$deb" Description) ]] || fail "no description"
depends=$(dpkg-deb -f "$deb" Depends)
grep -Eq '(^|, )libfreeimage3( |,|$)' <<<"$depends" ||
    fail "no dependency on libfreeimage3: '$depends'"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr
expect_file "$root/bin/pelmoimage"
expect_gzipped "$source/docs/pelmoimage.1" "$root/share/man/man1/pelmoimage.1.gz"
expect_gzipped "$source/docs/pelmoimage-render.1" "$root/share/man/man1/pelmoimage-render.1.gz"
cmp -s "$source/completion/pelmoimage.bash" \
    "$root/share/bash-completion/completions/pelmoimage" ||
    fail "completion not packed as usr/share/bash-completion/completions/pelmoimage"
cmp -s "$source/completion/pelmoimage-render.bash" \
    "$root/share/bash-completion/completions/pelmoimage-render" ||
    fail "the renderer's completion not packed in usr/share/bash-completion/completions"
doc=$root/share/doc/pelmoimage
cmp -s "$source/packaging/copyright" "$doc/copyright" || fail "no copyright file in $doc"
expect_gzipped "$source/README.md" "$doc/README.md.gz"
expect_gzipped "$source/docs/formats.md" "$doc/formats.md.gz"
expect_gzipped "$source/packaging/changelog" "$doc/changelog.gz"
latest=$(gzip -dc "$doc/changelog.gz" | sed -n 1p)
[[ $latest == "pelmoimage ($version) "* ]] ||
    fail "the changelog's latest entry is not version $version: $latest"
files=$(files_below "$scratch/root")
[[ $files == "$(installed_files ./usr)" ]] || fail "unexpected files in the package: $files"

# What a distribution's review runs first: no error, no warning (informational tags may stay).
status=0
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
if ((status != 0)) || grep -q '^[EW]: ' "$scratch/lintian.log"; then
    fail "lintian (status $status) reports:"$'\n'"$(cat "$scratch/lintian.log")"
fi

warnings=$(man_warnings "$root/share/man/man1/pelmoimage.1.gz")
[[ -z $warnings ]] || fail "packed man page: $warnings"
expect_completion "$root/share/bash-completion/completions/pelmoimage" \
    'data image include none' pelmoimage -tc ''
expect_conversion "$root/bin/pelmoimage" "$sample" "$scratch/out"
expect_render "$root/bin/pelmoimage-render" "$scratch/out"
finish
