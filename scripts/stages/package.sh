#!/usr/bin/env bash
# Package stage: the Debian package of the command line, built with CPack in the release
# build folder (build/default, or ZANDREL_NATIVE_BUILD_DIR), then checked as users get it:
#   - unpacked with dpkg -x, and installed with dpkg -i (as root, or through sudo);
#   - the installed and the unpacked program print their version and convert copies of
#     the bundled example study, each .voi byte for byte the build tree's;
#   - the package ships the README with every file it links (docs/) and the example study
#     under /usr/share/doc/zandrel/examples, the same files as the sources'; every relative
#     link of the shipped Markdown files resolves inside the shipped documentation folder,
#     and a copy of the shipped example study converts, from any folder, with --prefix @list,
#     as the README says;
#   - the installed manual page renders without a warning;
#   - dpkg -r removes it and leaves none of its files behind.
# lintian, when it is installed, reviews the package (its findings are shown, not fatal).
# The Python package python3-zandrel, from the same cpack call, is unpacked with dpkg-deb -x:
# its module imports from there and converts the example study like the build tree.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
native="${ZANDREL_NATIVE_BUILD_DIR:-$root/build/default}"

bash scripts/setup.sh package
cmake --preset default -B "$native" >/dev/null
cmake --build "$native" -j "$(nproc)" --target zandrel zandrel_man_page

rm -f "$native"/zandrel_*.deb "$native"/python3-zandrel_*.deb
(cd "$native" && cpack -G DEB >/dev/null)
deb="$(ls "$native"/zandrel_*.deb)"
echo "== package: $deb"
dpkg-deb -f "$deb" Package Version Section Depends
if command -v lintian >/dev/null; then
  echo "== lintian"
  lintian --no-tag-display-limit "$deb" || true
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
work="$(mktemp -d)"
installed=0
finish() {
  [ "$installed" -eq 0 ] || "${as_root[@]}" dpkg -r zandrel >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "package stage: $*" >&2; exit 1; }

# Converts a fresh copy of the example study with the given program into $work/<name>.
convert_example() {
  local name="$1" program="$2" status=0
  mkdir -p "$work/$name"
  cp -r examples/study/. "$work/$name/"
  (cd "$work/$name" && "$program" convert study.txt >"$work/$name.log") || status=$?
  [ "$status" -eq 0 ] || fail "$program convert exited with $status: $(cat "$work/$name.log")"
}
# The documentation folder <doc> of an unpacked or installed package: the README, the docs/
# pages and pictures it links and the example study, the same as the sources'; every
# relative link resolves inside <doc>; a copy of the shipped study, converted from / with
# --prefix @list by the given program into $work/<name>, gives the build tree's .voi files.
check_shipped_documentation() {
  local doc="$1" program="$2" name="$3" status=0
  [ -f "$doc/README.md" ] || fail "$doc/README.md is not shipped"
  diff -r docs "$doc/docs" >/dev/null || fail "$doc/docs differs from the sources' docs/"
  diff -r examples/study "$doc/examples" >/dev/null || fail "$doc/examples differs from the sources' examples/study/"
  python3 tests/docs/check_links.py "$doc" "$doc/README.md" "$doc/docs" ||
    fail "a relative link of the shipped documentation does not resolve inside $doc"
  cp -r "$doc/examples" "$work/$name"
  (cd / && "$program" convert "$work/$name/study.txt" --prefix @list >"$work/$name.log") || status=$?
  [ "$status" -eq 0 ] || fail "$program convert of the shipped example study exited with $status: $(cat "$work/$name.log")"
  same_vois "$name"
}
# Every .voi of $work/<name> equals the build tree's, and there are as many.
same_vois() {
  local name="$1" voi count=0
  while IFS= read -r voi; do
    cmp -s "$work/reference/$voi" "$work/$name/$voi" || fail "$name: $voi differs from the build tree's"
    count=$((count + 1))
  done < <(cd "$work/reference" && find . -name '*.voi' -type f | sort)
  [ "$count" -gt 0 ] || fail "the build tree's program wrote no .voi file"
  [ "$(cd "$work/$name" && find . -name '*.voi' -type f | wc -l)" -eq "$count" ] ||
    fail "$name: another number of .voi files than the build tree's"
  echo "$name: $count .voi files identical to the build tree's"
}
convert_example reference "$native/src/cli/zandrel"

echo "== dpkg -x"
dpkg -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/zandrel" --version
convert_example unpacked "$work/unpacked/usr/bin/zandrel"
same_vois unpacked
check_shipped_documentation "$work/unpacked/usr/share/doc/zandrel" "$work/unpacked/usr/bin/zandrel" unpacked-example

python_deb="$(ls "$native"/python3-zandrel_*.deb 2>/dev/null || true)"
if [ -n "$python_deb" ]; then
  echo "== python3-zandrel: $python_deb"
  dpkg-deb -f "$python_deb" Package Version Section Depends Suggests
  dpkg-deb -f "$python_deb" Depends | grep -q 'python3-numpy' || fail "python3-zandrel does not depend on python3-numpy"
  dpkg-deb -x "$python_deb" "$work/python"
  site="$work/python/usr/lib/python3/dist-packages"
  [ -f "$site/zandrel/__init__.py" ] || fail "python3-zandrel has no zandrel/__init__.py in /usr/lib/python3/dist-packages"
  mkdir -p "$work/by-python"
  cp -r examples/study/. "$work/by-python/"
  # Every set of the example study converted by the unpacked module and saved where
  # `zandrel convert` writes it; help(zandrel) must render.
  (cd "$work/by-python" && env -i PATH=/usr/bin:/bin PYTHONPATH="$site" /usr/bin/python3 -c '
import io, contextlib, sys, zandrel
assert zandrel.__file__.startswith(sys.argv[1]), zandrel.__file__
with contextlib.redirect_stdout(io.StringIO()):
    help(zandrel)
summary = zandrel.convert("study.txt")
assert summary.ok, summary.entries
print(f"python3-zandrel {zandrel.__version__}: {summary.summary_line}")
' "$site") || fail "the unpacked module does not import and convert"
  same_vois by-python
fi

echo "== dpkg -i"
files="$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' | grep -v '/$')"
"${as_root[@]}" dpkg -i "$deb"
installed=1
[ "$(command -v zandrel)" = /usr/bin/zandrel ] || fail "zandrel is not /usr/bin/zandrel once installed"
(cd / && zandrel --version)
convert_example installed /usr/bin/zandrel
same_vois installed
check_shipped_documentation /usr/share/doc/zandrel /usr/bin/zandrel installed-example
warnings="$(MANWIDTH=80 man --warnings -l /usr/share/man/man1/zandrel.1.gz 2>&1 >/dev/null)" ||
  fail "man -l of the installed page failed"
[ -z "$warnings" ] || fail "the installed manual page renders with warnings: $warnings"
echo "manual page renders without warnings"

echo "== dpkg -r"
"${as_root[@]}" dpkg -r zandrel
installed=0
if dpkg-query -W -f '${Status}' zandrel 2>/dev/null | grep -Eq ' (installed|half-installed|unpacked|half-configured)$'; then
  fail "zandrel is still installed after dpkg -r"
fi
while IFS= read -r file; do
  [ ! -e "$file" ] || fail "$file is left after dpkg -r"
done <<<"$files"
[ ! -e /usr/share/doc/zandrel ] || fail "/usr/share/doc/zandrel is left after dpkg -r"
echo "package stage: the package installs, converts like the build tree and removes cleanly"
