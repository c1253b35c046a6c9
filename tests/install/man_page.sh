#!/usr/bin/env bash
# A man page renders without a warning, has every section a reader needs and
# mentions every word given (its options and keywords).
# Usage: man_page.sh PAGE "EXTRA SECTION|..." WORD...
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
page=$1
IFS='|' read -ra extra <<<"$2"
shift 2

warnings=$(man_warnings "$page")
[[ -z $warnings ]] || fail "man --warnings reports: $warnings"

text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' DIAGNOSTICS EXAMPLES \
    "${extra[@]}"; do
    grep -qx "$section" <<<"$text" || fail "no section $section"
done
for word in "$@"; do
    grep -qw -- "$word" <<<"$text" || fail "the page never mentions $word"
done
finish
