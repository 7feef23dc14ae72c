// The tables the searches keep about the current line and about good moves.
// All live for the whole process, start at zero and are never cleared
// between searches.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/board.h"
#include "eval/evaluate.h"

// Rows and slots of the principal-variation table. Row p holds the best line
// from ply p; slot 0 of row p is also the move tried first at ply p.
constexpr int PvRows = MaxPly;
constexpr int PvSlots = MaxPly;
// Bytes of a processor cache line: what one thread writes often sits on its own.
constexpr int CacheLineBytes = 64;

// Everything one search thread writes: its positions (board), its
// evaluation cache (eval), the line and ordering tables and the counters of
// its search. The main search thread's state is MainSearchThread; each
// helper thread has its own. Only the transposition table, the options and
// the control state are shared.
struct SearchThread {
    BoardTables Board;
    EvalTables Eval;
    Move PvTable[PvRows][PvSlots];
    Move KillerMoves[2][MaxPly][2];                  // [slot 0/1][ply][side]
    Move MateKiller[MaxPly][2];                      // [ply][side]
    int64_t HistoryTable[SquareSlots][SquareSlots];  // [from][to square]
    int64_t MateHistory[PieceSlots][SquareSlots];    // [piece code][to square]
    int32_t VerifiedCount[MaxPly];
    int32_t RootScores[MoveListCapacity];
    // Nodes searched by this thread in the current search: counted by the
    // thread alone, read by the main thread for the reported totals. On a
    // cache line of its own, so that the counting does not slow down the
    // threads that read it or whose data would share its line.
    alignas(CacheLineBytes) std::atomic<uint64_t> NodeCount;
    alignas(CacheLineBytes) int32_t StartDepth;  // first iteration depth, from the table's root entry
    int32_t IterationDepth;
    int32_t SelDepth;  // deepest ply reached in the current iteration
    // The root has a move to play (set by the searches at ply 0; "quit" sets
    // the main thread's so that its search unwinds at once).
    std::atomic<uint8_t> RootMoveReady;
    // 0 for the main search thread, 1.. for the helpers.
    int32_t Index;
};
extern SearchThread MainSearchThread;
// The calling thread's search state: MainSearchThread unless the thread is a
// helper (the input thread, the command-line modes and the tests use the main one).
extern constinit thread_local SearchThread* ThreadSearch;

// Points the calling thread's three state pointers (ThreadSearch,
// ThreadBoard, ThreadEval) at one search thread's state.
void BindThread(SearchThread* state);
