// The search's use of the Syzygy tables (the probing itself is the
// tablebase floor's). While no tables are loaded every hook returns at once.
#pragma once

#include "tablebase/tablebase.h"

// A position the tables show as won scores TablebaseWinScore - ply (lost:
// the negative): beyond every evaluation, below every mate score (those lie
// beyond +-MateBound = 20000), shorter wins higher. Sent as "score cp".
constexpr int TablebaseWinScore = 19000;

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
