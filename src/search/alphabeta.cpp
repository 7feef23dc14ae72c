// AlphaBeta: one node of the fail-soft alpha-beta search, with internal
// iterative deepening, the horizon extensions, the two-bound table, the
// lone-king rules, lazy legality, and the selectivity step that decides per
// move between a full search, a reduced threat search and no search at all.
//
// PvSearch (pvsearch.cpp) is the same node with a principal-variation window
// scheme and root reporting; both are this one body, SearchNode<Pv>, so the
// two can never drift apart in the steps they share.
#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "eval/evaluate.h"
#include "search/control.h"
#include "search/info.h"
#include "search/node.h"
#include "search/ordering.h"
#include "search/ordering_tables.h"
#include "search/search.h"
#include "search/syzygy.h"
#include "search/threads.h"
#include "search/time.h"

namespace {

// Internal iterative deepening: a node without a table entry and more than
// this many plies left first searches this many plies shorter; with more
// than IidPvDepth plies left a principal-variation node deepens with PvSearch.
constexpr int IidReduction = 2;
constexpr int IidPvDepth = 4;
// A pawn moving from its relative sixth rank or beyond reaches the seventh
// or promotes: the horizon extends.
constexpr int PawnPushExtensionRank = 6;
// A halfmove clock above this at the horizon extends: the fifty-move draw is
// one or two plies away.
constexpr int FiftyMoveExtensionClock = 98;
// Material lead (centipawns) that starts a null-window node with the
// history-first stage.
constexpr int AheadMaterialMargin = 1000;
// A lone king's side whose evaluation is this far below alpha searches one
// more ply when no move captures, rather than standing on the evaluation.
constexpr int LoneKingHopelessMargin = 3000;
// A winning drive against a lone king extends when the child evaluates
// beyond this margin.
constexpr int MatingDriveMargin = 5000;
// A move that changes material by more than this, with more than
// MaterialSwingDepth plies left, is searched in full.
constexpr int MaterialSwingMargin = 200;
constexpr int MaterialSwingDepth = 5;
// A move whose child the table bounds at or above beta from a search this
// many plies shorter is searched in full.
constexpr int ShallowBoundReduction = 2;
// A losing side's move that returns a piece to a square it left is searched
// in full once the child's halfmove clock exceeds this (a repetition could
// save the game).
constexpr int RepetitionRiskClock = 2;
// The selectivity step's quiescence probe runs with ProbeMinDepth to
// ProbeMaxDepth plies left, against best minus a margin of ProbeMarginBase +
// ProbeMarginStep * 2^(plies left); a probe beating best by more than
// ProbeFullSearchMargin sends the move to a full search.
constexpr int ProbeMinDepth = 2;
constexpr int ProbeMaxDepth = 5;
constexpr int ProbeMarginBase = 20;
constexpr int ProbeMarginStep = 18;
constexpr int ProbeFullSearchMargin = 100;
// The threat search runs ThreatReductionShort plies shorter than the move's
// full search with up to ThreatShortDepth plies left, ThreatReductionLong
// beyond; it needs more than ThreatReductionShort plies left at all.
constexpr int ThreatShortDepth = 6;
constexpr int ThreatReductionShort = 2;
constexpr int ThreatReductionLong = 3;

// Whether the node at the horizon earns one more ply.
bool HorizonExtends(SearchThread& st, int ply) {
    BoardTables& bt = st.Board;
    const PlyPosition& pos = bt.PositionStack[ply];
    if (ply < st.IterationDepth + 1) {
        const LastMoveRecord last = bt.LastMove[ply];
        // A pawn reaching its seventh rank or promoting.
        if ((last.MovedPiece == WhitePawn && RankOf[last.FromSquare] >= PawnPushExtensionRank) ||
            (last.MovedPiece == BlackPawn && RankOf[last.FromSquare] <= MirrorRank(PawnPushExtensionRank)))
            return true;
        // A recapture: material changed with the last move and is back to what it was two plies up.
        if (ply > 1 && pos.Material != bt.PositionStack[ply - 1].Material &&
            pos.Material == bt.PositionStack[ply - 2].Material)
            return true;
    }
    if (bt.CheckerSquare[ply] != 0) return true;
    if (ply >= 1 && bt.PositionStack[ply - 1].MoveCount == 1) return true;  // a single forced reply
    return pos.HalfmoveClock > FiftyMoveExtensionClock;
}

// Whether a move made into ply + 1 brings a piece back to a square it left
// during the reversible part of the line or of the game: a repetition risk.
bool ReturnsToLeftSquare(SearchThread& st, int ply, Move move) {
    BoardTables& bt = st.Board;
    const PlyPosition& pos = bt.PositionStack[ply];
    const int to = move.To;
    const int piece = pos.Board[move.From];
    for (int v = ply; v >= 0; --v) {
        if (v != ply && bt.PositionStack[v].HalfmoveClock <= 0) break;
        if (bt.LastMove[v].FromSquare == to && bt.LastMove[v].MovedPiece == piece) return true;
    }
    if (pos.HalfmoveClock > ply) {
        const int newest = std::min(bt.PositionStack[0].HalfmoveClock, HistoryRecords - 1);
        for (int k = newest; k >= 1; --k)
            if (bt.GameHistory[k].FromSquare == to && bt.GameHistory[k].MovedPiece == piece) return true;
    }
    return false;
}

// Root info line for a score that the table decided at ply 0.
void TableDecidedRoot(SearchThread& st, int ply, int score) {
    if (ply != 0) return;
    st.RootMoveReady.store(1);
    SendRootInfoLine(score);
}

// Whether no move of the ply's list captures.
bool NoMoveCaptures(SearchThread& st, int ply) {
    BoardTables& bt = st.Board;
    const PlyPosition& pos = bt.PositionStack[ply];
    for (int j = 1; j <= pos.MoveCount; ++j)
        if (pos.Board[DestinationOf(bt.MoveList[ply][j].To)] != 0) return false;
    return true;
}

// Internal iterative deepening: a search two plies shorter orders the list
// and fills the table entry. Returns true when its score decides the node.
template <bool Pv>
bool DeepenFirst(SearchThread& st, NodeState& n, int& score) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    const int shorter = n.limit - IidReduction;
    score = (Pv && n.limit - ply > IidPvDepth) ? PvSearch(ply, shorter, n.alpha, n.beta, true)
                                               : AlphaBeta(ply, shorter, n.alpha, n.beta, true);
    // Even when "stop" cut the reduced search short, the list it leaves at
    // this ply belongs to this position (or is marked not generated), so the
    // node goes on as usual and unwinds after its first move.
    return score > MateBound || score < -MateBound || bt.PositionStack[ply].MoveCount == 0;
}

