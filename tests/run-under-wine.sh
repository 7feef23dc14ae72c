#!/usr/bin/env bash
# Runs the tests that start the engine against the Windows build under Wine:
# the protocol and search-protocol tests, the perft and bench command-line
# modes (the same node count as on Linux), --version and --help, and the checks of the
# executable (version resource, imported DLLs).
# Usage: tests/run-under-wine.sh QUILL_EXE TEST_BUILD_DIR [CTEST ARGS...]
set -euo pipefail
exe=$(realpath "$1")
build=$2
shift 2

export WINEPREFIX="${WINEPREFIX:-$(dirname "$exe")/wineprefix}"
export WINEDEBUG=-all
# No Mono and no Gecko: the prefix only runs a console program, and their
# installers would ask for downloads.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Creating a prefix takes many seconds: do it once, before any test's clock
# runs. system.reg is written last, when the prefix is complete.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  wine wineboot --init
  wineserver -w
fi

# One persistent wineserver for the whole run keeps every engine start short;
# it goes, with every Wine process of the prefix, however the run ends.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first Wine program starts the prefix's services, which live as long as
# the server and keep the standard handles they inherit. Start them here, on
# handles of their own, so that no test's pipes stay open behind its engine.
wine cmd /c exit </dev/null >/dev/null 2>&1

cd "$build"
QUILL_ENGINE_WRAPPER=wine QUILL_ENGINE_BINARY="$exe" ctest "$@" \
  -R '^(About|Protocol|ProtocolSearch|SearchDeterminism|SearchMates|TablebaseProtocol|WindowsBuild)\.|^(Perft|DriverBench)\.Command'
