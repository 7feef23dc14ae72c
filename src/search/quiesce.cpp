// Quiesce: the quiescence search at and beyond the horizon. It stands pat on
// the evaluation, searches captures and promotions (and the evasions of a
// position the table already knows), hands unknown positions in check to a
// one-ply AlphaBeta, and uses the table both for cut-offs and to skip moves.
#include <algorithm>

#include "eval/evaluate.h"
#include "search/control.h"
#include "search/ordering.h"
#include "search/search.h"

namespace {

// Writes the node's table entry: depth 0 unless a mate is proven.
void StoreQuiescence(HashEntry& entry, int ply, int depth, int lowerBound, int upperBound) {
    const PlyPosition& pos = PositionStack[ply];
    entry.CheckKey = pos.KeyHi;
    entry.CheckCode = static_cast<int16_t>(pos.StateCode);
    entry.StoredDepth = static_cast<int8_t>(depth);
    entry.LowerBound = static_cast<int16_t>(lowerBound);
    entry.UpperBound = static_cast<int16_t>(upperBound);
    const Move best = PvTable[ply][0];
    if (!(entry.BestMove == best)) {
        entry.PreviousBest = entry.BestMove;
        entry.BestMove = best;
    }
}

}  // namespace

int Quiesce(int ply, int alpha, int beta) {
    PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    const bool threatChild = IsThreatChild(ply);
    const bool inCheck = CheckerSquare[ply] != 0;

    // 1. Draw by repetition.
    if (ply >= 1 && !threatChild && IsRepetition(ply)) {
        pos.MoveCount = 0;
        return 0;
    }

    // 2. Count the node; its table entry.
    ++NodeCount;
    HashEntry& entry = HashTable[HashSlot(ply)];
    const bool match = HashMatches(entry, ply);

    // 3. Table probe, at any stored depth.
    int lower, upper;
    bool depthZeroEntry = false;   // written by an earlier quiescence search
    bool deeperEntry = false;      // written by AlphaBeta, or a proven mate
    if (match) {
        pos.MoveCount = -1;
        if (!(PvTable[ply][0] == entry.BestMove)) {
            PvTable[ply][0] = entry.BestMove;
            EndPvRow(ply);
        }
        const int lb = entry.LowerBound, ub = entry.UpperBound;
        if (lb >= beta || lb >= ub) {
            if (entry.StoredDepth > 78 && lb >= ub) pos.MoveCount = 0;
            return lb;
        }
        if (ub <= alpha) return ub;
        if (ub < beta && (ply >= 1 || ub < MateBound)) beta = ub;
        if (lb > alpha) alpha = lb;
        if (alpha >= beta) return alpha;
        lower = lb;
        upper = ub;
        depthZeroEntry = entry.StoredDepth == 0;
        deeperEntry = !depthZeroEntry;
    } else {
        // 4. An unknown position in check is searched one ply in full.
        if ((inCheck || (ply >= 1 && CheckerSquare[ply - 1] != 0 && PositionStack[ply - 1].MoveCount == 1)) &&
            ply < 78) {
            --NodeCount;
            return AlphaBeta(ply, ply + 1, alpha, beta, true);
        }
        lower = -ScoreInfinity;
        upper = ScoreInfinity;
    }

    // 5. Stand pat.
    int g = -NoScore;
    if (!depthZeroEntry && lower <= 19999) {
        const int material = side == White ? pos.Material : -pos.Material;
        if (lower < material + 1000) {
            if (upper + 1000 < material) return upper;
            g = Evaluate(ply);
            if (DeadDrawFlag) {
                StoreQuiescence(entry, ply, 79, 0, 0);
                return 0;
            }
            if (g > lower) {
                if (g >= beta) return std::min(upper, g);
                alpha = std::max(alpha, g);
                lower = g;
            } else if (g < lower - 1800 && (ply == 0 || CheckerSquare[ply - 1] == 0)) {
                return lower;
            }
        }
    }

    // 6. Too deep to make moves.
    if (ply > 78) return inCheck ? NoScore : lower;

    // 7. The move to try first: the table's, else the parent line's reply, else the mate killer.
    int f = lower;
    {
        const Move tableMove = PvTable[ply][0];
        if (tableMove.From == 0 || ColourOf[pos.Board[tableMove.From]] != side) {
            PvTable[ply][0] = (ply >= 1 && !threatChild) ? PvTable[ply - 1][1] : MateKiller[ply][side];
            EndPvRow(ply);
        }
    }

    // 8. Captures and promotions (evasions in check).
    GenerateSearchMoves(ply, false);

    // 9. Lone-king rules.
    if (BareKing[ply]) {
        if (g == -NoScore) g = Evaluate(ply);
        if (ply >= 1 && !(alpha < 0 && g != 0)) return 0;
        if (upper > 1) {
            upper = 1;
            beta = std::min(beta, 1);
        }
        if (pos.MoveCount == 0) return AlphaBeta(ply, ply + 1, alpha, beta, true);
    } else if (ply >= 1 && BareKing[ply - 1] && Evaluate(ply) == 0) {
        return 0;
    }

    // 10. The table's move first, when it captures or promotes.
    {
        const Move tableMove = PvTable[ply][0];
        if (tableMove.From >= 1 && tableMove.From <= 64 && ColourOf[pos.Board[tableMove.From]] == side &&
            (IsPromotion(tableMove) || ColourOf[pos.Board[tableMove.To]] == 1 - side)) {
            for (int j = 1; j <= pos.MoveCount; ++j) {
                if (MoveList[ply][j] == tableMove) {
                    std::swap(MoveList[ply][1], MoveList[ply][j]);
                    break;
                }
            }
        }
    }

    // 11. Move loop.
    const int u = upper;
    int i = 1;
    while (i <= pos.MoveCount) {
        PickQuiescenceMove(ply, i);
        const Move move = MoveList[ply][i];
        SearchMakeMove(ply + 1, i);
        // Searched only when the table leaves room above f and the move is legal.
        if (ChildBound(ply + 1, ply + 3, BoundKind::Upper) <= f ||
            AttackingSquare(ply + 1, PositionStack[ply + 1].KingSquare[side], 1 - side) != 0) {
            ++i;
            continue;
        }
        CheckerSquare[ply + 1] = AttackingSquare(ply + 1, PositionStack[ply + 1].KingSquare[1 - side], side);
        const bool givesCheck = CheckerSquare[ply + 1] != 0;
        const bool changesMaterial = PositionStack[ply + 1].Material != pos.Material;
        int l;
        if (givesCheck)
            l = -AlphaBeta(ply + 1, ply + 2, -beta, -alpha, true);
        else if (f > 19999 || !changesMaterial)
            l = ChildBound(ply + 1, ply + 1, BoundKind::Lower);
        else
            l = -Quiesce(ply + 1, -beta, -alpha);

        if (l > f && SearchState.load() < 2) {
            PvTable[ply][0] = move;
            if (l >= beta) {
                if (u < l && l < MateBound && RepStatus[ply + 1] < 1 && ply >= 1) l = lower = u;
                EndPvRow(ply);
                f = l;
                break;
            }
            alpha = std::max(alpha, l);
            if ((givesCheck || (l < MateBound && changesMaterial)) && (ply == 0 || !threatChild)) MergePv(ply);
        } else {
            l = f;
        }
        if (SearchState.load() > 1) return l;
        if (l == MateScore) {
            const int piece = pos.Board[move.From];
            if (move.To <= 64) ++MateHistory[piece][move.To];
            const int checker = CheckerSquare[ply + 1];
            if (checker != 0 && checker != DestinationOf(move.To)) ++MateHistory[PositionStack[ply + 1].Board[checker]][checker];
            f = l;
            break;
        }
        f = l;
        ++i;
    }

    // 12. Result and store.
    int r = f;
    bool lowered = false;
    if (f > lower) {
        if (f < -MateBound) {
            r = f + 1;
        } else if (f >= 20001 && f <= MateScore) {
            r = f - 1;
            lowered = true;
        }
    }
    if (SearchState.load() < 2 && (!deeperEntry || (r > MateBound && lower < r && r < u))) {
        int depth = 0;
        int storeUpper = u;
        if (f > lower && f < -MateBound) ++beta;
        if (r > MateBound) {
            if (r >= beta) {
                depth = 79;
                if (u < r) storeUpper = ScoreInfinity;
            }
            MateKiller[ply][side] = PvTable[ply][0];
        }
        if (r < (lowered ? alpha - 1 : alpha))
            StoreQuiescence(entry, ply, depth, lower, r);
        else
            StoreQuiescence(entry, ply, depth, r, (r <= beta && i >= pos.MoveCount) ? r : storeUpper);
    }
    return r;
}
