// The life of the engine process: start-up, the two threads, the main loop.
#pragma once

// Start-up, main loop and shutdown; returns the process exit code (0).
int RunEngine();
// Start-up steps that the command-line modes share with the engine: the
// initial position in ply 0, the hash keys and the 1-megabyte table.
void InitEngineTables();
