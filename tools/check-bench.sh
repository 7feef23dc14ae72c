#!/usr/bin/env bash
# Compares the engine's bench signature (the node count of `quill bench`)
# with the newest "Bench: N" line in the git history: every commit that
# touches src/ ends its message with one, so a commit that changes the
# search without saying so fails here.
#   tools/check-bench.sh [ENGINE] [REPOSITORY]
# ENGINE defaults to build/quill, REPOSITORY to the checkout this script is in.
# Exit codes: 0 the counts agree, 1 they differ (or the engine gave none),
# 77 nothing to compare with (not a git checkout, or no Bench line yet).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
engine="${1:-$here/build/quill}"
repo="${2:-$here}"

if ! command -v git >/dev/null || ! git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
  echo "check-bench: $repo is not a git checkout; the bench signature is not checked"
  exit 77
fi
# The newest commit whose message has a Bench line, and its last such line.
expected=$(git -C "$repo" log -1 --format=%B --grep='^Bench: *[0-9][0-9]*$' |
  sed -n 's/^Bench: *\([0-9][0-9]*\)$/\1/p' | tail -n 1)
if [ -z "$expected" ]; then
  echo "check-bench: no 'Bench: N' line in the history of $repo; the bench signature is not checked"
  exit 77
fi

actual=$("$engine" bench | sed -n 's/^Nodes searched: *\([0-9][0-9]*\).*$/\1/p' | tail -n 1)
if [ -z "$actual" ]; then
  echo "check-bench: $engine bench printed no 'Nodes searched' line"
  exit 1
fi
commit=$(git -C "$repo" log -1 --format='%h %s' --grep='^Bench: *[0-9][0-9]*$')
if [ "$actual" != "$expected" ]; then
  echo "check-bench: quill bench searches $actual nodes, the newest Bench line says $expected ($commit)"
  echo "check-bench: a commit that changes the search ends its message with 'Bench: $actual'"
  exit 1
fi
echo "check-bench: quill bench searches $expected nodes, as the newest Bench line says ($commit)"
