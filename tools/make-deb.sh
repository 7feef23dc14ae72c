#!/usr/bin/env bash
# Builds the Debian package "quill" from the Linux release build:
#   tools/make-deb.sh LINUX_BUILD [OUT]     writes OUT/quill_VERSION_ARCH.deb (OUT: dist/)
# Section games, the binary in /usr/games as Debian's chess engines have it,
# the manual page in /usr/share/man/man6, README, copyright and changelog in
# /usr/share/doc/quill. Its dependencies are what the binary links
# dynamically, as dpkg-shlibdeps finds them (the release build links only
# the C library). lintian, when installed, checks the package; an error fails.
# The maintainer field is DEB_MAINTAINER, else git's user.name and
# user.email, else the author of the last commit.
set -euo pipefail
umask 022

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:?usage: $0 LINUX_BUILD [OUT]}"
out="${2:-$root/dist}"
fail() { echo "make-deb: $*" >&2; exit 1; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
[ -f "$build/fathom-src/LICENSE" ] || fail "no Fathom source in $build: build it with -DQUILL_FATHOM_FROM_SOURCE=ON"
arch="$(dpkg --print-architecture)"
maintainer="${DEB_MAINTAINER:-}"
if [ -z "$maintainer" ] && git -C "$root" config user.email >/dev/null 2>&1; then
  maintainer="$(git -C "$root" config user.name) <$(git -C "$root" config user.email)>"
fi
[ -n "$maintainer" ] || maintainer="$(git -C "$root" log -1 --format='%an <%ae>')"
stamp="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
pkg="$work/pkg"
doc="$pkg/usr/share/doc/quill"
mkdir -p "$pkg/DEBIAN" "$pkg/usr/games" "$pkg/usr/share/man/man6" "$doc"

install -m 755 "$build/quill" "$pkg/usr/games/quill"
strip --remove-section=.comment --remove-section=.note "$pkg/usr/games/quill"
gzip -9n <"$build/quill.6" >"$pkg/usr/share/man/man6/quill.6.gz"
install -m 644 "$root/README.md" "$doc/README.md"

# The changelog of a native package: one entry for this version.
{
  echo "quill ($version) unstable; urgency=medium"
  echo
  echo "  * Release $version of the Quill chess engine."
  echo
  echo " -- $maintainer  $(date -R -u -d "@$stamp")"
} | gzip -9n >"$doc/changelog.gz"

# Machine-readable copyright: Quill under the GPL 3, the Fathom library
# compiled into it under the MIT (Expat) licence, its text from its source.
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: Quill"
  echo
  echo "Files: *"
  echo "Copyright: Arno Vilquet"
  echo "License: GPL-3"
  echo " On Debian systems, the complete text of the GNU General Public License"
  echo " version 3 can be found in /usr/share/common-licenses/GPL-3."
  echo
  echo "Files: fathom/*"
  grep -i '^\(modifications \)\?copyright' "$build/fathom-src/LICENSE" | sed '1s/^Copyright (c) /Copyright: /; 2,$s/^/ /'
  echo "Comment: The Fathom library (Syzygy tablebase probing), compiled from"
  echo " the source of Debian's package fathom into /usr/games/quill."
  echo "License: Expat"
  sed -n '/^Permission is hereby granted/,$p' "$build/fathom-src/LICENSE" | sed 's/^$/./; s/^/ /'
} >"$doc/copyright"

# Dependencies: what the binary links dynamically.
mkdir -p "$work/src/debian"
printf 'Source: quill\n\nPackage: quill\nArchitecture: any\n' >"$work/src/debian/control"
depends="$(cd "$work/src" && dpkg-shlibdeps -O -e "$pkg/usr/games/quill" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || fail "dpkg-shlibdeps found no dependency of $build/quill"

cat >"$pkg/DEBIAN/control" <<CONTROL
Package: quill
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
Depends: $depends
Section: games
Priority: optional
Description: UCI chess engine
 Quill is a chess engine that speaks the UCI protocol: a chess GUI
 (for example Cute Chess or Arena) starts it and plays or analyses with
 it. It searches with an alpha-beta search around a transposition table,
 evaluates positions with hand-written chess knowledge, reads Syzygy
 endgame tables, and plays Chess960 and at limited strength on request.
CONTROL
(cd "$pkg" && find usr -type f -exec md5sum {} + | LC_ALL=C sort -k2) >"$pkg/DEBIAN/md5sums"
find "$pkg" -exec touch -h -d "@$stamp" {} +

mkdir -p "$out"
out="$(cd "$out" && pwd)"
deb="$out/quill_${version}_${arch}.deb"
SOURCE_DATE_EPOCH="$stamp" dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
echo "Debian package: $deb (Depends: $depends)"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" || fail "lintian reports errors"
fi
