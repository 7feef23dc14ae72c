// PrepareSearchRoot: ply 0 as the root of the next search. On top of the
// board's preparation it clears the root's evaluation entries and verified
// count, and takes the first iteration depth from the table. A "go
// searchmoves" line then restricts the root list.
#include <string>

#include "board/movetext.h"
#include "eval/evaluate.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/rootlines.h"
#include "search/search.h"

int RootStartDepth() {
    // A known root starts the iterations at its stored depth; a proven mate
    // two plies beyond its distance.
    int depth = MinStartDepth;
    const HashEntry e = ReadEntry(HashSlot(0));
    if (e.StoredDepth >= 0 && HashMatches(e, 0)) {
        depth = e.StoredDepth;
        if (e.StoredDepth == AnyDepth && e.LowerBound != e.UpperBound) {
            if (e.LowerBound > MateBound) depth = TableMateDepth(e.LowerBound);
            else if (e.UpperBound < -MateBound) depth = TableMateDepth(-e.UpperBound);
        }
        if (depth < MinStartDepth) depth = MinStartDepth;
        if (depth > MaxSearchDepth) depth = MaxSearchDepth;
    }
    return depth;
}

void PrepareSearchRoot() {
    SearchThread& st = *ThreadSearch;
    ResetEvalPly(0);
    PrepareRoot();
    st.VerifiedCount[0] = 0;
    st.StartDepth = RootStartDepth();
}

bool RestrictRootToSearchMoves() {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    if (SearchMoveCount == 0) return false;
    Move listed[MoveListCapacity];
    const int count = bt.PositionStack[0].MoveCount;
    for (int j = 1; j <= count; ++j) listed[j] = bt.MoveList[0][j];
    int kept = 0;
    for (int j = 1; j <= count; ++j) {
        const std::string text = MoveText(listed[j]).substr(1);
        bool named = false;
        for (int k = 0; k < SearchMoveCount && !named; ++k) named = text == SearchMoveTexts[k];
        if (named && LegalLineLength(&listed[j], 1) == 1) bt.MoveList[0][++kept] = listed[j];
    }
    if (kept == 0) {
        for (int j = 1; j <= count; ++j) bt.MoveList[0][j] = listed[j];
        SendInfoString("searchmoves names no legal move here; searching every move");
        return false;
    }
    bt.PositionStack[0].MoveCount = kept;
    st.VerifiedCount[0] = kept;  // each kept move was proven legal
    RootTableOff = true;
    st.StartDepth = MinStartDepth;
    return true;
}

void EndRootRestriction() { RootTableOff = false; }
