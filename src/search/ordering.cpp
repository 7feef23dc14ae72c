// The staged move picker: instead of sorting a node's list, each pick brings
// the most promising remaining move to the current position, stage by stage
// (mating moves, the table's moves, captures along the lines of the
// ancestors, the best capture, killers, moving back, castling, history).
// Also the root ordering by earlier scores and the quiescence picker.
#include "search/ordering.h"

#include <utility>

#include "eval/evaluate.h"
#include "search/search.h"
#include "search/tables.h"

namespace {

// A root move whose score from earlier iterations beats best by more than
// this is marked (searched in full).
constexpr int RootMarkMargin = 10;
// A root move mated no sooner than this many plies beyond the iteration's
// target ply is passed over for the iteration but kept in the list.
constexpr int FarMatePlies = 6;
// The move-back stage runs for a losing side once the halfmove clock
// exceeds MoveBackClock, or reaches MoveBackClockInLine at that ply or deeper.
constexpr int MoveBackClock = 6;
constexpr int MoveBackClockInLine = 3;

// Position j >= from of the first entry of the ply's list equal to m, or 0.
int FindListMove(int ply, int from, Move m) {
    BoardTables& bt = *ThreadBoard;
    if (m.From == 0) return 0;
    const int count = bt.PositionStack[ply].MoveCount;
    for (int j = from; j <= count; ++j)
        if (bt.MoveList[ply][j] == m) return j;
    return 0;
}

bool HoldsPieceOf(const PlyPosition& pos, Move m, int side) {
    return m.From != 0 && m.From < SquareSlots && ColourOf[pos.Board[m.From]] == side;
}

// The piece a non-promotion captures, 0 for none: castling coded as the king
// taking its own rook captures nothing.
int VictimOf(const PlyPosition& pos, Move m) {
    const int piece = pos.Board[m.To];
    return ColourOf[piece] == pos.SideToMove ? Empty : piece;
}

// Whether a move captures a piece (its to-byte is a square holding an enemy piece).
bool Captures(const PlyPosition& pos, Move m) { return !IsPromotion(m) && VictimOf(pos, m) != Empty; }

// Ranking of two non-promotions by victim code minus attacker code, then the
// victim code, then the history counter, then the centre value of the
// destination. A move that captures nothing counts its victim as 0.
bool RanksAbove(const PlyPosition& pos, Move a, Move b) {
    SearchThread& st = *ThreadSearch;
    const int victimA = VictimOf(pos, a), victimB = VictimOf(pos, b);
    const int diffA = victimA - pos.Board[a.From], diffB = victimB - pos.Board[b.From];
    if (diffA != diffB) return diffA > diffB;
    if (victimA != victimB) return victimA > victimB;
    const int64_t historyA = st.HistoryTable[a.From][a.To], historyB = st.HistoryTable[b.From][b.To];
    if (historyA != historyB) return historyA > historyB;
    return KingCentreTable[a.To] > KingCentreTable[b.To];
}

int64_t MateHistoryOf(const PlyPosition& pos, Move m) {
    SearchThread& st = *ThreadSearch;
    return st.MateHistory[pos.Board[m.From]][DestinationOf(m.To)];
}

// Root ordering, the first stage at the root once every root move is known to
// be legal: the root moves in descending order of their latest scores, lost
// moves dropped when they cannot matter. Returns true when it took the move
// at i (marked or not); false when the stage ended or the list ran short.
bool RootOrderingStage(PickerState& picker, int& i, int best, int limit, bool& mark) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    PlyPosition& root = bt.PositionStack[0];
    while (picker.OrderedCount < i && i < root.MoveCount) {
        const int count = root.MoveCount;
        for (int j = i + 1; j <= count; ++j) {
            if (st.RootScores[i] < st.RootScores[j]) {
                std::swap(st.RootScores[i], st.RootScores[j]);
                std::swap(bt.MoveList[0][i], bt.MoveList[0][j]);
            }
        }
        const int score = st.RootScores[i];
        if (score <= -NoScore) {
            // Not searched before: the remaining moves go through the normal stages.
            picker.Suggested = LeadPawnStep(0);
            picker.Stage = StagePreviousBest;
            picker.OrderedCount = i - 1;
            return false;
        }
        bool remove = false;
        if (score > best + RootMarkMargin) {
            mark = true;
        } else if (best > MateBound && score < -MateBound) {
            remove = true;
        } else if (best < MateBound && score < best && score < -MateBound) {
            if (score >= limit + FarMatePlies - MateScore) {
                ++i;  // mated far away: passed over in this iteration, kept in the list
                continue;
            }
            remove = true;
        }
        if (remove) {
            bt.MoveList[0][i] = bt.MoveList[0][count];
            st.RootScores[i] = st.RootScores[count];
            --root.MoveCount;
            if (st.VerifiedCount[0] > 0) --st.VerifiedCount[0];
            if (picker.OrderedCount > 0) --picker.OrderedCount;
            continue;
        }
        picker.OrderedCount = i;
        return true;
    }
    return false;
}

