// The staged move picker: instead of sorting a node's list, each pick brings
// the most promising remaining move to the current position, stage by stage
// (mating moves, the table's moves, captures along the lines of the
// ancestors, the best capture, killers, moving back, castling, history).
// Also the root ordering by earlier scores and the quiescence picker, and the
// history and killer updates of the node store.
#include "search/ordering.h"

#include <utility>

#include "eval/evaluate.h"
#include "search/search.h"
#include "search/tables.h"

namespace {

// Position j >= from of the first entry of the ply's list equal to m, or 0.
int FindMove(int ply, int from, Move m) {
    if (m.From == 0) return 0;
    const int count = PositionStack[ply].MoveCount;
    for (int j = from; j <= count; ++j)
        if (MoveList[ply][j] == m) return j;
    return 0;
}

bool HoldsPieceOf(const PlyPosition& pos, Move m, int side) {
    return m.From >= 1 && m.From <= 64 && ColourOf[pos.Board[m.From]] == side;
}

// Whether a move captures a piece (its to-byte is an occupied square).
bool Captures(const PlyPosition& pos, Move m) { return m.To <= 64 && pos.Board[m.To] != 0; }

// Ranking of two non-promotions by victim code minus attacker code, then the
// victim code, then the history counter, then the centre value of the
// destination. A move that captures nothing counts its victim as 0.
bool RanksAbove(const PlyPosition& pos, Move a, Move b) {
    const int victimA = pos.Board[a.To], victimB = pos.Board[b.To];
    const int diffA = victimA - pos.Board[a.From], diffB = victimB - pos.Board[b.From];
    if (diffA != diffB) return diffA > diffB;
    if (victimA != victimB) return victimA > victimB;
    const int64_t historyA = HistoryTable[a.From][a.To], historyB = HistoryTable[b.From][b.To];
    if (historyA != historyB) return historyA > historyB;
    return KingCentreTable[a.To] > KingCentreTable[b.To];
}

int64_t MateHistoryOf(const PlyPosition& pos, Move m) {
    return MateHistory[pos.Board[m.From]][DestinationOf(m.To)];
}

// The move a lead pawn suggests: its step forward.
Move LeadPawnStep(int ply) {
    const int side = PositionStack[ply].SideToMove;
    const int square = LeadPawnSquare[ply][side];
    const int target = side == White ? square + 8 : square - 8;
    if (square < 1 || square > 64 || target < 1 || target > 64) return Move{0, 0};
    return Move{static_cast<uint8_t>(square), static_cast<uint8_t>(target)};
}

// Root ordering, the first stage at the root once every root move is known to
// be legal: the root moves in descending order of their latest scores, lost
// moves dropped when they cannot matter. Returns true when it took the move
// at i (marked or not); false when the stage ended or the list ran short.
bool RootOrderingStage(PickerState& picker, int& i, int best, int limit, bool& mark) {
    PlyPosition& root = PositionStack[0];
    while (picker.OrderedCount < i && i < root.MoveCount) {
        const int count = root.MoveCount;
        for (int j = i + 1; j <= count; ++j) {
            if (RootScores[i] < RootScores[j]) {
                std::swap(RootScores[i], RootScores[j]);
                std::swap(MoveList[0][i], MoveList[0][j]);
            }
        }
        const int score = RootScores[i];
        if (score <= -NoScore) {
            // Not searched before: the remaining moves go through the normal stages.
            picker.Suggested = LeadPawnStep(0);
            picker.Stage = StagePreviousBest;
            picker.OrderedCount = i - 1;
            return false;
        }
        bool remove = false;
        if (score > best + 10) {
            mark = true;
        } else if (best > MateBound && score < -MateBound) {
            remove = true;
        } else if (best < MateBound && score < best && score < -MateBound) {
            if (score >= limit + 6 - MateScore) {
                ++i;  // mated far away: passed over in this iteration, kept in the list
                continue;
            }
            remove = true;
        }
        if (remove) {
            MoveList[0][i] = MoveList[0][count];
            RootScores[i] = RootScores[count];
            --root.MoveCount;
            if (VerifiedCount[0] > 0) --VerifiedCount[0];
            if (picker.OrderedCount > 0) --picker.OrderedCount;
            continue;
        }
        picker.OrderedCount = i;
        return true;
    }
    return false;
}

}  // namespace

