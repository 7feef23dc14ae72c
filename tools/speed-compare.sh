#!/bin/sh
# Nodes per second of several Quill binaries side by side: each round runs
# `bench DEPTH` once per binary, in turn, so load from other work on the
# machine falls on all of them alike; prints each binary's median and runs,
# and checks that every binary searched the same number of nodes.
#   tools/speed-compare.sh [-d DEPTH] [-r ROUNDS] BINARY...
depth=6
rounds=5
while getopts d:r: opt; do
    case $opt in
        d) depth=$OPTARG ;;
        r) rounds=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-d DEPTH] [-r ROUNDS] BINARY..." >&2; exit 2; }

# The runs happen in a scratch directory (the engine may write files there).
for binary in "$@"; do
    case $binary in
        /*) set -- "$@" "$binary" ;;
        *) set -- "$@" "$PWD/$binary" ;;
    esac
    shift
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
round=1
while [ $round -le "$rounds" ]; do
    n=0
    for binary in "$@"; do
        n=$((n + 1))
        (cd "$out" && "$binary" bench "$depth") > "$out/run" || exit 1
        sed -n 's/^Nodes\/second: //p' "$out/run" >> "$out/nps.$n"
        sed -n 's/^Nodes searched: //p' "$out/run" >> "$out/nodes"
    done
    round=$((round + 1))
done
n=0
for binary in "$@"; do
    n=$((n + 1))
    median=$(sort -n "$out/nps.$n" | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
    echo "$binary: median $median nodes/second (runs: $(tr '\n' ' ' < "$out/nps.$n"))"
done
if [ "$(sort -u "$out/nodes" | wc -l)" -ne 1 ]; then
    echo "node counts differ: $(sort -u "$out/nodes" | tr '\n' ' ')" >&2
    exit 1
fi
echo "nodes searched by every run: $(head -n 1 "$out/nodes")"