// One pick in progress: the node, the position being filled (i), the move
// chosen for it so far (c) and what the stages have decided.
struct Pick {
    PickerState& picker;
    const PlyPosition& pos;
    Move* list;
    int ply;
    int i;
    int count;
    int side;
    bool inCheck;
    bool threatChild;
    int best;
    int c;
    bool mark;
    bool chosen;

    // A stage runs only while it is current, the position is not yet filled
    // by an earlier choice, and more than one move is left.
    bool Open(int stage) const { return picker.Stage == stage && !chosen && picker.OrderedCount < i && i < count; }
    // Takes the move at list position j (none when j is 0) for position i.
    bool Choose(int j) {
        if (j == 0) return false;
        c = j;
        picker.OrderedCount = i;
        chosen = true;
        return true;
    }
    // Position of a move in the rest of the list, or 0.
    int Find(Move m) const { return FindListMove(ply, i, m); }
};

// History-first: moves that have mated at once before.
void HistoryFirstStage(Pick& p) {
    SearchThread& st = *ThreadSearch;
    if (!p.Open(StageHistoryFirst)) return;
    PickerState& picker = p.picker;
    picker.Stage = StagePreviousBest;
    if (IsPromotion(p.list[p.i])) {
        picker.Stage = StageHistoryFirst;
        return;
    }
    int64_t choiceValue = MateHistoryOf(p.pos, p.list[p.c]);
    const int ownKing = PieceOf(p.side, King);
    for (int j = p.i + 1; j <= p.count; ++j) {
        const Move m = p.list[j];
        if (IsPromotion(m)) continue;
        const int64_t value = MateHistoryOf(p.pos, m);
        if (value <= 0 || value <= choiceValue) continue;
        if (p.pos.Board[m.From] == ownKing && !p.threatChild) continue;
        p.Choose(j);
        choiceValue = value;
        if (m == st.MateKiller[p.ply][p.side]) {
            p.mark = true;
            break;
        }
    }
    if (choiceValue > 0) picker.Stage = StageHistoryFirst;
}

// The suggested move (lead pawn or threat), whatever the stage.
void SuggestedMoveStage(Pick& p) {
    SearchThread& st = *ThreadSearch;
    if (p.picker.Suggested.From == 0 || !p.Open(p.picker.Stage)) return;
    const Move m = p.picker.Suggested;
    p.picker.Suggested = Move{0, 0};
    if (!(m == st.PvTable[p.ply][0]) && p.Choose(p.Find(m))) {
        if (!IsPromotion(m) && MateHistoryOf(p.pos, m) > 0) p.mark = true;
    }
}

// The table entry's previous best move.
void PreviousBestStage(Pick& p) {
    if (!p.Open(StagePreviousBest)) return;
    p.picker.Stage = StageMateKillerEarly;
    p.Choose(p.Find(p.picker.PreviousBest));
}

