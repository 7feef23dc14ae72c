#!/usr/bin/env python3
# An EPD book of balanced openings for the strength calibration and the
# win/draw/loss self-play: each line is the position after PLIES uniformly
# random legal moves from the start, kept when Debian's stockfish scores it
# within MAXCP centipawns at depth 10. Same seed, same book.
#   tools/make-openings.py SEED COUNT [PLIES=8] [MAXCP=60] > openings.epd
# Needs the python `chess` package (PYTHONPATH=../shared/clients).
import random
import sys

import chess
import chess.engine

seed, count = int(sys.argv[1]), int(sys.argv[2])
plies = int(sys.argv[3]) if len(sys.argv) > 3 else 8
max_cp = int(sys.argv[4]) if len(sys.argv) > 4 else 60
rng = random.Random(seed)
seen = set()
with chess.engine.SimpleEngine.popen_uci("/usr/games/stockfish") as sf:
    while len(seen) < count:
        board = chess.Board()
        for _ in range(plies):
            moves = list(board.legal_moves)
            if not moves:
                break
            board.push(rng.choice(moves))
        if board.is_game_over() or board.epd() in seen:
            continue
        score = sf.analyse(board, chess.engine.Limit(depth=10))["score"].relative
        if score.is_mate() or abs(score.score()) > max_cp:
            continue
        seen.add(board.epd())
        print(board.epd(), flush=True)