// Check extension at the last ply, when checks have recurred in the line (or
// a lone king was on the board before).
bool CheckExtends(SearchThread& st, const NodeState& n) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    if (!(n.limit == ply + 1 && n.alpha < MateBound && n.beta > -MateBound && n.inCheck && ply > 0 &&
          ply < ExtensionPlyLimit && ply < st.IterationDepth + 1))
        return false;
    for (int k = 0; k < ply; ++k)
        if (bt.BareKing[k] || (bt.CheckerSquare[k] != 0 && bt.PositionStack[k].SideToMove == n.side)) return true;
    return false;
}

// Node set-up after the table probe: best and the children's target ply
// from the table's bounds, the distrust of a quiet table move, the lead
// pawn's suggestion and the picker's first stage.
template <bool Pv>
void SetUpNode(SearchThread& st, NodeState& n) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    const PlyPosition& pos = bt.PositionStack[ply];
    n.best = n.lower;
    if (ply == 0 && st.RootMoveReady.load() == 0) n.alpha = n.best = n.lower = -ScoreInfinity;
    n.childLimit = n.limit;
    // A mate the table proves caps the depth the children need.
    if (n.best > MateBound && TableMateDepth(n.best) < n.limit - ply) n.childLimit = ply + TableMateDepth(n.best);

    // A quiet piece move from the table is not trusted to keep a positive score.
    const Move tableMove = st.PvTable[ply][0];
    const int piece = pos.Board[tableMove.From];
    if (n.best > 0 && piece > WhitePawn && piece != BlackPawn && tableMove.To != 0 && !IsPromotion(tableMove) &&
        pos.Board[tableMove.To] == Empty && pos.HalfmoveClock > 1) {
        n.best = -1;
        if (n.lower > -1) n.lower = -1;
        if (n.entryAlpha < 0 && n.alpha > -1) n.alpha = -1;
    }

    n.picker.Suggested = LeadPawnStep(ply);
    if constexpr (Pv) {
        const bool rootOrdered = ply == 0 && st.RootMoveReady.load() != 0 && st.VerifiedCount[0] >= pos.MoveCount;
        n.picker.Stage = rootOrdered ? StageRootOrdering : StagePreviousBest;
    } else {
        const bool ahead = n.side == White ? pos.Material > AheadMaterialMargin : pos.Material < -AheadMaterialMargin;
        n.picker.Stage =
            (!n.inCheck && (n.alpha > MateBound || n.threatChild || ahead)) ? StageHistoryFirst : StagePreviousBest;
    }
}

