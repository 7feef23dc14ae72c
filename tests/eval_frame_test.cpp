// Evaluation frame: the per-ply cache, dead draws, material terms, the
// lone-minor terms and the cannot-win clamp, with hand-computed values.
#include "eval_support.h"
#include "search/search.h"

using evaltest::CensusOfRoot;
using evaltest::EvalFen;
using evaltest::SetupOrFail;

namespace {
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const StartFenBlack = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1";
}  // namespace

TEST(EvalFrame, InitialPositionIsExactlyZeroForEitherSide) {
    EvalTables& et = *ThreadEval;
    EXPECT_EQ(EvalFen(StartFen), 0);
    EXPECT_FALSE(et.DeadDrawFlag);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 0);
    EXPECT_EQ(et.LeadPawnSquare[0][Black], 0);
    EXPECT_EQ(EvalFen(StartFenBlack), 0);
    EXPECT_EQ(et.EvalCache[0][Black], 0);

    // Each side's two bishops are shut in by their own pawns (-90 each) and
    // have the pair (65 - 3 x 8); the four bishop terms cancel.
    SetupOrFail(StartFen);
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(e.pieceTotal, 32);
    EXPECT_EQ(BishopTerms(e, White), 41 - 180);
    EXPECT_EQ(BishopTerms(e, Black), -(41 - 180));
}

TEST(EvalFrame, CacheAnswersRepeatedCallsPerPlyAndSide) {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    // White pawns e3 and e4 against a bare king: 179, White's lead pawn e4.
    SetupOrFail("4k3/8/8/8/4P3/4P3/8/4K3 w - - 0 1");
    EXPECT_EQ(Evaluate(0), 179);
    EXPECT_EQ(et.EvalCache[0][White], 179);
    EXPECT_EQ(et.EvalCache[0][Black], -32000);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 29);

    // A cached answer touches nothing: the lead pawn stays as it was left,
    // even when the board has been changed behind the cache's back.
    et.LeadPawnSquare[0][White] = 7;
    SetSquare(bt.PositionStack[0], 21, Empty);
    EXPECT_EQ(Evaluate(0), 179);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 7);
    SetSquare(bt.PositionStack[0], 21, WhitePawn);

    // The other side to move is evaluated afresh and cached separately.
    bt.PositionStack[0].SideToMove = Black;
    EXPECT_EQ(Evaluate(0), -179);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 29);
    EXPECT_EQ(et.EvalCache[0][Black], -179);
    EXPECT_EQ(et.EvalCache[0][White], 179);
    bt.PositionStack[0].SideToMove = White;
    EXPECT_EQ(Evaluate(0), 179);

    // The stored entry is what a repeated call returns.
    et.EvalCache[0][White] = 1234;
    EXPECT_EQ(Evaluate(0), 1234);
    // After the per-ply reset the position is computed again.
    ResetEvalPly(0);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 0);
    EXPECT_EQ(Evaluate(0), 179);

    // Preparing the root of a search resets ply 0's entries.
    et.EvalCache[0][White] = 4321;
    et.LeadPawnSquare[0][Black] = 9;
    PrepareSearchRoot();
    EXPECT_EQ(et.EvalCache[0][White], -32000);
    EXPECT_EQ(et.LeadPawnSquare[0][Black], 0);
    EXPECT_EQ(Evaluate(0), 179);
}

