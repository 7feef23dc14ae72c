// Playing strength a person can choose ("UCI_LimitStrength", "UCI_Elo"):
// the same search and evaluation, given a node budget per move and a choice
// among the best root lines that, the lower the level, more often and by a
// wider margin takes one that is not the best.
#pragma once

#include <cstdint>

// The range of "UCI_Elo": its maximum is Quill's own full strength (on the
// scale of the calibration, Stockfish 15.1's UCI_Elo at 5+0.05), at which
// the limit changes nothing.
constexpr int MinStrengthElo = 500;
constexpr int MaxStrengthElo = 1800;
constexpr int DefaultStrengthElo = 1300;

// Option values (set by "setoption" while no search runs). UCI_Elo alone
// changes nothing until UCI_LimitStrength is true.
extern bool LimitStrength;
extern int32_t StrengthElo;

// The internal scale of the weakening: MinInternalStrength (weakest) to
// MaxInternalStrength (full strength). From 0 up the node budget grows and
// the choice cools; below 0 the budget stays at its smallest and the choice
// widens further (more lines, hotter, a wider margin).
constexpr int MinInternalStrength = -500;
constexpr int MaxInternalStrength = 1000;

// Most root lines one search ranks: the MultiPV maximum, and the most lines
// a level chooses among.
constexpr int MaxRootLines = 64;

// What a level does to a search.
struct StrengthLevel {
    bool Limited = false;      // false: the full engine, nothing below applies
    uint64_t Nodes = 0;        // node budget of each move
    int Lines = 1;             // best root lines searched to choose from
    double TemperatureCp = 0;  // a line s centipawns below the best is s / T less likely (e-fold)
    int MarginCp = 0;          // a line further below the best than this is never chosen
};

// The calibrated mapping from a requested rating to the internal scale
// (tools/strength-mapping.py fits it from the calibration's results).
int InternalStrengthForElo(int elo);
// The level of a point of the internal scale.
StrengthLevel LevelForStrength(int strength);
// The level the options ask for now (Limited false when the limit is off).
StrengthLevel CurrentStrengthLevel();

// The random source of the choice: its own generator, seeded per game
// ("ucinewgame" reseeds it from the clock); tests seed it directly.
void SeedStrengthRandom(uint64_t seed);
void ReseedStrengthForNewGame();
// The index of the root line played, from scores ranked best first (count
// at least 1): 0 at full strength; otherwise a line within the level's
// margin of the best, drawn with weights exp(-(best - score) / T). The
// caller leaves out what must not be chosen (lines that are mated).
int ChooseRootLine(const int* scores, int count, const StrengthLevel& level);
