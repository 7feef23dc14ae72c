#!/usr/bin/env python3
"""Calibrates Quill's UCI_Elo levels: one match per requested level against a
rated reference, the measured rating with its error margin, and a table.

    tools/calibrate-strength.py --levels 500,600,800,1000,1200,1400,1600,1800 --games 100 \
        [--tc 5+0.05] [--concurrency 1] [--anchor 1400] [--out results.md] \
        [--known 800=790:153 ...]

Reference: for a level of 1350 or more, Debian's stockfish (15.1) with
UCI_LimitStrength and UCI_Elo set to the level; below 1350 (stockfish's
lowest), a chain of Quill's own levels: each plays the nearest level above
it with a measured rating (the first, the lowest level measured against
stockfish; --anchor is added to the run when there is none), and a level's rating is its opponent's measured rating
plus the difference the match shows (so keep the steps small, 200 or less:
a match lost or won outright only bounds the difference). Threads 1 for both, a fixed time control,
openings from an EPD book played with both colours (-repeat).

Writes a Markdown table (requested, measured, error margin, games, time
control, reference) to --out and a CSV line per level to --out with .csv,
which tools/strength-mapping.py turns into the engine's mapping (the
internal strength of each level is read from src/search/strength.cpp: run
the script from the tree the engine was built from).
"""
import argparse
import math
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import importlib

mapping = importlib.import_module("strength-mapping")

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
STOCKFISH = "/usr/games/stockfish"
STOCKFISH_MIN_ELO = 1350


def elo_from_score(score):
    score = min(max(score, 1e-3), 1 - 1e-3)
    return -400 * math.log10(1 / score - 1)


def bounded_score(wins, draws, losses):
    """The match score; a match won or lost outright counts half a game the
    other way (its rating difference is then only a bound)."""
    n = wins + draws + losses
    score = (wins + draws / 2) / n
    if score in (0, 1):
        score = (0.5 if score == 0 else n - 0.5) / n
    return score


def rating_difference(wins, draws, losses):
    """Elo difference from a match and its 95% margin (trinomial variance)."""
    n = wins + draws + losses
    score = bounded_score(wins, draws, losses)
    variance = (wins * (1 - score) ** 2 + draws * (0.5 - score) ** 2 + losses * score**2) / n
    sigma = math.sqrt(variance / n)
    low, high = elo_from_score(score - 1.96 * sigma), elo_from_score(score + 1.96 * sigma)
    return elo_from_score(score), (high - low) / 2


def count_results(pgn_path, name):
    """Wins, draws and losses of the engine called name in a PGN file."""
    wins = draws = losses = 0
    white = None
    with open(pgn_path, encoding="utf-8", errors="replace") as pgn:
        for line in pgn:
            m = re.match(r'\[(White|Black|Result) "(.*)"\]', line)
            if not m:
                continue
            if m.group(1) == "White":
                white = m.group(2)
            elif m.group(1) == "Result":
                result = m.group(2)
                if result == "1/2-1/2":
                    draws += 1
                elif result in ("1-0", "0-1"):
                    if (result == "1-0") == (white == name):
                        wins += 1
                    else:
                        losses += 1
    return wins, draws, losses


def quill_engine(args, name, elo):
    return ["-engine", f"cmd={args.quill}", f"name={name}", "option.UCI_LimitStrength=true", f"option.UCI_Elo={elo}"]


