// The lines the searches send to the GUI, formatted in one place.
#pragma once

#include <cstdint>
#include <string>

#include "board/board.h"

// " score cp N", " score mate N" or " score mate -N" for a score.
std::string ScoreText(int score);
// "info nodes N time T nps P" for N nodes searched in elapsedMs milliseconds.
std::string SpeedLine(uint64_t nodes, double elapsedMs);
// " pv" followed by the legal leading part (at most maxMoves) of row 0 of the PvTable.
std::string PvText(int maxMoves);

// The root "info depth" line: depth, seldepth, score, nodes, time and the
// principal variation, at most pvMoves of it.
void SendRootInfoLine(int score, int pvMoves = 81);
// The root's "info depth ... currmove ... currmovenumber ... nodes" progress line.
void SendCurrMoveLine(Move move, int number);
// The speed line after an iteration.
void SendSpeedLine(uint64_t nodes, double elapsedMs);
// "bestmove" and the move.
void SendBestMove(Move move);
