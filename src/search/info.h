// The lines the searches send to the GUI, formatted in one place.
#pragma once

#include <cstdint>
#include <string>

#include "board/board.h"
#include "platform/output.h"
#include "search/limits.h"

// " score cp N", " score mate N" or " score mate -N" for a score, followed
// by " wdl W D L" when UCI_ShowWDL is on.
std::string ScoreText(int score);
// "info nodes N time T nps P" for N nodes searched in elapsedMs milliseconds.
std::string SpeedLine(uint64_t nodes, double elapsedMs);
// " pv" followed by the legal leading part (at most maxMoves) of a line from
// the root; empty when not even its first move is legal there.
std::string LineText(const Move* line, int maxMoves);
// LineText of row 0 of the PvTable.
std::string PvText(int maxMoves);

// While set (a search of several principal variations runs its passes), the
// root's own "info depth" lines are not sent: the driver reports the ranked
// lines once per iteration.
extern bool RootLinesMuted;
// The root "info depth" line: depth, seldepth, score, nodes, time and the
// principal variation, at most pvMoves of it.
void SendRootInfoLine(int score, int pvMoves = LastLineSlot + 1);
// The same line for line number rank (1 = best) of several principal
// variations: "info depth D seldepth S multipv K score ... pv ...".
void SendMultiPvLine(int rank, int score, const Move* line);
// The first move of the last principal variation sent in this search (the
// best line when several are reported); the empty move before any.
Move LastReportedMove();
void ForgetReportedMove();
// The root's "info depth ... currmove ... currmovenumber ... nodes" progress line.
void SendCurrMoveLine(Move move, int number);
// The speed line after an iteration and before "bestmove".
void SendSpeedLine(uint64_t nodes, double elapsedMs);
// "bestmove" and the move, with " ponder" and the expected reply when there is one.
void SendBestMove(Move move, Move ponder = Move{0, 0});
