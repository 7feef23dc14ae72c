// Provisional search driver: answers every "go" with the null move until the
// iterative-deepening driver of the search lands. Replaced wholesale then.
#include "engine/driver.h"

#include "engine/output.h"

std::string ScoreText(int score) {
    if (score > 20000 && score <= 30000) return " score mate " + std::to_string((30001 - score) / 2);
    if (score < -20000 && score >= -30000) return " score mate -" + std::to_string((score + 30001) / 2);
    return " score cp " + std::to_string(score);
}

void RunSearch(int) { SendLine("bestmove 0000"); }
