// GenerateMoves: the pseudo-legal moves of the side to move at a ply, in the
// fixed board order, in one of four modes chosen from the check situation.
#include <cassert>

#include "board/board.h"

namespace {

enum class GenerationMode { Full, CapturesOnly, Evasions, ContactEvasions };

// Everything one generation call needs, kept together so the helpers below
// stay small. The helpers are all inlined into GenerateMoves, so this record
// lives in registers rather than in memory that every list write could touch.
struct Generation {
    int Ply;
    Side Us;
    int EnemyKing;
    int Checker;
    GenerationMode Mode;
    bool Quiet;         // quiet moves wanted (Full or Evasions)
    uint64_t Occupied;  // occupied squares, bit s - 1 for square s
    const uint8_t* Board;
    Move* List;
    int Count;  // entries used; written to the ply's MoveCount at the end
    bool KingCaptured;
};

// Highest entry number a list may use (entries start at 1).
constexpr int LastEntry = MoveListCapacity - 1;

inline void Add(Generation& g, int from, int to) {
    // More moves than the list holds cannot come from a real game position;
    // the surplus is dropped rather than written past the list.
    if (g.Count >= LastEntry) return;
    ++g.Count;
    g.List[g.Count] = Move{static_cast<uint8_t>(from), static_cast<uint8_t>(to)};
}

// The enemy king can be taken: the previous move was illegal. The list
// becomes just that capture.
inline void KingCapture(Generation& g, int from, int to) {
    g.Count = 1;
    g.List[1] = Move{static_cast<uint8_t>(from), static_cast<uint8_t>(to)};
    g.KingCaptured = true;
}

inline bool QuietAllowed(const Generation& g) {
    return g.Mode == GenerationMode::Full || g.Mode == GenerationMode::Evasions;
}

// Four promotions (knight, bishop, rook, queen) of a pawn arriving on dest.
inline void AddPromotions(Generation& g, int from, int dest) {
    const int base = dest + (g.Us == White ? WhitePromotionBase : BlackPromotionBase);
    for (int k = 0; k < PromotionKinds; ++k) Add(g, from, base + PromotionByteStep * k);
}

// A pawn capture towards c (already known to be on the board).
inline void PawnCapture(Generation& g, int from, int c, bool lastRank) {
    if (g.Checker != 0 && g.Checker != c) return;
    const int piece = g.Board[c];
    if (ColourOf[piece] != 1 - g.Us) return;
    if (piece == g.EnemyKing) return KingCapture(g, from, c);
    if (lastRank) AddPromotions(g, from, c);
    else Add(g, from, c);
}

[[gnu::always_inline]] inline void PawnMoves(Generation& g, int f) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[g.Ply];
    const bool white = g.Us == White;
    // A pawn on its own last rank has no square in front; such a pawn never
    // stands on a set-up board, but the board is not trusted blindly.
    if (RankOf[f] == (white ? LastRank : FirstRank)) return;
    const int t = white ? f + RankStep : f - RankStep;
    const bool lastRank = RankOf[t] == (white ? LastRank : FirstRank);

    if (g.Mode != GenerationMode::ContactEvasions && g.Board[t] == Empty) {
        if (lastRank) {
            AddPromotions(g, f, t);
        } else if (QuietAllowed(g)) {
            Add(g, f, t);
            const int beyond = white ? t + RankStep : t - RankStep;
            if (RankOf[f] == (white ? FirstRank + 1 : LastRank - 1) && g.Board[beyond] == Empty) Add(g, f, beyond);
        }
    }
    if (FileOf[t] != FirstFile) {
        PawnCapture(g, f, t - 1, lastRank);
        if (g.KingCaptured) return;
    }
    if (FileOf[t] != LastFile) {
        PawnCapture(g, f, t + 1, lastRank);
        if (g.KingCaptured) return;
    }
    // En passant: EpFile names the file of the pawn that just made a double
    // step beside this one.
    if (p.EpFile > 0 && RankOf[t] == (white ? LastRank - 2 : FirstRank + 2) &&
        (g.Ply == 0 || p.SideToMove != bt.PositionStack[g.Ply - 1].SideToMove)) {
        if (p.EpFile == FileOf[t] + 1) Add(g, f, t + 1);
        else if (p.EpFile == FileOf[t] - 1) Add(g, f, t - 1);
    }
}

