// IsRepetition: whether the position at a ply is a draw by repetition or by
// the fifty-move count. The answer is cached in RepStatus.
#include "board/board.h"

bool IsRepetition(int ply) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    // A record in which one side moves twice is never a repetition.
    if (ply > 0 && p.SideToMove == bt.PositionStack[ply - 1].SideToMove) return false;
    if (bt.RepStatus[ply] != RepUnknown) return bt.RepStatus[ply] == RepDraw;

    // One earlier occurrence in the search line, the root included.
    if (ply > 3) {
        int low = ply - p.HalfmoveClock;
        if (low < 0) low = 0;
        for (int k = ply - 1; k >= low; --k) {
            const PlyPosition& q = bt.PositionStack[k];
            if (q.KeyLo == p.KeyLo && q.KeyHi == p.KeyHi && q.SideToMove == p.SideToMove) {
                bt.RepStatus[ply] = RepDraw;
                return true;
            }
        }
    }

    // Two earlier occurrences in the game before the root.
    const int c = p.HalfmoveClock;
    if (c - ply > 3 && c > 7) {
        int first = bt.PositionStack[0].HalfmoveClock - 1;
        if (first > HistoryRecords - 1) first = HistoryRecords - 1;
        int matches = 0;
        for (int i = first; i >= 0; --i) {
            const GameHistoryRecord& h = bt.GameHistory[i];
            if (h.KeyLo == p.KeyLo && h.KeyHi == p.KeyHi && h.Side == p.SideToMove && ++matches == 2) {
                bt.RepStatus[ply] = RepDraw;
                return true;
            }
        }
    }
    bt.RepStatus[ply] = RepNone;
    return false;
}
