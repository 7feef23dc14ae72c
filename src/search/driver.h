// The iterative-deepening driver that the main thread runs for each "go".
#pragma once

#include <cstdint>
#include <string>

// Searches the ply-0 position at increasing depths up to depthLimit,
// reporting "info" lines, and ends with "bestmove" unless the engine quits.
void RunSearch(int depthLimit);
// What the driver does after an iteration.
enum class IterationVerdict {
    Deeper,        // one ply deeper
    AdvanceState,  // add one to SearchState (the extended time is not used)
    Stop,          // SearchState becomes SearchStopped: depth limit or a single root move
};
// The stop rules: state is SearchState after the iteration, msRemaining the
// milliseconds left before SearchDeadline, rootMoves the root's MoveCount.
IterationVerdict DecideAfterIteration(int state, int iterationDepth, int depthLimit, int score, double msRemaining,
                                      int rootMoves);
