// Position set-up: the initial position, a FEN, and legal moves played on ply 0.
#include "board/setup.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "board/board.h"

namespace {

// Forgets every game-history record: a fresh set-up knows no earlier position.
void ClearGameHistory() {
    BoardTables& bt = *ThreadBoard;
    for (GameHistoryRecord& h : bt.GameHistory) h = GameHistoryRecord{0, 0, 0, 0, -1};
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::string current;
    for (char c : text) {
        if (c == ' ') {
            if (!current.empty()) fields.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) fields.push_back(current);
    return fields;
}

int PieceFromLetter(char c) {
    switch (c) {
        case 'P': return WhitePawn;
        case 'N': return WhiteKnight;
        case 'B': return WhiteBishop;
        case 'R': return WhiteRook;
        case 'Q': return WhiteQueen;
        case 'K': return WhiteKing;
        case 'p': return BlackPawn;
        case 'n': return BlackKnight;
        case 'b': return BlackBishop;
        case 'r': return BlackRook;
        case 'q': return BlackQueen;
        case 'k': return BlackKing;
        default: return Empty;
    }
}

// Piece placement from rank 8 down; false when it runs off the board.
bool ReadPlacement(const std::string& field, PlyPosition& p) {
    int rank = LastRank, file = FirstFile;
    for (char c : field) {
        if (c == '/') {
            if (rank == FirstRank) return false;
            --rank;
            file = FirstFile;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > LastFile + 1) return false;
        } else if (int piece = PieceFromLetter(c); piece != Empty) {
            if (file > LastFile) return false;
            p.Board[SquareAt(file, rank)] = static_cast<uint8_t>(piece);
            ++file;
        }
        // Any other character is skipped.
    }
    return true;
}

// Exactly one king per side, at most 16 pieces and 8 pawns per side, and no
// pawn on the first or last rank. The failed check goes to why.
bool PiecesPlayable(const PlyPosition& p, std::string& why) {
    int kings[2] = {0, 0}, pieces[2] = {0, 0}, pawns[2] = {0, 0};
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        const int piece = p.Board[sq];
        if (piece == Empty) continue;
        const int side = ColourOf[piece];
        ++pieces[side];
        if (piece == WhiteKing || piece == BlackKing) ++kings[side];
        if (piece == WhitePawn || piece == BlackPawn) {
            ++pawns[side];
            if (RankOf[sq] == FirstRank || RankOf[sq] == LastRank) {
                why = "a pawn stands on the first or last rank";
                return false;
            }
        }
    }
    for (int side = 0; side < 2; ++side) {
        const std::string name = side == White ? "white" : "black";
        if (kings[side] != 1) why = name + " has " + std::to_string(kings[side]) + " kings instead of one";
        else if (pieces[side] > 16) why = name + " has more than 16 pieces";
        else if (pawns[side] > 8) why = name + " has more than 8 pawns";
        else continue;
        return false;
    }
    return true;
}

// The square of a side's king when it stands on the side's first rank, else 0.
int KingOnFirstRank(const PlyPosition& p, Side side) {
    const int first = QueenRookHome[side];  // a1 or a8
    for (int sq = first; sq < first + 8; ++sq)
        if (p.Board[sq] == PieceOf(side, King)) return sq;
    return 0;
}

// The outermost rook of a side on one wing of its king on the first rank, or 0.
int OutermostRook(const PlyPosition& p, Side side, int king, bool kingSide) {
    const int first = QueenRookHome[side], rook = PieceOf(side, Rook);  // a1 or a8
    if (kingSide) {
        for (int sq = first + 7; sq > king; --sq)
            if (p.Board[sq] == rook) return sq;
    } else {
        for (int sq = first; sq < king; ++sq)
            if (p.Board[sq] == rook) return sq;
    }
    return 0;
}