// The mate killer, early: first move, or the opponent has just escaped a
// check, or inside a threat search.
void MateKillerEarlyStage(Pick& p) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    if (!p.Open(StageMateKillerEarly)) return;
    p.picker.Stage = StageAncestorCaptures;
    const int ply = p.ply;
    if (!bt.BareKing[ply] && (p.i == 1 || (ply >= 1 && (bt.CheckerSquare[ply - 1] != 0 || p.threatChild)))) {
        const Move m = st.MateKiller[ply][p.side];
        if (m.From != 0 && !(m == st.PvTable[ply][0]) && HoldsPieceOf(p.pos, m, p.side) && p.Choose(p.Find(m)))
            p.mark = true;
    }
}

// The ancestor-line stages: the moves that the lines of the ancestors hold
// for this ply (PvTable[ply - k][k], nearest ancestor last), except one that
// the next ancestor's line already holds at the same place. The stage stays
// current (and the cursor moves on) after each move it takes; wanted filters
// the moves.
template <typename Wanted>
void AncestorLineStage(Pick& p, int stage, int nextStage, Wanted wanted) {
    SearchThread& st = *ThreadSearch;
    if (!p.Open(stage)) return;
    PickerState& picker = p.picker;
    picker.Stage = nextStage;
    while (picker.AncestorCursor > 0 && picker.Stage == nextStage) {
        const int k = picker.AncestorCursor;
        const Move m = st.PvTable[p.ply - k][k];
        if (m.From != 0 && HoldsPieceOf(p.pos, m, p.side) && wanted(m) && !(m == st.PvTable[p.ply - k + 1][k - 1])) {
            if (p.Choose(p.Find(m))) picker.Stage = stage;
        }
        picker.AncestorCursor = k - 1;
    }
}

// Captures and promotions that the lines of the ancestors hold for this ply;
// in check only those that can answer it.
void AncestorCapturesStage(Pick& p) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& pos = p.pos;
    const int side = p.side;
    AncestorLineStage(p, StageAncestorCaptures, StageBestCapture, [&](Move m) {
        return (IsPromotion(m) || ColourOf[pos.Board[m.To]] == 1 - side) &&
               (!p.inCheck || IsPromotion(m) || m.To == bt.CheckerSquare[p.ply] ||
                pos.Board[m.From] == PieceOf(side, King));
    });
}

// The best capture or promotion of the remaining moves.
void BestCaptureStage(Pick& p) {
    if (!p.Open(StageBestCapture)) return;
    PickerState& picker = p.picker;
    picker.Stage = StageAncestorMoves;
    for (int j = p.i; j <= p.count; ++j) {
        const Move m = p.list[j], choice = p.list[p.c];
        bool better;
        if (IsPromotion(m)) better = m.To > choice.To;
        else better = !IsPromotion(choice) && Captures(p.pos, m) && RanksAbove(p.pos, m, choice);
        if (better) {
            p.Choose(j);
            picker.Stage = StageBestCapture;
        }
    }
    if (picker.Stage == StageAncestorMoves) picker.AncestorCursor = p.ply;
}

// Any move that the lines of the ancestors hold for this ply.
void AncestorMovesStage(Pick& p) {
    AncestorLineStage(p, StageAncestorMoves, StageMateKillerLate, [](Move) { return true; });
}

// The mate killer, late: the quiet case of the early stage.
void MateKillerLateStage(Pick& p) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    if (!p.Open(StageMateKillerLate)) return;
    p.picker.Stage = StageKiller1;
    const int ply = p.ply;
    if (ply == 0 || (bt.CheckerSquare[ply - 1] == 0 && !p.threatChild)) {
        const Move m = st.MateKiller[ply][p.side];
        if (m.From != 0 && !(m == st.PvTable[ply][0]) && !bt.BareKing[ply] && HoldsPieceOf(p.pos, m, p.side) &&
            p.Choose(p.Find(m)))
            p.mark = true;
    }
}