// The lone-king rules. Returns true when they decide the node (score);
// otherwise a lone king's node has its score capped.
bool LoneKingDecides(SearchThread& st, NodeState& n, int& score) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    PlyPosition& pos = bt.PositionStack[ply];
    if (n.inCheck || ply < 1 || pos.MoveCount <= 0 || n.threatChild) return false;
    score = 0;
    if (bt.BareKing[ply]) {
        // A lone king never wins.
        if (n.beta - n.alpha > 1 && n.alpha >= 0) return true;
        const int e = Evaluate(ply);
        if (e == 0) {
            pos.MoveCount = 0;
            return true;
        }
        if (n.beta - n.alpha > 1 && e + LoneKingHopelessMargin < n.alpha && ply + 1 < n.childLimit &&
            NoMoveCaptures(st, ply)) {
            CountNodes(st, -1);
            score = AlphaBeta(ply, ply + 1, n.alpha, n.beta, false);
            return true;
        }
        CapLoneKing(n.upper, n.beta);
    } else if (bt.BareKing[ply - 1] && Evaluate(ply) == 0) {
        pos.MoveCount = 0;
        return true;
    }
    return false;
}

// Takes move i out of the list (the last move takes its place).
void DropMove(NodeState& n) {
    RemoveListMove(n.ply, n.i);
    if (n.picker.OrderedCount >= n.i) --n.picker.OrderedCount;
}

// Lazy legality: the move just made is tested only while the list holds
// moves not yet proven legal. Returns false (and drops it) when illegal.
bool KeepLegalMove(SearchThread& st, NodeState& n, Move move) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    if (st.VerifiedCount[ply] >= bt.PositionStack[ply].MoveCount) return true;
    if (MadeMoveIsIllegal(st, ply, move)) {
        DropMove(n);
        return false;
    }
    if (st.VerifiedCount[ply] < n.i) st.VerifiedCount[ply] = n.i;
    return true;
}

// The extension of one move: a check, or a winning mating drive against a
// lone king, at the last ply.
int MoveExtension(SearchThread& st, const NodeState& n, bool givesCheck) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    if (!(ply < ExtensionPlyLimit && n.childLimit == ply + 1 && !bt.BareKing[ply] && (ply == 0 || !n.threatChild)))
        return 0;
    if (givesCheck) return 1;
    if (st.RootMoveReady.load() != 0 && ply >= 1 && bt.BareKing[ply - 1] && n.alpha < MateBound && n.beta > MateBound) {
        const int childView = -Evaluate(ply + 1);
        if (childView > MatingDriveMargin && childView > Evaluate(ply)) return 1;
    }
    return 0;
}

