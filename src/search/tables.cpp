// Storage of the search tables.
#include "search/tables.h"

SearchThread MainSearchThread;
constinit thread_local SearchThread* ThreadSearch = &MainSearchThread;
// The lower floors reach their part of the calling thread's state through
// these; BindThread points all three at one SearchThread.
constinit thread_local BoardTables* ThreadBoard = &MainSearchThread.Board;
constinit thread_local EvalTables* ThreadEval = &MainSearchThread.Eval;

void BindThread(SearchThread* state) {
    ThreadSearch = state;
    ThreadBoard = &state->Board;
    ThreadEval = &state->Eval;
}
