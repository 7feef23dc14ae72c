// The principal variation: merging a child's line into its parent's row and
// checking which leading part of a line is legal from the root.
#include <cstring>

#include "eval/evaluate.h"
#include "search/node.h"
#include "search/search.h"

void MergePv(int ply) {
    Move* parent = PvTable[ply];
    Move* child = PvTable[ply + 1];
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

// Everything that generating and making moves writes for one ply, so that the
// line check can borrow the plies of a running search and give them back.
struct SavedPly {
    PlyPosition Position;
    Move List[MoveListCapacity];
    uint8_t Checker;
    uint8_t Bare;
    int8_t Repetition;
    LastMoveRecord Last;
    int32_t Eval[2];
    uint8_t LeadPawn[2];
    int32_t Verified;
};
SavedPly Saved[MaxPly];

void SavePly(int p) {
    SavedPly& s = Saved[p];
    s.Position = PositionStack[p];
    std::memcpy(s.List, MoveList[p], sizeof s.List);
    s.Checker = CheckerSquare[p];
    s.Bare = BareKing[p];
    s.Repetition = RepStatus[p];
    s.Last = LastMove[p];
    s.Eval[0] = EvalCache[p][0];
    s.Eval[1] = EvalCache[p][1];
    s.LeadPawn[0] = LeadPawnSquare[p][0];
    s.LeadPawn[1] = LeadPawnSquare[p][1];
    s.Verified = VerifiedCount[p];
}

void RestorePly(int p) {
    const SavedPly& s = Saved[p];
    PositionStack[p] = s.Position;
    std::memcpy(MoveList[p], s.List, sizeof s.List);
    CheckerSquare[p] = s.Checker;
    BareKing[p] = s.Bare;
    RepStatus[p] = s.Repetition;
    LastMove[p] = s.Last;
    EvalCache[p][0] = s.Eval[0];
    EvalCache[p][1] = s.Eval[1];
    LeadPawnSquare[p][0] = s.LeadPawn[0];
    LeadPawnSquare[p][1] = s.LeadPawn[1];
    VerifiedCount[p] = s.Verified;
}

}  // namespace

int LegalLineLength(const Move* line, int maxLength) {
    if (maxLength > MaxPly - 2) maxLength = MaxPly - 2;
    int length = 0;
    int savedUpTo = -1;
    auto borrow = [&](int p) {
        while (savedUpTo < p) SavePly(++savedUpTo);
    };
    for (int k = 0; k < maxLength; ++k) {
        const Move m = line[k];
        if (m.From == 0) break;
        borrow(k + 1);
        GenerateSearchMoves(k, true);
        int entry = 0;
        for (int j = 1; j <= PositionStack[k].MoveCount; ++j) {
            if (MoveList[k][j] == m) {
                entry = j;
                break;
            }
        }
        if (entry == 0) break;
        const int side = PositionStack[k].SideToMove;
        SearchMakeMove(k + 1, entry);
        if (MadeMoveIsIllegal(k, m)) break;
        CheckerSquare[k + 1] = AttackingSquare(k + 1, PositionStack[k + 1].KingSquare[1 - side], side);
        ++length;
    }
    for (int p = savedUpTo; p >= 0; --p) RestorePly(p);
    return length;
}

Move FirstLegalRootMove() {
    // The root list in generation order, taken without disturbing ply 0.
    static Move candidates[MoveListCapacity];
    SavePly(0);
    GenerateSearchMoves(0, true);
    const int count = PositionStack[0].MoveCount;
    for (int j = 1; j <= count; ++j) candidates[j] = MoveList[0][j];
    RestorePly(0);
    for (int j = 1; j <= count; ++j)
        if (LegalLineLength(&candidates[j], 1) == 1) return candidates[j];
    return Move{0, 0};
}

int ScoreAsReturned(int best) {
    if (best < -MateBound) return best + 1;
    if (best > MateBound && best < ScoreInfinity) return best - 1;
    return best;
}