TEST(EvalFrame, DeadDrawsSetTheFlagAndCachedCallsClearIt) {
    EvalTables& et = *ThreadEval;
    struct Case {
        const char* fen;
        bool dead;
    };
    const Case cases[] = {
        {"8/8/8/4k3/8/8/8/4K3 w - - 0 1", true},                                                  // bare kings
        {"8/8/8/4k3/8/8/8/4K3 b - - 0 1", true},      {"8/8/8/4k3/8/8/8/1N2K3 b - - 0 1", true},  // king and knight
        {"8/8/8/4k3/8/2b5/8/4K3 w - - 0 1", true},                                                // king and bishop
        {"5b2/8/8/4k3/8/8/8/2B1K3 w - - 0 1", true},   // bishops on dark squares
        {"2b5/8/8/4k3/8/8/8/3BK3 b - - 0 1", true},    // bishops on light squares
        {"2b5/8/8/4k3/8/8/8/2B1K3 w - - 0 1", false},  // opposite colours: clamped to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        EXPECT_EQ(EvalFen(c.fen), 0);
        EXPECT_EQ(et.DeadDrawFlag, c.dead);
        if (c.dead) {
            // A cached answer never reports a dead draw.
            EXPECT_EQ(Evaluate(0), 0);
            EXPECT_FALSE(et.DeadDrawFlag);
        }
    }
    // Any other evaluation clears the flag.
    EvalFen("8/8/8/4k3/8/8/8/4K3 w - - 0 1");
    ASSERT_TRUE(et.DeadDrawFlag);
    EXPECT_EQ(EvalFen("8/8/8/4k3/8/4K3/8/R7 w - - 0 1"), 5560);
    EXPECT_FALSE(et.DeadDrawFlag);
}

