// PrepareRoot: completes ply 0 as the root of a search.
#include "board/board.h"
#include "search/control.h"
#include "eval/evaluate.h"
#include "search/hash.h"

void PrepareRoot() {
    ResetEvalPly(0);
    PlyPosition& p = PositionStack[0];

    p.Material = 0;
    p.KeyLo = 0;
    p.KeyHi = 0;
    for (int sq = 1; sq <= 64; ++sq) {
        const int piece = p.Board[sq];
        if (piece == Empty || piece > BlackKing) continue;
        p.KeyLo ^= ZobristKeys[sq][piece].Lo;
        p.KeyHi ^= ZobristKeys[sq][piece].Hi;
        if (PieceValue[piece] == 0) p.KingSquare[ColourOf[piece]] = sq;
        else p.Material += PieceValue[piece];
    }
    p.StateCode = ComputeStateCode(p);

    // The position command keeps the clock within the history.
    int k = p.HalfmoveClock;
    if (k < 0) k = 0;
    if (k > HistoryRecords - 1) k = HistoryRecords - 1;
    GameHistory[k].KeyLo = p.KeyLo;
    GameHistory[k].KeyHi = p.KeyHi;
    GameHistory[k].Side = p.SideToMove;
    LastMove[0] = LastMoveRecord{GameHistory[k].MovedPiece, GameHistory[k].FromSquare};

    // A known root starts the iterations at its stored depth; a proven mate
    // two plies beyond its distance.
    int depth = 3;
    const HashEntry& e = HashTable[HashSlot(0)];
    if (e.StoredDepth >= 0 && HashMatches(e, 0)) {
        depth = e.StoredDepth;
        if (e.StoredDepth == 79 && e.LowerBound != e.UpperBound) {
            if (e.LowerBound > 20000) depth = 30002 - e.LowerBound;
            else if (e.UpperBound < -20000) depth = e.UpperBound + 30002;
        }
        if (depth < 3) depth = 3;
        if (depth > 79) depth = 79;
    }
    StartDepth = depth;

    CheckerSquare[0] = AttackingSquare(0, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
    GenerateMoves(0, true);
}
