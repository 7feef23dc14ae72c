// Quiesce: the quiescence search at and beyond the horizon. It stands pat on
// the evaluation, searches captures and promotions (and the evasions of a
// position the table already knows), hands unknown positions in check to a
// one-ply AlphaBeta, and uses the table both for cut-offs and to skip moves.
#include <algorithm>
#include <cassert>

#include "eval/evaluate.h"
#include "search/control.h"
#include "search/node.h"
#include "search/ordering.h"
#include "search/ordering_tables.h"
#include "search/search.h"
#include "search/threads.h"

namespace {

// Stand pat is not tried when the table's lower bound already lies this far
// above the material balance; a table upper bound this far below it decides
// the node at once.
constexpr int StandPatMaterialMargin = 1000;
// An evaluation this far below the table's lower bound (with the side not
// just out of check) returns that bound without searching captures.
constexpr int StandPatFutileMargin = 1800;
// A capture is skipped when the child's table entry from a search of this
// many plies proves it cannot beat the best score.
constexpr int SkipBoundDepth = 2;

// What one quiescence node keeps while it runs.
struct QuiesceState {
    int ply;
    int alpha;
    int beta;
    int side;
    bool threatChild;
    bool inCheck;
    uint32_t slot;  // the node's table slot
    int lower;      // bounds on the node's score (from the table)
    int upper;
    bool depthZeroEntry;  // the entry was written by an earlier quiescence search
    bool deeperEntry;     // the entry was written by AlphaBeta, or is a proven mate
    int standPat;         // the evaluation, -NoScore when not computed
    int best;             // best score so far
    int loopUpper;        // upper as the move loop starts
    int i;                // position in the move list
};

// Writes the node's table entry: depth 0 unless a mate is proven.
void StoreQuiescence(SearchThread& st, uint32_t slot, int ply, int depth, int lowerBound, int upperBound) {
    HashEntry entry = ReadEntry(slot);
    StampEntry(entry, ply);
    entry.StoredDepth = static_cast<int8_t>(depth);
    entry.LowerBound = static_cast<int16_t>(lowerBound);
    entry.UpperBound = static_cast<int16_t>(upperBound);
    SetEntryBestMove(entry, st.PvTable[ply][0]);
    WriteEntry(slot, entry);
}

// Stand pat on the evaluation (not over an entry of an earlier quiescence
// search, nor when the table's lower bound is a mate). Returns true when it
// decides the node (score).
bool StandPat(SearchThread& st, QuiesceState& q, int& score) {
    BoardTables& bt = st.Board;
    EvalTables& et = st.Eval;
    const PlyPosition& pos = bt.PositionStack[q.ply];
    if (q.depthZeroEntry || q.lower >= MateBound) return false;
    const int material = q.side == White ? pos.Material : -pos.Material;
    if (q.lower >= material + StandPatMaterialMargin) return false;
    if (q.upper + StandPatMaterialMargin < material) {
        score = q.upper;
        return true;
    }
    const int g = q.standPat = Evaluate(q.ply);
    if (et.DeadDrawFlag) {
        StoreQuiescence(st, q.slot, q.ply, AnyDepth, 0, 0);
        score = 0;
        return true;
    }
    if (g > q.lower) {
        if (g >= q.beta) {
            score = std::min(q.upper, g);
            return true;
        }
        q.alpha = std::max(q.alpha, g);
        q.lower = g;
    } else if (g < q.lower - StandPatFutileMargin && (q.ply == 0 || bt.CheckerSquare[q.ply - 1] == 0)) {
        score = q.lower;
        return true;
    }
    return false;
}

// The move to try first when the table has none of this side: the parent
// line's reply, else the mate killer.
void ChooseFirstMove(SearchThread& st, const QuiesceState& q) {
    BoardTables& bt = st.Board;
    const int ply = q.ply;
    const Move tableMove = st.PvTable[ply][0];
    if (tableMove.From != 0 && ColourOf[bt.PositionStack[ply].Board[tableMove.From]] == q.side) return;
    st.PvTable[ply][0] = (ply >= 1 && !q.threatChild) ? st.PvTable[ply - 1][1] : st.MateKiller[ply][q.side];
    EndPvRow(ply);
}

// The lone-king rules. Returns true when they decide the node (score).
bool QuiesceLoneKing(SearchThread& st, QuiesceState& q, int& score) {
    BoardTables& bt = st.Board;
    const int ply = q.ply;
    score = 0;
    if (bt.BareKing[ply]) {
        if (q.standPat == -NoScore) q.standPat = Evaluate(ply);
        if (ply >= 1 && !(q.alpha < 0 && q.standPat != 0)) return true;
        CapLoneKing(q.upper, q.beta);
        if (bt.PositionStack[ply].MoveCount == 0) {
            score = AlphaBeta(ply, ply + 1, q.alpha, q.beta, true);
            return true;
        }
        return false;
    }
    return ply >= 1 && bt.BareKing[ply - 1] && Evaluate(ply) == 0;
}

// The move loop over captures and promotions (evasions in check). Returns
// true when the search was stopped: the node then returns score at once.
bool QuiesceMoves(SearchThread& st, QuiesceState& q, int& score) {
    BoardTables& bt = st.Board;
    const int ply = q.ply, side = q.side;
    const PlyPosition& pos = bt.PositionStack[ply];
    q.loopUpper = q.upper;
    q.i = 1;
    while (q.i <= pos.MoveCount) {
        PickQuiescenceMove(ply, q.i);
        const Move move = bt.MoveList[ply][q.i];
        SearchMakeMove(ply + 1, q.i);
        // Searched only when the table leaves room above best and the move is legal.
        if (ChildBound(ply + 1, ply + 1 + SkipBoundDepth, BoundKind::Upper) <= q.best ||
            AttackingSquare(ply + 1, bt.PositionStack[ply + 1].KingSquare[side], 1 - side) != 0) {
            ++q.i;
            continue;
        }
        bt.CheckerSquare[ply + 1] = AttackingSquare(ply + 1, bt.PositionStack[ply + 1].KingSquare[1 - side], side);
        const bool givesCheck = bt.CheckerSquare[ply + 1] != 0;
        const bool changesMaterial = bt.PositionStack[ply + 1].Material != pos.Material;
        int l;
        if (givesCheck) l = -AlphaBeta(ply + 1, ply + 2, -q.beta, -q.alpha, true);
        else if (q.best >= MateBound || !changesMaterial) l = ChildBound(ply + 1, ply + 1, BoundKind::Lower);
        else l = -Quiesce(ply + 1, -q.beta, -q.alpha);

        if (l > q.best && !SearchIsStopped()) {
            st.PvTable[ply][0] = move;
            if (l >= q.beta) {
                if (FailHighTakesUpper(st, ply, l, q.loopUpper)) l = q.lower = q.loopUpper;
                EndPvRow(ply);
                q.best = l;
                break;
            }
            q.alpha = std::max(q.alpha, l);
            if ((givesCheck || (l < MateBound && changesMaterial)) && (ply == 0 || !q.threatChild)) MergePv(ply);
        } else {
            l = q.best;
        }
        if (SearchIsStopped()) {
            score = l;
            return true;
        }
        q.best = l;
        if (l == MateScore) {
            RecordMate(ply, move);
            break;
        }
        ++q.i;
    }
    return false;
}

// The node's score (mate scores one point toward zero) and its table entry.
int FinishQuiescence(SearchThread& st, QuiesceState& q) {
    BoardTables& bt = st.Board;
    const int ply = q.ply, f = q.best, u = q.loopUpper;
    int r = f;
    bool lowered = false;
    if (f > q.lower) {
        if (f < -MateBound) {
            r = f + 1;
        } else if (f > MateBound && f <= MateScore) {
            r = f - 1;
            lowered = true;
        }
    }
    if (SearchIsStopped() || (q.deeperEntry && !(r > MateBound && q.lower < r && r < u))) return r;
    int depth = 0;
    int storeUpper = u;
    int beta = q.beta;
    if (f > q.lower && f < -MateBound) ++beta;
    if (r > MateBound) {
        if (r >= beta) {
            depth = AnyDepth;
            if (u < r) storeUpper = ScoreInfinity;
        }
        st.MateKiller[ply][q.side] = st.PvTable[ply][0];
    }
    if (r < (lowered ? q.alpha - 1 : q.alpha)) StoreQuiescence(st, q.slot, ply, depth, q.lower, r);
    else
        StoreQuiescence(st, q.slot, ply, depth, r,
                        (r <= beta && q.i >= bt.PositionStack[ply].MoveCount) ? r : storeUpper);
    return r;
}

}  // namespace

