// The engine's state as a freshly started process has it.
#pragma once

// The start-up tables: the initial position in ply 0, the hash keys and the
// 1-megabyte transposition table.
void InitEngineTables();
// Everything a fresh engine starts from: the start-up tables, a wiped
// transposition table, zeroed search tables and the start-of-process control
// values. Start-up, the command-line modes, tests and fuzzers use it.
void ResetEngineState();
