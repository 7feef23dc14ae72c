#!/usr/bin/env bash
# Long-run stability check (not part of `make test`): plays fast games of
# Quill against itself and against Debian's stockfish (limited strength)
# through quill_match, with "Hash" changes and "Clear Hash" between games and
# "stop" sent at random moments during "go infinite". Prints the match
# runner's tallies; exits non-zero on any crash, hang, time loss or illegal move.
#
#   tools/soak.sh [GAMES_PER_MATCH] [TIME_CONTROL]     (defaults: 100 games, 2+0.05)
set -uo pipefail
cd "$(dirname "$0")/.."
games=${1:-100}
tc=${2:-2+0.05}

if ! command -v stockfish >/dev/null && [ ! -x /usr/games/stockfish ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y stockfish >/dev/null
fi
stockfish=$(command -v stockfish || echo /usr/games/stockfish)

make build >/dev/null || exit 1
status=0
echo "== Quill against itself ($games games, $tc, hash churn, random stops)"
build/quill_match --engine1 build/quill --engine2 build/quill --games "$games" --tc "$tc" \
  --hash-churn --stop-infinite --seed 7 | tail -4 || status=1
echo "== Quill against stockfish at UCI_Elo 1350 ($games games, $tc, hash churn, random stops)"
build/quill_match --engine1 build/quill --engine2 "$stockfish" --option2 UCI_LimitStrength=true \
  --option2 UCI_Elo=1350 --option2 Threads=1 --games "$games" --tc "$tc" --hash-churn --stop-infinite --seed 11 \
  | tail -4 || status=1
exit $status