bool PickMove(PickerState& picker, int ply, int& i, int best, int limit) {
    const PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    const bool inCheck = CheckerSquare[ply] != 0;
    const bool threatChild = IsThreatChild(ply);
    Move* list = MoveList[ply];
    bool mark = false;
    bool chosen = false;
    int c = i;

    if (picker.Stage == StageRootOrdering) {
        chosen = RootOrderingStage(picker, i, best, limit, mark);
        c = i;
    }
    const int count = pos.MoveCount;
    // A stage runs only while it is current, the position is not yet filled
    // by an earlier choice, and more than one move is left.
    auto open = [&] { return !chosen && picker.OrderedCount < i && i < count; };
    auto choose = [&](int j) {
        if (j == 0) return false;
        c = j;
        picker.OrderedCount = i;
        chosen = true;
        return true;
    };

    // History-first: moves that have mated at once before.
    if (picker.Stage == StageHistoryFirst && open()) {
        picker.Stage = StagePreviousBest;
        if (IsPromotion(list[i])) {
            picker.Stage = StageHistoryFirst;
        } else {
            int64_t choiceValue = MateHistoryOf(pos, list[c]);
            const int ownKing = 6 * side + 6;
            for (int j = i + 1; j <= count; ++j) {
                const Move m = list[j];
                if (IsPromotion(m)) continue;
                const int64_t value = MateHistoryOf(pos, m);
                if (value <= 0 || value <= choiceValue) continue;
                if (pos.Board[m.From] == ownKing && !threatChild) continue;
                choose(j);
                choiceValue = value;
                if (m == MateKiller[ply][side]) {
                    mark = true;
                    break;
                }
            }
            if (choiceValue > 0) picker.Stage = StageHistoryFirst;
        }
    }

    // The suggested move (lead pawn or threat), whatever the stage.
    if (picker.Suggested.From != 0 && open()) {
        const Move m = picker.Suggested;
        picker.Suggested = Move{0, 0};
        if (!(m == PvTable[ply][0]) && choose(FindMove(ply, i, m))) {
            if (m.To <= 64 && MateHistoryOf(pos, m) > 0) mark = true;
        }
    }

    if (picker.Stage == StagePreviousBest && open()) {
        picker.Stage = StageMateKillerEarly;
        choose(FindMove(ply, i, picker.PreviousBest));
    }

    // The mate killer, early: first move, or the opponent has just escaped a
    // check, or inside a threat search.
    if (picker.Stage == StageMateKillerEarly && open()) {
        picker.Stage = StageAncestorCaptures;
        if (!BareKing[ply] && (i == 1 || (ply >= 1 && (CheckerSquare[ply - 1] != 0 || threatChild)))) {
            const Move m = MateKiller[ply][side];
            if (m.From != 0 && !(m == PvTable[ply][0]) && HoldsPieceOf(pos, m, side) && choose(FindMove(ply, i, m)))
                mark = true;
        }
    }

    // Captures that the lines of the ancestors hold for this ply.
    if (picker.Stage == StageAncestorCaptures && open()) {
        picker.Stage = StageBestCapture;
        while (picker.AncestorCursor > 0 && picker.Stage == StageBestCapture) {
            const int k = picker.AncestorCursor;
            const Move m = PvTable[ply - k][k];
            if (m.From != 0 && HoldsPieceOf(pos, m, side) &&
                (IsPromotion(m) || ColourOf[pos.Board[m.To]] == 1 - side) &&
                !(m == PvTable[ply - k + 1][k - 1]) &&
                (!inCheck || IsPromotion(m) || m.To == CheckerSquare[ply] || pos.Board[m.From] == 6 * side + 6)) {
                if (choose(FindMove(ply, i, m))) picker.Stage = StageAncestorCaptures;
            }
            picker.AncestorCursor = k - 1;
        }
    }

    // The best capture or promotion of the remaining moves.
    if (picker.Stage == StageBestCapture && open()) {
        picker.Stage = StageAncestorMoves;
        for (int j = i; j <= count; ++j) {
            const Move m = list[j], choice = list[c];
            bool better;
            if (IsPromotion(m))
                better = m.To > choice.To;
            else
                better = !IsPromotion(choice) && Captures(pos, m) && RanksAbove(pos, m, choice);
            if (better) {
                choose(j);
                picker.Stage = StageBestCapture;
            }
        }
        if (picker.Stage == StageAncestorMoves) picker.AncestorCursor = ply;
    }

    // Any move that the lines of the ancestors hold for this ply.
    if (picker.Stage == StageAncestorMoves && open()) {
        picker.Stage = StageMateKillerLate;
        while (picker.AncestorCursor > 0 && picker.Stage == StageMateKillerLate) {
            const int k = picker.AncestorCursor;
            const Move m = PvTable[ply - k][k];
            if (m.From != 0 && HoldsPieceOf(pos, m, side) && !(m == PvTable[ply - k + 1][k - 1])) {
                if (choose(FindMove(ply, i, m))) picker.Stage = StageAncestorMoves;
            }
            picker.AncestorCursor = k - 1;
        }
    }

    // The mate killer, late: the quiet case of the early stage.
    if (picker.Stage == StageMateKillerLate && open()) {
        picker.Stage = StageKiller1;
        if (ply == 0 || (CheckerSquare[ply - 1] == 0 && !threatChild)) {
            const Move m = MateKiller[ply][side];
            if (m.From != 0 && !(m == PvTable[ply][0]) && !BareKing[ply] && HoldsPieceOf(pos, m, side) &&
                choose(FindMove(ply, i, m)))
                mark = true;
        }
    }

    for (int slot = 0; slot < 2; ++slot) {
        const int stage = slot == 0 ? StageKiller1 : StageKiller2;
        if (picker.Stage == stage && open()) {
            picker.Stage = stage + 1;
            const Move m = KillerMoves[slot][ply][side];
            if (m.From != 0 && !(m == PvTable[ply][0]) && HoldsPieceOf(pos, m, side)) choose(FindMove(ply, i, m));
        }
    }

    // Moving back: when losing, the piece this side moved last returns.
    if (picker.Stage == StageMoveBack && open()) {
        picker.Stage = StageCastling;
        const bool parentThreat = ply >= 2 && IsThreatChild(ply - 1);
        if (best < 0 && ply >= 1 &&
            (inCheck || BareKing[ply] || pos.HalfmoveClock > 6 || (pos.HalfmoveClock >= 3 && ply >= 3)) &&
            !threatChild && !parentThreat) {
            const LastMoveRecord back = LastMove[ply - 1];
            for (int j = i; j <= count; ++j) {
                const Move m = list[j];
                if (m.To == back.FromSquare && pos.Board[m.From] == back.MovedPiece) {
                    choose(j);
                    mark = true;
                    picker.Stage = StageMoveBack;
                    break;
                }
            }
        }
    }

    if (picker.Stage == StageCastling && open()) {
        picker.Stage = StagesDone;
        const int rights = pos.CastleRights[2 * side] + pos.CastleRights[2 * side + 1];
        if (!BareKing[ply] && !inCheck && rights > 0) {
            const int king = 6 * side + 6;
            for (int j = i; j <= count; ++j) {
                const Move m = list[j];
                if (m.To <= 64 && pos.Board[m.From] == king && (m.From - m.To == 2 || m.To - m.From == 2)) {
                    choose(j);
                    if (rights == 2) picker.Stage = StageCastling;
                    break;
                }
            }
        }
    }

    // History order for whatever no stage chose.
    // The highest history counter wins; on a tie the lower piece code, then
    // the more central destination. The choice's own values are kept at hand.
    if (!chosen && picker.OrderedCount < i) {
        int pick = c;
        const Move first = list[pick];
        int toC = DestinationOf(first.To);
        int64_t hc = HistoryTable[first.From][toC];
        int pc = pos.Board[first.From];
        for (int j = i + 1; j <= count; ++j) {
            const Move m = list[j];
            const int toM = DestinationOf(m.To);
            const int64_t hm = HistoryTable[m.From][toM];
            if (hm < hc) continue;
            const int pm = pos.Board[m.From];
            if (hm > hc || pm < pc || (pm == pc && KingCentreTable[toM] > KingCentreTable[toC])) {
                pick = j;
                toC = toM;
                hc = hm;
                pc = pm;
            }
        }
        c = pick;
    }

    if (c > i) std::swap(list[i], list[c]);
    return mark;
}

