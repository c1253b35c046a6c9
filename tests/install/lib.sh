# Shared helpers of the installation checks. Sourced, not run.
set -euo pipefail

failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect_file PATH: PATH exists and is a regular file.
expect_file() {
    [[ -f $1 ]] || fail "missing file $1"
}

# expect_gzipped SOURCE FILE: FILE is SOURCE compressed as Debian wants it,
# byte for byte what `gzip -9n` makes (best compression, no name, no time).
expect_gzipped() {
    cmp -s <(gzip -9n -c "$1") "$2" || fail "$2 is not $1 compressed with gzip -9n"
}

# files_below DIR: the regular files below DIR as ./PATH, in byte order, on one line.
files_below() {
    (cd "$1" && find . -type f | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
}

# installed_files PREFIX: the files an install puts below PREFIX, as files_below shows them.
installed_files() {
    local doc=$1/share/doc/pelmoimage man=$1/share/man/man1
    echo "$1/bin/pelmoimage $1/bin/pelmoimage-render" \
        "$1/share/bash-completion/completions/pelmoimage" \
        "$1/share/bash-completion/completions/pelmoimage-render" \
        "$doc/README.md.gz $doc/changelog.gz $doc/copyright $doc/formats.md.gz" \
        "$man/pelmoimage-render.1.gz $man/pelmoimage.1.gz"
}

# man_warnings PAGE: prints what `man --warnings` says about PAGE on standard error.
man_warnings() {
    command -v man >/dev/null || { echo "man is not installed (Debian package man-db)"; return; }
    # shellcheck disable=SC2069 # only the warnings, on standard error, are wanted
    MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null || echo "man failed on $1"
}

# completions SCRIPT WORD...: sources SCRIPT in a fresh bash, completes the last
# WORD of the command line WORD... with the function SCRIPT registers for the
# command (the first WORD) and prints the candidates, one per line.
completions() {
    local script=$1
    shift
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             read -ra words <<<"$(complete -p "$1")"
             "${words[2]}" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
             printf "%s\n" "${COMPREPLY[@]}"' _ "$script" "$@"
}

# expect_completion SCRIPT EXPECTED WORD...: the candidates, sorted and joined
# by spaces, equal EXPECTED.
expect_completion() {
    local script=$1 expected=$2
    shift 2
    local got
    got=$(completions "$script" "$@" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
    [[ $got == "$expected" ]] || fail "completing '$*': expected '$expected', got '$got'"
}

# expect_conversion EXE SAMPLE DIR: EXE converts SAMPLE with every codec, with
# status 0, "Operation completed." and a source that starts with the header.
expect_conversion() {
    local exe=$1 sample=$2 dir=$3 codec status
    for codec in raw rle srle frle bnp bit2xp; do
        status=0
        "$exe" -c "$codec" "$sample" "$dir/$codec.asm" >"$dir/$codec.out" 2>"$dir/$codec.err" ||
            status=$?
        [[ $status -eq 0 ]] || fail "$exe -c $codec: status $status: $(cat "$dir/$codec.err")"
        [[ ! -s $dir/$codec.err ]] || fail "$exe -c $codec wrote to standard error"
        grep -qx 'Operation completed.' "$dir/$codec.out" ||
            fail "$exe -c $codec: no 'Operation completed.'"
        # The version in it is install.version's to check.
        [[ $(head -n 1 "$dir/$codec.asm" 2>/dev/null) == $'\t; Created by PelmoImage v'* ]] ||
            fail "$exe -c $codec: the source does not start with the header"
    done
}

# expect_render RENDER DIR: RENDER shows each source that expect_conversion left
# in DIR (the 96 × 64 sample) with status 0 as a PNG picture.
expect_render() {
    local render=$1 dir=$2 codec
    for codec in raw rle srle frle bnp bit2xp; do
        "$render" -w 96 -c "$codec" "$dir/$codec.asm" "$dir/$codec.png" >"$dir/$codec.out" \
            2>"$dir/$codec.err" || fail "$render -c $codec: $(cat "$dir/$codec.err")"
        [[ $(head -c 4 "$dir/$codec.png" 2>/dev/null | tail -c 3) == PNG ]] ||
            fail "$render -c $codec wrote no PNG picture"
    done
}

finish() {
    if ((failures > 0)); then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
