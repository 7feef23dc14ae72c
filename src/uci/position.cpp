// The "position" command: set-up from the initial position or a FEN, the
// continuation of the previous command, and the moves played on ply 0.
#include "uci/position.h"

#include "board/board.h"
#include "board/movetext.h"
#include "board/setup.h"
#include "search/info.h"
#include "search/tables.h"
#include "search/threads.h"

std::string LastPositionLine;

namespace {

// Reads coordinate moves from text[start..] and plays them; false at the
// first move that is not legal (the moves before it stay played).
bool PlayMoves(const std::string& text, std::size_t start) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    int file = 0, from = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= 'a' && c <= 'h') {
            file = c - 'a' + 1;
            continue;
        }
        if (c < '1' || c > '8' || file == 0) continue;
        const int square = (c - '1') * 8 + file;
        file = 0;
        if (from == 0) {
            from = square;
            continue;
        }
        char promotion = 0;
        const PlyPosition& root = bt.PositionStack[0];
        const int piece = root.Board[from];
        const Side s = root.SideToMove;
        if (piece == PieceOf(s, Pawn) && RankOf[square] == (s == White ? LastRank : FirstRank) && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == 'b' || next == 'r' || next == 'q') {
                promotion = next;
                ++i;
            }
        }
        if (!PlayMove(from, square, promotion)) {
            std::string played = SquareName(from) + SquareName(square);
            if (promotion != 0) played += promotion;
            SendInfoString("illegal move " + played + " in the move list; it and the moves after it are not played");
            return false;
        }
        // A move the game played is no longer credited by the history heuristic.
        st.HistoryTable[from][square] = 0;
        from = 0;
    }
    return true;
}

}  // namespace

void SetPosition(const std::string& lower, const std::string& raw) {
    std::size_t movesFrom = std::string::npos;
    const std::size_t previous = LastPositionLine.empty() ? std::string::npos : lower.find(LastPositionLine);
    if (previous != std::string::npos) {
        // The GUI repeats its last command with moves appended: only the new
        // moves are played, on the position the last command left.
        ShiftThreadTables();
        movesFrom = previous + LastPositionLine.size();
    } else {
        std::size_t movesAt = std::string::npos;
        if (lower.find(" startpos") != std::string::npos) {
            SetupStart();
            movesAt = lower.find(" moves ");
        } else if (std::size_t fenAt = lower.find(" fen "); fenAt != std::string::npos) {
            // The FEN is read from the text as received: piece letters keep their case.
            const std::size_t begin = fenAt + 5;
            movesAt = lower.find(" moves ", begin);
            const std::size_t end = movesAt == std::string::npos ? raw.size() : movesAt;
            std::string why = "the line was changed in reading";
            if (raw.size() != lower.size() || !SetupFen(raw.substr(begin, end - begin), &why)) {
                SendInfoString("FEN rejected: " + why + "; the previous position stays");
                LastPositionLine.clear();
                return;
            }
        } else {
            SendInfoString("position needs startpos or fen; the previous position stays");
            LastPositionLine.clear();
            return;
        }
        if (movesAt != std::string::npos) movesFrom = movesAt + 7;
    }
    const bool allPlayed = movesFrom == std::string::npos || PlayMoves(lower, movesFrom);
    PrepareRoot();
    if (allPlayed) LastPositionLine = raw;
    else LastPositionLine.clear();
}
