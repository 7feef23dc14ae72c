// Coordinate text of moves and squares.
#pragma once

#include <string>

#include "board/board.h"

// Two-character name of square 1..64 ("a1".."h8").
std::string SquareName(int square);
// " e2e4", " e7e8q": always begins with a blank. The empty move is " 0000".
std::string MoveText(Move move);
