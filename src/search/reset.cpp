// InitEngineTables, ClearLearnedState and ResetEngineState: the state of a
// freshly started engine.
#include "search/reset.h"

#include "board/board.h"
#include "eval/evaluate.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/ordering_tables.h"
#include "search/search.h"
#include "search/threads.h"

void InitEngineTables() {
    SetStartPosition();
    InitZobristKeys();
    InitHashTable();
}

void ClearLearnedState() {
    ClearPositionState();
    ClearEvalCaches();
    // Wipe the table completely: clearing it keeps the old entries' moves,
    // which would carry one run's ordering into the next.
    WipeHashTable();
    ResetSearchTables(MainSearchThread);
    ResetHelperTables();
}

void ResetEngineState() {
    InitEngineTables();
    ClearLearnedState();
    ResetControlState();
}
