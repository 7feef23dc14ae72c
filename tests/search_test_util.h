// Helpers shared by the search tests: a fresh engine state, a position from
// a FEN, moves played by their text, and the legality of a move text.
#pragma once

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "board/board.h"
#include "board/movetext.h"
#include "board/setup.h"
#include "platform/output.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/reset.h"
#include "search/search.h"
#include "search/time.h"

// The state of a freshly started engine with the position of the FEN in ply
// 0, ready to search: no clock, no node limit, output silenced.
inline void FreshSearch(const std::string& fen) {
    SearchThread& st = *ThreadSearch;
    OutputSilenced = true;
    ResetEngineState();
    if (!SetupFen(fen)) throw std::runtime_error("FEN rejected: " + fen);
    PrepareSearchRoot();
    constexpr double never = std::numeric_limits<double>::infinity();
    EngineRunning.store(1);
    SearchState.store(0);
    st.RootMoveReady.store(0);
    SearchStartTime = CurrentTime();
    TimeBudget = SearchDeadline = HardDeadline = never;
    NodeLimit = 0;
    FixedMoveTime = false;
    st.NodeCount = 0;
    st.IterationDepth = 3;
    st.SelDepth = 0;
}

// Position in the ply's (already generated) list of the move with this text, or 0.
inline int ListEntry(int ply, const std::string& text) {
    BoardTables& bt = *ThreadBoard;
    for (int j = 1; j <= bt.PositionStack[ply].MoveCount; ++j)
        if (MoveText(bt.MoveList[ply][j]) == " " + text) return j;
    return 0;
}

// The move with this text in the ply's position (generated afresh).
inline Move MoveFromText(int ply, const std::string& text) {
    BoardTables& bt = *ThreadBoard;
    GenerateSearchMoves(ply, true);
    const int j = ListEntry(ply, text);
    if (j == 0) throw std::runtime_error("no move " + text);
    return bt.MoveList[ply][j];
}

// Plays a move from ply into ply + 1 as the searches do, check square included.
inline void PlayText(int ply, const std::string& text) {
    BoardTables& bt = *ThreadBoard;
    GenerateSearchMoves(ply, true);
    const int j = ListEntry(ply, text);
    if (j == 0) throw std::runtime_error("no move " + text);
    SearchMakeMove(ply + 1, j);
    const int side = bt.PositionStack[ply + 1].SideToMove;
    bt.CheckerSquare[ply + 1] = AttackingSquare(ply + 1, bt.PositionStack[ply + 1].KingSquare[side], 1 - side);
}

// Whether a move text is a legal move of the FEN's position.
inline bool IsLegalIn(const std::string& fen, const std::string& text) {
    BoardTables& bt = *ThreadBoard;
    if (EntryCount == 0) InitEngineTables();  // the keys and the table the set-up needs
    if (!SetupFen(fen)) return false;
    for (int j = 1; j <= bt.PositionStack[0].MoveCount; ++j) {
        const Move m = bt.MoveList[0][j];
        if (MoveText(m) == " " + text) return LegalLineLength(&m, 1) == 1;
    }
    return false;
}
