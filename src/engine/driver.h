// The iterative-deepening driver that the main thread runs for each "go".
#pragma once

#include <cstdint>
#include <string>

// Searches the ply-0 position at increasing depths up to depthLimit,
// reporting "info" lines, and ends with "bestmove" unless the engine quits.
void RunSearch(int depthLimit);
// " score cp N", " score mate N" or " score mate -N" for a score.
std::string ScoreText(int score);
// "info nodes N time T nps P" for N nodes searched in elapsedMs milliseconds.
std::string SpeedLine(uint64_t nodes, double elapsedMs);
// Milliseconds since SearchStartTime, as a fraction.
double ElapsedMilliseconds();
