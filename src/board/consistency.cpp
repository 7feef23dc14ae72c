// PositionIsConsistent: the debug builds' check of a position record, called
// under assert where a search enters a node, so that a corrupted position is
// caught where it first shows rather than as a wrong score much later.
#include "board/board.h"

bool PositionIsConsistent(int ply) {
    BoardTables& bt = *ThreadBoard;
    if (ply < 0 || ply >= MaxPly) return false;
    const PlyPosition& p = bt.PositionStack[ply];
    if (p.Board[0] != Empty) return false;
    if (p.SideToMove != White && p.SideToMove != Black) return false;
    if (p.EpFile < 0 || p.EpFile > 8) return false;
    if (p.MoveCount < -1 || p.MoveCount >= MoveListCapacity) return false;

    // Board against piece counts, king squares, material and keys.
    int kings[2] = {0, 0}, pieces[2] = {0, 0}, pawns[2] = {0, 0};
    int material = 0;
    uint32_t keyLo = bt.Castling.Key.Lo, keyHi = bt.Castling.Key.Hi;
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        const int piece = p.Board[sq];
        if (piece == Empty) continue;
        if (piece > BlackKing) return false;
        const int side = ColourOf[piece];
        ++pieces[side];
        if (piece == PieceOf(side, King)) {
            ++kings[side];
            if (p.KingSquare[side] != sq) return false;
        }
        if (piece == PieceOf(side, Pawn)) {
            ++pawns[side];
            if (RankOf[sq] == FirstRank || RankOf[sq] == LastRank) return false;
        }
        material += PieceValue[piece];
        keyLo ^= ZobristKeys[sq][piece].Lo;
        keyHi ^= ZobristKeys[sq][piece].Hi;
    }
    for (int side = White; side <= Black; ++side)
        if (kings[side] != 1 || pieces[side] > 16 || pawns[side] > 8) return false;
    if (material != p.Material || keyLo != p.KeyLo || keyHi != p.KeyHi) return false;

    // A castling right needs its king and rook on their start squares.
    const CastlingSetup& c = bt.Castling;
    for (int r = 0; r < 4; ++r) {
        if (p.CastleRights[r] == 0) continue;
        const int side = r < 2 ? White : Black;
        if (p.Board[c.KingStart[side]] != PieceOf(side, King) || p.Board[c.RookStart[r]] != PieceOf(side, Rook))
            return false;
    }
    // The state code is kept for the side to move, except in a threat search,
    // where the side that moved last moves again on the same record.
    const int code = ComputeStateCode(p), otherSide = code + (p.SideToMove == White ? 144 : -144);
    return p.StateCode == code || p.StateCode == otherSide;
}