// The castling field, into the rights of p and the game's castling set-up.
// "K", "Q", "k", "q" name the outermost rook on that wing (X-FEN; for the
// standard squares, the corner rook); such a letter is skipped when the
// king is not on its first rank or no rook stands on that wing. A file
// letter (Shredder-FEN "HAha", or X-FEN's letter for an inner rook) names
// the castling rook's file: without the side's king on its first rank and
// the side's rook on that file, the FEN is refused (false, the reason in
// why). Any other character (such as "-") is skipped.
bool ReadCastling(const std::string& field, PlyPosition& p, CastlingSetup& setup, std::string& why) {
    const int king[2] = {KingOnFirstRank(p, White), KingOnFirstRank(p, Black)};
    int rook[4] = {0, 0, 0, 0};
    for (char c : field) {
        const bool lower = c >= 'a' && c <= 'z';
        const Side side = lower ? Black : White;
        const char letter = lower ? c : static_cast<char>(c - 'A' + 'a');
        if (letter == 'k' || letter == 'q') {
            if (king[side] == 0) continue;
            const int found = OutermostRook(p, side, king[side], letter == 'k');
            if (found != 0) rook[CastleRightOf(side, letter == 'k')] = found;
        } else if (letter >= 'a' && letter <= 'h') {
            const int sq = QueenRookHome[side] + (letter - 'a');
            char refusal[64];
            if (king[side] == 0)
                std::snprintf(refusal, sizeof refusal, "castling letter %c has no king on its first rank", c);
            else if (p.Board[sq] != PieceOf(side, Rook))
                std::snprintf(refusal, sizeof refusal, "castling letter %c has no rook on %c%c", c, letter,
                              side == White ? '1' : '8');
            else refusal[0] = 0;
            if (refusal[0] != 0) {
                why = refusal;
                return false;
            }
            rook[CastleRightOf(side, sq > king[side])] = sq;
        }
    }
    for (int r = 0; r < 4; ++r) p.CastleRights[r] = rook[r] != 0 ? 1 : 0;
    ArrangeCastling(setup, king, rook, p.CastleRights);
    return true;
}

// En-passant file, kept only when the opponent's pawn stands where its double
// step ended and the two squares it crossed are empty.
int ReadEpFile(const std::string& field, const PlyPosition& p) {
    if (field.empty() || field[0] < 'a' || field[0] > 'h') return 0;
    const int file = field[0] - 'a' + 1;
    const bool whiteToMove = p.SideToMove == White;
    if (field.size() > 1 && field[1] != (whiteToMove ? '6' : '3')) return 0;
    const int landed = SquareAt(file, whiteToMove ? 5 : 4);
    const int crossed = SquareAt(file, whiteToMove ? 6 : 3);
    const int origin = SquareAt(file, whiteToMove ? 7 : 2);
    const int pawn = whiteToMove ? BlackPawn : WhitePawn;
    if (p.Board[landed] != pawn || p.Board[crossed] != Empty || p.Board[origin] != Empty) return 0;
    return file;
}

// Halfmove clock: a decimal number, 0 when missing, at most 100 (beyond it
// the fifty-move count has run out anyway).
int ReadClock(const std::string& field) {
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
        if (value > FiftyMoveRulePlies) value = FiftyMoveRulePlies;
    }
    return value;
}

