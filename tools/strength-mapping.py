#!/usr/bin/env python3
"""Fits the UCI_Elo mapping (src/search/strength.cpp, EloMapping) from
calibration results.

    tools/strength-mapping.py results.csv [more.csv ...] [--write]

Each CSV is what tools/calibrate-strength.py writes: per level the requested
rating, the internal strength it was played at and the measured rating.
Results of several runs are pooled (a point's games weight it). The measured
ratings are made non-decreasing in the internal strength (weighted pool
adjacent violators), and for each rating of the grid the internal strength
that plays at it is read off by linear interpolation. A rating below the
weakest measured point cannot be reached honestly: the script says so and
gives it the weakest internal strength measured. With --write the table in
src/search/strength.cpp is replaced.
"""
import csv
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "src", "search", "strength.cpp")
HEADER = os.path.join(ROOT, "src", "search", "strength.h")


def constant(name):
    text = open(HEADER).read()
    return int(re.search(rf"constexpr int {name} = (-?\d+);", text).group(1))


def current_mapping():
    """The (elo, internal) points of the table in src/search/strength.cpp."""
    text = open(SOURCE).read()
    body = re.search(r"EloMapping\[\] = \{(.*?)\};", text, re.S).group(1)
    names = {n: constant(n) for n in ("MinStrengthElo", "MaxStrengthElo", "MinInternalStrength",
                                       "MaxInternalStrength")}
    points = []
    for elo, strength in re.findall(r"\{\s*([\w-]+)\s*,\s*([\w-]+)\s*\}", body):
        points.append((names.get(elo) or int(elo), names.get(strength) if strength in names else int(strength)))
    return points


def internal_for_elo(elo, points):
    """The engine's own interpolation (integer, truncating toward zero)."""
    elo = min(max(elo, points[0][0]), points[-1][0])
    for (lo_elo, lo_s), (hi_elo, hi_s) in zip(points, points[1:]):
        if elo > hi_elo:
            continue
        num, den = (hi_s - lo_s) * (elo - lo_elo), hi_elo - lo_elo
        q = abs(num) // den
        return lo_s + (q if num >= 0 else -q)
    return points[-1][1]


def isotonic(points):
    """Weighted pool-adjacent-violators: (x, y, w) sorted by x -> non-decreasing y."""
    blocks = []
    for x, y, w in points:
        blocks.append([[x], y, w])
        while len(blocks) > 1 and blocks[-2][1] > blocks[-1][1]:
            xs, y2, w2 = blocks.pop()
            blocks[-1][0] += xs
            blocks[-1][1] = (blocks[-1][1] * blocks[-1][2] + y2 * w2) / (blocks[-1][2] + w2)
            blocks[-1][2] += w2
    return [(x, b[1]) for b in blocks for x in b[0]]


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if not args:
        sys.exit(__doc__)
    pooled = {}
    for path in args:
        for row in csv.DictReader(open(path)):
            x, games = int(row["internal"]), int(row["games"])
            m, g = pooled.get(x, (0.0, 0))
            pooled[x] = ((m * g + float(row["measured"]) * games) / (g + games), g + games)
    fitted = isotonic(sorted((x, m, g) for x, (m, g) in pooled.items()))
    print("internal strength -> measured (pooled, monotone):")
    for x, m in fitted:
        print(f"  {x:>5} -> {m:.0f}  ({pooled[x][1]} games)")
    lo, hi = constant("MinStrengthElo"), constant("MaxStrengthElo")
    max_internal = constant("MaxInternalStrength")
    full = [m for x, m in fitted if x >= max_internal]
    if full and abs(full[0] - hi) > 50:
        print(f"note: full strength measured {full[0]:.0f}; MaxStrengthElo is {hi}")
    grid = sorted({lo, *range((lo // 200 + 1) * 200, hi, 200), hi})
    table = []
    for elo in grid:
        if elo == hi:
            table.append((elo, max_internal))
            continue
        below = [(x, m) for x, m in fitted if m <= elo]
        above = [(x, m) for x, m in fitted if m > elo]
        if not below:
            print(f"note: {elo} is below the weakest measured level ({fitted[0][1]:.0f}); it plays at that level")
            table.append((elo, fitted[0][0]))
        elif not above:
            table.append((elo, below[-1][0]))
        else:
            (x0, m0), (x1, m1) = below[-1], above[0]
            table.append((elo, round(x0 + (x1 - x0) * (elo - m0) / (m1 - m0))))
    # The table must rise in both columns for the engine's interpolation.
    for k in range(1, len(table)):
        table[k] = (table[k][0], max(table[k][1], table[k - 1][1]))
    names = {lo: "MinStrengthElo", hi: "MaxStrengthElo"}
    entries = ", ".join(f"{{{names.get(e, e)}, {'MaxInternalStrength' if s == max_internal else s}}}"
                        for e, s in table)
    print(f"constexpr MappingPoint EloMapping[] = {{\n    {entries},\n}};")
    if "--write" in sys.argv:
        text = open(SOURCE).read()
        text = re.sub(r"constexpr MappingPoint EloMapping\[\] = \{.*?\n\};",
                      f"constexpr MappingPoint EloMapping[] = {{\n    {entries},\n}};", text, flags=re.S)
        open(SOURCE, "w").write(text)
        print(f"written to {SOURCE} (run make format)")


if __name__ == "__main__":
    main()