// The killer of one slot (0 or 1).
void KillerStage(Pick& p, int slot) {
    SearchThread& st = *ThreadSearch;
    const int stage = slot == 0 ? StageKiller1 : StageKiller2;
    if (!p.Open(stage)) return;
    p.picker.Stage = stage + 1;
    const Move m = st.KillerMoves[slot][p.ply][p.side];
    if (m.From != 0 && !(m == st.PvTable[p.ply][0]) && HoldsPieceOf(p.pos, m, p.side)) p.Choose(p.Find(m));
}

// Moving back: when losing, the piece this side moved last returns.
void MoveBackStage(Pick& p) {
    BoardTables& bt = *ThreadBoard;
    if (!p.Open(StageMoveBack)) return;
    p.picker.Stage = StageCastling;
    const int ply = p.ply;
    const PlyPosition& pos = p.pos;
    const bool parentThreat = ply >= 2 && IsThreatChild(ply - 1);
    if (p.best < 0 && ply >= 1 &&
        (p.inCheck || bt.BareKing[ply] || pos.HalfmoveClock > MoveBackClock ||
         (pos.HalfmoveClock >= MoveBackClockInLine && ply >= MoveBackClockInLine)) &&
        !p.threatChild && !parentThreat) {
        const LastMoveRecord back = bt.LastMove[ply - 1];
        for (int j = p.i; j <= p.count; ++j) {
            const Move m = p.list[j];
            if (m.To == back.FromSquare && pos.Board[m.From] == back.MovedPiece) {
                p.Choose(j);
                p.mark = true;
                p.picker.Stage = StageMoveBack;
                break;
            }
        }
    }
}

// Castling, while the side still has a right to castle; with both rights
// the stage stays current for the second castling move.
void CastlingStage(Pick& p) {
    BoardTables& bt = *ThreadBoard;
    if (!p.Open(StageCastling)) return;
    p.picker.Stage = StagesDone;
    const PlyPosition& pos = p.pos;
    const int rights = pos.CastleRights[2 * p.side] + pos.CastleRights[2 * p.side + 1];
    if (bt.BareKing[p.ply] || p.inCheck || rights == 0) return;
    for (int j = p.i; j <= p.count; ++j) {
        if (IsCastlingMove(pos, p.list[j])) {
            p.Choose(j);
            if (rights == 2) p.picker.Stage = StageCastling;
            break;
        }
    }
}

// History order for whatever no stage chose: the highest history counter
// wins; on a tie the lower piece code, then the more central destination.
// The choice's own values are kept at hand.
void HistoryOrder(Pick& p) {
    SearchThread& st = *ThreadSearch;
    if (p.chosen || p.picker.OrderedCount >= p.i) return;
    const Move* list = p.list;
    int pick = p.c;
    const Move first = list[pick];
    int toC = DestinationOf(first.To);
    int64_t hc = st.HistoryTable[first.From][toC];
    int pc = p.pos.Board[first.From];
    for (int j = p.i + 1; j <= p.count; ++j) {
        const Move m = list[j];
        const int toM = DestinationOf(m.To);
        const int64_t hm = st.HistoryTable[m.From][toM];
        if (hm < hc) continue;
        const int pm = p.pos.Board[m.From];
        if (hm > hc || pm < pc || (pm == pc && KingCentreTable[toM] > KingCentreTable[toC])) {
            pick = j;
            toC = toM;
            hc = hm;
            pc = pm;
        }
    }
    p.c = pick;
}

}  // namespace

Move LeadPawnStep(int ply) {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    const int side = bt.PositionStack[ply].SideToMove;
    const int square = et.LeadPawnSquare[ply][side];
    const int target = side == White ? square + RankStep : square - RankStep;
    if (square < 1 || square >= SquareSlots || target < 1 || target >= SquareSlots) return Move{0, 0};
    return Move{static_cast<uint8_t>(square), static_cast<uint8_t>(target)};
}

