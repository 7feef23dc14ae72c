// The win/draw/loss display ("UCI_ShowWDL"): expected outcome rates of a
// score, from a model fitted on Quill's own self-play games
// (tools/wdl-fit.py).
#pragma once

#include <string>

// Option value (set by "setoption" while no search runs).
extern bool ShowWdl;

// Expected outcome in permille from the side to move's point of view; the
// three add up to 1000.
struct WdlPermille {
    int Win;
    int Draw;
    int Loss;
};
// The model's rates for a score of the root position (centipawns, or a mate
// score): a decided score gives 1000/0/0 or 0/0/1000.
WdlPermille WdlForScore(int score);
// " wdl W D L" for a score when UCI_ShowWDL is on, else empty.
std::string WdlText(int score);
