// Score conventions and the depth and ply limits of the searches.
#pragma once

#include "board/board.h"

// Score conventions, from the side to move's point of view.
constexpr int ScoreInfinity = 30001;           // the full window
constexpr int MateScore = 30000;               // mated on the board scores -MateScore
constexpr int MateInOneScore = MateScore - 1;  // a move that mates on the board, seen from its node
constexpr int MateBound = 20000;               // scores beyond +-MateBound are mate scores
constexpr int NoScore = 32000;                 // "no information" marker

// The depth left that a child needs to show a mate as short as the one a
// winning mate score stands for (best > MateBound): the mate in hand, found
// by a move this node has searched, shortens the search of its other moves.
inline int MateInHandDepth(int best) { return ScoreInfinity - best; }
// The same for a mate score the table reports before any move is searched:
// one ply more, as the table's score has not yet moved a point toward zero
// on its way back through this node.
inline int TableMateDepth(int best) { return MateInHandDepth(best) + 1; }

// The deepest iteration; a "go depth" or a bench depth beyond it is cut to it.
constexpr int MaxSearchDepth = 79;
// Stored depth of a table entry that holds at any depth (a proven mate, a
// position without moves, a dead draw): no search asks for more.
constexpr int AnyDepth = MaxSearchDepth;
// A node at its horizon extends only below this ply; from it on the
// quiescence search makes no moves.
constexpr int HorizonPlyLimit = MaxSearchDepth;
// Check extensions, the extension of a move, and the one-ply search that the
// quiescence search gives an unknown position in check, only below this ply.
constexpr int ExtensionPlyLimit = MaxSearchDepth - 1;
// Highest ply at which a node may still make moves: MakeMove builds plies up
// to MaxPly - 1, and a node at this ply writes ply + 1.
constexpr int DeepestSearchPly = MaxPly - 3;
// The last slot of a line that the searches merge and copy (row 0 and the
// lines behind it hold at most MaxSearchDepth + 1 moves).
constexpr int LastLineSlot = MaxSearchDepth + 1;
static_assert(AnyDepth <= 127, "stored depths are kept in a signed byte");
static_assert(LastLineSlot + 1 < MaxPly, "a merged line stays inside its row");

// The first iteration of a search is at least this deep.
constexpr int MinStartDepth = 3;
// The clock's budget can cut an iteration only from this depth on; the
// shallower ones stop only at the clock's hard limit.
constexpr int BudgetCheckFromDepth = 4;
// The root is searched by PvSearch from this iteration depth on (AlphaBeta
// below it), by the main search thread and by the helpers alike.
constexpr int PvSearchFromDepth = 4;
// A PvSearch node hands children with fewer plies left than this (and every
// zero-window child) to AlphaBeta.
constexpr int PvChildMinimumDepth = 3;
// The root reports each move it starts ("currmove") from this depth on.
constexpr int CurrMoveFromDepth = 6;
