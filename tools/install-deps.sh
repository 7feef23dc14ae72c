#!/usr/bin/env bash
# Installs what building and testing Quill needs and the machine lacks:
#   tools/install-deps.sh            the compiler, CMake, GoogleTest and Fathom (Syzygy tables)
#   tools/install-deps.sh --engine   only what the engine needs: the compiler, CMake and Fathom
#   tools/install-deps.sh --windows  also MinGW-w64 (posix threads) and Wine
#   tools/install-deps.sh --fuzz     also clang and its libFuzzer runtime
#   tools/install-deps.sh --format   also clang-format (make format)
#   tools/install-deps.sh --web      also emscripten (make web), Node with npm and
#                                    chromium (make web-test drives it headless)
#   tools/install-deps.sh --release  also what make release-test uses: clang, zip, man-db,
#                                    dpkg-dev, lintian, file (and the --windows group)
# On Debian as root it installs with apt-get; otherwise it names the one
# command to run and fails when something is missing.
# With --engine (make, make run) a missing Fathom alone is no failure: the
# engine is then built without the Syzygy tables and CMake says so, once,
# with the command to install it; nor is a failed installation of it.
set -euo pipefail

engine_only=false
for group in "$@"; do [ "$group" = --engine ] && engine_only=true; done

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
if ! $engine_only; then
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  [ -d /usr/src/googletest ] || need+=(googletest)
fi
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
    --release)
      command -v clang++ >/dev/null || extra+=(clang)
      command -v zip >/dev/null || extra+=(zip)
      command -v unzip >/dev/null || extra+=(unzip)
      command -v man >/dev/null || extra+=(man-db)
      command -v dpkg-shlibdeps >/dev/null || extra+=(dpkg-dev)
      command -v lintian >/dev/null || extra+=(lintian)
      command -v file >/dev/null || extra+=(file)
      command -v x86_64-w64-mingw32-g++-posix >/dev/null || extra+=(g++-mingw-w64-x86-64-posix)
      command -v wine >/dev/null || extra+=(wine wine64)
      ;;
    --engine) ;;
    *)
      echo "usage: $0 [--engine] [--windows] [--fuzz] [--format] [--web] [--release]" >&2
      exit 2
      ;;
  esac
done

[ ${#need[@]} -gt 0 ] || [ ${#extra[@]} -gt 0 ] || exit 0

# Only Fathom missing for an engine build: it is built without the tables.
fathom_only=false
$engine_only && [ "${need[*]}" = libfathom-dev ] && [ ${#extra[@]} -eq 0 ] && fathom_only=true

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
  $fathom_only && exit 0
  echo "Missing: ${need[*]} ${extra[*]}" >&2
  cmd="sudo apt-get install -y"
  [ ${#need[@]} -gt 0 ] && cmd="$cmd ${need[*]}"
  [ ${#extra[@]} -gt 0 ] && cmd="$cmd && sudo apt-get install -y --no-install-recommends ${extra[*]}"
  echo "Install it with:  $cmd" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if $fathom_only; then
  echo "Installing Fathom (libfathom-dev) for the Syzygy tables" >&2
  if ! { apt-get update && apt-get install -y libfathom-dev; } >/dev/null 2>&1; then
    echo "Could not install libfathom-dev: the engine is built without the Syzygy tables" >&2
  fi
  exit 0
fi
apt-get update
[ ${#need[@]} -eq 0 ] || apt-get install -y "${need[@]}"
[ ${#extra[@]} -eq 0 ] || apt-get install -y --no-install-recommends "${extra[@]}"
