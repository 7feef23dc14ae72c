#!/usr/bin/env bash
# make deb: the package's fields and files, then dpkg -i, /usr/games/quill
# bench, the manual page through man, and dpkg -r. Installing needs root
# and a machine where no other quill package is installed; otherwise the
# package is only built and inspected.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
fail() { echo "deb-test: FAIL: $*" >&2; exit 1; }

make deb
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-dist/CMakeCache.txt)"
deb="dist/quill_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quill ] && [ "$(field Version)" = "$version" ] && [ "$(field Section)" = games ] ||
  fail "package fields: $(dpkg-deb -f "$deb")"
# Only the C library: the release binary links nothing else dynamically.
[[ "$(field Depends)" =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "Depends: $(field Depends)"
files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort | tr '\n' ' ')"
expected="./usr/games/quill ./usr/share/doc/quill/README.md ./usr/share/doc/quill/changelog.gz "
expected+="./usr/share/doc/quill/copyright ./usr/share/man/man6/quill.6.gz "
[ "$files" = "$expected" ] || fail "the package holds: $files"
owners="$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)"
[ "$owners" = root/root ] || fail "file owners: $owners"

if [ "$(id -u)" -ne 0 ] || dpkg -s quill >/dev/null 2>&1; then
  echo "deb-test: built and inspected; not installed (needs root and no quill package installed)"
  exit 0
fi
tmp="$(mktemp -d)"
trap 'dpkg -r quill >/dev/null 2>&1 || true; rm -rf "$tmp"' EXIT
dpkg -i "$deb"
[ "$(dpkg-query -W -f '${Status}' quill)" = "install ok installed" ] || fail "dpkg -i did not install quill"
installed3="$(cd "$tmp" && /usr/games/quill bench 3 | sed -n 's/^Nodes searched: //p')"
built3="$(cd "$tmp" && "$root/build-dist/quill" bench 3 | sed -n 's/^Nodes searched: //p')"
[ -n "$built3" ] && [ "$installed3" = "$built3" ] || fail "/usr/games/quill bench 3: '$installed3' nodes, the build $built3"
MANWIDTH=80 man --warnings 6 quill >"$tmp/page" 2>"$tmp/warnings" || fail "man 6 quill failed"
[ ! -s "$tmp/warnings" ] && grep -q '^QUILL(6)' "$tmp/page" || fail "man 6 quill: $(cat "$tmp/warnings")"
dpkg -r quill
[ ! -e /usr/games/quill ] && [ ! -e /usr/share/doc/quill ] || fail "dpkg -r left files behind"
echo "deb-test: $deb installs, searches $installed3 nodes in bench 3, and is removed again"
