// MoveText: a Move as UCI coordinate text, with the promotion letter.
#include "board/movetext.h"

namespace {
void PutSquare(char* out, int square) {
    out[0] = static_cast<char>('a' + FileOf[square] - FirstFile);
    out[1] = static_cast<char>('1' + RankOf[square] - FirstRank);
}
}  // namespace

std::string SquareName(int square) {
    char name[2];
    PutSquare(name, square);
    return std::string(name, 2);
}

std::string MoveText(Move move) {
    int to = move.To;
    // The empty move, and to-bytes that no move carries, read as the null move.
    if (move.From < FirstSquare || move.From > LastSquare || !IsValidToByte(to)) return " 0000";
    int destination = DestinationOf(to);
    static constexpr char Letters[4] = {'n', 'b', 'r', 'q'};
    char text[6] = {' '};
    PutSquare(text + 1, move.From);
    PutSquare(text + 3, destination);
    if (!IsPromotion(move)) return std::string(text, 5);
    text[5] = Letters[(PromotedPiece(to) - 2) % 6];  // 2..5 white, 8..11 black
    return std::string(text, 6);
}
