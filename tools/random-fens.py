#!/usr/bin/env python3
# FENs of every position along random games, for comparing the evaluations
# of two Quill builds (`quill eval` reads one FEN a line):
#   tools/random-fens.py SEED GAMES MAXPLIES > fens.txt
#   diff <(old/quill eval < fens.txt) <(new/quill eval < fens.txt)
# Each move is drawn uniformly from the legal moves that Debian's stockfish
# lists ("go perft 1"); its "d" command prints the FEN. Same seed, same list.
import random
import subprocess
import sys

seed, games, max_plies = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
engine = subprocess.Popen(["/usr/games/stockfish"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)


def send(line):
    engine.stdin.write(line + "\n")
    engine.stdin.flush()


def read_until(prefix):
    lines = []
    while True:
        line = engine.stdout.readline()
        if not line:
            raise SystemExit("stockfish stopped")
        lines.append(line.rstrip("\n"))
        if line.startswith(prefix):
            return lines


send("uci")
read_until("uciok")
for _ in range(games):
    moves = []
    for _ in range(max_plies):
        send("position startpos moves " + " ".join(moves))
        send("d")
        print([l for l in read_until("Checkers") if l.startswith("Fen: ")][0][5:])
        send("go perft 1")
        legal = [l.split(":")[0] for l in read_until("Nodes searched") if ":" in l and not l.startswith("Nodes")]
        if not legal:
            break
        moves.append(rng.choice(legal))
send("quit")
