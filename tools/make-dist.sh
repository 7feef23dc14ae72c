#!/usr/bin/env bash
# Writes the release archives into dist/ from the two release builds:
#   quill-VERSION-linux-x86-64.tar.gz   the Linux binary (C++ runtime and Fathom linked in)
#   quill-VERSION-windows-x86-64.zip    quill.exe (self-contained)
#   SHA256SUMS
# each archive holding one folder with the binary, README.md, LICENSE, the
# note on registering Quill in a GUI (INSTALL.txt) and Fathom's licence.
#   tools/make-dist.sh LINUX_BUILD WINDOWS_BUILD [OUT]
# The version is CMake's project version, read from the Linux build's cache.
# It refuses builds without the tablebases or with a library dependency
# beyond the C library (2.34 or older), libm and the loader (Linux) or
# Windows' own DLLs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
linux="${1:?usage: $0 LINUX_BUILD WINDOWS_BUILD [OUT]}"
windows="${2:?usage: $0 LINUX_BUILD WINDOWS_BUILD [OUT]}"
out="${3:-$root/dist}"

fail() { echo "make-dist: $*" >&2; exit 1; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")"
[ -n "$version" ] || fail "no project version in $linux/CMakeCache.txt"

# The Linux binary: tablebases built in, and nothing linked dynamically
# beyond the C library, libm and the dynamic loader (and the kernel's vDSO).
"$linux/quill" --version | grep -q 'Syzygy tablebases built in' || fail "$linux/quill is built without the tablebases"
others="$(ldd "$linux/quill" | awk '{print $1}' | grep -v -E '^(linux-vdso\.so\.1|libc\.so\.6|libm\.so\.6|/lib64/ld-linux-x86-64\.so\.2)$' || true)"
[ -z "$others" ] || fail "$linux/quill links dynamically: $others"
# ...and no glibc newer than 2.34 (2021): the newest symbol version it asks for.
glibc="$(objdump -T "$linux/quill" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1)"
[ "$(printf '%s\n' "$glibc" GLIBC_2.34 | sort -V | tail -n 1)" = GLIBC_2.34 ] || fail "$linux/quill needs $glibc"

# quill.exe: the tablebase source compiled in, and only DLLs Windows ships.
[ -f "$windows/fathom-src/src/tbprobe.c" ] || fail "$windows/quill.exe is built without the tablebases"
dlls="$(x86_64-w64-mingw32-objdump -p "$windows/quill.exe" | sed -n 's/^.*DLL Name: //p' | tr 'A-Z' 'a-z')"
for dll in $dlls; do
  case "$dll" in
    kernel32.dll | msvcrt.dll | advapi32.dll | user32.dll | ws2_32.dll | ntdll.dll | api-ms-win-*.dll) ;;
    *) fail "$windows/quill.exe imports $dll, which Windows does not ship" ;;
  esac
done

# Fathom's licence (MIT) goes with every binary that contains it.
fathom_licence="$linux/fathom-src/LICENSE"
[ -f "$fathom_licence" ] || fail "no Fathom licence in $linux/fathom-src"
licence="$root/LICENSE"
[ -f "$licence" ] || licence=/usr/share/common-licenses/GPL-3
[ -f "$licence" ] || fail "no GPL-3 text (LICENSE or /usr/share/common-licenses/GPL-3)"

# Archive entries carry the time of the last commit and no owner names, so
# that the same tree gives the same archives.
stamp="$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)"

mkdir -p "$out"
out="$(cd "$out" && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

# Fills folder $1 with the binary $2 (named $3) and the documents.
fill() {
  mkdir -p "$1"
  install -m 755 "$2" "$1/$3"
  install -m 644 "$root/README.md" "$1/README.md"
  install -m 644 "$licence" "$1/LICENSE"
  install -m 644 "$root/doc/INSTALL.txt" "$1/INSTALL.txt"
  install -m 644 "$fathom_licence" "$1/LICENSE.Fathom"
  find "$1" -exec touch -h -d "@$stamp" {} +
}

linux_name="quill-$version-linux-x86-64"
fill "$stage/$linux_name" "$linux/quill" quill
strip "$stage/$linux_name/quill"
touch -d "@$stamp" "$stage/$linux_name/quill"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" -C "$stage" -cf - "$linux_name" |
  gzip -9n >"$out/$linux_name.tar.gz"

windows_name="quill-$version-windows-x86-64"
fill "$stage/$windows_name" "$windows/quill.exe" quill.exe
x86_64-w64-mingw32-strip "$stage/$windows_name/quill.exe"
touch -d "@$stamp" "$stage/$windows_name/quill.exe"
rm -f "$out/$windows_name.zip"
(cd "$stage" && find "$windows_name" | LC_ALL=C sort | zip -q -X -9 "$out/$windows_name.zip" -@)

(cd "$out" && sha256sum "$linux_name.tar.gz" "$windows_name.zip" >SHA256SUMS)
echo "Release archives in $out:"
(cd "$out" && ls -l "$linux_name.tar.gz" "$windows_name.zip" SHA256SUMS)
