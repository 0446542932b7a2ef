#!/usr/bin/env bash
# `cmake --install` of the command line's component (what the Debian package ships) into a
# fresh prefix:
#   check_prefix_install.sh CMAKE BUILD_DIR PREFIX SOURCE_DIR
# The prefix must hold exactly the program, its manual page, the README with the docs/
# folder it links, and the example study under share/doc/zandrel/examples (the same files
# as the sources' docs/ and examples/study/); every relative link of the installed Markdown
# files must resolve inside the installed documentation folder. The installed program must
# run from there with no trace of the build folder: no run path, no path of the build in the
# binary, the same version text as the built program; and it converts a copy of the
# installed example study, run from another folder with --prefix @list.
set -uo pipefail
cmake="$1" build="$2" prefix="$3" source="$4"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
listing() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" --component cli >/dev/null || { echo "FAIL: cmake --install failed" >&2; exit 1; }

doc="share/doc/zandrel"
expected=$'bin/zandrel\nshare/doc/zandrel/README.md\nshare/man/man1/zandrel.1'
actual="$(listing "$prefix" | grep -Ev "^$doc/(docs|examples)/")"
[ "$actual" = "$expected" ] || fail "installed files differ; expected:
$expected
actual:
$actual"
# The documentation's folders hold what the sources' do, byte for byte.
[ -d "$prefix/$doc/docs" ] && diff -r "$source/docs" "$prefix/$doc/docs" >/dev/null ||
  fail "$doc/docs differs from the sources' docs/"
[ -f "$prefix/$doc/docs/report-example.png" ] || fail "$doc/docs lacks the report's picture the README shows"
[ -d "$prefix/$doc/examples" ] && diff -r "$source/examples/study" "$prefix/$doc/examples" >/dev/null ||
  fail "$doc/examples differs from the sources' examples/study/"
if command -v python3 >/dev/null; then
  python3 "$source/tests/docs/check_links.py" "$prefix/$doc" "$prefix/$doc/README.md" "$prefix/$doc/docs" ||
    fail "a relative link of the installed documentation does not resolve inside $doc"
else
  fail "python3 is needed to check the installed documentation's links"
fi

program="$prefix/bin/zandrel"
[ -x "$program" ] || { fail "$program is not executable"; exit 1; }
if command -v readelf >/dev/null; then
  dynamic="$(readelf -d "$program")"
  grep -Eq '\((RPATH|RUNPATH)\)' <<<"$dynamic" && fail "the installed program has a run path: $(grep -E 'RPATH|RUNPATH' <<<"$dynamic")"
fi
# Debug information names the build folder by design (debug and sanitizer builds); the
# program's own code and data must not.
code="$prefix/zandrel.code"
if command -v objcopy >/dev/null && objcopy --strip-debug "$program" "$code"; then
  grep -aqF -- "$(cd "$build" && pwd -P)" "$code" && fail "the installed program holds the build folder's path"
  rm -f "$code"
fi

# Run from elsewhere with a bare environment, as a user of the prefix would.
version="$(cd / && env -i PATH=/usr/bin:/bin "$program" --version)" || fail "zandrel --version failed"
built="$(find "$build/src/cli" -maxdepth 1 -name zandrel -type f -perm -u+x | head -n 1)"
[ -n "$built" ] && [ "$version" != "$("$built" --version)" ] && fail "installed --version '$version' differs from the build's"
head -n 1 <<<"$version" | grep -Eq '^zandrel [0-9]+\.[0-9]+' || fail "--version does not start with the version: '$version'"
sed -n 2p <<<"$version" | grep -Eq '^features: ' || fail "--version does not list the features: '$version'"

# The installed example study, copied as the README says, converts from any folder.
example="$prefix/example-copy"
cp -R "$prefix/$doc/examples" "$example" || fail "cannot copy the installed example study"
log="$(cd / && env -i PATH=/usr/bin:/bin "$program" convert "$example/study.txt" --prefix @list 2>&1)" ||
  fail "the installed example study does not convert: $log"
for voi in subject1/s1_TAL_.voi subject2/s2_ACPC_.voi; do
  [ -s "$example/$voi" ] || fail "converting the installed example study wrote no $voi: $log"
done

rm -rf "$prefix"
[ "$failures" -eq 0 ] || exit 1
echo "prefix install: bin/zandrel, its manual page, README with docs/ and the example study; runs from the prefix"
