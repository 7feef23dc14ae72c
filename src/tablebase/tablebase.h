// Syzygy endgame tables, probed through the Fathom library when the engine
// is built with it (QUILL_SYZYGY). With no folder set nothing is probed and
// no output changes: TablebaseReach stays 0 and every probe fails at once.
#pragma once

#include <cstdint>
#include <string>

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
// The root (ply 0, its prepared move list): for each list entry 1..MoveCount
// its result (-2..2 as ProbeTablebaseWdl, NotATableMove when the tables do
// not list it) and its distance to zeroing in plies (0 with WDL files alone),
// the position's fifty-move count taken into account. False when the tables
// do not hold the root. Counts one hit.
constexpr int NotATableMove = -3;
bool ProbeTablebaseRoot(int* resultOf, int* dtzOf);
// The tbhits count starts again at 0 (a new search).
void ResetTablebaseHits();
// " tbhits N" while tables are loaded, otherwise empty.
std::string TablebaseHitsText();
