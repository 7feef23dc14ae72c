#!/usr/bin/env python3
"""Plays won tablebase endings out against another engine and counts how
each ends: Quill (White, with the Syzygy tables) must mate every time.

    tools/tablebase-playout.py [--games 30] [--movetime 100] [--load 0]

Quill is build/quill with SyzygyPath set; the defender is Debian's
stockfish (full strength, no tables), both at a fixed time a move. Each
start is played --games times. --load N runs N extra "go infinite"
searches of stockfish beside the games, to measure on a busy machine.
The rules of the game (mate, stalemate, repetition, the fifty-move rule)
are python-chess's: PYTHONPATH must reach it (../shared/clients has it).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "..", "shared", "clients"))
import chess  # noqa: E402
import chess.engine  # noqa: E402

STARTS = [
    "8/8/8/4k3/8/8/8/KQ6 w - - 0 1",
    "8/8/8/3k4/8/8/8/R3K3 w - - 0 1",
    "8/8/8/8/3k4/8/8/KBN5 w - - 0 1",
    "k7/8/8/8/8/8/8/5BNK w - - 0 1",
    "8/8/8/8/8/2k5/8/KQ5r w - - 0 1",
    "8/8/4k3/8/8/3K4/3P4/8 w - - 0 1",
]


def play(quill, defender, fen, movetime):
    board = chess.Board(fen)
    limit = chess.engine.Limit(time=movetime / 1000)
    for engine in (quill, defender):
        engine.configure({"Clear Hash": None} if engine is quill else {})
    while not board.is_game_over(claim_draw=True):
        engine = quill if board.turn == chess.WHITE else defender
        board.push(engine.play(board, limit).move)
    outcome = board.outcome(claim_draw=True)
    return outcome.termination.name.lower(), board.fullmove_number, board.fen()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--games", type=int, default=30)
    p.add_argument("--movetime", type=int, default=100)
    p.add_argument("--load", type=int, default=0)
    p.add_argument("--quill", default=os.path.join(ROOT, "build", "quill"))
    p.add_argument("--defender", default="/usr/games/stockfish")
    p.add_argument("--tables", default=os.path.join(ROOT, "..", "shared", "syzygy"))
    args = p.parse_args()

    load = [subprocess.Popen([args.defender], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
            for _ in range(args.load)]
    for proc in load:
        proc.stdin.write("go infinite\n")
        proc.stdin.flush()
    workdir = tempfile.mkdtemp(prefix="quill-playout-")
    quill = chess.engine.SimpleEngine.popen_uci(args.quill, cwd=workdir)
    quill.configure({"SyzygyPath": os.path.abspath(args.tables)})
    defender = chess.engine.SimpleEngine.popen_uci(args.defender)
    print("load average before:", os.getloadavg())
    mates = total = 0
    started = time.time()
    try:
        for fen in STARTS:
            ended = {}
            for _ in range(args.games):
                how, moves, last = play(quill, defender, fen, args.movetime)
                ended[how] = ended.get(how, 0) + 1
                total += 1
                if how == "checkmate":
                    mates += 1
                else:
                    print(f"  not mated: {fen} -> {how} at move {moves}: {last}", flush=True)
            print(f"{fen}: {ended}", flush=True)
    finally:
        print("load average after:", os.getloadavg())
        quill.quit()
        defender.quit()
        for proc in load:
            proc.kill()
            proc.wait()
    print(f"{mates}/{total} mated by Quill in {time.time() - started:.0f} s")
    return 0 if mates == total else 1


if __name__ == "__main__":
    sys.exit(main())
