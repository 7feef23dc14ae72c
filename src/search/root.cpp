// PrepareSearchRoot: ply 0 as the root of the next search. On top of the
// board's preparation it clears the root's evaluation entries and verified
// count, and takes the first iteration depth from the table.
#include "eval/evaluate.h"
#include "search/control.h"
#include "search/search.h"

int RootStartDepth() {
    // A known root starts the iterations at its stored depth; a proven mate
    // two plies beyond its distance.
    int depth = 3;
    const HashEntry e = ReadEntry(HashSlot(0));
    if (e.StoredDepth >= 0 && HashMatches(e, 0)) {
        depth = e.StoredDepth;
        if (e.StoredDepth == AnyDepth && e.LowerBound != e.UpperBound) {
            if (e.LowerBound > MateBound) depth = TableMateDepth(e.LowerBound);
            else if (e.UpperBound < -MateBound) depth = TableMateDepth(-e.UpperBound);
        }
        if (depth < 3) depth = 3;
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
