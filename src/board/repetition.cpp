// IsRepetition: whether the position at a ply is a draw by repetition or by
// the fifty-move count. The answer is cached in RepStatus.
#include "board/board.h"

bool IsRepetition(int ply) {
    const PlyPosition& p = PositionStack[ply];
    // A record in which one side moves twice is never a repetition.
    if (ply > 0 && p.SideToMove == PositionStack[ply - 1].SideToMove) return false;
    if (RepStatus[ply] != RepUnknown) return RepStatus[ply] == RepDraw;

    // One earlier occurrence in the search line, the root included.
    if (ply > 3) {
        int low = ply - p.HalfmoveClock;
        if (low < 0) low = 0;
        for (int k = ply - 1; k >= low; --k) {
            const PlyPosition& q = PositionStack[k];
            if (q.KeyLo == p.KeyLo && q.KeyHi == p.KeyHi && q.SideToMove == p.SideToMove) {
                RepStatus[ply] = RepDraw;
                return true;
            }
        }
    }

    // Two earlier occurrences in the game before the root.
    const int c = p.HalfmoveClock;
    if (c - ply > 3 && c > 7) {
        int first = PositionStack[0].HalfmoveClock - 1;
        if (first > HistoryRecords - 1) first = HistoryRecords - 1;
        int matches = 0;
        for (int i = first; i >= 0; --i) {
            const GameHistoryRecord& h = GameHistory[i];
            if (h.KeyLo == p.KeyLo && h.KeyHi == p.KeyHi && h.Side == p.SideToMove && ++matches == 2) {
                RepStatus[ply] = RepDraw;
                return true;
            }
        }
    }
    RepStatus[ply] = RepNone;
    return false;
}
