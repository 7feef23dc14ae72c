// The iterative-deepening driver that the main thread runs for each "go".
#pragma once

#include <string>

// Searches the ply-0 position at increasing depths up to depthLimit,
// reporting "info" lines, and ends with "bestmove" unless the engine quits.
void RunSearch(int depthLimit);
// " score cp N", " score mate N" or " score mate -N" for a score.
std::string ScoreText(int score);
