// AlphaBeta: one node of the fail-soft alpha-beta search, with internal
// iterative deepening, the horizon extensions, the two-bound table, the
// lone-king rules, lazy legality, and the selectivity step that decides per
// move between a full search, a reduced threat search and no search at all.
//
// PvSearch (pvsearch.cpp) is the same node with a principal-variation window
// scheme and root reporting; both are this one body, SearchNode<Pv>, so the
// two can never drift apart in the steps they share.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "eval/evaluate.h"
#include "search/control.h"
#include "search/info.h"
#include "search/node.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/time.h"

namespace {

// Whether the node at the horizon earns one more ply.
bool HorizonExtends(int ply) {
    const PlyPosition& pos = PositionStack[ply];
    if (ply < IterationDepth + 1) {
        const LastMoveRecord last = LastMove[ply];
        // A pawn reaching its seventh rank or promoting.
        if ((last.MovedPiece == WhitePawn && last.FromSquare > 40) || (last.MovedPiece == BlackPawn && last.FromSquare < 25))
            return true;
        // A recapture: material changed with the last move and is back to what it was two plies up.
        if (ply > 1 && pos.Material != PositionStack[ply - 1].Material && pos.Material == PositionStack[ply - 2].Material)
            return true;
    }
    if (CheckerSquare[ply] != 0) return true;
    if (ply >= 1 && PositionStack[ply - 1].MoveCount == 1) return true;  // a single forced reply
    return pos.HalfmoveClock > 98;
}

// Whether a move made into ply + 1 brings a piece back to a square it left
// during the reversible part of the line or of the game: a repetition risk.
bool ReturnsToLeftSquare(int ply, Move move) {
    const PlyPosition& pos = PositionStack[ply];
    const int to = move.To;
    const int piece = pos.Board[move.From];
    for (int v = ply; v >= 0; --v) {
        if (v != ply && PositionStack[v].HalfmoveClock <= 0) break;
        if (LastMove[v].FromSquare == to && LastMove[v].MovedPiece == piece) return true;
    }
    if (pos.HalfmoveClock > ply) {
        const int newest = std::min(PositionStack[0].HalfmoveClock, HistoryRecords - 1);
        for (int k = newest; k >= 1; --k)
            if (GameHistory[k].FromSquare == to && GameHistory[k].MovedPiece == piece) return true;
    }
    return false;
}

// Root info line for a score that the table decided at ply 0.
void TableDecidedRoot(int ply, int score) {
    if (ply != 0) return;
    RootMoveReady.store(1);
    SendRootInfoLine(score);
}

// Whether the move just made into ply + 1 leaves the mover's king attacked,
// or castles out of check.
bool IsIllegal(int ply, Move move) {
    const PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    if (AttackingSquare(ply + 1, PositionStack[ply + 1].KingSquare[side], 1 - side) != 0) return true;
    const bool castles = move.To <= 64 && move.From == pos.KingSquare[side] && pos.Board[move.From] == 6 * side + 6 &&
                         (move.From - move.To == 2 || move.To - move.From == 2);
    return castles && AttackingSquare(ply, move.From, 1 - side) != 0;
}

bool NoMoveCaptures(int ply) {
    const PlyPosition& pos = PositionStack[ply];
    for (int j = 1; j <= pos.MoveCount; ++j)
        if (pos.Board[DestinationOf(MoveList[ply][j].To)] != 0) return false;
    return true;
}

}  // namespace

