#!/usr/bin/env bash
# Checks the floors of src/: platform, board, eval, tablebase, play, search,
# uci, from the ground up. A file may include headers of its own floor or of floors below
# it, never of a floor above. Lists every "floor/..." include with its verdict
# and exits with 1 when any include runs upward (or names no known floor).
#   tools/check-layers.sh [SOURCE_DIR]   (default: the src/ next to this script)
set -euo pipefail

src="${1:-$(cd "$(dirname "$0")/.." && pwd)/src}"
floors="platform board eval tablebase play search uci"

mapfile -t files < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.rc' -o -name '*.in' \) | sort)
[ "${#files[@]}" -gt 0 ] || { echo "no sources under $src"; exit 1; }
awk -v src="$src" -v floors="$floors" '
BEGIN {
    n = split(floors, names, " ")
    for (i = 1; i <= n; ++i) rank[names[i]] = i
    bad = 0
}
FNR == 1 {
    file = FILENAME
    rel = substr(file, length(src) + 2)
    split(rel, parts, "/")
    own = parts[1]
    if (!(own in rank)) { printf "UNKNOWN FLOOR  %s\n", rel; bad = 1 }
}
/^[ \t]*#[ \t]*include[ \t]*"[^"]*\/[^"]*"/ {
    match($0, /"[^"]*"/)
    target = substr($0, RSTART + 1, RLENGTH - 2)
    split(target, t, "/")
    floor = t[1]
    if (!(floor in rank)) { verdict = "UNKNOWN"; bad = 1 }
    else if (rank[floor] > rank[own]) { verdict = "UPWARD"; bad = 1 }
    else if (floor == own) verdict = "same"
    else verdict = "down"
    printf "%-8s %-28s -> %s\n", verdict, rel, target
    edges[own " -> " floor]++
}
END {
    print ""
    print "floor to floor (include count):"
    for (e in edges) printf "  %-20s %d\n", e, edges[e] | "sort"
    close("sort")
    if (bad) { print "FAIL: an include runs upward or names no floor"; exit 1 }
    print "OK: no include runs upward"
}' "${files[@]}"
