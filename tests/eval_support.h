// Helpers shared by the evaluation tests: positions from FEN text through the
// engine's own set-up, positions placed directly on a ply, and the census.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "eval/eval_scan.h"
#include "eval/evaluate.h"
#include "search/reset.h"

namespace evaltest {

inline void EnsureEngineTables() {
    static const bool done = [] {
        ResetEngineState();
        return true;
    }();
    (void)done;
}

// Sets up ply 0 from a FEN the way "position fen" does, with empty
// evaluation entries as "quill eval" leaves them; the FEN must be accepted.
inline void SetupOrFail(const std::string& fen) {
    EnsureEngineTables();
    ASSERT_TRUE(SetupFen(fen)) << fen;
    ResetEvalPly(0);
}

// Evaluation of a FEN at ply 0, from the side to move's view.
inline int EvalFen(const std::string& fen) {
    EnsureEngineTables();
    EXPECT_TRUE(SetupFen(fen)) << fen;
    ResetEvalPly(0);
    return Evaluate(0);
}

// The census of the position at ply 0 (after SetupOrFail).
inline EvalScan CensusOfRoot() {
    BoardTables& bt = *ThreadBoard;
    EvalScan e{};
    e.board = bt.PositionStack[0].Board;
    e.ply = 0;
    e.sideToMove = bt.PositionStack[0].SideToMove;
    ScanBoard(e);
    return e;
}

// Sum of the per-square terms of the position at ply 0.
inline int ScanTermsOfRoot() {
    BoardTables& bt = *ThreadBoard;
    EvalScan e{};
    e.board = bt.PositionStack[0].Board;
    e.sideToMove = bt.PositionStack[0].SideToMove;
    return ScanBoard(e);
}

// Puts a board (indices 1..64) with its material on a ply and clears the
// ply's evaluation entries, as making a move into it would.
inline void PlaceBoard(int ply, const uint8_t board[65], Side toMove) {
    BoardTables& bt = *ThreadBoard;
    PlyPosition& p = bt.PositionStack[ply];
    std::memset(&p, 0, sizeof p);
    p.Material = 0;
    for (int s = 1; s <= 64; ++s) {
        p.Board[s] = board[s];
        if (board[s] != Empty) p.Material += PieceValue[board[s]];
        if (board[s] == WhiteKing) p.KingSquare[White] = s;
        if (board[s] == BlackKing) p.KingSquare[Black] = s;
    }
    ComputeSquareSets(p);
    p.SideToMove = toMove;
    p.MoveCount = -1;
    ResetEvalPly(ply);
}

// Square from its name, "e4" -> 29.
inline int Sq(const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a') + 1; }

}  // namespace evaltest