template <bool Pv>
int SearchNode(int ply, int limit, int alpha, int beta, bool fresh) {
    PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    const bool threatChild = IsThreatChild(ply);
    const int alpha0 = alpha;

    // 1. Draw by repetition.
    if (ply >= 1 && !threatChild && IsRepetition(ply)) {
        pos.MoveCount = 0;
        return 0;
    }

    // 2. The node's table entry.
    const uint32_t slot = HashSlot(ply);
    const HashEntry& entry = HashTable[slot];
    bool match = HashMatches(entry, ply);

    // 3. Internal iterative deepening: a search two plies shorter orders the
    // list and fills the table entry.
    if (fresh && beta > -MateBound && alpha < MateBound && ply < limit - 2 && !match) {
        const int v = (Pv && limit - ply > 4) ? PvSearch(ply, limit - 2, alpha, beta, true)
                                              : AlphaBeta(ply, limit - 2, alpha, beta, true);
        if (v > MateBound || v < -MateBound || pos.MoveCount == 0) return v;
        // Even when "stop" cut the reduced search short, the list it leaves at
        // this ply belongs to this position (or is marked not generated), so
        // the node goes on as usual and unwinds after its first move.
        fresh = false;
        match = HashMatches(entry, ply);
    }

    // 4. Horizon. A node at or beyond its target ply, or too deep for the
    // stack, extends or hands over to the quiescence search.
    if (ply >= limit || ply >= DeepestSearchPly) {
        if (ply < 79 && HorizonExtends(ply))
            limit = ply + 1;
        else
            return Quiesce(ply, alpha, beta);
    }
    const bool inCheck = CheckerSquare[ply] != 0;

    // 5. Check extension at the last ply, when checks have recurred in the line.
    if (limit == ply + 1 && alpha < MateBound && beta > -MateBound && inCheck && ply > 0 && ply < 78 &&
        ply < IterationDepth + 1) {
        for (int i = 0; i < ply; ++i) {
            if (BareKing[i] || (CheckerSquare[i] != 0 && PositionStack[i].SideToMove == side)) {
                ++limit;
                break;
            }
        }
    }

    // 6. Count the node.
    ++NodeCount;
    if (SelDepth < ply) SelDepth = ply;

    // 7. Table probe.
    int lower = -ScoreInfinity, upper = ScoreInfinity;
    PickerState picker = NewPicker(ply, StagePreviousBest);
    if (match) {
        if (!(PvTable[ply][0] == entry.BestMove)) {
            PvTable[ply][0] = entry.BestMove;
            EndPvRow(ply);
        }
        if (fresh) pos.MoveCount = -1;
        picker.PreviousBest = entry.PreviousBest;
        if (entry.StoredDepth >= limit - ply) {
            const int lb = entry.LowerBound, ub = entry.UpperBound;
            if (lb >= beta || lb >= ub) {
                if (entry.StoredDepth > 78 && lb >= ub) pos.MoveCount = 0;
                TableDecidedRoot(ply, lb);
                return lb;
            }
            if (ub <= alpha) {
                TableDecidedRoot(ply, ub);
                return ub;
            }
            if (ub < beta && (ply >= 1 || ub < MateBound)) beta = ub;
            if (lb > alpha) alpha = lb;
            if (alpha >= beta) {
                TableDecidedRoot(ply, alpha);
                return alpha;
            }
            lower = lb;
            upper = ub;
        }
    }

    // 8. The clock (and "stop", "quit", the node limit).
    if (DeadlineCheck()) return alpha;

    // 9. Node set-up.
    int best = lower;
    if (ply == 0 && RootMoveReady.load() == 0) alpha = best = lower = -ScoreInfinity;
    int childLimit = limit;
    if (best > MateBound && 30002 - best < limit - ply) childLimit = ply + 30002 - best;
    {
        // A quiet piece move from the table is not trusted to keep a positive score.
        const Move tableMove = PvTable[ply][0];
        const int piece = pos.Board[tableMove.From];
        if (best > 0 && piece > WhitePawn && piece != BlackPawn && tableMove.To >= 1 && tableMove.To <= 64 &&
            pos.Board[tableMove.To] == 0 && pos.HalfmoveClock > 1) {
            best = -1;
            if (lower > -1) lower = -1;
            if (alpha0 < 0 && alpha > -1) alpha = -1;
        }
    }
    {
        const int lead = LeadPawnSquare[ply][side];
        const int target = side == White ? lead + 8 : lead - 8;
        if (lead >= 1 && lead <= 64 && target >= 1 && target <= 64)
            picker.Suggested = Move{static_cast<uint8_t>(lead), static_cast<uint8_t>(target)};
    }
    if constexpr (Pv) {
        picker.Stage = (ply == 0 && RootMoveReady.load() != 0 && VerifiedCount[0] >= pos.MoveCount) ? StageRootOrdering
                                                                                                  : StagePreviousBest;
    } else {
        const bool ahead = side == White ? pos.Material > 1000 : pos.Material < -1000;
        picker.Stage = (!inCheck && (alpha > MateBound || threatChild || ahead)) ? StageHistoryFirst : StagePreviousBest;
    }
    if (fresh || pos.MoveCount == -1) GenerateSearchMoves(ply, true);

    // 10. Lone-king rules.
    if (!inCheck && ply >= 1 && pos.MoveCount > 0 && !threatChild) {
        if (BareKing[ply]) {
            // A lone king never wins.
            if (beta - alpha > 1 && alpha >= 0) return 0;
            const int e = Evaluate(ply);
            if (e == 0) {
                pos.MoveCount = 0;
                return 0;
            }
            if (beta - alpha > 1 && e + 3000 < alpha && ply + 1 < childLimit && NoMoveCaptures(ply)) {
                --NodeCount;
                return AlphaBeta(ply, ply + 1, alpha, beta, false);
            }
            if (upper > 1) {
                upper = 1;
                beta = std::min(beta, 1);
            }
        } else if (BareKing[ply - 1] && Evaluate(ply) == 0) {
            pos.MoveCount = 0;
            return 0;
        }
    }

    // 11. The table's move first.
    {
        const Move tableMove = PvTable[ply][0];
        if (tableMove.From >= 1 && tableMove.From <= 64 && ColourOf[pos.Board[tableMove.From]] == side) {
            for (int j = 1; j <= pos.MoveCount; ++j) {
                if (MoveList[ply][j] == tableMove) {
                    std::swap(MoveList[ply][1], MoveList[ply][j]);
                    picker.OrderedCount = 1;
                    break;
                }
            }
        }
    }

    // 12. Move loop.
    [[maybe_unused]] int zw = alpha > -ScoreInfinity ? alpha + 1 : beta;  // first window of each move (PvSearch)
    int i = 1;
    while (i <= pos.MoveCount) {
        // 12.1 Pick and make the move.
        const bool mark = PickMove(picker, ply, i, best, limit);
        if (i > pos.MoveCount) break;
        const Move move = MoveList[ply][i];
        SearchMakeMove(ply + 1, i);
        if (ply == 0) RootScores[i] = -NoScore;

        // 12.2 Lazy legality.
        if (VerifiedCount[ply] < pos.MoveCount) {
            if (IsIllegal(ply, move)) {
                RemoveListMove(ply, i);
                if (picker.OrderedCount >= i) --picker.OrderedCount;
                continue;
            }
            if (VerifiedCount[ply] < i) VerifiedCount[ply] = i;
        }

        // 12.3 Table skip: the table proves the move cannot beat best.
        bool searched = true;
        if (i != 1 && ChildBound(ply + 1, childLimit, BoundKind::Upper) <= best) searched = false;

        if (searched) {
            // 12.4 A mate in hand shortens the search of the remaining moves.
            if (best > MateBound && ScoreInfinity - best < childLimit - ply) childLimit = ply + ScoreInfinity - best;
            if (childLimit < ply + 1) childLimit = ply + 1;

            // 12.5 Does the move give check?
            CheckerSquare[ply + 1] = AttackingSquare(ply + 1, PositionStack[ply + 1].KingSquare[1 - side], side);
            const bool givesCheck = CheckerSquare[ply + 1] != 0;

            // 12.6 With a mate in one in hand only checks can be as good.
            if (best > 29998 && i > 1 && !givesCheck) {
                if (!Pv && ply >= 1 && !threatChild && beta - alpha == 1 && i < pos.MoveCount) {
                    RemoveListMove(ply, i);
                    // The move taking its place has not been proven legal.
                    if (VerifiedCount[ply] > 0) --VerifiedCount[ply];
                    if (picker.OrderedCount >= i) --picker.OrderedCount;
                } else {
                    ++i;
                }
                continue;
            }

            // 12.7 Extension of this move.
            int ext = 0;
            if (ply < 78 && childLimit == ply + 1 && !BareKing[ply] && (ply == 0 || !threatChild)) {
                if (givesCheck) {
                    ext = 1;
                } else if (RootMoveReady.load() != 0 && ply >= 1 && BareKing[ply - 1] && alpha < MateBound &&
                           beta > MateBound) {
                    const int childView = -Evaluate(ply + 1);
                    if (childView > 5000 && childView > Evaluate(ply)) ext = 1;
                }
            }
            if constexpr (Pv) {
                if (ChildBound(ply + 1, childLimit + ext, BoundKind::Lower) > alpha) zw = beta;
            }

            // 12.8 Selectivity.
            const PlyPosition& child = PositionStack[ply + 1];
            const int lead = LeadPawnSquare[ply][side];
            bool special = mark || i == 1 || ext == 1 || best < -MateBound || inCheck || givesCheck || BareKing[ply] ||
                           (lead != 0 && move.From == lead) ||
                           (limit - ply > 5 && std::abs(child.Material - pos.Material) > 200) ||
                           ChildBound(ply + 1, childLimit, BoundKind::Lower) >= best ||
                           ChildBound(ply + 1, childLimit, BoundKind::Upper) <= alpha ||
                           (ply + 3 < childLimit && ChildBound(ply + 1, childLimit - 2, BoundKind::Lower) >= beta) ||
                           move == MateKiller[ply][side];
            if (!special && best < 0 && child.HalfmoveClock > 2 && ReturnsToLeftSquare(ply, move)) special = true;

            int verdict = NoScore;
            if (!special) {
                verdict = 31000;
                const bool notRecapture = ply == 0 || child.Material == pos.Material ||
                                          child.Material != PositionStack[ply - 1].Material;
                if (alpha < MateBound && (ply == 0 || CheckerSquare[ply - 1] == 0) && limit - ply > 1 &&
                    limit - ply < 6 && notRecapture) {
                    // Quiescence probe against a margin that grows with the depth left.
                    const int t = best - 20 - 18 * (1 << (limit - ply));
                    const int q = -Quiesce(ply + 1, -t - 1, -t);
                    if (ply == 0 && q < -MateBound) RootScores[i] = q;
                    verdict = q > best + 100 ? NoScore : q > t ? 31000 : -NoScore;
                }
                if (verdict == 31000 && verdict > best) {
                    if (-Evaluate(ply + 1) > best) {
                        verdict = NoScore;
                    } else if (best > 0 && (BareKing[ply] || BareKing[ply + 1]) && Evaluate(ply + 1) == 0) {
                        verdict = -NoScore;
                    } else if (ply < childLimit - 2) {
                        // Threat search: this side moves again; if even that
                        // cannot beat best, the move is not worth a full search.
                        PositionStack[ply + 1].SideToMove = side;
                        const int threatLimit = childLimit - ply <= 6 ? childLimit - 2 : childLimit - 3;
                        verdict = AlphaBeta(ply + 1, threatLimit, best, best + 1, true);
                        PositionStack[ply + 1].SideToMove = 1 - side;
                        if (verdict > best && verdict > beta && RepStatus[ply + 2] < 1)
                            picker.Suggested = PvTable[ply + 1][0];
                        if (verdict <= best && ply == 0 && verdict < -MateBound) RootScores[i] = verdict;
                    }
                }
            }

            // 12.9 Full search.
            if (verdict > best) {
                if constexpr (Pv) {
                    if (PvFullSearch(ply, limit, i, move, childLimit + ext, childLimit, alpha, beta, best, lower, upper, zw))
                        break;
                } else {
                    const int s = -AlphaBeta(ply + 1, childLimit + ext, -beta, -alpha, true);
                    if (ply == 0) RootScores[i] = s;
                    if (s > best && SearchState.load() < 2) {
                        best = s;
                        PvTable[ply][0] = move;
                        if (ply == 0) RootMoveReady.store(1);
                        if (best >= beta) {
                            if (upper < best && best < MateBound && RepStatus[ply + 1] < 1 && ply >= 1 &&
                                PositionStack[ply + 1].MoveCount != 0)
                                best = lower = upper;
                            EndPvRow(ply);
                            break;
                        }
                        alpha = std::max(alpha, best);
                        if (ply == 0 || !threatChild) MergePv(ply);
                    }
                }
            }
        }

        // 12.10 Unwind at once when the search is stopped.
        if (SearchState.load() > 1) return best;

        // 12.11 Next position; a move that mates on the board ends the loop.
        ++i;
        if (best == MateScore) {
            const Move bestMove = PvTable[ply][0];
            const int piece = pos.Board[bestMove.From];
            if (bestMove.To <= 64) ++MateHistory[piece][bestMove.To];
            const int checker = CheckerSquare[ply + 1];
            if (checker != 0 && checker != DestinationOf(bestMove.To)) ++MateHistory[PositionStack[ply + 1].Board[checker]][checker];
            break;
        }
    }

    // 13. Mate distance: mate scores move one point toward zero per ply.
    if (best != lower) {
        if (best < -MateBound) {
            ++best;
            ++beta;
        } else if (best > MateBound && best < ScoreInfinity) {
            --best;
            --alpha;
        }
    }

    // 14. Store.
    if (SearchState.load() >= 2) return best;
    if (best >= lower) best = StoreNode(slot, ply, limit, best, alpha, beta, lower, upper, pos.MoveCount, i, inCheck, Pv);
    return best;
}

template int SearchNode<false>(int, int, int, int, bool);
template int SearchNode<true>(int, int, int, int, bool);

int AlphaBeta(int ply, int limit, int alpha, int beta, bool fresh) { return SearchNode<false>(ply, limit, alpha, beta, fresh); }
