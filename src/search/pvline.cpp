// The principal variation: merging a child's line into its parent's row,
// checking which leading part of a line is legal from the root, and seeding
// the next iteration with the line found.
#include "eval/evaluate.h"
#include "search/node.h"
#include "search/plies.h"
#include "search/search.h"

void MergePv(int ply) {
    SearchThread& st = *ThreadSearch;
    Move* parent = st.PvTable[ply];
    Move* child = st.PvTable[ply + 1];
    bool copying = false;
    for (int k = 0; k < LastLineSlot; ++k) {
        const Move c = child[k];
        if (copying) {
            parent[k + 1] = c;
            if (c.From == 0) break;
            continue;
        }
        if (parent[k + 1] == c) {
            if (c.From == 0) break;
            continue;
        }
        if (c.From == 0) {
            // The child's line is shorter: it takes over the parent's next move.
            child[k] = parent[k + 1];
            child[k + 1] = Move{0, 0};
            break;
        }
        copying = true;
        parent[k + 1] = c;
    }
}

namespace {

// The plies a line check borrows from a running search, to give them back.
PlyRecord Saved[MaxPly];

}  // namespace

int LegalLineLength(const Move* line, int maxLength) {
    BoardTables& bt = *ThreadBoard;
    if (maxLength > MaxPly - 2) maxLength = MaxPly - 2;
    int length = 0;
    int savedUpTo = -1;
    auto borrow = [&](int p) {
        while (savedUpTo < p) {
            ++savedUpTo;
            SavePly(Saved[savedUpTo], savedUpTo);
        }
    };
    for (int k = 0; k < maxLength; ++k) {
        const Move m = line[k];
        if (m.From == 0) break;
        borrow(k + 1);
        GenerateSearchMoves(k, true);
        int entry = 0;
        for (int j = 1; j <= bt.PositionStack[k].MoveCount; ++j) {
            if (bt.MoveList[k][j] == m) {
                entry = j;
                break;
            }
        }
        if (entry == 0) break;
        const int side = bt.PositionStack[k].SideToMove;
        SearchMakeMove(k + 1, entry);
        if (MadeMoveIsIllegal(*ThreadSearch, k, m)) break;
        bt.CheckerSquare[k + 1] = AttackingSquare(k + 1, bt.PositionStack[k + 1].KingSquare[1 - side], side);
        ++length;
    }
    for (int p = savedUpTo; p >= 0; --p) RestorePly(Saved[p], p);
    return length;
}

Move FirstLegalRootMove() {
    BoardTables& bt = *ThreadBoard;
    // The root list in generation order, taken without disturbing ply 0.
    Move candidates[MoveListCapacity];
    SavePly(Saved[0], 0);
    GenerateSearchMoves(0, true);
    const int count = bt.PositionStack[0].MoveCount;
    for (int j = 1; j <= count; ++j) candidates[j] = bt.MoveList[0][j];
    RestorePly(Saved[0], 0);
    for (int j = 1; j <= count; ++j)
        if (LegalLineLength(&candidates[j], 1) == 1) return candidates[j];
    return Move{0, 0};
}

int ScoreAsReturned(int best) {
    if (best < -MateBound) return best + 1;
    if (best > MateBound && best < ScoreInfinity) return best - 1;
    return best;
}

void SeedPrincipalVariation() {
    SearchThread& st = *ThreadSearch;
    for (int i = 1; i <= LastLineSlot; ++i) {
        const Move m = st.PvTable[0][i];
        if (m.From == 0) break;
        if (!(st.PvTable[i][0] == m)) {
            st.PvTable[i][0] = m;
            st.PvTable[i][1].From = 0;
        }
    }
}
