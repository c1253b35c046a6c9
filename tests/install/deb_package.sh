#!/usr/bin/env bash
# CPack builds pelmoimage_<version>_<arch>.deb depending on the FreeImage
# runtime; unpacked into a scratch root, it holds the six files and its
# executables convert the sample picture and show it.
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
cmp -s "$source/docs/pelmoimage.1" "$root/share/man/man1/pelmoimage.1" ||
    fail "man page not packed as usr/share/man/man1/pelmoimage.1"
cmp -s "$source/completion/pelmoimage.bash" \
    "$root/share/bash-completion/completions/pelmoimage" ||
    fail "completion not packed as usr/share/bash-completion/completions/pelmoimage"
cmp -s "$source/docs/pelmoimage-render.1" "$root/share/man/man1/pelmoimage-render.1" ||
    fail "the renderer's man page not packed as usr/share/man/man1/pelmoimage-render.1"
cmp -s "$source/completion/pelmoimage-render.bash" \
    "$root/share/bash-completion/completions/pelmoimage-render" ||
    fail "the renderer's completion not packed in usr/share/bash-completion/completions"
files=$(cd "$scratch/root" && find . -type f | sort | tr '\n' ' ')
[[ $files == './usr/bin/pelmoimage ./usr/bin/pelmoimage-render ./usr/share/bash-completion/completions/pelmoimage ./usr/share/bash-completion/completions/pelmoimage-render ./usr/share/man/man1/pelmoimage-render.1 ./usr/share/man/man1/pelmoimage.1 ' ]] ||
    fail "unexpected files in the package: $files"

warnings=$(man_warnings "$root/share/man/man1/pelmoimage.1")
[[ -z $warnings ]] || fail "packed man page: $warnings"
expect_completion "$root/share/bash-completion/completions/pelmoimage" \
    'data image include none' pelmoimage -tc ''
expect_conversion "$root/bin/pelmoimage" "$sample" "$scratch/out"
expect_render "$root/bin/pelmoimage-render" "$scratch/out"
finish