def play(args, first, second, games, pgn):
    """Runs one fastchess match of games games (pairs of colours); returns W, D, L of 'first'."""
    command = [args.fastchess, *first, *second, "-each", f"tc={args.tc}", "proto=uci", "option.Threads=1",
               "-openings", f"file={args.book}", "format=epd", "order=random", "-srand", str(args.seed),
               "-rounds", str((games + 1) // 2), "-games", "2", "-repeat", "-concurrency", str(args.concurrency),
               "-pgnout", f"file={pgn}"]
    print("+", " ".join(command), file=sys.stderr, flush=True)
    with open(pgn + ".log", "w") as log:
        subprocess.run(command, stdout=log, stderr=subprocess.STDOUT, check=True)
    name = first[first.index("-engine") + 2].split("=", 1)[1]
    return count_results(pgn, name)


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--levels", default="500,600,800,1000,1200,1400,1600,1800", help="requested UCI_Elo values")
    p.add_argument("--games", type=int, default=100, help="games per level")
    p.add_argument("--tc", default="5+0.05")
    p.add_argument("--concurrency", type=int, default=1)
    p.add_argument("--anchor", type=int, default=1400, help="Quill level the highest level below 1350 plays")
    p.add_argument("--quill", default=os.path.join(ROOT, "build", "quill"))
    p.add_argument("--fastchess", default=os.path.join(ROOT, "..", "shared", "clients", "fastchess"))
    p.add_argument("--book", default=None, help="EPD openings (made by tools/make-openings.py when absent)")
    p.add_argument("--seed", type=int, default=22)
    p.add_argument("--out", default="strength-calibration.md")
    p.add_argument("--workdir", default=None)
    p.add_argument("--known", action="append", default=[], metavar="LEVEL=RATING:MARGIN",
                   help="a level measured in an earlier run: not played again, but the chain may start from it")
    args = p.parse_args()
    args.quill = os.path.abspath(args.quill)
    workdir = args.workdir or tempfile.mkdtemp(prefix="quill-calibration-")
    os.makedirs(workdir, exist_ok=True)
    if args.book is None:
        args.book = os.path.join(workdir, "openings.epd")
        if not os.path.exists(args.book):
            env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "..", "shared", "clients"))
            with open(args.book, "w") as book:
                subprocess.run([sys.executable, os.path.join(HERE, "make-openings.py"), str(args.seed), "500"],
                               stdout=book, env=env, check=True)

    levels = sorted({int(x) for x in args.levels.split(",")}, reverse=True)
    measured, margins = {}, {}
    for known in args.known:
        level, rest = known.split("=")
        rating, margin = rest.split(":")
        measured[int(level)], margins[int(level)] = float(rating), float(margin)
    levels = [l for l in levels if l not in measured]
    # The anchor is measured first when a level below stockfish's range needs it.
    if any(l < STOCKFISH_MIN_ELO for l in levels) and not measured and args.anchor not in levels:
        levels.insert(0, args.anchor)
    rows = []
    for level in sorted(levels, key=lambda l: (l < STOCKFISH_MIN_ELO, -l)):
        pgn = os.path.join(workdir, f"level-{level}.pgn")
        if os.path.exists(pgn):
            os.remove(pgn)
        before = load()
        if level >= STOCKFISH_MIN_ELO:
            reference = f"stockfish 15.1 UCI_Elo {level}"
            opponent = ["-engine", f"cmd={STOCKFISH}", "name=Stockfish", "option.UCI_LimitStrength=true",
                        f"option.UCI_Elo={level}"]
            base, base_margin = level, 0.0
        else:
            # The chain: the nearest level above that has a measured rating.
            above = min(x for x in measured if x > level)
            base, base_margin = measured[above], margins[above]
            reference = f"Quill UCI_Elo {above} (measured {base:.0f})"
            opponent = quill_engine(args, "QuillAbove", above)
        w, d, l = play(args, quill_engine(args, "Quill", level), opponent, args.games, pgn)
        diff, margin = rating_difference(w, d, l)
        # A chained level inherits the anchor's uncertainty as well.
        margin = math.hypot(margin, base_margin)
        measured[level], margins[level] = base + diff, margin
        bound = "<" if w + d == 0 else ">" if l + d == 0 else ""
        row = dict(bound=bound, requested=level, internal=mapping.internal_for_elo(level, mapping.current_mapping()),
                   measured=base + diff, margin=margin, games=w + d + l, wins=w, draws=d,
                   losses=l, tc=args.tc, reference=reference, load=f"{before}/{load()}")
        rows.append(row)
        print(f"{level}: +{w} ={d} -{l} -> {base + diff:.0f} +- {margin:.0f} (load {row['load']})", flush=True)

    rows.sort(key=lambda r: r["requested"])
    with open(args.out, "w") as out:
        out.write("| requested | measured | error margin (95%) | games (+ = -) | time control | reference | load |\n")
        out.write("|---|---|---|---|---|---|---|\n")
        for r in rows:
            out.write(f"| {r['requested']} | {r['bound']}{r['measured']:.0f} | ±{r['margin']:.0f} | {r['games']} "
                      f"({r['wins']} {r['draws']} {r['losses']}) | {r['tc']} | {r['reference']} | {r['load']} |\n")
    with open(os.path.splitext(args.out)[0] + ".csv", "w") as csv:
        csv.write("requested,internal,measured,margin,games,wins,draws,losses\n")
        for r in rows:
            csv.write(f"{r['requested']},{r['internal']},{r['measured']:.1f},{r['margin']:.1f},{r['games']},"
                      f"{r['wins']},{r['draws']},{r['losses']}\n")
    print(open(args.out).read())


if __name__ == "__main__":
    main()
