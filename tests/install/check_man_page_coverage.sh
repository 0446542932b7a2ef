#!/usr/bin/env bash
# The hand-written sections of the manual page keep up with the commands:
#   check_man_page_coverage.sh PAGE COMMAND...
# - the page has the sections FILES, EXAMPLES and SEE ALSO;
# - EXAMPLES shows every command at least once, as a line "zandrel COMMAND ...";
# - FILES names the outputs of every command and where the manual and the example study are.
set -uo pipefail
page="$1"
shift
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rendered="$(MANWIDTH=250 man -E UTF-8 -l "$page" 2>/dev/null | sed -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//')"
section() { awk -v name="$1" '$0 == name { on = 1; next } /^[A-Z][A-Z ]+$/ { on = 0 } on' <<<"$rendered"; }
for name in FILES EXAMPLES "SEE ALSO"; do
  grep -Fxq -- "$name" <<<"$rendered" || fail "no section $name"
done

examples="$(section EXAMPLES)"
for command in "$@"; do
  grep -Eq "^zandrel $command( |$)" <<<"$examples" || fail "EXAMPLES shows no 'zandrel $command' line"
done

files="$(section FILES)"
for output in LIST _TAL_.voi _ACPC_.voi .nii.gz 'VOI<k>.nii.gz' .tsv .json DIR/index.html --transcript \
              _coverage.tsv _occupancy.nii.gz _occupancy.json _timeseries.tsv _timeseries.json \
              share/doc/zandrel/README.md share/doc/zandrel/examples/; do
  grep -Fq -- "$output" <<<"$files" || fail "FILES does not name $output"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s) in $page" >&2; exit 1; }
echo "$page: FILES and EXAMPLES cover every command ($*)"