// Whether a move is searched in full without the selectivity step: marked
// by the picker, the first one, extended, checks, material swings, lead
// pawn moves, table bounds that make it interesting, the mate killer, or a
// repetition risk when losing.
bool IsSpecialMove(SearchThread& st, const NodeState& n, Move move, bool mark, int ext, bool givesCheck) {
    BoardTables& bt = st.Board;
    EvalTables& et = st.Eval;
    const int ply = n.ply;
    const PlyPosition& pos = bt.PositionStack[ply];
    const PlyPosition& child = bt.PositionStack[ply + 1];
    const int lead = et.LeadPawnSquare[ply][n.side];
    const int childLimit = n.childLimit;
    const bool special =
        mark || n.i == 1 || ext == 1 || n.best < -MateBound || n.inCheck || givesCheck || bt.BareKing[ply] ||
        (lead != 0 && move.From == lead) ||
        (n.limit - ply > MaterialSwingDepth && std::abs(child.Material - pos.Material) > MaterialSwingMargin) ||
        ChildBound(ply + 1, childLimit, BoundKind::Lower) >= n.best ||
        ChildBound(ply + 1, childLimit, BoundKind::Upper) <= n.alpha ||
        (childLimit - ply > ShallowBoundReduction + 1 &&
         ChildBound(ply + 1, childLimit - ShallowBoundReduction, BoundKind::Lower) >= n.beta) ||
        move == st.MateKiller[ply][n.side];
    return special || (n.best < 0 && child.HalfmoveClock > RepetitionRiskClock && ReturnsToLeftSquare(st, ply, move));
}

// Verdicts of the selectivity step: above best means a full search.
constexpr int SearchInFull = NoScore;
constexpr int NotSearched = -NoScore;
constexpr int ThreatSearchDue = 31000;  // passed the quiescence probe: the threat search decides

// The selectivity step for a move that is not special: a quiescence probe
// against a margin, then a threat search in which this side moves again.
int SelectiveVerdict(SearchThread& st, NodeState& n, int searchLimit) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    const PlyPosition& pos = bt.PositionStack[ply];
    const PlyPosition& child = bt.PositionStack[ply + 1];
    const int best = n.best, limit = n.limit;
    int verdict = ThreatSearchDue;
    const bool notRecapture =
        ply == 0 || child.Material == pos.Material || child.Material != bt.PositionStack[ply - 1].Material;
    const int left = limit - ply;
    if (n.alpha < MateBound && (ply == 0 || bt.CheckerSquare[ply - 1] == 0) && left >= ProbeMinDepth &&
        left <= ProbeMaxDepth && notRecapture) {
        // Quiescence probe against a margin that grows with the depth left.
        const int t = best - ProbeMarginBase - ProbeMarginStep * (1 << left);
        const int q = -Quiesce(ply + 1, -t - 1, -t);
        if (ply == 0 && q < -MateBound) st.RootScores[n.i] = q;
        verdict = q > best + ProbeFullSearchMargin ? SearchInFull : q > t ? ThreatSearchDue : NotSearched;
    }
    if (verdict != ThreatSearchDue || verdict <= best) return verdict;
    if (-Evaluate(ply + 1) > best) return SearchInFull;
    if (best > 0 && (bt.BareKing[ply] || bt.BareKing[ply + 1]) && Evaluate(ply + 1) == 0) return NotSearched;
    if (searchLimit - ply <= ThreatReductionShort) return verdict;
    // Threat search: this side moves again; if even that cannot beat best,
    // the move is not worth a full search.
    bt.PositionStack[ply + 1].SideToMove = n.side;
    const int threatLimit =
        searchLimit - (searchLimit - ply <= ThreatShortDepth ? ThreatReductionShort : ThreatReductionLong);
    verdict = AlphaBeta(ply + 1, threatLimit, best, best + 1, true);
    bt.PositionStack[ply + 1].SideToMove = 1 - n.side;
    if (verdict > best && verdict > n.beta && bt.RepStatus[ply + 2] != RepDraw)
        n.picker.Suggested = st.PvTable[ply + 1][0];
    if (verdict <= best && ply == 0 && verdict < -MateBound) st.RootScores[n.i] = verdict;
    return verdict;
}

