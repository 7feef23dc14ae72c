// libFuzzer target: arbitrary text as the FEN argument of the command-line
// modes. An accepted FEN must leave a complete, consistent position in ply 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "eval/evaluate.h"
#include "search/reset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BoardTables& bt = *ThreadBoard;
    static bool ready = (ResetEngineState(), true);
    (void)ready;
    std::string fen(reinterpret_cast<const char*>(data), size);
    if (!SetupFen(fen)) return 0;
    const PlyPosition& root = bt.PositionStack[0];
    // Exactly one king per side, no pawn on the first or last rank.
    int kings[2] = {0, 0};
    for (int sq = 1; sq <= 64; ++sq) {
        int p = root.Board[sq];
        if (p == WhiteKing) ++kings[0];
        if (p == BlackKing) ++kings[1];
        if ((p == WhitePawn || p == BlackPawn) && (RankOf[sq] == 1 || RankOf[sq] == 8)) std::abort();
    }
    if (kings[0] != 1 || kings[1] != 1) std::abort();
    if (root.MoveCount < 0 || root.MoveCount >= MoveListCapacity) std::abort();
    // Every generated move can be made and evaluated.
    for (int n = 1; n <= root.MoveCount; ++n) {
        MakeMove(1, n);
        ResetEvalPly(1);
        Evaluate(1);
    }
    ResetEvalPly(0);
    Evaluate(0);
    return 0;
}
