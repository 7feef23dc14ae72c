#!/usr/bin/env bash
# make install into a temporary prefix (and into a DESTDIR staging folder):
# the manual page renders without warnings and names every option the
# engine lists, the installed binary answers "uci", and make uninstall
# leaves the prefix as empty as it was.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
fail() { echo "install-test: FAIL: $*" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
mkdir -p "$prefix" "$tmp/run"

make install PREFIX="$prefix"
for file in bin/quill share/man/man6/quill.6 share/doc/quill/README.md; do
  [ -f "$prefix/$file" ] || fail "no $file under the prefix"
done

# The engine answers "uci" (run where it may write Log.Txt).
uci="$(cd "$tmp/run" && printf 'uci\nquit\n' | "$prefix/bin/quill")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
[ "$(echo "$uci" | head -n 2 | tr '\n' '|')" = "id name Quill $version|id author Arno Vilquet|" ] || fail "uci answered: $uci"
[ "$(echo "$uci" | tail -n 1)" = uciok ] || fail "no uciok: $uci"

# The manual page: no warning from man or groff, and every option listed.
MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/quill.6" >"$tmp/page" 2>"$tmp/warnings" || fail "man failed"
[ ! -s "$tmp/warnings" ] || fail "man warns: $(cat "$tmp/warnings")"
grep -q "^QUILL(6)" "$tmp/page" || fail "the page has no QUILL(6) header"
echo "$uci" | sed -n 's/^option name \(.*\) type .*$/\1/p' >"$tmp/options"
[ -s "$tmp/options" ] || fail "no option lines"
while read -r option; do
  grep -q "^       $option\( \|$\)" "$tmp/page" || fail "the manual page does not describe the option $option"
done <"$tmp/options"

make uninstall PREFIX="$prefix"
[ -z "$(ls -A "$prefix")" ] || fail "left behind: $(cd "$prefix" && find . -mindepth 1)"

# DESTDIR: a packager's staging folder holds the installation under PREFIX.
make install DESTDIR="$tmp/stage" PREFIX=/usr
[ -x "$tmp/stage/usr/bin/quill" ] && [ -f "$tmp/stage/usr/share/man/man6/quill.6" ] || fail "DESTDIR install"
make uninstall DESTDIR="$tmp/stage" PREFIX=/usr
[ -z "$(ls -A "$tmp/stage")" ] || fail "left behind in DESTDIR: $(cd "$tmp/stage" && find . -mindepth 1)"
echo "install-test: install, manual page ($(wc -l <"$tmp/options") options), uci and uninstall as expected"
