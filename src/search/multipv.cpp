// Several principal variations: per iteration the root is searched once for
// each line asked for, every pass without the root moves that the earlier
// passes of the iteration chose. The first pass is the ordinary search of
// the whole list; later passes keep the root's table entry out of play,
// since it holds the result over every move. A limited strength level
// searches its lines the same way and reports only as many as MultiPV asks.
#include <algorithm>
#include <cstring>

#include "play/strength.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/rootlines.h"
#include "search/search.h"

namespace {

constexpr int MaxLines = MaxRootLines;

struct RootLine {
    Move Moves[PvSlots];
    int Score;
};

// The candidates: every legal root move with its score from the last pass
// that searched it (the root ordering of the next pass uses it).
Move Candidates[MoveListCapacity];
int32_t CandidateScores[MoveListCapacity];
int CandidateCount = 0;
bool Restricted = false;
int LinesSearched = 1;  // lines per iteration: MultiPV's, or more for a strength level

RootLine Lines[MaxLines];          // this iteration's lines, in pass order
RootLine PreviousLines[MaxLines];  // the last complete iteration's, ranked
int PreviousCount = 0;
int PreviousDepth = 0;  // the iteration depth of PreviousLines

bool Excluded(Move m, int found) {
    for (int k = 0; k < found; ++k)
        if (Lines[k].Moves[0] == m) return true;
    return false;
}

// Puts the candidates not yet chosen into the root list; returns their number.
int FillRootList(int found) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    int n = 0;
    for (int j = 1; j <= CandidateCount; ++j) {
        if (Excluded(Candidates[j], found)) continue;
        ++n;
        bt.MoveList[0][n] = Candidates[j];
        st.RootScores[n] = CandidateScores[j];
    }
    bt.PositionStack[0].MoveCount = n;
    st.VerifiedCount[0] = n;  // every candidate is legal
    return n;
}

// Keeps the scores the pass left for its moves.
void KeepScores() {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    for (int i = 1; i <= bt.PositionStack[0].MoveCount; ++i)
        for (int j = 1; j <= CandidateCount; ++j)
            if (Candidates[j] == bt.MoveList[0][i]) CandidateScores[j] = st.RootScores[i];
}

bool InRootList(Move m) {
    BoardTables& bt = *ThreadBoard;
    for (int i = 1; i <= bt.PositionStack[0].MoveCount; ++i)
        if (bt.MoveList[0][i] == m) return true;
    return false;
}

// Row 0 before a later pass: the line of the same rank from the previous
// iteration when its move is still a candidate, else nothing.
void SeedLaterPass(int rank) {
    SearchThread& st = *ThreadSearch;
    std::memset(st.PvTable[0], 0, sizeof st.PvTable[0]);
    if (rank < PreviousCount && InRootList(PreviousLines[rank].Moves[0]))
        std::memcpy(st.PvTable[0], PreviousLines[rank].Moves, sizeof st.PvTable[0]);
}

}  // namespace

void PrepareRootLines(bool restricted, int lines) {
    BoardTables& bt = *ThreadBoard;
    Restricted = restricted;
    LinesSearched = lines;
    PreviousCount = 0;
    CandidateCount = 0;
    const int count = bt.PositionStack[0].MoveCount;
    Move listed[MoveListCapacity];
    for (int j = 1; j <= count; ++j) listed[j] = bt.MoveList[0][j];
    for (int j = 1; j <= count; ++j) {
        if (LegalLineLength(&listed[j], 1) != 1) continue;
        ++CandidateCount;
        Candidates[CandidateCount] = listed[j];
        CandidateScores[CandidateCount] = -NoScore;
    }
}

int RootLineCandidates() { return CandidateCount; }

int SearchRootLines(int previousScore) {
    SearchThread& st = *ThreadSearch;
    const int wanted = std::min({LinesSearched, CandidateCount, MaxLines});
    int found = 0;
    RootLinesMuted = true;
    for (int pass = 0; pass < wanted; ++pass) {
        FillRootList(found);
        RootTableOff = Restricted || pass > 0;
        if (pass > 0) SeedLaterPass(pass);
        const int score = SearchRootAtDepth(st.IterationDepth);
        KeepScores();
        // A pass cut short gives no line; one whose move is not a candidate
        // (a table move of another position) ends the passes as well.
        if (SearchIsStopped() || !InRootList(st.PvTable[0][0]) || LegalLineLength(st.PvTable[0], 1) != 1) break;
        std::memcpy(Lines[found].Moves, st.PvTable[0], sizeof st.PvTable[0]);
        Lines[found].Score = score;
        ++found;
    }
    RootTableOff = Restricted;
    RootLinesMuted = false;

    if (found == 0) {
        // The first pass was cut short: row 0 holds what it found, as in a
        // search of one line, and the last complete iteration's lines stand.
        if (PreviousCount > 0 && st.PvTable[0][0].From == 0)
            std::memcpy(st.PvTable[0], PreviousLines[0].Moves, sizeof st.PvTable[0]);
        return previousScore;
    }
    std::stable_sort(Lines, Lines + found, [](const RootLine& a, const RootLine& b) { return a.Score > b.Score; });
    std::memcpy(st.PvTable[0], Lines[0].Moves, sizeof st.PvTable[0]);
    if (found == wanted) {
        // MultiPV 1 (lines searched only for a strength level's choice)
        // shows the best line as a search of one line does.
        if (MultiPvLines == 1) SendRootInfoLine(Lines[0].Score);
        for (int k = 0; k < found; ++k) {
            if (MultiPvLines > 1 && k < MultiPvLines) SendMultiPvLine(k + 1, Lines[k].Score, Lines[k].Moves);
            PreviousLines[k] = Lines[k];
        }
        PreviousCount = found;
        PreviousDepth = st.IterationDepth;
    }
    return Lines[0].Score;
}

int PlayChosenRootLine(const StrengthLevel& level, int score) {
    SearchThread& st = *ThreadSearch;
    if (PreviousCount == 0) return score;
    // A proven mate for either side is not given away by the choice, and a
    // line that is mated lies beyond every margin: it is never chosen.
    const int best = PreviousLines[0].Score;
    const bool mate = best > MateBound || best < -MateBound;
    int scores[MaxLines] = {};
    for (int k = 0; k < PreviousCount; ++k) {
        const int lineScore = PreviousLines[k].Score;
        scores[k] = lineScore < -MateBound ? best - level.MarginCp - 1 : lineScore;
    }
    const int chosen = mate ? 0 : ChooseRootLine(scores, PreviousCount, level);
    std::memcpy(st.PvTable[0], PreviousLines[chosen].Moves, sizeof st.PvTable[0]);
    // The line shown with the answer names the depth the choice was made at.
    st.IterationDepth = PreviousDepth;
    return PreviousLines[chosen].Score;
}
