// Colour symmetry: a position and its mirror (board flipped top to bottom,
// colours swapped, the other side to move) evaluate to the same score, and
// their lead pawns and dead-draw flags mirror each other, except where one of
// the rules that are not mirrors of each other applies:
//   - the queen-against-no-queen material rule: White's knight term is
//     2 x knights x rooks, Black's 2 x knights (they differ with two or more
//     rooks and a knight on the side without the queen);
//   - the unstoppable-pawn test against a single knight: Black's form catches
//     the pawn one rank earlier than the mirror of White's (they differ when
//     the knight's distance term equals exactly that rank);
//   - rules that take a side's first queen (lowest square) when it has two or
//     more, and piece lists beyond 8 of one kind: scan order is not mirrored.
#include <random>
#include <string>

#include "eval_support.h"
#include "search/search.h"

namespace {

using evaltest::PlaceBoard;

int MirrorSquare(int s) { return (8 - RankOf[s]) * 8 + FileOf[s]; }

void MirrorBoard(const uint8_t in[65], uint8_t out[65]) {
    out[0] = 0;
    for (int s = 1; s <= 64; ++s) {
        const int c = in[s];
        out[MirrorSquare(s)] = static_cast<uint8_t>(c == Empty ? Empty : (c <= 6 ? c + 6 : c - 6));
    }
}

// Names the non-mirror rule the position can reach, or returns "".
std::string NonMirrorRule(const uint8_t board[65], Side toMove) {
    int count[13] = {};
    int knightSquare[2] = {0, 0};
    int frontRelRank[2][9] = {};  // most advanced pawn per side and file, relative rank
    for (int s = 1; s <= 64; ++s) {
        const int c = board[s];
        if (c == Empty) continue;
        ++count[c];
        if (c == WhiteKnight && knightSquare[White] == 0) knightSquare[White] = s;
        if (c == BlackKnight && knightSquare[Black] == 0) knightSquare[Black] = s;
        if (c == WhitePawn || c == BlackPawn) {
            const Side side = c == WhitePawn ? White : Black;
            const int rr = side == White ? RankOf[s] : 9 - RankOf[s];
            if (rr > frontRelRank[side][FileOf[s]]) frontRelRank[side][FileOf[s]] = rr;
        }
    }
    for (int c = 1; c <= 12; ++c)
        if (count[c] > 8) return "more than 8 pieces of one kind";
    if (count[WhiteQueen] > 1 || count[BlackQueen] > 1) return "first of several queens";
    if (count[WhiteQueen] == 0 && count[BlackQueen] > 0 && count[WhiteRook] > 1 && count[WhiteKnight] > 0)
        return "queen-against-no-queen knight term";
    if (count[BlackQueen] == 0 && count[WhiteQueen] > 0 && count[BlackRook] > 1 && count[BlackKnight] > 0)
        return "queen-against-no-queen knight term";
    for (Side side = White; side <= Black; ++side) {
        const Side enemy = 1 - side;
        const int eN = count[6 * enemy + 2], eB = count[6 * enemy + 3];
        const int eR = count[6 * enemy + 4], eQ = count[6 * enemy + 5];
        if (eN != 1 || eB != 0 || eR != 0 || eQ != 0) continue;
        const int t = toMove == enemy ? 1 : 0;
        for (int f = 1; f <= 8; ++f) {
            const int rr = frontRelRank[side][f];
            if (rr == 0) continue;
            const int x = std::abs(FileOf[knightSquare[enemy]] - f) / 2 - 2 * t;
            if (x == 9 - rr) return "knight against an unstoppable pawn";
        }
    }
    return "";
}

// A random board: two kings and a number of other pieces drawn from one of
// four ranges (bare endings up to full middle games); pawns on ranks 2 to 7.
void RandomBoard(std::mt19937& rng, uint8_t board[65]) {
    for (int s = 0; s <= 64; ++s) board[s] = Empty;
    auto randomSquare = [&](int lo, int hi) {
        std::uniform_int_distribution<int> d(lo, hi);
        for (;;) {
            const int s = d(rng);
            if (board[s] == Empty) return s;
        }
    };
    board[randomSquare(1, 64)] = WhiteKing;
    board[randomSquare(1, 64)] = BlackKing;
    static const int ranges[4][2] = {{0, 3}, {2, 8}, {6, 16}, {12, 30}};
    const int* range = ranges[std::uniform_int_distribution<int>(0, 3)(rng)];
    const int extra = std::uniform_int_distribution<int>(range[0], range[1])(rng);
    // Weights of pawn, knight, bishop, rook, queen.
    std::discrete_distribution<int> type({8, 2, 2, 2, 1});
    int placed[13] = {};
    for (int i = 0; i < extra; ++i) {
        const int t = type(rng) + 1;
        const Side side = std::uniform_int_distribution<int>(0, 1)(rng);
        const int code = 6 * side + t;
        if (placed[code] >= (t == 1 ? 8 : t == 5 ? 1 : 3)) continue;
        ++placed[code];
        board[t == 1 ? randomSquare(9, 56) : randomSquare(1, 64)] = static_cast<uint8_t>(code);
    }
}

}  // namespace

