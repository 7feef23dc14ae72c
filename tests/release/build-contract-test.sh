#!/usr/bin/env bash
# The build contract of distributed testing clients (OpenBench): in a fresh
# clone of this repository, `make -j EXE=<bare name> CXX=<compiler>` puts
# the binary in the clone's folder (g++ and clang++); two `<binary> bench`
# run at the same time report the same node count, equal to the newest
# "Bench: N" line of the history, and the last "N nodes"/"nodes N" and
# "N nps"/"nps N" figures of the output (the patterns such a client reads,
# upper-cased, from the last line up) give that count and a speed.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fail() { echo "build-contract-test: FAIL: $*" >&2; exit 1; }

# Without a Bench line in the history (a shallow clone, say) the runs must
# still agree, across both compilers, with the first count read.
expected="$(git -C "$root" log -1 --format=%B --grep='^Bench: *[0-9][0-9]*$' | sed -n 's/^Bench: *\([0-9][0-9]*\)$/\1/p' | tail -n 1)"
[ -n "$expected" ] || echo "build-contract-test: no 'Bench: N' line in the history; the runs are compared with each other"

# The last figure matching the client's pattern for WORD (NODES or NPS):
# lines from the last up, the first match on a line.
last_figure() {
  tac "$1" | tr 'a-z' 'A-Z' | grep -o -E "[0-9]+ $2|$2[ :=]+[0-9]+" | head -n 1 | tr -cd '0-9'
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
for cxx in g++ clang++; do
  command -v "$cxx" >/dev/null || fail "$cxx is not installed (tools/install-deps.sh --release installs clang)"
  clone="$tmp/clone-$cxx"
  git clone -q "$root" "$clone"
  name="quill-contract"
  (cd "$clone" && make -j EXE="$name" CXX="$cxx" >"$tmp/build-$cxx.log" 2>&1) || {
    tail -n 20 "$tmp/build-$cxx.log" >&2
    fail "make -j EXE=$name CXX=$cxx failed"
  }
  [ -x "$clone/$name" ] || fail "CXX=$cxx: no binary $name in the clone's folder"
  "$clone/$name" --version | grep -q "^Quill .*(${cxx%++}" || fail "CXX=$cxx built: $("$clone/$name" --version)"
  # Two benches at once, each in a folder of its own, as a client runs them.
  mkdir -p "$tmp/run1-$cxx" "$tmp/run2-$cxx"
  (cd "$tmp/run1-$cxx" && "$clone/$name" bench >out) &
  first=$!
  (cd "$tmp/run2-$cxx" && "$clone/$name" bench >out) &
  second=$!
  wait "$first" || fail "CXX=$cxx: the first bench failed"
  wait "$second" || fail "CXX=$cxx: the second bench failed"
  for run in run1 run2; do
    out="$tmp/$run-$cxx/out"
    nodes="$(last_figure "$out" NODES)"
    nps="$(last_figure "$out" NPS)"
    [ -n "$expected" ] || expected="$nodes"
    [ "$nodes" = "$expected" ] || fail "CXX=$cxx $run: the client reads $nodes nodes, the newest Bench line says $expected"
    [ -n "$nps" ] && [ "$nps" -gt 0 ] || fail "CXX=$cxx $run: the client reads no speed: $(tail -n 3 "$out")"
    echo "build-contract-test: CXX=$cxx $run: $nodes nodes, $nps nps"
  done
done
