// The win/draw/loss display ("UCI_ShowWDL"): expected outcome rates of a
// score, from a model fitted on Quill's own self-play games
// (tools/wdl-fit.py).
#pragma once

#include <string>

#include "board/board.h"

// Option value (set by "setoption" while no search runs).
extern bool ShowWdl;

// Expected outcome in permille from the side to move's point of view; the
// three add up to 1000.
struct WdlPermille {
    int Win;
    int Draw;
    int Loss;
};
// The material on the board in pawn units (pawn 1, knight and bishop 3,
// rook 5, queen 9; both sides): 78 in the start position.
int WdlMaterial(const PlyPosition& p);
// The model's rates for a score (centipawns, or a mate score) of a position
// with this material: a decided score gives 1000/0/0 or 0/0/1000.
WdlPermille WdlForScore(int score, int material);
// " wdl W D L" for a score of the root position (ply 0 of the calling
// thread) when UCI_ShowWDL is on, else empty.
std::string WdlText(int score);
