#!/usr/bin/env bash
# The bench trailer check (tools/check-bench.sh) against a stand-in engine
# and a throw-away git history: it passes when the counts agree, fails when
# they differ or the engine prints no count, and skips (77) outside a git
# checkout and in a history without a Bench line.
#   tests/check-bench-test.sh CHECK_SCRIPT
set -uo pipefail
check=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A stand-in engine: "bench" prints the count in $work/count, if any.
cat >"$work/engine" <<'ENGINE'
#!/bin/sh
[ "$1" = bench ] || exit 2
printf 'Positions: 35\nDepth: 6\nTime (ms): 1\n'
[ -s "$(dirname "$0")/count" ] && printf 'Nodes searched: %s\n' "$(cat "$(dirname "$0")/count")"
printf 'Nodes/second: 1\n'
ENGINE
chmod +x "$work/engine"

expect() {  # expect CODE TEXT: the check exits with CODE and prints TEXT
  local out code
  out=$("$check" "$work/engine" "$work/repo" 2>&1)
  code=$?
  if [ "$code" != "$1" ] || [[ "$out" != *"$2"* ]]; then
    echo "FAIL (count '$(cat "$work/count")'): expected exit $1 and '$2', got exit $code: $out"
    failures=$((failures + 1))
  fi
}
commit() {
  git -C "$work/repo" -c user.name=t -c user.email=t@t commit -q --allow-empty -m "$1"
}

echo 7559914 >"$work/count"
mkdir "$work/repo"
GIT_CEILING_DIRECTORIES="$work" expect 77 "is not a git checkout"
export GIT_CEILING_DIRECTORIES="$work"
git -C "$work/repo" init -q
commit "Start"
expect 77 "no 'Bench: N' line"
commit $'Search change\n\nWhy it changes.\n\nBench: 123'
commit $'Search change again\n\nBench: 7559914'
commit $'Readme only\n\nNo trailer: the newest Bench line stays.'
expect 0 "searches 7559914 nodes, as the newest Bench line says"
echo 7559915 >"$work/count"
expect 1 "searches 7559915 nodes, the newest Bench line says 7559914 ("
: >"$work/count"
expect 1 "printed no 'Nodes searched' line"
# A line that only mentions a bench count in its text is no trailer.
echo 123 >"$work/count"
commit $'Mention\n\nThe old Bench: 123 was wrong.'
expect 1 "the newest Bench line says 7559914"

[ "$failures" -eq 0 ] && echo "check-bench: all cases as expected"
exit $((failures > 0))
