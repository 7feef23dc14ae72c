// The engine's state as a freshly started process has it.
#pragma once

// The start-up tables: the initial position in ply 0, the hash keys and the
// 1-megabyte transposition table.
void InitEngineTables();
// Forgets everything the engine has learnt from earlier searches and
// positions, keeping the table's size: the table is wiped, the search tables,
// the evaluation caches, the position stack and the game history are
// emptied, and ply 0 holds the initial position. "ucinewgame" uses it, so
// that what follows gives the output of a freshly started process.
void ClearLearnedState();
// Everything a fresh engine starts from: the start-up tables, a wiped
// transposition table, zeroed search tables and the start-of-process control
// values. Start-up, the command-line modes, tests and fuzzers use it.
void ResetEngineState();
