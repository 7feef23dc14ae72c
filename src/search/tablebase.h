// Syzygy endgame tables, probed through the Fathom library when the engine
// is built with it (QUILL_SYZYGY). With no folder set nothing is probed and
// no output changes: TablebaseReach stays 0 and every hook returns at once.
#pragma once

#include <cstdint>
#include <string>

// A position the tables show as won scores TablebaseWinScore - ply (lost:
// the negative): beyond every evaluation, below every mate score (those lie
// beyond +-MateBound = 20000), shorter wins higher. Sent as "score cp".
constexpr int TablebaseWinScore = 19000;

// Whether this build can probe tables (the Syzygy options exist).
bool TablebasesBuiltIn();

// The options. SetTablebasePath takes a list of folders separated by ':' (';'
// on Windows), reports unreadable folders and what was found with "info
// string" lines, and empties "<empty>" or "" the tables.
void SetTablebasePath(const std::string& path);
extern int TablebaseProbeDepth;           // SyzygyProbeDepth: plies left a node needs to probe
extern bool TablebaseRule50;              // Syzygy50MoveRule: a win spoilt by the fifty-move rule is a draw
void SetTablebaseProbeLimit(int pieces);  // SyzygyProbeLimit
int TablebaseProbeLimit();

// Most pieces a probed position may have: the largest table found, at most
// the probe limit; 0 while no tables are loaded (the searches' only test).
extern int TablebaseReach;
// Number of tables (WDL files) loaded; 0 when none.
int TablebaseCount();

// WDL result of the position at ply from the side to move's view: 2 win,
// 1 cursed win, 0 draw, -1 blessed loss, -2 loss; false when the tables do
// not hold it (or it has castling rights or a running fifty-move count).
bool ProbeTablebaseWdl(int ply, int& wdl);
// A search node (ply >= 1, not a threat child) that the tables decide: just
// after a capture or pawn move, no castling rights, at least
// SyzygyProbeDepth plies left. Counts the node, stores the result in the
// table as an exact score and gives it in score.
bool TablebaseDecidesNode(int ply, int limit, bool threatChild, int& score);

// Root of a search (the prepared ply 0, already cut to "searchmoves"): when
// the tables hold it, keeps only the moves with the best result, ordered by
// distance to zeroing, and keeps the root's table entry out of play. Resets
// the tbhits count. True when the root list was narrowed this way.
bool NarrowRootToTablebase();
// The score reported for the root: the tables' result while the root is in
// them (a mate the search proves for the same side stays), else score.
int TablebaseRootScore(int score);
// After the search, in a root the tables decide: the move played has the
// shortest distance to zeroing among the winning moves (a cursed win
// included), the longest among the losing ones; the search's move when it
// ties. A won ending thus always progresses, whatever score the search claims.
void ChooseTablebaseRootMove();
// The search has answered: the root's result and the tbhits count are
// forgotten (a root without moves, which is not probed, shows tbhits 0).
void EndTablebaseSearch();
// " tbhits N" while tables are loaded, otherwise empty.
std::string TablebaseHitsText();
