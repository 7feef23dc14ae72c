// The strength levels: the mapping from a requested rating, the budget and
// choice of a level, and the generator the choice draws from.
#include "play/strength.h"

#include <algorithm>
#include <cmath>

#include "platform/mix.h"
#include "platform/platform.h"

bool LimitStrength = false;
int32_t StrengthElo = DefaultStrengthElo;

namespace {

// The calibrated points of the mapping: requested rating and the internal
// strength that played at it. Between points the strength is interpolated
// linearly; the ends are MinStrengthElo and MaxStrengthElo.
struct MappingPoint {
    int Elo;
    int Strength;
};
constexpr MappingPoint EloMapping[] = {
    {MinStrengthElo, -500},
    {600, -400},
    {800, -164},
    {1000, -33},
    {1200, 326},
    {1400, 599},
    {1600, 835},
    {MaxStrengthElo, MaxInternalStrength},
};

// The node budget grows geometrically from WeakestNodes at strength 0 to
// StrongestNodes just below full strength.
constexpr double WeakestNodes = 200;
constexpr double StrongestNodes = 200000;
// Root lines a limited level chooses among.
constexpr int ChoiceLines = 4;
// Temperature and margin of the choice at strength 0; they shrink to zero
// at full strength, the temperature with the square of the distance to it.
constexpr double WeakestTemperatureCp = 150;
constexpr double WeakestMarginCp = 300;
// Below strength 0 they grow linearly to these at MinInternalStrength, and
// ExtraLines more root lines are searched to choose from.
constexpr double BottomTemperatureCp = 400;
constexpr double BottomMarginCp = 800;
constexpr int ExtraLines = 2;

uint64_t RandomState = GoldenGamma;

// SplitMix64: a small generator of its own, so that the choice never
// disturbs (or depends on) any other random numbers of the engine.
uint64_t NextRandom() {
    const uint64_t z = Mix64(RandomState);
    RandomState += GoldenGamma;
    return z;
}

// A uniform draw in [0, 1).
double UniformDraw() { return static_cast<double>(NextRandom() >> 11) * (1.0 / 9007199254740992.0); }

}  // namespace

int InternalStrengthForElo(int elo) {
    elo = std::clamp(elo, MinStrengthElo, MaxStrengthElo);
    const int points = static_cast<int>(sizeof EloMapping / sizeof EloMapping[0]);
    for (int k = 1; k < points; ++k) {
        const MappingPoint lo = EloMapping[k - 1], hi = EloMapping[k];
        if (elo > hi.Elo) continue;
        return lo.Strength + (hi.Strength - lo.Strength) * (elo - lo.Elo) / (hi.Elo - lo.Elo);
    }
    return MaxInternalStrength;
}

StrengthLevel LevelForStrength(int strength) {
    StrengthLevel level;
    if (strength >= MaxInternalStrength) return level;
    level.Limited = true;
    if (strength < 0) {
        const double t = std::min(1.0, strength / static_cast<double>(MinInternalStrength));
        level.Nodes = static_cast<uint64_t>(WeakestNodes);
        level.Lines = ChoiceLines + static_cast<int>(std::lround(ExtraLines * t));
        level.TemperatureCp = WeakestTemperatureCp + (BottomTemperatureCp - WeakestTemperatureCp) * t;
        level.MarginCp = static_cast<int>(WeakestMarginCp + (BottomMarginCp - WeakestMarginCp) * t);
        return level;
    }
    const double x = strength / static_cast<double>(MaxInternalStrength);
    level.Nodes = static_cast<uint64_t>(WeakestNodes * std::pow(StrongestNodes / WeakestNodes, x));
    level.Lines = ChoiceLines;
    level.TemperatureCp = WeakestTemperatureCp * (1 - x) * (1 - x);
    level.MarginCp = static_cast<int>(WeakestMarginCp * (1 - x));
    return level;
}

StrengthLevel CurrentStrengthLevel() {
    if (!LimitStrength) return StrengthLevel{};
    return LevelForStrength(InternalStrengthForElo(StrengthElo));
}

void SeedStrengthRandom(uint64_t seed) { RandomState = seed; }

void ReseedStrengthForNewGame() {
    // The clock's microseconds and a game counter: two games started within
    // the same microsecond still differ.
    static uint64_t games = 0;
    ++games;
    SeedStrengthRandom(static_cast<uint64_t>(MonotonicMilliseconds() * 1000.0) ^ (games * 0xd1b54a32d192ed03ULL));
}

int ChooseRootLine(const int* scores, int count, const StrengthLevel& level) {
    if (!level.Limited || count <= 1 || level.TemperatureCp <= 0) return 0;
    const int best = scores[0];
    double weights[MaxRootLines];
    double total = 0;
    int usable = 0;
    for (int k = 0; k < std::min(count, MaxRootLines); ++k) {
        const int loss = best - scores[k];
        if (loss > level.MarginCp) break;
        weights[k] = std::exp(-loss / level.TemperatureCp);
        total += weights[k];
        ++usable;
    }
    double draw = UniformDraw() * total;
    for (int k = 0; k < usable; ++k) {
        draw -= weights[k];
        if (draw < 0) return k;
    }
    return 0;
}