// The full search of a move (AlphaBeta nodes; PvSearch has PvFullSearch).
// Returns true when the move cut off.
bool FullSearch(SearchThread& st, NodeState& n, Move move, int ext) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    const int s = -AlphaBeta(ply + 1, n.childLimit + ext, -n.beta, -n.alpha, true);
    if (ply == 0) st.RootScores[n.i] = s;
    if (s <= n.best || SearchIsStopped()) return false;
    n.best = s;
    st.PvTable[ply][0] = move;
    if (ply == 0) st.RootMoveReady.store(1);
    if (n.best >= n.beta) {
        if (FailHighTakesUpper(st, ply, n.best, n.upper) && bt.PositionStack[ply + 1].MoveCount != 0)
            n.best = n.lower = n.upper;
        EndPvRow(ply);
        return true;
    }
    n.alpha = std::max(n.alpha, n.best);
    if (ply == 0 || !n.threatChild) MergePv(ply);
    return false;
}

// What searching one move left the move loop to do.
enum class MoveOutcome {
    Next,    // go on with the next position
    Again,   // the loop's position already holds the next move (or was passed)
    Cutoff,  // the move cut off: leave the loop
};

// One move made into ply + 1 and proven legal: the table skip, the mate in
// hand, the check test, the extension, the selectivity step and the full search.
template <bool Pv>
MoveOutcome SearchMove(SearchThread& st, NodeState& n, Move move, bool mark) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    // The table proves the move cannot beat best.
    if (n.i != 1 && ChildBound(ply + 1, n.childLimit, BoundKind::Upper) <= n.best) return MoveOutcome::Next;

    // A mate in hand shortens the search of the remaining moves.
    if (n.best > MateBound && MateInHandDepth(n.best) < n.childLimit - ply)
        n.childLimit = ply + MateInHandDepth(n.best);
    if (n.childLimit < ply + 1) n.childLimit = ply + 1;

    bt.CheckerSquare[ply + 1] = AttackingSquare(ply + 1, bt.PositionStack[ply + 1].KingSquare[1 - n.side], n.side);
    const bool givesCheck = bt.CheckerSquare[ply + 1] != 0;

    // With a mate in one in hand only checks can be as good.
    if (n.best >= MateInOneScore && n.i > 1 && !givesCheck) {
        if (!Pv && ply >= 1 && !n.threatChild && n.beta - n.alpha == 1 && n.i < bt.PositionStack[ply].MoveCount) {
            DropMove(n);
            // The move taking its place has not been proven legal.
            if (st.VerifiedCount[ply] > 0) --st.VerifiedCount[ply];
        } else {
            ++n.i;
        }
        return MoveOutcome::Again;
    }

    const int ext = MoveExtension(st, n, givesCheck);
    if constexpr (Pv) {
        if (ChildBound(ply + 1, n.childLimit + ext, BoundKind::Lower) > n.alpha) n.zw = n.beta;
    }
    const int verdict =
        IsSpecialMove(st, n, move, mark, ext, givesCheck) ? SearchInFull : SelectiveVerdict(st, n, n.childLimit);
    if (verdict <= n.best) return MoveOutcome::Next;
    bool cutoff;
    if constexpr (Pv) cutoff = PvFullSearch(st, n, move, n.childLimit + ext);
    else cutoff = FullSearch(st, n, move, ext);
    return cutoff ? MoveOutcome::Cutoff : MoveOutcome::Next;
}

// The move loop. Returns false when the search was stopped: the node then
// returns best at once.
template <bool Pv>
bool SearchMoves(SearchThread& st, NodeState& n) {
    BoardTables& bt = st.Board;
    const int ply = n.ply;
    const PlyPosition& pos = bt.PositionStack[ply];
    n.zw = n.alpha > -ScoreInfinity ? n.alpha + 1 : n.beta;
    n.i = 1;
    while (n.i <= pos.MoveCount) {
        const bool mark = PickMove(n.picker, ply, n.i, n.best, n.limit);
        if (n.i > pos.MoveCount) break;
        const Move move = bt.MoveList[ply][n.i];
        SearchMakeMove(ply + 1, n.i);
        if (ply == 0) st.RootScores[n.i] = -NoScore;
        if (!KeepLegalMove(st, n, move)) continue;

        const MoveOutcome outcome = SearchMove<Pv>(st, n, move, mark);
        if (outcome == MoveOutcome::Again) continue;
        if (outcome == MoveOutcome::Cutoff) break;
        // Unwind at once when the search is stopped.
        if (SearchIsStopped()) return false;

        // Next position; a move that mates on the board ends the loop.
        ++n.i;
        if (n.best == MateScore) {
            RecordMate(ply, st.PvTable[ply][0]);
            break;
        }
    }
    return true;
}

}  // namespace

