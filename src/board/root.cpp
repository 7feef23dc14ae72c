// PrepareRoot: completes ply 0 as the root of a search: keys, material,
// king squares, square sets, the game-history record, the check square and the move list.
#include "board/board.h"

void PrepareRoot() {
    BoardTables& bt = *ThreadBoard;
    PlyPosition& p = bt.PositionStack[0];

    p.Material = 0;
    // The castling set-up's key (0 for the standard one) is part of every key of the game.
    p.KeyLo = bt.Castling.Key.Lo;
    p.KeyHi = bt.Castling.Key.Hi;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        const int piece = p.Board[sq];
        if (piece == Empty || piece > BlackKing) continue;
        p.KeyLo ^= ZobristKeys[sq][piece].Lo;
        p.KeyHi ^= ZobristKeys[sq][piece].Hi;
        if (PieceValue[piece] == 0) p.KingSquare[ColourOf[piece]] = sq;
        else p.Material += PieceValue[piece];
    }
    p.StateCode = ComputeStateCode(p);
    ComputeSquareSets(p);

    // The position command keeps the clock within the history.
    int k = p.HalfmoveClock;
    if (k < 0) k = 0;
    if (k > HistoryRecords - 1) k = HistoryRecords - 1;
    bt.GameHistory[k].KeyLo = p.KeyLo;
    bt.GameHistory[k].KeyHi = p.KeyHi;
    bt.GameHistory[k].Side = p.SideToMove;
    bt.LastMove[0] = LastMoveRecord{bt.GameHistory[k].MovedPiece, bt.GameHistory[k].FromSquare};

    bt.CheckerSquare[0] = AttackingSquare(0, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
    GenerateMoves(0, true);
}
