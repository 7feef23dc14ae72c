// AttackingSquare: is a square attacked by a side, and by which piece.
#include <bit>
#include <cassert>

#include "board/board.h"

namespace {

// Per target square, as masks (bit t - 1 for square t): the squares a king
// or a knight on it reaches, together; the squares from which a pawn of each
// side attacks it (as the ordered test below looks for them); and the
// squares along its diagonals and along its rank and file.
// A white pawn can attack only squares above PawnReachLow (rank 3 up), a
// black one only squares below PawnReachHigh (rank 6 down).
constexpr int PawnReachLow = 2 * RankStep;
constexpr int PawnReachHigh = LastSquare - 2 * RankStep + 1;
// The diagonal steps between a pawn and the square it attacks.
constexpr int NorthEastStep = RaySteps[NorthEast], NorthWestStep = RaySteps[NorthWest];
constexpr int SouthEastStep = RaySteps[SouthEast], SouthWestStep = RaySteps[SouthWest];

struct AttackMasks {
    uint64_t contact[SquareSlots];
    uint64_t pawnFrom[2][SquareSlots];
    uint64_t diagonals[SquareSlots];
    uint64_t lines[SquareSlots];
};

constexpr AttackMasks Masks = [] {
    AttackMasks t{};
    // Square 0 (a missing king) has no file and no rays, so the ordered test
    // only looks for black pawns on squares 9 and 7 there.
    for (int s = 0; s <= LastSquare; ++s) {
        for (int i = 0; i < TargetSlots && s != 0; ++i) {
            if (KingTargets[s][i] != 0) t.contact[s] |= SquareBit(KingTargets[s][i]);
            if (KnightTargets[s][i] != 0) t.contact[s] |= SquareBit(KnightTargets[s][i]);
        }
        // White pawns attack from rank 2 up, black pawns from rank 7 down.
        const bool whiteCanReach = s > PawnReachLow, blackCanReach = s < PawnReachHigh;
        if (FileOf[s] != LastFile && whiteCanReach) t.pawnFrom[White][s] |= SquareBit(s + RaySteps[SouthEast]);
        if (FileOf[s] != FirstFile && whiteCanReach) t.pawnFrom[White][s] |= SquareBit(s + RaySteps[SouthWest]);
        if (FileOf[s] != LastFile && blackCanReach) t.pawnFrom[Black][s] |= SquareBit(s + RaySteps[NorthEast]);
        if (FileOf[s] != FirstFile && blackCanReach) t.pawnFrom[Black][s] |= SquareBit(s + RaySteps[NorthWest]);
        for (int d = NorthEast; d <= SouthWest; ++d) t.diagonals[s] |= RayMask[s][d];
        for (int d = North; d <= West; ++d) t.lines[s] |= RayMask[s][d];
    }
    return t;
}();

// First occupied square from target along a ray (given as its mask and
// whether it runs to higher squares), or 0 when it runs off the board
// without meeting a piece.
inline int FirstOccupied(uint64_t occupied, uint64_t ray, bool upward) {
    const uint64_t blockers = occupied & ray;
    if (blockers == 0) return 0;
    return upward ? std::countr_zero(blockers) + 1 : LastSquare - std::countl_zero(blockers);
}

inline bool Holds(uint64_t set, int sq) { return sq != 0 && ((set >> (sq - 1)) & 1) != 0; }

}  // namespace

// The attacker found is the first one in a fixed order of tests (king and
// knight contact slot by slot, then pawns and rays side by side, see below);
// the square sets first rule out, at a glance, a side that has no piece on
// any line or square from which it could attack the target.
uint8_t AttackingSquare(int ply, int target, Side side) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    assert(SquareSetsMatch(p));
    const uint8_t* board = p.Board;
    const uint64_t* pieces = p.PieceSquares + PieceOf(side, Pawn) - 1;  // pieces[1] pawns .. pieces[6] king
    const int king = PieceOf(side, King), knight = PieceOf(side, Knight);

    // 1. King and knight contact, slot by slot. An unused slot holds square
    // 0, whose board byte is always empty, so it never matches. The slots are
    // only visited when the side's king or a knight of it stands a king or
    // knight step away (either step for either piece: the slots then decide).
    if ((Masks.contact[target] & (pieces[6] | pieces[2])) != 0) {
        for (int i = 0; i < TargetSlots; ++i) {
            const int k = KingTargets[target][i];
            if (board[k] == king) return static_cast<uint8_t>(k);
            const int n = KnightTargets[target][i];
            if (board[n] == knight) return static_cast<uint8_t>(n);
        }
    }

    const uint64_t pawns = pieces[1];
    const uint64_t diagonal = pieces[3] | pieces[5], straight = pieces[4] | pieces[5];
    if ((Masks.pawnFrom[side][target] & pawns) == 0 && (Masks.diagonals[target] & diagonal) == 0 &&
        (Masks.lines[target] & straight) == 0)
        return 0;

    const uint64_t occupied = OccupiedSquares(p);
    const uint64_t* rays = RayMask[target];
    const int file = FileOf[target], rank = RankOf[target];
    int sq;

    // 2. Not on file h: a pawn from the h-side, then the eastward ray.
    if (file != LastFile) {
        if (side == White) {
            if (target > PawnReachLow && Holds(pawns, target + SouthEastStep))
                return static_cast<uint8_t>(target + SouthEastStep);
        } else {
            if (target < PawnReachHigh && Holds(pawns, target + NorthEastStep))
                return static_cast<uint8_t>(target + NorthEastStep);
        }
        sq = FirstOccupied(occupied, rays[East], true);
        if (Holds(straight, sq)) return static_cast<uint8_t>(sq);
    }
    // 3. Not on file a: a pawn from the a-side, then the westward ray.
    if (file != FirstFile) {
        if (side == White) {
            if (target > PawnReachLow && Holds(pawns, target + SouthWestStep))
                return static_cast<uint8_t>(target + SouthWestStep);
        } else {
            if (target < PawnReachHigh && Holds(pawns, target + NorthWestStep))
                return static_cast<uint8_t>(target + NorthWestStep);
        }
        sq = FirstOccupied(occupied, rays[West], false);
        if (Holds(straight, sq)) return static_cast<uint8_t>(sq);
    }
    // 4. Not on rank 8: north-east, north-west diagonals, then north.
    if (rank != LastRank) {
        sq = FirstOccupied(occupied, rays[NorthEast], true);
        if (Holds(diagonal, sq)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[NorthWest], true);
        if (Holds(diagonal, sq)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[North], true);
        if (Holds(straight, sq)) return static_cast<uint8_t>(sq);
    }
    // 5. Not on rank 1: south-east, south-west diagonals, then south.
    if (rank != FirstRank) {
        sq = FirstOccupied(occupied, rays[SouthEast], false);
        if (Holds(diagonal, sq)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[SouthWest], false);
        if (Holds(diagonal, sq)) return static_cast<uint8_t>(sq);
        sq = FirstOccupied(occupied, rays[South], false);
        if (Holds(straight, sq)) return static_cast<uint8_t>(sq);
    }
    return 0;
}
