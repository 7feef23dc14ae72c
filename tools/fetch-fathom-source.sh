#!/usr/bin/env bash
# Fetches the source of Debian's package "fathom" (the Syzygy probing library
# behind libfathom-dev) into DEST, unpacked: DEST/src/tbprobe.c and the rest.
# The Windows build compiles it; it is never part of the repository.
#   tools/fetch-fathom-source.sh DEST
# Uses apt-get with a private source list and package index under DEST, so
# the machine's apt configuration is left as it is (no deb-src line needed).
set -euo pipefail

dest="${1:?usage: $0 DEST}"
command -v apt-get >/dev/null || { echo "apt-get is needed to fetch Debian's fathom source" >&2; exit 1; }
mkdir -p "$dest"
dest="$(cd "$dest" && pwd)"
work="$dest/apt"
mkdir -p "$work/lists/partial" "$work/download"

suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
echo "deb-src http://deb.debian.org/debian $suite main" >"$work/sources.list"
apt_opts=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
          -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root -o Debug::NoLocking=1)
apt-get "${apt_opts[@]}" update >&2
(cd "$work/download" && apt-get "${apt_opts[@]}" source --download-only fathom >&2)
tar -xzf "$work"/download/fathom_*.orig.tar.gz -C "$dest" --strip-components=1
[ -f "$dest/src/tbprobe.c" ] || { echo "no src/tbprobe.c in the fathom source" >&2; exit 1; }
rm -rf "$work"
echo "Fathom source in $dest/src"