int Quiesce(int ply, int alpha, int beta) {
    // The thread's state is read once here and handed to every step.
    SearchThread& st = *ThreadSearch;
    BoardTables& bt = st.Board;
    assert(PositionIsConsistent(ply));
    PlyPosition& pos = bt.PositionStack[ply];
    QuiesceState q{};
    q.ply = ply;
    q.alpha = alpha;
    q.beta = beta;
    q.side = pos.SideToMove;
    q.threatChild = IsThreatChild(ply);
    q.inCheck = bt.CheckerSquare[ply] != 0;
    q.standPat = -NoScore;

    // 1. Draw by repetition.
    if (ply >= 1 && !q.threatChild && IsRepetition(ply)) {
        pos.MoveCount = 0;
        return 0;
    }

    // 2. Count the node; its table entry, probed at any stored depth.
    CountNodes(st, 1);
    q.slot = HashSlot(ply);
    const HashEntry entry = ReadEntry(q.slot);
    q.lower = -ScoreInfinity;
    q.upper = ScoreInfinity;
    int score;
    if (HashMatches(entry, ply)) {
        pos.MoveCount = -1;
        AdoptTableMove(st, ply, entry);
        if (ApplyTableBounds(st, entry, q, score)) return score;
        q.depthZeroEntry = entry.StoredDepth == 0;
        q.deeperEntry = !q.depthZeroEntry;
    } else if ((q.inCheck ||
                (ply >= 1 && bt.CheckerSquare[ply - 1] != 0 && bt.PositionStack[ply - 1].MoveCount == 1)) &&
               ply < ExtensionPlyLimit) {
        // An unknown position in check is searched one ply in full.
        CountNodes(st, -1);
        return AlphaBeta(ply, ply + 1, alpha, beta, true);
    }

    // 3. Stand pat.
    if (StandPat(st, q, score)) return score;

    // 4. Too deep to make moves.
    if (ply >= HorizonPlyLimit) return q.inCheck ? NoScore : q.lower;

    // 5. The moves: the table's move first (else the parent line's reply,
    // else the mate killer), captures and promotions (evasions in check).
    q.best = q.lower;
    ChooseFirstMove(st, q);
    GenerateSearchMoves(ply, false);
    if (QuiesceLoneKing(st, q, score)) return score;
    TableMoveFirst(ply, true);

    // 6. Move loop, result and store.
    if (QuiesceMoves(st, q, score)) return score;
    return FinishQuiescence(st, q);
}
