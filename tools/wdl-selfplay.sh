#!/bin/sh
# Quill against itself at a fast time control, for the win/draw/loss fit:
#   tools/wdl-selfplay.sh GAMES OUT.pgn [TC=2+0.02] [BOOK.epd]
# fastchess writes Quill's score of every move into the PGN comments; then
#   PYTHONPATH=../shared/clients tools/wdl-fit.py OUT.pgn
set -eu
games=$1
out=$2
tc=${3:-2+0.02}
root=$(cd "$(dirname "$0")/.." && pwd)
book=${4:-}
quill=${QUILL:-$root/build/quill}  # the engine played (QUILL=path overrides)
if [ -z "$book" ]; then
    book=$(mktemp --suffix=.epd)
    PYTHONPATH="$root/../shared/clients" "$root/tools/make-openings.py" 7 "$games" > "$book"
fi
rm -f "$out"
"$root/../shared/clients/fastchess" \
    -engine cmd="$quill" name=QuillA -engine cmd="$quill" name=QuillB \
    -each tc="$tc" proto=uci option.Threads=1 \
    -openings file="$book" format=epd order=sequential \
    -rounds $(((games + 1) / 2)) -games 2 -repeat -concurrency 1 -pgnout file="$out"