void PickQuiescenceMove(int ply, int i) {
    const PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    const int count = pos.MoveCount;
    if (i >= count) return;
    Move* list = MoveList[ply];
    const Move tableMove = PvTable[ply][0];
    const Move parentMove = ply >= 1 ? PvTable[ply - 1][1] : Move{0, 0};
    const Move mateKiller = MateKiller[ply][side];
    // The piece that has just moved, when it is not a pawn: taking it back is tried first.
    const int justMoved = LastMove[ply].MovedPiece;
    const bool recapturable = justMoved >= 2 && justMoved != 7;
    // A promotion's to-byte is no board index: the captured piece stands on its destination square.
    auto takesJustMoved = [&](Move m) { return recapturable && pos.Board[DestinationOf(m.To)] == justMoved; };

    const Move atI = list[i];
    if (atI == tableMove || (ply >= 1 && atI == parentMove) || atI == mateKiller || takesJustMoved(atI)) return;

    int c = i;
    for (int j = i + 1; j <= count; ++j) {
        const Move m = list[j], choice = list[c];
        if (m == tableMove || (ply >= 1 && m == parentMove) || (!BareKing[ply] && m == mateKiller) ||
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

void UpdateOrderingTables(int ply, int storedDepth, int best, int alpha, int beta, bool pvNode) {
    const Move m = PvTable[ply][0];
    if (m.From == 0 || IsPromotion(m)) return;
    const PlyPosition& pos = PositionStack[ply];
    const int side = pos.SideToMove;
    const bool refutesThreat = best >= beta && ply > 1 && IsThreatChild(ply - 1);
    if (pvNode || beta - alpha > 1 || refutesThreat) HistoryTable[m.From][m.To] += storedDepth;
    if (best >= beta && RepStatus[ply + 1] < 1 && best < MateBound && pos.Board[m.To] == 0) {
        Move& first = KillerMoves[0][ply][side];
        Move& second = KillerMoves[1][ply][side];
        if (pvNode) {
            // The principal-variation search keeps its latest two refutations.
            if (!(first == m)) {
                second = first;
                first = m;
            }
        } else if (first.From == 0) {
            first = m;
        } else if (second.From == 0) {
            second = m;
        }
    }
}
