#!/usr/bin/env bash
# The man page renders without a warning and has every section a reader needs.
# Usage: man_page.sh PAGE
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
page=$1

warnings=$(man_warnings "$page")
[[ -z $warnings ]] || fail "man --warnings reports: $warnings"

text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT 'BYTE FORMATS' 'EXIT STATUS' \
    DIAGNOSTICS EXAMPLES; do
    grep -qx "$section" <<<"$text" || fail "no section $section"
done
# Every option and every keyword of the usage text is described.
for word in -c -tc -dim -unflip -xorder -strim -etrim -setsymb -vprefix -vsize -vpackets \
    -vstart -vflag -lprefix -ldata raw rle srle frle bnp bit2xp none image data include \
    docs/formats.md; do
    grep -qw -- "$word" <<<"$text" || fail "the page never mentions $word"
done
finish