TEST(EvalSymmetry, MirroredPositionsScoreAlikeOutsideTheNonMirrorRules) {
    EvalTables& et = *ThreadEval;
    std::mt19937 rng(20240601u);
    constexpr int Positions = 3000;
    constexpr int Ply = 10, MirrorPly = 11;
    int compared = 0, excluded = 0, deadDraws = 0, marked = 0;
    uint8_t board[65], mirrored[65];
    for (int i = 0; i < Positions; ++i) {
        RandomBoard(rng, board);
        const Side toMove = std::uniform_int_distribution<int>(0, 1)(rng);
        MirrorBoard(board, mirrored);
        if (!NonMirrorRule(board, toMove).empty()) {
            ++excluded;
            continue;
        }
        PlaceBoard(Ply, board, toMove);
        PlaceBoard(MirrorPly, mirrored, 1 - toMove);
        const int score = Evaluate(Ply);
        const bool dead = et.DeadDrawFlag;
        const int mirrorScore = Evaluate(MirrorPly);
        ++compared;
        deadDraws += dead;
        ASSERT_EQ(score, mirrorScore) << "position " << i;
        ASSERT_EQ(dead, et.DeadDrawFlag) << "position " << i;
        for (Side side = White; side <= Black; ++side) {
            const int lead = et.LeadPawnSquare[Ply][side];
            const int mirrorLead = et.LeadPawnSquare[MirrorPly][1 - side];
            ASSERT_EQ(lead == 0 ? 0 : MirrorSquare(lead), mirrorLead) << "position " << i;
            marked += lead != 0;
        }
    }
    // The sample must really cover the evaluation.
    EXPECT_GE(compared, 2500);
    EXPECT_LT(excluded, 500);
    EXPECT_GT(deadDraws, 5);
    EXPECT_GT(marked, 100);
}

TEST(EvalSymmetry, PositionsFromRandomGamesScoreLikeTheirMirrors) {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    // Random legal games from a few starting positions; every position met is
    // compared with its mirror, placed on a spare ply.
    const char* const starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "4k3/pp3p2/8/3P4/8/8/PPP2P2/4K3 b - - 0 1",
        "2b1k3/8/8/8/8/8/3B4/4K3 w - - 0 1",
    };
    constexpr int MirrorPly = 82;
    std::mt19937 rng(77u);
    int compared = 0;
    uint8_t mirrored[65];
    for (const char* fen : starts) {
        for (int game = 0; game < 6; ++game) {
            evaltest::SetupOrFail(fen);
            for (int ply = 0; ply < 60; ++ply) {
                GenerateMoves(ply, true);
                const int count = bt.PositionStack[ply].MoveCount;
                if (count <= 0) break;
                // Try the moves from a random entry on until one is legal.
                const int first = std::uniform_int_distribution<int>(1, count)(rng);
                bool made = false;
                for (int k = 0; k < count && !made; ++k) {
                    SearchMakeMove(ply + 1, (first - 1 + k) % count + 1);
                    made = MoveWasLegal(ply + 1);
                }
                if (!made) break;
                const PlyPosition& p = bt.PositionStack[ply + 1];
                bt.CheckerSquare[ply + 1] = AttackingSquare(ply + 1, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
                if (!NonMirrorRule(p.Board, p.SideToMove).empty()) continue;
                MirrorBoard(p.Board, mirrored);
                PlaceBoard(MirrorPly, mirrored, 1 - p.SideToMove);
                ASSERT_EQ(bt.PositionStack[MirrorPly].Material, -p.Material);
                const int score = Evaluate(ply + 1);
                const bool dead = et.DeadDrawFlag;
                ASSERT_EQ(score, Evaluate(MirrorPly)) << fen << " game " << game << " ply " << ply + 1;
                ASSERT_EQ(dead, et.DeadDrawFlag);
                for (Side side = White; side <= Black; ++side) {
                    const int lead = et.LeadPawnSquare[ply + 1][side];
                    ASSERT_EQ(lead == 0 ? 0 : MirrorSquare(lead), et.LeadPawnSquare[MirrorPly][1 - side]);
                }
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 1000);
}

TEST(EvalSymmetry, TheExcludedRulesReallyBreakTheMirror) {
    // Black queen against two white rooks and a knight, and its mirror.
    uint8_t board[65] = {}, mirrored[65];
    board[evaltest::Sq("e1")] = WhiteKing;
    board[evaltest::Sq("a1")] = WhiteRook;
    board[evaltest::Sq("h1")] = WhiteRook;
    board[evaltest::Sq("b1")] = WhiteKnight;
    board[evaltest::Sq("e8")] = BlackKing;
    board[evaltest::Sq("d8")] = BlackQueen;
    board[evaltest::Sq("a7")] = BlackPawn;
    MirrorBoard(board, mirrored);
    EXPECT_EQ(NonMirrorRule(board, White), "queen-against-no-queen knight term");
    PlaceBoard(10, board, White);
    PlaceBoard(11, mirrored, Black);
    // White's knight term 2 x 1 x 2 against Black's mirrored 2 x 1.
    EXPECT_EQ(Evaluate(10) - Evaluate(11), 2);
}