[[gnu::always_inline]] inline void KnightMoves(Generation& g, int f) {
    for (int i = 0; i < TargetSlots; ++i) {
        const int t = KnightTargets[f][i];
        if (t == 0) break;
        const int piece = g.Board[t];
        if (piece == Empty) {
            if (g.Quiet) Add(g, f, t);
            continue;
        }
        if (g.Checker != 0 && g.Checker != t) continue;
        if (ColourOf[piece] != 1 - g.Us) continue;
        if (piece == g.EnemyKing) return KingCapture(g, f, t);
        Add(g, f, t);
    }
}

// One ray of a bishop, rook or queen: the empty squares up to the first
// occupied one (found from the occupancy mask), then that square when it
// holds an enemy piece. Returns false after a king capture.
// The direction is a template argument so that each ray's step, and which
// end of its blocker mask is nearest, are constants.
template <int direction>
[[gnu::always_inline]] inline bool SlideRay(Generation& g, int f) {
    constexpr int step = RaySteps[direction];
    const uint64_t blockers = g.Occupied & RayMask[f][direction];
    // The ray runs upwards for a positive step, so its nearest occupied
    // square is the lowest bit; downwards, the highest.
    int end = 0;
    if (blockers != 0) end = step > 0 ? std::countr_zero(blockers) + 1 : LastSquare - std::countl_zero(blockers);
    if (g.Quiet) {
        const int stop = end != 0 ? end : f + step * (RayLength[f][direction] + 1);
        for (int t = f + step; t != stop; t += step) Add(g, f, t);
    }
    if (end == 0) return true;
    const int piece = g.Board[end];
    if (ColourOf[piece] == g.Us) return true;
    if (piece == g.EnemyKing) {
        KingCapture(g, f, end);
        return false;
    }
    if (g.Checker == 0 || g.Checker == end) Add(g, f, end);
    return true;
}

// The rays of RaySteps in their order: the diagonals, the straight lines.
// Each stops the piece's moves after a king capture.
[[gnu::always_inline]] inline bool DiagonalMoves(Generation& g, int f) {
    return SlideRay<NorthEast>(g, f) && SlideRay<NorthWest>(g, f) && SlideRay<SouthEast>(g, f) &&
           SlideRay<SouthWest>(g, f);
}
[[gnu::always_inline]] inline bool StraightMoves(Generation& g, int f) {
    return SlideRay<North>(g, f) && SlideRay<South>(g, f) && SlideRay<East>(g, f) && SlideRay<West>(g, f);
}

// Castling in the king-takes-rook coding, queen-side first: the right
// vouches for king and rook on their start squares; the paths of both must
// be empty apart from the two of them, and the king must not stand in check
// nor cross or land on an attacked square (the landing square is tested
// again once the rook has moved, as for every king move).
[[gnu::noinline]] void CastlingOntoOwnRooks(Generation& g, int f, const PlyPosition& p, const CastlingSetup& c) {
    const Side them = 1 - g.Us;
    for (int wing = 0; wing < 2; ++wing) {
        const int right = CastleRightOf(g.Us, wing == 1);
        if (p.CastleRights[right] != 1) continue;
        const int rook = c.RookStart[right];
        if ((g.Occupied & ~SquareBit(f) & ~SquareBit(rook) & c.MustBeEmpty[right]) != 0) continue;
        bool safe = AttackingSquare(g.Ply, f, them) == 0;
        for (uint64_t left = c.KingCrosses[right]; safe && left != 0; left &= left - 1)
            safe = AttackingSquare(g.Ply, std::countr_zero(left) + 1, them) == 0;
        if (safe) Add(g, f, rook);
    }
}