template <bool Pv>
int SearchNode(int ply, int limit, int alpha, int beta, bool fresh) {
    // The thread's state is read once here and handed to every step.
    SearchThread& st = *ThreadSearch;
    BoardTables& bt = st.Board;
    assert(PositionIsConsistent(ply));
    PlyPosition& pos = bt.PositionStack[ply];
    NodeState n{};
    n.ply = ply;
    n.limit = limit;
    n.alpha = n.entryAlpha = alpha;
    n.beta = beta;
    n.side = pos.SideToMove;
    n.threatChild = IsThreatChild(ply);

    // 1. Draw by repetition.
    if (ply >= 1 && !n.threatChild && IsRepetition(ply)) {
        pos.MoveCount = 0;
        return 0;
    }
    // Endgame tables: a position they hold takes their result.
    if (TablebaseReach != 0) {
        int score;
        if (TablebaseDecidesNode(ply, limit, n.threatChild, score)) return score;
    }

    // 2. The node's table entry; without one, internal iterative deepening.
    n.slot = HashSlot(ply);
    HashEntry entry = ReadEntry(n.slot);
    bool match = HashMatches(entry, ply);
    if (fresh && beta > -MateBound && alpha < MateBound && limit - ply > IidReduction && !match) {
        int score;
        if (DeepenFirst<Pv>(st, n, score)) return score;
        fresh = false;
        entry = ReadEntry(n.slot);
        match = HashMatches(entry, ply);
    }

    // 3. Horizon. A node at or beyond its target ply, or too deep for the
    // stack, extends or hands over to the quiescence search.
    if (ply >= n.limit || ply >= DeepestSearchPly) {
        if (ply < HorizonPlyLimit && HorizonExtends(st, ply)) n.limit = ply + 1;
        else return Quiesce(ply, n.alpha, n.beta);
    }
    n.inCheck = bt.CheckerSquare[ply] != 0;
    if (CheckExtends(st, n)) ++n.limit;

    // 4. Count the node.
    CountNodes(st, 1);
    if (st.SelDepth < ply) st.SelDepth = ply;

    // 5. Table probe.
    n.lower = -ScoreInfinity;
    n.upper = ScoreInfinity;
    n.picker = NewPicker(ply, StagePreviousBest);
    if (match) {
        AdoptTableMove(st, ply, entry);
        if (fresh) pos.MoveCount = -1;
        n.picker.PreviousBest = entry.PreviousBest;
        int decided;
        if (entry.StoredDepth >= n.limit - ply && ApplyTableBounds(st, entry, n, decided)) {
            TableDecidedRoot(st, ply, decided);
            return decided;
        }
    }

    // 6. The clock (and "stop", "quit", the node limit).
    if (DeadlineCheck()) return n.alpha;

    // 7. Node set-up, the moves, the lone-king rules, the table's move first.
    SetUpNode<Pv>(st, n);
    if (fresh || pos.MoveCount == -1) GenerateSearchMoves(ply, true);
    int decided;
    if (LoneKingDecides(st, n, decided)) return decided;
    if (TableMoveFirst(ply, false)) n.picker.OrderedCount = 1;

    // 8. Move loop.
    if (!SearchMoves<Pv>(st, n)) return n.best;

    // 9. Mate distance: mate scores move one point toward zero per ply.
    if (n.best != n.lower) {
        if (n.best < -MateBound) {
            ++n.best;
            ++n.beta;
        } else if (n.best > MateBound && n.best < ScoreInfinity) {
            --n.best;
            --n.alpha;
        }
    }

    // 10. Store.
    if (SearchIsStopped()) return n.best;
    if (n.best >= n.lower) n.best = StoreNode(st, n, pos.MoveCount, Pv);
    return n.best;
}

template int SearchNode<false>(int, int, int, int, bool);
template int SearchNode<true>(int, int, int, int, bool);

int AlphaBeta(int ply, int limit, int alpha, int beta, bool fresh) {
    return SearchNode<false>(ply, limit, alpha, beta, fresh);
}