// SetupFen with the failed check in why.
bool TrySetupFen(const std::string& fen, std::string& why) {
    BoardTables& bt = *ThreadBoard;
    const std::vector<std::string> fields = SplitFields(fen);
    if (fields.empty()) {
        why = "the FEN is empty";
        return false;
    }
    // The candidate is built and checked in ply 1, which only the searches
    // use; ply 0 changes only when the whole FEN is accepted.
    PlyPosition& p = bt.PositionStack[1];
    std::memset(&p, 0, sizeof p);
    if (!ReadPlacement(fields[0], p)) {
        why = "the piece placement runs off the board";
        return false;
    }
    if (!PiecesPlayable(p, why)) return false;
    p.SideToMove = fields.size() > 1 && fields[1][0] == 'b' ? Black : White;
    CastlingSetup castling;
    if (!ReadCastling(fields.size() > 2 ? fields[2] : std::string(), p, castling, why)) return false;
    if (fields.size() > 3) p.EpFile = ReadEpFile(fields[3], p);
    p.HalfmoveClock = fields.size() > 4 ? ReadClock(fields[4]) : 0;

    // The side that is not to move must not be in check.
    int kingSquare[2] = {0, 0};
    for (int sq = FirstSquare; sq <= LastSquare; ++sq) {
        if (p.Board[sq] == WhiteKing) kingSquare[White] = sq;
        if (p.Board[sq] == BlackKing) kingSquare[Black] = sq;
    }
    ComputeSquareSets(p);
    const Side waiting = 1 - p.SideToMove;
    if (AttackingSquare(1, kingSquare[waiting], p.SideToMove) != 0) {
        why = "the side not to move is in check";
        return false;
    }
    p.KingSquare[White] = kingSquare[White];
    p.KingSquare[Black] = kingSquare[Black];
    p.MoveCount = -1;

    bt.PositionStack[0] = p;
    bt.Castling = castling;
    ClearGameHistory();
    PrepareRoot();
    return true;
}

}  // namespace

void SetupStart() {
    SetStartPosition();  // with the castling set-up of the initial position
    ClearGameHistory();
    PrepareRoot();
}

// Plays one move on ply 0 when it is legal there: it must be in the root list
// and must not leave the mover's king attacked. promotion is 'n', 'b', 'r',
// 'q' or 0.
bool PlayMove(int from, int to, char promotion) {
    BoardTables& bt = *ThreadBoard;
    PrepareRoot();
    PlyPosition& root = bt.PositionStack[0];
    const Side s = root.SideToMove;
    const int piece = root.Board[from];

    int toByte = to;
    if (piece == PieceOf(s, Pawn) && RankOf[to] == (s == White ? LastRank : FirstRank)) {
        const char* letters = "nbrq";
        const char* at = promotion != 0 ? std::strchr(letters, promotion) : nullptr;
        if (at == nullptr) return false;  // a pawn reaching its last rank must promote
        toByte = to + (s == White ? WhitePromotionBase : BlackPromotionBase) +
                 PromotionByteStep * static_cast<int>(at - letters);
    }
    int entry = 0;
    for (int n = 1; n <= root.MoveCount; ++n) {
        if (bt.MoveList[0][n].From == from && bt.MoveList[0][n].To == toByte) {
            entry = n;
            break;
        }
    }
    if (entry == 0) return false;
    MakeMove(1, entry);
    if (!MoveWasLegal(1)) return false;

    const PlyPosition& next = bt.PositionStack[1];
    int clock = next.HalfmoveClock;
    if (clock > HistoryRecords - 1) {
        // The history keeps the latest 101 positions: the oldest goes.
        std::memmove(&bt.GameHistory[0], &bt.GameHistory[1], sizeof(GameHistoryRecord) * (HistoryRecords - 1));
        clock = HistoryRecords - 1;
    }
    bt.GameHistory[clock].MovedPiece = static_cast<uint8_t>(piece);
    bt.GameHistory[clock].FromSquare = static_cast<uint8_t>(from);

    std::memcpy(root.Board, next.Board, sizeof root.Board);
    std::memcpy(root.PieceSquares, next.PieceSquares, sizeof root.PieceSquares);
    std::memcpy(root.SideSquares, next.SideSquares, sizeof root.SideSquares);
    std::memcpy(root.CastleRights, next.CastleRights, sizeof root.CastleRights);
    root.EpFile = next.EpFile;
    root.HalfmoveClock = clock;
    root.SideToMove = next.SideToMove;
    return true;
}

bool SetupFen(const std::string& fen, std::string* why) {
    std::string reason;
    const bool accepted = TrySetupFen(fen, reason);
    if (!accepted && why != nullptr) *why = reason;
    return accepted;
}