bool PickMove(PickerState& picker, int ply, int& i, int best, int limit) {
    BoardTables& bt = *ThreadBoard;
    bool mark = false;
    bool chosen = false;
    if (picker.Stage == StageRootOrdering) chosen = RootOrderingStage(picker, i, best, limit, mark);
    const PlyPosition& pos = bt.PositionStack[ply];
    Pick p{picker,
           pos,
           bt.MoveList[ply],
           ply,
           i,
           pos.MoveCount,
           pos.SideToMove,
           bt.CheckerSquare[ply] != 0,
           IsThreatChild(ply),
           best,
           i,
           mark,
           chosen};

    HistoryFirstStage(p);
    SuggestedMoveStage(p);
    PreviousBestStage(p);
    MateKillerEarlyStage(p);
    AncestorCapturesStage(p);
    BestCaptureStage(p);
    AncestorMovesStage(p);
    MateKillerLateStage(p);
    KillerStage(p, 0);
    KillerStage(p, 1);
    MoveBackStage(p);
    CastlingStage(p);
    HistoryOrder(p);

    if (p.c > i) std::swap(p.list[i], p.list[p.c]);
    return p.mark;
}

bool TableMoveFirst(int ply, bool capturesOnly) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    const PlyPosition& pos = bt.PositionStack[ply];
    const int side = pos.SideToMove;
    const Move m = st.PvTable[ply][0];
    if (!HoldsPieceOf(pos, m, side)) return false;
    if (capturesOnly && !IsPromotion(m) && ColourOf[pos.Board[m.To]] != 1 - side) return false;
    const int j = FindListMove(ply, 1, m);
    if (j == 0) return false;
    std::swap(bt.MoveList[ply][1], bt.MoveList[ply][j]);
    return true;
}

void PickQuiescenceMove(int ply, int i) {
    BoardTables& bt = *ThreadBoard;
    SearchThread& st = *ThreadSearch;
    const PlyPosition& pos = bt.PositionStack[ply];
    const int side = pos.SideToMove;
    const int count = pos.MoveCount;
    if (i >= count) return;
    Move* list = bt.MoveList[ply];
    const Move tableMove = st.PvTable[ply][0];
    const Move parentMove = ply >= 1 ? st.PvTable[ply - 1][1] : Move{0, 0};
    const Move mateKiller = st.MateKiller[ply][side];
    // The piece that has just moved, when it is not a pawn: taking it back is tried first.
    const int justMoved = bt.LastMove[ply].MovedPiece;
    const bool recapturable = justMoved > WhitePawn && justMoved != BlackPawn;
    // A promotion's to-byte is no board index: the captured piece stands on its destination square.
    auto takesJustMoved = [&](Move m) { return recapturable && pos.Board[DestinationOf(m.To)] == justMoved; };

    const Move atI = list[i];
    if (atI == tableMove || (ply >= 1 && atI == parentMove) || atI == mateKiller || takesJustMoved(atI)) return;

    int c = i;
    for (int j = i + 1; j <= count; ++j) {
        const Move m = list[j], choice = list[c];
        if (m == tableMove || (ply >= 1 && m == parentMove) || (!bt.BareKing[ply] && m == mateKiller) ||
            (!IsPromotion(m) && !IsPromotion(choice) && takesJustMoved(m))) {
            c = j;
            break;
        }
        bool better;
        if (IsPromotion(m)) {
            better = m.To > choice.To;
        } else if (IsPromotion(choice)) {
            better = false;
        } else {
            const bool capM = Captures(pos, m), capC = Captures(pos, choice);
            better = (capM && !capC) || RanksAbove(pos, m, choice);
        }
        if (better) c = j;
    }
    if (c > i) std::swap(list[i], list[c]);
}
