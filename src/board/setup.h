// Position set-up in ply 0: the initial position, a FEN, and moves played on it.
#pragma once

#include <string>

// Sets up ply 0 from a FEN and prepares the root; false (ply 0 unchanged)
// when the FEN does not describe a playable position. why, when given,
// receives the check that failed.
bool SetupFen(const std::string& fen, std::string* why = nullptr);

// Puts the initial position into ply 0 with an empty game history and
// prepares the root.
void SetupStart();

// Plays one move on ply 0 when it is legal there: it must be in the root list
// and must not leave the mover's king attacked. promotion is 'n', 'b', 'r',
// 'q' or 0 (a pawn reaching its last rank needs one). The move is recorded in
// the game history; false leaves ply 0 as it was.
bool PlayMove(int from, int to, char promotion);
