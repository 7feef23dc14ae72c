#!/usr/bin/env bash
# Installs what building and testing Quill needs and the machine lacks:
#   tools/install-deps.sh            the compiler, CMake, GoogleTest and Fathom (Syzygy tables)
#   tools/install-deps.sh --windows  also MinGW-w64 (posix threads) and Wine
#   tools/install-deps.sh --fuzz     also clang and its libFuzzer runtime
#   tools/install-deps.sh --format   also clang-format (make format)
#   tools/install-deps.sh --web      also emscripten (make web), Node with npm and
#                                    chromium (make web-test drives it headless)
# On Debian as root it installs with apt-get; otherwise it names the one
# command to run and fails when something is missing.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -f /usr/include/tbprobe.h ] || need+=(libfathom-dev)

# Without recommends: Wine's would pull in the 32-bit Wine and much more.
extra=()
for group in "$@"; do
  case "$group" in
    --windows)
      command -v x86_64-w64-mingw32-g++-posix >/dev/null || extra+=(g++-mingw-w64-x86-64-posix)
      command -v wine >/dev/null || extra+=(wine wine64)
      ;;
    --fuzz)
      command -v clang++ >/dev/null || extra+=(clang)
      ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || extra+=(libclang-rt-dev)
      ;;
    --format)
      command -v clang-format >/dev/null || extra+=(clang-format)
      ;;
    --web)
      command -v emcc >/dev/null || extra+=(emscripten)
      command -v node >/dev/null || extra+=(nodejs)
      command -v npm >/dev/null || extra+=(npm)
      command -v chromium >/dev/null || extra+=(chromium)
      command -v python3 >/dev/null || extra+=(python3)
      ;;
    *)
      echo "usage: $0 [--windows] [--fuzz] [--format] [--web]" >&2
      exit 2
      ;;
  esac
done

[ ${#need[@]} -gt 0 ] || [ ${#extra[@]} -gt 0 ] || exit 0

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
  echo "Missing: ${need[*]} ${extra[*]}" >&2
  cmd="sudo apt-get install -y"
  [ ${#need[@]} -gt 0 ] && cmd="$cmd ${need[*]}"
  [ ${#extra[@]} -gt 0 ] && cmd="$cmd && sudo apt-get install -y --no-install-recommends ${extra[*]}"
  echo "Install it with:  $cmd" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update
[ ${#need[@]} -eq 0 ] || apt-get install -y "${need[@]}"
[ ${#extra[@]} -eq 0 ] || apt-get install -y --no-install-recommends "${extra[@]}"
