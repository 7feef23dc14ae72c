// The search's use of the Syzygy tables: a node the tables decide, the root
// narrowed to the moves that keep the tables' result, the score reported and
// the move played there. Every hook returns at once while no tables are
// loaded, so the search is then exactly the one without tables.
#include "search/syzygy.h"

#include <algorithm>

#include "board/board.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/search.h"
#include "search/tables.h"
#include "search/threads.h"

namespace {

// What the root probe decided for the current search.
struct RootTables {
    bool Active = false;
    int Result = 0;  // the best result kept: -2..2 as ProbeTablebaseWdl
    int Score = 0;
    int Count = 0;
    Move Moves[MoveListCapacity];  // the kept moves, shortest distance to zeroing first
    int Dtz[MoveListCapacity];
};
RootTables Root;

// Order of the kept moves: the shortest way to zeroing first when winning,
// the longest when losing.
void SortKept(int result) {
    int order[MoveListCapacity];
    for (int k = 0; k < Root.Count; ++k) order[k] = k;
    std::stable_sort(order, order + Root.Count, [result](int a, int b) {
        return result > 0 ? Root.Dtz[a] < Root.Dtz[b] : result < 0 ? Root.Dtz[a] > Root.Dtz[b] : false;
    });
    Move moves[MoveListCapacity];
    int dtz[MoveListCapacity];
    for (int k = 0; k < Root.Count; ++k) {
        moves[k] = Root.Moves[order[k]];
        dtz[k] = Root.Dtz[order[k]];
    }
    std::copy(moves, moves + Root.Count, Root.Moves);
    std::copy(dtz, dtz + Root.Count, Root.Dtz);
}

}  // namespace

bool TablebaseDecidesNode(int ply, int limit, bool threatChild, int& score) {
    SearchThread& st = *ThreadSearch;
    int wdl;
    if (TablebaseReach == 0 || ply < 1 || threatChild || limit - ply < TablebaseProbeDepth ||
        !ProbeTablebaseWdl(ply, wdl))
        return false;
    CountNodes(st, 1);
    if (st.SelDepth < ply) st.SelDepth = ply;
    score = wdl == 2 ? TablebaseWinScore - ply : wdl == -2 ? ply - TablebaseWinScore : 0;
    // Stored as an exact score of the depth searched; the line ends here.
    const uint32_t slot = HashSlot(ply);
    HashEntry entry = ReadEntry(slot);
    if (!HashMatches(entry, ply)) entry.BestMove = entry.PreviousBest = Move{0, 0};
    StampEntry(entry, ply);
    entry.LowerBound = entry.UpperBound = static_cast<int16_t>(score);
    entry.StoredDepth = static_cast<int8_t>(std::min(limit - ply, AnyDepth - 1));
    WriteEntry(slot, entry);
    st.PvTable[ply][0] = Move{0, 0};
    return true;
}

bool NarrowRootToTablebase() {
    Root.Active = false;
    ResetTablebaseHits();
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    // The list's moves with their results; the best result among them.
    int resultOf[MoveListCapacity], dtzOf[MoveListCapacity];
    if (!ProbeTablebaseRoot(resultOf, dtzOf)) return false;
    int best = NotATableMove;
    const int count = bt.PositionStack[0].MoveCount;
    for (int j = 1; j <= count; ++j) best = std::max(best, resultOf[j]);
    if (best == NotATableMove) return false;
    Root.Count = 0;
    for (int j = 1; j <= count; ++j)
        if (resultOf[j] == best) {
            Root.Moves[Root.Count] = bt.MoveList[0][j];
            Root.Dtz[Root.Count++] = dtzOf[j];
        }
    SortKept(best);
    for (int k = 0; k < Root.Count; ++k) bt.MoveList[0][k + 1] = Root.Moves[k];
    bt.PositionStack[0].MoveCount = Root.Count;
    st.VerifiedCount[0] = Root.Count;  // the library lists only legal moves
    Root.Active = true;
    Root.Result = best;
    Root.Score = best == 2 ? TablebaseWinScore : best == -2 ? -TablebaseWinScore : 0;
    // The root's entry holds a result over all its moves (or none): left out.
    RootTableOff = true;
    st.StartDepth = MinStartDepth;
    return true;
}

int TablebaseRootScore(int score) {
    if (!Root.Active) return score;
    if ((Root.Result == 2 && score > MateBound) || (Root.Result == -2 && score < -MateBound)) return score;
    return Root.Score;
}

void ChooseTablebaseRootMove() {
    SearchThread& st = *ThreadSearch;
    // A drawn root has nothing to convert or resist; without DTZ tables every
    // distance reads 0 and the search's move stands among equals.
    if (!Root.Active || Root.Result == 0 || Root.Count == 0) return;
    // The kept moves share the root's result and stand sorted: shortest
    // distance to zeroing first in a win (also a cursed one), longest first
    // in a loss. The search's move stays when it ties the first; otherwise
    // its mate claim, which may rest on bounds or on table entries of other
    // paths, does not decide: the first kept move does. In a win the distance
    // then falls with every move (a mate at once is the shortest of all), so
    // the ending can neither repeat nor run into the fifty-move rule.
    for (int k = 0; k < Root.Count && Root.Dtz[k] == Root.Dtz[0]; ++k)
        if (Root.Moves[k] == st.PvTable[0][0]) return;
    st.PvTable[0][0] = Root.Moves[0];
    EndPvRow(0);
}

void EndTablebaseSearch() {
    Root.Active = false;
    ResetTablebaseHits();
}
