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

// Takes the root's legal moves as the candidates of a search of several
// lines; restricted tells whether searchmoves already cut the list.
void PrepareRootLines(bool restricted);
// The number of candidates (the legal root moves searched).
int RootLineCandidates();
// One iteration of a search of several lines: the root is searched once per
// line, each time without the moves already chosen in this iteration. The
// lines of a complete iteration are ranked by score and reported with their
// "multipv" numbers; row 0 of the PvTable then holds the best line. Returns
// the best line's score, or previousScore when the first pass was cut short.
int SearchRootLines(int previousScore);
