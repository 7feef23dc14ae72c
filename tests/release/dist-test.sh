#!/usr/bin/env bash
# make dist: both archives unpack to one folder with the binary and the
# documents; the Linux binary links only the C library (2.34 or older), libm
# and the loader, unwinds exceptions with the runtime linked into it, has
# the tablebases and searches the bench signature of the newest Bench
# line; quill.exe runs under Wine with the tablebases and the node count of
# the Linux binary; SHA256SUMS matches.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
fail() { echo "dist-test: FAIL: $*" >&2; exit 1; }

make dist
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-dist/CMakeCache.txt)"
linux="quill-$version-linux-x86-64"
windows="quill-$version-windows-x86-64"
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the archives"
[ "$(cut -d' ' -f3 dist/SHA256SUMS | tr '\n' ' ')" = "$linux.tar.gz $windows.zip " ] || fail "SHA256SUMS lists $(cat dist/SHA256SUMS)"

tmp="$(mktemp -d)"
cleanup() {
  [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
tar -xzf "dist/$linux.tar.gz" -C "$tmp"
unzip -q "dist/$windows.zip" -d "$tmp"
[ "$(ls "$tmp" | tr '\n' ' ')" = "$linux $windows " ] || fail "the archives unpack to: $(ls "$tmp")"
[ "$(ls "$tmp/$linux" | tr '\n' ' ')" = "INSTALL.txt LICENSE LICENSE.Fathom README.md quill " ] ||
  fail "the Linux archive holds: $(ls "$tmp/$linux")"
[ "$(ls "$tmp/$windows" | tr '\n' ' ')" = "INSTALL.txt LICENSE LICENSE.Fathom README.md quill.exe " ] ||
  fail "the Windows archive holds: $(ls "$tmp/$windows")"
cmp -s "$tmp/$linux/README.md" README.md || fail "the archived README differs from README.md"
grep -q 'GNU GENERAL PUBLIC LICENSE' "$tmp/$linux/LICENSE" || fail "LICENSE is not the GPL"

# The Linux binary: nothing dynamic beyond libc, libm and the loader.
quill="$tmp/$linux/quill"
libs="$(ldd "$quill" | awk '{print $1}' | grep -v '^linux-vdso' | LC_ALL=C sort | tr '\n' ' ')"
[ "$libs" = "/lib64/ld-linux-x86-64.so.2 libc.so.6 libm.so.6 " ] || fail "ldd $linux/quill shows: $libs"
glibc="$(objdump -T "$quill" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1)"
[ "$(printf '%s\n' "$glibc" GLIBC_2.34 | sort -V | tail -n 1)" = GLIBC_2.34 ] || fail "$linux/quill needs $glibc"
# The C++ runtime inside unwinds exceptions: threads that cannot be created
# in a small address space are reported, and the engine goes on.
threads="$(cd "$tmp" && ulimit -v 300000 && printf 'setoption name Threads value 256\nisready\nquit\n' | "$quill")" ||
  fail "the engine failed when threads could not be created: $threads"
[[ "$threads" == *"info string could not start search thread "*"readyok" ]] || fail "threads without memory: $threads"
"$quill" --version | grep -qx "Quill $version (g++ [^,]*, Syzygy tablebases built in)" ||
  fail "--version says: $("$quill" --version)"
# The full bench against the newest Bench line of the history.
# (Exit code 77: no Bench line in the history, nothing to compare with.)
signature=0
(cd "$tmp" && "$root/tools/check-bench.sh" "$quill" "$root") || signature=$?
[ "$signature" -eq 0 ] || [ "$signature" -eq 77 ] || fail "the archived binary's bench signature"
native3="$(cd "$tmp" && "$quill" bench 3 | sed -n 's/^Nodes searched: //p')"

# quill.exe: only DLLs every Windows has, and its version resource kept.
exe="$tmp/$windows/quill.exe"
dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^.*DLL Name: //p' | LC_ALL=C sort | tr '\n' ' ')"
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "quill.exe imports: $dlls"
x86_64-w64-mingw32-objdump -h "$exe" | grep -q ' \.rsrc ' || fail "quill.exe has no resource section"
# quill.exe under Wine, in the prefix of make windows-test (made once).
export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init >/dev/null 2>&1
  wineserver -w
fi
version_line="$(cd "$tmp" && wine "$exe" --version </dev/null | tr -d '\r')"
[[ "$version_line" == "Quill $version ("*", Syzygy tablebases built in)" ]] || fail "quill.exe --version says: $version_line"
wine_bench="$(cd "$tmp" && wine "$exe" bench 3 </dev/null | tr -d '\r')"
wine3="$(echo "$wine_bench" | sed -n 's/^Nodes searched: //p')"
[ -n "$native3" ] && [ "$wine3" = "$native3" ] || fail "quill.exe bench 3 searched '$wine3' nodes, the Linux binary $native3"
echo "dist-test: both archives as expected; quill.exe under Wine: $(echo "$wine_bench" | tail -n 1)"