TEST(EvalFrame, CannotWinClampAndLoneMinors) {
    EvalTables& et = *ThreadEval;
    // King and bishop against king and pawn: 225 material + 2 (bishop square)
    // + 20 (a7 pawn square) - 11 (black passed pawn 15, king 4 files away -4)
    // + 38 (bishop: single colour 30 - 2 for the king on the other colour,
    // pawn-safe 4, two free diagonals 6) - 175 (lone minor) = 99 > 0; White
    // cannot win and Black has a pawn: -1.
    EXPECT_EQ(EvalFen("4k3/p7/8/8/8/8/8/2B1K3 w - - 0 1"), -1);
    EXPECT_FALSE(et.DeadDrawFlag);
    EXPECT_EQ(EvalFen("4k3/p7/8/8/8/8/8/2B1K3 b - - 0 1"), 1);

    // King and knight against king and bishop, the bishop shut in on h8 by
    // its own king: knight -22 + 4, bishop +1, Black's bishop terms +56, lone
    // minors cancel: +37 for White, clamped to 0 (Black has nothing either).
    SetupOrFail("7b/6k1/8/8/4N3/8/8/4K3 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(BishopTerms(e, Black), -30 - 4 + 90);
    EXPECT_EQ(KnightTerms(e, White), 4);
    EXPECT_EQ(LoneMinorTerms(e), 0);
    EXPECT_EQ(CannotWinClamp(e, 37), 0);
    EXPECT_EQ(Evaluate(0), 0);
    EXPECT_FALSE(et.DeadDrawFlag);

    // The clamp leaves a side that still has a pawn alone.
    SetupOrFail("6k1/8/8/4N3/3P4/8/8/6K1 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(LoneMinorTerms(e), -75);
    EXPECT_EQ(CannotWinClamp(e, 381), 381);
    // Two minors can win: no clamp, and White keeps its score.
    SetupOrFail("7k/8/8/8/8/8/8/1NN1K3 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(CannotWinClamp(e, 605), 605);
    EXPECT_EQ(CannotWinClamp(e, -20), 1);
}

TEST(EvalFrame, MaterialTermsIncludingTheQueenRuleThatIsNoMirror) {
    // Two white rooks against a black queen without rooks: +100 - 12 per
    // black minor; the black queen with a knight: -1.
    SetupOrFail("1n1qk3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), 100 - 12 * 1 - 1);
    SetupOrFail("3qk3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), 100);

    // Two rooks and a knight against a queen. White's knight term is
    // multiplied by its rooks (2 x 1 x 2), Black's is not (2 x 1).
    SetupOrFail("3qk3/8/8/8/8/8/8/RN2K2R w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), (2 * 0 + 1) * 2 + 2 * 1 * 2 + 100);
    SetupOrFail("rn2k2r/8/8/8/8/8/8/3QK3 w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), -(2 * 0 + 1) * 2 - 2 * 1 - 100);

    // Queen with knights; rooks with minors (bishops count double).
    SetupOrFail("3qk3/8/8/8/8/8/8/1N1QK1N1 w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), 2);
    SetupOrFail("4k3/8/8/8/8/8/8/RNB1K2R w - - 0 1");
    EXPECT_EQ(MaterialTerms(CensusOfRoot()), (2 * 1 + 1) * 2);

    // With own pawns: +6 per knight and pawn, -12 per rook and pawn.
    SetupOrFail("r3k3/ppp2n2/8/8/8/8/PPP5/R3K1N1 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(OwnPawnMaterialTerms(e, White), 6 * 1 * 3 - 12 * 1 * 3);
    EXPECT_EQ(OwnPawnMaterialTerms(e, Black), -(6 * 1 * 3 - 12 * 1 * 3));
}

// The searches' make move starts the child ply with empty entries.
TEST(EvalFrame, MakingAMoveResetsTheChildPly) {
    BoardTables& bt = *ThreadBoard;
    SetupOrFail(StartFen);
    GenerateMoves(0, true);
    auto entryOf = [&](int from, int to) {
        for (int n = 1; n <= bt.PositionStack[0].MoveCount; ++n)
            if (bt.MoveList[0][n].From == from && bt.MoveList[0][n].To == to) return n;
        return 0;
    };
    const int e2e4 = entryOf(13, 29), b1c3 = entryOf(2, 19);
    ASSERT_NE(e2e4, 0);
    ASSERT_NE(b1c3, 0);
    SearchMakeMove(1, e2e4);
    const int afterE4 = Evaluate(1);
    SearchMakeMove(1, b1c3);
    const int afterNc3 = Evaluate(1);
    // The same board placed on a fresh ply gives the same score: nothing of
    // the first move's evaluation survived in ply 1.
    evaltest::PlaceBoard(5, bt.PositionStack[1].Board, Black);
    EXPECT_EQ(afterNc3, Evaluate(5));
    EXPECT_NE(afterE4, afterNc3);
}

TEST(EvalFrame, CensusOfAnOverfullBoardStopsAtTheThirtySecondSquare) {
    // The initial position with two more white knights (e3, d6): 34 pieces.
    // Counted in square order, g8 and h8 are the 33rd and 34th and stay out.
    evaltest::EnsureEngineTables();
    uint8_t board[65];
    std::memcpy(board, StartBoard, sizeof board);
    board[evaltest::Sq("e3")] = WhiteKnight;
    board[evaltest::Sq("d6")] = WhiteKnight;
    evaltest::PlaceBoard(0, board, White);
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(e.pieceTotal, 32);
    EXPECT_EQ(e.count[WhiteKnight], 4);
    EXPECT_EQ(e.count[BlackKnight], 1);
    EXPECT_EQ(e.count[BlackRook], 1);
    EXPECT_EQ(e.squares[WhiteKnight][2], evaltest::Sq("e3"));
    EXPECT_EQ(e.squares[WhiteKnight][3], evaltest::Sq("d6"));
    EXPECT_EQ(e.bk, evaltest::Sq("e8"));
    const int overfull = evaltest::ScanTermsOfRoot();

    // The same board without g8 and h8 holds 32 pieces, all counted: its
    // square terms are the ones the overfull board's scan added up.
    board[evaltest::Sq("g8")] = Empty;
    board[evaltest::Sq("h8")] = Empty;
    evaltest::PlaceBoard(0, board, White);
    EXPECT_EQ(CensusOfRoot().pieceTotal, 32);
    EXPECT_EQ(evaltest::ScanTermsOfRoot(), overfull);
    // Against the initial position (0): knights e3 and d6 add 8 - 30 each,
    // e2 and d7 now have a piece in front (-1, +1), and without h8 and g8
    // Black loses a second rook (2 + 35) and a knight (30 - 3).
    EXPECT_EQ(overfull, 2 * (8 - 30) - 1 + 1 + (2 + 35) - (30 - 3));
}
