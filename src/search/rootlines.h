// The root's move list for searches that do not look at every root move in
// one pass: "go searchmoves" and several principal variations (MultiPV).
#pragma once

// Keeps in the prepared root list only the legal moves that the "go
// searchmoves" line names; when it names none that is legal, the whole list
// stays (and an "info string" says so). True when the list was restricted:
// the root's table entry is then left alone and the iterations start at 3.
bool RestrictRootToSearchMoves();
// Undoes the table restriction at the end of a search.
void EndRootRestriction();

struct StrengthLevel;

// Takes the root's legal moves as the candidates of a search of several
// lines, lines of them per iteration (MultiPV, or more for a strength
// level's choice); restricted tells whether searchmoves already cut the list.
void PrepareRootLines(bool restricted, int lines);
// The number of candidates (the legal root moves searched).
int RootLineCandidates();
// One iteration of a search of several lines: the root is searched once per
// line, each time without the moves already chosen in this iteration. The
// lines of a complete iteration are ranked by score and reported with their
// "multipv" numbers (the first MultiPV of them; with MultiPV 1 the best as a
// plain line); row 0 of the PvTable then holds the best line. Returns the
// best line's score, or previousScore when the first pass was cut short.
int SearchRootLines(int previousScore);
// The end of a limited search: row 0 of the PvTable becomes the line the
// level chooses among the last complete iteration's ranked lines; returns
// its score (score when no iteration completed, row 0 then stays).
int PlayChosenRootLine(const StrengthLevel& level, int score);
