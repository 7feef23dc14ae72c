// MakeMove: copies the record of ply - 1 into ply and plays one move of the
// ply - 1 move list on the copy, keeping material, key halves, square sets,
// king squares, castling rights, en-passant file, clock and state code up to
// date.
#include <cstring>

#include "board/board.h"

namespace {

inline void Toggle(PlyPosition& p, int square, int piece) {
    p.KeyLo ^= ZobristKeys[square][piece].Lo;
    p.KeyHi ^= ZobristKeys[square][piece].Hi;
}

// Castling coded as the king (on kingFrom) taking its own rook (on rookFrom):
// both leave their squares before either arrives, since a destination may be
// the other piece's start square, or the king may stay where it is.
[[gnu::noinline]] void CastleOntoOwnRook(PlyPosition& p, Side s, int kingFrom, int rookFrom) {
    const int right = CastleRightOf(s, rookFrom > kingFrom);
    const int king = p.Board[kingFrom], rook = p.Board[rookFrom];
    const int kingTo = CastleKingTarget[right], rookTo = CastleRookTarget[right];
    Toggle(p, kingFrom, king);
    Toggle(p, rookFrom, rook);
    SetSquare(p, kingFrom, Empty);
    SetSquare(p, rookFrom, Empty);
    Toggle(p, kingTo, king);
    Toggle(p, rookTo, rook);
    SetSquare(p, kingTo, king);
    SetSquare(p, rookTo, rook);
    p.KingSquare[s] = kingTo;
}

// What every move ends with: the side to move, the state code and what is
// known about a draw by repetition or by the fifty-move count.
inline void FinishMove(BoardTables& bt, int ply, PlyPosition& p, Side s) {
    p.SideToMove = 1 - s;
    p.StateCode = ComputeStateCode(p);

    if (p.HalfmoveClock > FiftyMoveRulePlies) bt.RepStatus[ply] = RepDraw;
    else if (p.HalfmoveClock > 7 || (p.HalfmoveClock > 3 && ply > 3)) bt.RepStatus[ply] = RepUnknown;
    else bt.RepStatus[ply] = RepNone;
}

}  // namespace

void MakeMove(int ply, int entry) {
    BoardTables& bt = *ThreadBoard;
    bt.BareKing[ply] = 0;

    const PlyPosition& parent = bt.PositionStack[ply - 1];
    PlyPosition& p = bt.PositionStack[ply];
    std::memcpy(&p, &parent, sizeof p);

    p.HalfmoveClock += 1;
    p.EpFile = 0;

    const Move move = bt.MoveList[ply - 1][entry];
    const int f = move.From;
    const int b = move.To;
    const Side s = p.SideToMove;
    const int piece = p.Board[f];
    bt.LastMove[ply] = LastMoveRecord{static_cast<uint8_t>(piece), static_cast<uint8_t>(f)};

    const int t = DestinationOf(b);
    const int promoted = PromotedPiece(b);

    // Castling rights go with the squares, whatever piece leaves or arrives.
    const uint8_t* lostAt = bt.Castling.LostAt;
    if (const unsigned lost = lostAt[f] | lostAt[t]; lost != 0)
        for (int r = 0; r < 4; ++r)
            if (lost & (1u << r)) p.CastleRights[r] = 0;

    const int ownPawn = PieceOf(s, Pawn), ownKing = PieceOf(s, King);
    if (piece == ownKing) {
        // Only castling in the king-takes-rook coding puts the king on its own piece.
        if (ColourOf[p.Board[t]] == s) [[unlikely]] {
            CastleOntoOwnRook(p, s, f, t);
            return FinishMove(bt, ply, p, s);
        }
        p.KingSquare[s] = t;
    }

    Toggle(p, f, piece);

    if (piece == ownPawn) {
        p.HalfmoveClock = 0;
        if (promoted != 0) {
            p.Material += PieceValue[promoted] - PieceValue[piece];
            SetSquare(p, f, promoted);
        } else if (t - f == 2 * RankStep || f - t == 2 * RankStep) {
            // A double step leaves an en-passant file only when an enemy pawn
            // stands beside the destination.
            const int enemyPawn = PieceOf(1 - s, Pawn);
            if ((FileOf[t] != FirstFile && p.Board[t - 1] == enemyPawn) ||
                (FileOf[t] != LastFile && p.Board[t + 1] == enemyPawn))
                p.EpFile = FileOf[t];
        } else if (FileOf[f] != FileOf[t] && p.Board[t] == Empty) {
            // En passant: the captured pawn stands behind the destination.
            const int e = s == White ? t - RankStep : t + RankStep;
            const int captured = p.Board[e];
            if (captured != Empty) {
                Toggle(p, e, captured);
                p.Material -= PieceValue[captured];
                SetSquare(p, e, Empty);
            }
        }
    } else if (piece == ownKing && (t - f == CastlingKingStep || f - t == CastlingKingStep)) {
        // Castling in the standard coding: the rook comes from its corner.
        const int r = t > f ? KingRookHome[s] : QueenRookHome[s];
        const int rookTo = t > f ? t - 1 : t + 1;
        const int rook = p.Board[r];
        if (rook != Empty) {
            Toggle(p, r, rook);
            Toggle(p, rookTo, rook);
            SetSquare(p, rookTo, rook);
            SetSquare(p, r, Empty);
        }
    }

    const int victim = p.Board[t];
    if (victim != Empty) {
        p.Material -= PieceValue[victim];
        p.HalfmoveClock = 0;
        Toggle(p, t, victim);
    }
    const int arriving = p.Board[f];
    Toggle(p, t, arriving);
    SetSquare(p, t, arriving);
    SetSquare(p, f, Empty);

    FinishMove(bt, ply, p, s);
}
