#!/usr/bin/env bash
# Checks a manual page generated from a program's help texts:
#   check_man_page.sh PROGRAM PAGE COMMAND...
# - it renders at 80 columns without a single warning from man or groff;
# - it has the sections NAME, SYNOPSIS, DESCRIPTION, COMMANDS and EXIT STATUS, and a
#   subsection for every command;
# - every line of `PROGRAM --help` and of each command's help (`PROGRAM help COMMAND`, else
#   `PROGRAM COMMAND --help`) appears in the rendered page as a line of its own, exactly as
#   printed (blanks at the ends and runs of blanks aside), so nothing was lost to roff.
set -uo pipefail
program="$1" page="$2"
shift 2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
normalized() { sed -e 's/\r$//' -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//'; }

warnings="$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
status=$?
[ "$status" -eq 0 ] || fail "man -l $page exited with $status"
[ -z "$warnings" ] || fail "man --warnings reports:
$warnings"

rendered="$(MANWIDTH=250 man -E UTF-8 -l "$page" 2>/dev/null | normalized)"
for section in NAME SYNOPSIS DESCRIPTION COMMANDS "EXIT STATUS"; do
  grep -Fxq -- "$section" <<<"$rendered" || fail "no section $section"
done

expect_lines() {  # expect_lines WHAT TEXT
  local what="$1" line
  [ -n "$2" ] || { fail "$what printed nothing"; return; }
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    grep -Fxq -- "$line" <<<"$rendered" || fail "$what: line not rendered as printed: '$line'"
  done < <(normalized <<<"$2")
}
expect_lines "--help" "$("$program" --help)"
for command in "$@"; do
  grep -Fxq -- "$command" <<<"$rendered" || fail "no subsection for $command"
  help="$("$program" help "$command" 2>/dev/null)" || help=""
  [ -n "$help" ] || help="$("$program" "$command" --help 2>/dev/null)"
  expect_lines "help of $command" "$help"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s) in $page" >&2; exit 1; }
echo "$page: renders without warnings and holds every help line"
