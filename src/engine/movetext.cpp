// MoveText: a Move as UCI coordinate text, with the promotion letter.
#include "engine/movetext.h"

std::string SquareName(int square) {
    std::string name(2, ' ');
    name[0] = static_cast<char>('a' + (square - 1) % 8);
    name[1] = static_cast<char>('1' + (square - 1) / 8);
    return name;
}

std::string MoveText(Move move) {
    if (move.From < 1 || move.From > 64 || move.To == 0) return " 0000";
    std::string text = " " + SquareName(move.From);
    int to = move.To;
    if (to <= 64) return text + SquareName(to);
    static constexpr char Letters[4] = {'n', 'b', 'r', 'q'};
    int piece = PromotedPiece(to);           // 2..5 white, 8..11 black
    int destination = DestinationOf(to);
    if (to > 148 || destination < 1 || destination > 64) return " 0000";  // no move carries such a byte
    text += SquareName(destination);
    text += Letters[(piece - 2) % 6];
    return text;
}