[[gnu::always_inline]] inline void KingMoves(Generation& g, int f) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[g.Ply];
    for (int i = 0; i < 8; ++i) {
        const int t = KingTargets[f][i];
        if (t == 0) break;
        const int piece = g.Board[t];
        if (piece == Empty) {
            if (g.Mode != GenerationMode::CapturesOnly) Add(g, f, t);
            continue;
        }
        if (ColourOf[piece] != 1 - g.Us) continue;
        if (piece == g.EnemyKing) return KingCapture(g, f, t);
        Add(g, f, t);
    }
    if (g.Mode != GenerationMode::Full) return;
    if (bt.Castling.KingTakesRook) [[unlikely]]
        return CastlingOntoOwnRooks(g, f, p, bt.Castling);
    const Side them = 1 - g.Us;
    // The castling right vouches for king and rook on their initial squares.
    // Long castling: the king passes f - 1 to f - 2, the rook comes from f - 4 over f - 3.
    if (p.CastleRights[CastleRightOf(g.Us, false)] == 1 && f > CastlingKingStep + 1 && g.Board[f - 3] == Empty &&
        g.Board[f - 2] == Empty && AttackingSquare(g.Ply, f - 2, them) == 0 && g.Board[f - 1] == Empty &&
        AttackingSquare(g.Ply, f - 1, them) == 0)
        Add(g, f, f - CastlingKingStep);
    // Short castling: the king passes f + 1 to f + 2.
    if (p.CastleRights[CastleRightOf(g.Us, true)] == 1 && f <= LastSquare - CastlingKingStep &&
        g.Board[f + 2] == Empty && AttackingSquare(g.Ply, f + 2, them) == 0 && g.Board[f + 1] == Empty &&
        AttackingSquare(g.Ply, f + 1, them) == 0)
        Add(g, f, f + CastlingKingStep);
}

// The squares where a piece on a square could capture, as masks (bit t - 1
// for square t), indexed by piece type (2 knight .. 6 king) or, for pawns,
// by side: a piece with no enemy piece on them adds nothing to a list of
// captures, so it is passed over.
struct CaptureReachTable {
    uint64_t piece[King + 1][SquareSlots];
    uint64_t pawn[2][SquareSlots];
};

constexpr CaptureReachTable CaptureReach = [] {
    CaptureReachTable t{};
    for (int s = FirstSquare; s <= LastSquare; ++s) {
        for (int i = 0; i < TargetSlots; ++i) {
            if (KnightTargets[s][i] != 0) t.piece[Knight][s] |= SquareBit(KnightTargets[s][i]);
            if (KingTargets[s][i] != 0) t.piece[King][s] |= SquareBit(KingTargets[s][i]);
        }
        for (int d = NorthEast; d <= SouthWest; ++d) t.piece[Bishop][s] |= RayMask[s][d];
        for (int d = North; d <= West; ++d) t.piece[Rook][s] |= RayMask[s][d];
        t.piece[Queen][s] = t.piece[Bishop][s] | t.piece[Rook][s];
        for (int side = White; side <= Black; ++side) {
            if (RankOf[s] == (side == White ? LastRank : FirstRank)) continue;
            const int ahead = side == White ? s + RankStep : s - RankStep;
            if (FileOf[ahead] != FirstFile) t.pawn[side][s] |= SquareBit(ahead - 1);
            if (FileOf[ahead] != LastFile) t.pawn[side][s] |= SquareBit(ahead + 1);
        }
    }
    return t;
}();

// Files a and h, and ranks 5 and 7 of each side, as masks.
constexpr uint64_t FileA = FileSquares(1), FileH = FileSquares(8);
constexpr uint64_t PawnRanksAlwaysSeen[2] = {0x00FF00FF00000000ull, 0x000000FF00FF00ull};

