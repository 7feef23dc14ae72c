// "quill perft DEPTH [FEN]": counts the leaf nodes of the legal move tree.
#pragma once

#include <cstdint>

// Legal leaf nodes below the prepared position at ply, depth plies deep.
// CheckerSquare[ply] must be set (PrepareRoot does it for ply 0).
uint64_t PerftCount(int ply, int depth);
// "go perft DEPTH" in a UCI session, run by the main search thread for the
// position set with "position": sends the command-line mode's lines (one per
// legal root move as it is counted, a blank line, "Nodes searched: N") and
// no "bestmove". A "stop" (SearchState stopped) ends the count early: the
// moves counted keep their lines, an "info string" says the count stopped,
// and the total counts those moves only. After "quit" it sends nothing more.
void RunUciPerft(int depth);
// The command-line mode; argv[1] is "perft". Returns the process exit code.
int PerftCommand(int argc, char** argv);
