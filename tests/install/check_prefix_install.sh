#!/usr/bin/env bash
# `cmake --install` of the command line's component (what the Debian package ships) into a
# fresh prefix:
#   check_prefix_install.sh CMAKE BUILD_DIR PREFIX
# The prefix must hold exactly the program, its manual page and the README, and the
# installed program must run from there with no trace of the build folder: no run path,
# no path of the build in the binary, the same version text as the built program.
set -uo pipefail
cmake="$1" build="$2" prefix="$3"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" --component cli >/dev/null || { echo "FAIL: cmake --install failed" >&2; exit 1; }

expected=$'bin/zandrel\nshare/doc/zandrel/README.md\nshare/man/man1/zandrel.1'
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)"
[ "$actual" = "$expected" ] || fail "installed files differ; expected:
$expected
actual:
$actual"

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

rm -rf "$prefix"
[ "$failures" -eq 0 ] || exit 1
echo "prefix install: bin/zandrel, its manual page and README; runs from the prefix"