// In a captures-only list, the pieces of the side that may add something:
// every piece with an enemy piece on a square it could capture on, and every
// pawn on its fifth rank (en passant) or seventh (promotions onto an empty
// square). The others certainly add nothing.
inline uint64_t MayCapture(const PlyPosition& p, Side us) {
    const uint64_t enemy = p.SideSquares[1 - us];
    const uint64_t pawns = p.PieceSquares[PieceOf(us, Pawn)];
    // Pawns with an enemy piece diagonally in front of them.
    const uint64_t pawnCaptures = us == White ? ((enemy >> 7) & ~FileA) | ((enemy >> 9) & ~FileH)
                                              : ((enemy << 9) & ~FileA) | ((enemy << 7) & ~FileH);
    uint64_t candidates = pawns & (pawnCaptures | PawnRanksAlwaysSeen[us]);
    for (uint64_t left = p.SideSquares[us] & ~pawns; left != 0; left &= left - 1) {
        const int f = std::countr_zero(left) + 1;
        if ((CaptureReach.piece[p.Board[f] - PieceOf(us, Pawn) + 1][f] & enemy) != 0) candidates |= SquareBit(f);
    }
    return candidates;
}

}  // namespace

void GenerateMoves(int ply, bool fullList) {
    BoardTables& bt = *ThreadBoard;
    PlyPosition& p = bt.PositionStack[ply];
    bt.BareKing[ply] = 1;
    p.MoveCount = 0;

    Generation g{};
    g.Ply = ply;
    g.Us = p.SideToMove;
    g.EnemyKing = PieceOf(1 - g.Us, King);
    g.Checker = bt.CheckerSquare[ply];
    g.Board = p.Board;
    g.List = bt.MoveList[ply];
    g.Count = 0;
    g.KingCaptured = false;

    if (g.Checker == 0) {
        g.Mode = fullList ? GenerationMode::Full : GenerationMode::CapturesOnly;
    } else {
        const int checkerPiece = p.Board[g.Checker];
        const int king = p.KingSquare[g.Us];
        const bool knight = checkerPiece == WhiteKnight || checkerPiece == BlackKnight;
        const bool adjacent = king >= FirstSquare && king <= LastSquare && FileOf[g.Checker] - FileOf[king] <= 1 &&
                              FileOf[king] - FileOf[g.Checker] <= 1 && RankOf[g.Checker] - RankOf[king] <= 1 &&
                              RankOf[king] - RankOf[g.Checker] <= 1;
        g.Mode = knight || adjacent ? GenerationMode::ContactEvasions : GenerationMode::Evasions;
    }

    g.Quiet = QuietAllowed(g);
    assert(SquareSetsMatch(p));
    g.Occupied = OccupiedSquares(p);

    // The side's pieces in ascending square order (in a captures-only list
    // only those that may capture).
    const uint64_t own = p.SideSquares[g.Us];
    uint64_t visited = own;  // the pieces up to a king capture, which ends the list
    for (uint64_t left = g.Mode == GenerationMode::CapturesOnly ? MayCapture(p, g.Us) : own; left != 0;
         left &= left - 1) {
        const int f = std::countr_zero(left) + 1;
        const int type = KindOf(g.Us, p.Board[f]);
        switch (type) {
            case Pawn: PawnMoves(g, f); break;
            case Knight: KnightMoves(g, f); break;
            case Bishop: DiagonalMoves(g, f); break;
            case Rook: StraightMoves(g, f); break;
            case Queen: DiagonalMoves(g, f) && StraightMoves(g, f); break;
            case King: KingMoves(g, f); break;
            default: break;
        }
        if (g.KingCaptured) {
            visited = own & (SquareBit(f) | (SquareBit(f) - 1));
            break;
        }
    }
    p.MoveCount = g.Count;
    // Only the king among the pieces visited.
    bt.BareKing[ply] = (visited & ~p.PieceSquares[PieceOf(g.Us, King)]) == 0 ? 1 : 0;
}
