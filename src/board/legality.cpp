// MoveWasLegal: the searches' test of a move just made.
#include "board/board.h"

bool MoveWasLegal(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    const Side mover = 1 - p.SideToMove;
    if (AttackingSquare(ply, p.KingSquare[mover], p.SideToMove) != 0) return false;
    // Castling out of check: the king moved two squares from a checked position.
    // (Castling coded as the king taking its own rook is never generated in
    // check: the generator tests the king's square with the squares it crosses.)
    const LastMoveRecord& last = bt.LastMove[ply];
    if (bt.CheckerSquare[ply - 1] != 0 && last.MovedPiece == PieceOf(mover, King)) {
        const int to = p.KingSquare[mover];
        if (to - last.FromSquare == 2 || last.FromSquare - to == 2) return false;
    }
    return true;
}
