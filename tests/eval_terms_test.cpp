// Piece, pawn and king-safety terms of the evaluation: worked positions
// computed by hand, both as single stages and as whole evaluations.
#include "eval_support.h"

using evaltest::CensusOfRoot;
using evaltest::EvalFen;
using evaltest::SetupOrFail;

TEST(EvalPieces, RookOnOpenFileNextToTheEnemyKing) {
    // Rf3, Kb1 against Kg8, a7. Rook: pawn-safe 4, open f-file 25, next to
    // the king's g-file with no black piece on it 5.
    SetupOrFail("6k1/p7/8/8/8/5R2/8/1K6 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(RookAndQueenTerms(e, White), 4 + 25 + 5);
    EXPECT_EQ(FileControl(e, White), 8 * 3 + 7 * 2 + 8 * 1);
    // 400 material + 64 (rook square 4 + first rook 60) + 20 (a7: table,
    // edge file) - 9 (Black's a-pawn: passed 15, king 6 files away -6)
    // + 34 + 46.
    EXPECT_EQ(Evaluate(0), 555);

    // A black knight on the f-file: the bonus drops to 3.
    SetupOrFail("6k1/p7/5n2/8/8/5R2/8/1K6 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(RookAndQueenTerms(e, White), 4 + 25 + 3);
    // 75 + 64 + 20 + 22 (knight f6) - 6 (knight with own pawn) - 15 (passed
    // a-pawn) + 32 + 45 (file control) - 4 (knight pawn-safe) + 75 (Black's
    // lone minor with pawns).
    EXPECT_EQ(Evaluate(0), 308);
}

TEST(EvalPieces, RookAndQueenDetails) {
    // Rooks a1 and h1 against a king and knight: two open files far from the
    // black king, each rook pawn-safe, neither boxed in (b1, g1 empty).
    SetupOrFail("1n2k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(RookAndQueenTerms(e, White), 2 * (4 + 25));
    // A rook boxed in between the edge and its king, and one on the seventh
    // with the black king on the eighth; a queen on the seventh as well.
    SetupOrFail("4k3/R6Q/8/8/8/8/8/K1R5 w - - 0 1");
    e = CensusOfRoot();
    // Rc1: pawn-safe 4, open 25 (c-file is not next to e). Ra7: 4 + 20 + 25.
    // Qh7: pawn-safe 4 + seventh 10.
    EXPECT_EQ(RookAndQueenTerms(e, White), (4 + 25) + (4 + 20 + 25) + (4 + 10));
    SetupOrFail("4k3/8/8/8/8/8/8/RK6 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(RookAndQueenTerms(e, White), 4 - 15 + 25);
    // Black's mirror: a rook on the second rank with the white king on the
    // first, on a half-open file (a white pawn on it, none of Black's).
    SetupOrFail("4k3/8/8/8/8/1P6/1r6/7K b - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(RookAndQueenTerms(e, Black), -(4 + 20 + 10));
    // An open file next to the white king's: -5 with no white piece on it,
    // -3 with a white knight there.
    SetupOrFail("4k3/8/8/8/6r1/8/8/7K b - - 0 1");
    EXPECT_EQ(RookAndQueenTerms(CensusOfRoot(), Black), -(4 + 25 + 5));
    SetupOrFail("4k3/8/8/8/6r1/8/6N1/7K b - - 0 1");
    EXPECT_EQ(RookAndQueenTerms(CensusOfRoot(), Black), -(4 + 25 + 3));
    // Two rooks from the scan: 60 and 35 with their square values; three
    // queens: -25 for each after the first.
    SetupOrFail("4k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EXPECT_EQ(evaltest::ScanTermsOfRoot(), (2 + 60) + (2 + 35));
    SetupOrFail("4k3/8/8/8/8/8/8/QQQ1K3 w - - 0 1");
    EXPECT_EQ(evaltest::ScanTermsOfRoot(), 3 + (5 - 25) + (5 - 25));
}

TEST(EvalPieces, BishopShutInOnH7) {
    // Bh7 with black pawns g6 and f7 and g8 empty: pawn-safe 4, +3 for the
    // free g8, then -93; one colour alone: +30.
    SetupOrFail("4k3/5p1B/6p1/8/8/8/8/6K1 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(BishopTerms(e, White), 30 + 4 + 3 - 93);
    // 125 + 2 + 1 + 2 (scan) - 16 (f7 passed 15; g6 passed 16 + protected 1,
    // held by the king on g1: -16) - 56 - 175 (lone minor).
    EXPECT_EQ(Evaluate(0), -117);

    // A bishop with no empty diagonal neighbour costs 90 (Black: +90), and
    // one on a single colour loses 6 per own pawn on that colour.
    SetupOrFail("4k3/8/8/8/8/8/1P1P4/2B1K3 w - - 0 1");
    e = CensusOfRoot();
    // c1 dark; b2 and d2 are dark too: 30 - 12; no queen, rook or knight:
    // -2 x 0 black pawns, -2 for the black king on e8 (light).
    EXPECT_EQ(BishopTerms(e, White), 30 - 12 - 2 + 4 - 90);
    SetupOrFail("2b1k3/1p1p4/8/8/8/8/8/4K3 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(BishopTerms(e, Black), -(30 - 12 - 2 + 4 - 90));
    // The pair with few pawns and no enemy minor: 65 - 3 + 5.
    SetupOrFail("4k3/8/8/8/8/8/P7/2B1KB2 w - - 0 1");
    e = CensusOfRoot();
    // c1: d2, b2 free: +6; f1: e2, g2 free: +6; both pawn-safe.
    EXPECT_EQ(BishopTerms(e, White), 65 - 3 + 5 + 2 * (4 + 6));
}

TEST(EvalPieces, KnightOutpostNearTheKing) {
    // Ne5 defended by d4, no black pawn on d or f, black king g8: 4 + 2 x 8.
    SetupOrFail("6k1/8/8/4N3/3P4/8/8/6K1 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(KnightTerms(e, White), 4 + 16);
    // 425 + 3 (d4) - 22 (knight) + 6 (knight with a pawn) + 24 (d-pawn:
    // alone, 3 files from the bare king: 6, passed 18) + 20 - 75.
    EXPECT_EQ(Evaluate(0), 381);
    // A black pawn on f6 can chase it: not pawn-safe, no outpost.
    SetupOrFail("6k1/8/5p2/4N3/3P4/8/8/6K1 w - - 0 1");
    EXPECT_EQ(KnightTerms(CensusOfRoot(), White), 0);
    // Too far from the black king (4 ranks): only pawn-safe.
    SetupOrFail("6k1/8/8/8/4N3/3P4/8/6K1 w - - 0 1");
    EXPECT_EQ(KnightTerms(CensusOfRoot(), White), 4);
    // Black's mirror: Nd4 defended by e5, white king b1.
    SetupOrFail("6k1/8/8/4p3/3n4/8/8/1K6 w - - 0 1");
    EXPECT_EQ(KnightTerms(CensusOfRoot(), Black), -(4 + 16));
}

TEST(EvalPawns, DoubledPawns) {
    EvalTables& et = *ThreadEval;
    // With 8 white pawns the doubled e-pawns cost 2 x (2 + 12 - 8).
    SetupOrFail("rnbqkbnr/pppppppp/8/8/8/4P3/PPPPP1PP/RNBQKBNR w KQkq - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), -12);
    SetupOrFail("rnbqkbnr/ppppp1pp/4p3/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, Black), 12);

    // As White's only pawns: 2 x 12, and the upper one leads.
    SetupOrFail("4k3/8/8/8/4P3/4P3/8/4K3 w - - 0 1");
    e = CensusOfRoot();
    // Passed 18, taken back by the king on e8; doubled -24.
    EXPECT_EQ(PawnStage(e, White), -24);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 29);
    // 200 + 0 (e3, blocked) + 3 (e4) - 24.
    EXPECT_EQ(Evaluate(0), 179);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 29);
    EXPECT_EQ(et.LeadPawnSquare[0][Black], 0);
}

TEST(EvalPawns, PassedPawns) {
    // e5 against a black pawn on d5: passed (same rank). Single file with the
    // own king 4 files away: -4; passed on rank 5: 24.
    SetupOrFail("7k/8/8/3pP3/8/8/8/K7 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), -4 + 24);
    // Against d6: not passed.
    SetupOrFail("7k/8/3p4/4P3/8/8/8/K7 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), -4);

    // e6 protected by d5: 52 + 28; d5 passed 24. Both are unstoppable against
    // the bare king on h8; the more advanced e-pawn takes the mark.
    SetupOrFail("7k/8/4P3/3P4/8/8/8/K7 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), 24 + 52 + 28);
    EXPECT_EQ(e.passerFile[White], 5);

    // King a1 and e5 against a bare king on e7: the passed value is taken
    // back and no unstoppable test is made.
    SetupOrFail("8/4k3/8/4P3/8/8/8/K7 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), -4);
    EXPECT_EQ(e.passerFile[White], 0);
    EXPECT_EQ(Evaluate(0), 100 + 6 - 4);

    // A pawn on a7 with its own bishop on a8: bonuses (bare king 3 files
    // away and 3 ranks behind: 6 + 6; passed 96) but no mark.
    SetupOrFail("B7/P7/8/8/3k4/8/8/7K w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), 6 + 6 + 96);
    EXPECT_EQ(e.passerFile[White], 0);

    // A rook behind the passed pawn with nothing in between: +10.
    SetupOrFail("7k/7p/8/P7/8/8/8/R6K w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), 24 + 10);
    EXPECT_EQ(e.passerFile[White], 1);
    SetupOrFail("7k/7p/8/P7/8/N7/8/R6K w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), 24);

    // Blocked by an enemy piece: -15 and no unstoppable test.
    SetupOrFail("7k/8/n7/P7/8/8/8/1K6 w - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, White), 24 - 15);

    // Black's mirror of the protected passer: e3 protected by d4.
    SetupOrFail("k7/8/8/8/3p4/4p3/8/7K b - - 0 1");
    e = CensusOfRoot();
    EXPECT_EQ(PawnStage(e, Black), -(24 + 52 + 28));
    EXPECT_EQ(e.passerFile[Black], 5);
}

TEST(EvalPawns, PawnSafeSquaresOfBothSides) {
    // White d4 against Black c6 and e5. A white piece is unsafe where a black
    // pawn on a neighbouring file stands higher up (one on the same rank does
    // not count); a black piece where a white pawn stands lower down.
    SetupOrFail("4k3/8/2p5/4p3/3P4/8/8/4K3 w - - 0 1");
    const EvalScan e = CensusOfRoot();
    using evaltest::Sq;
    for (const char* unsafe : {"d5", "b5", "f4", "d1", "b1", "f1"})
        EXPECT_FALSE(PawnSafe(e, White, Sq(unsafe))) << unsafe;
    for (const char* safe : {"d6", "b6", "f5", "g4", "a1", "h8", "c8"})
        EXPECT_TRUE(PawnSafe(e, White, Sq(safe))) << safe;
    for (const char* unsafe : {"c5", "e6", "c8", "e8"}) EXPECT_FALSE(PawnSafe(e, Black, Sq(unsafe))) << unsafe;
    for (const char* safe : {"c4", "e4", "e3", "d8", "a8", "f8"}) EXPECT_TRUE(PawnSafe(e, Black, Sq(safe))) << safe;

    // The same squares with the pieces changed but the pawns kept read the
    // same; moving the e-pawn to e7 makes f5 and f6 unsafe for White.
    SetupOrFail("3qk3/8/2p5/4p3/3P4/2N5/8/R3K3 w - - 0 1");
    EXPECT_FALSE(PawnSafe(CensusOfRoot(), White, Sq("f4")));
    EXPECT_TRUE(PawnSafe(CensusOfRoot(), White, Sq("f5")));
    SetupOrFail("4k3/4p3/2p5/8/3P4/8/8/4K3 w - - 0 1");
    EXPECT_FALSE(PawnSafe(CensusOfRoot(), White, Sq("f5")));
    EXPECT_FALSE(PawnSafe(CensusOfRoot(), White, Sq("f6")));
    EXPECT_TRUE(PawnSafe(CensusOfRoot(), White, Sq("f7")));
}

TEST(EvalPawns, UnstoppablePawnAndRace) {
    EvalTables& et = *ThreadEval;
    // Ke1 and a5 against a bare king on h8: outside the pawn's square.
    // 100 - 14 (a5 on the edge file) + 14 - 4 + 24 + 700.
    EXPECT_EQ(EvalFen("7k/8/8/P7/8/8/8/4K3 w - - 0 1"), 820);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 33);
    EXPECT_EQ(EvalFen("7k/8/8/P7/8/8/8/4K3 b - - 0 1"), -820);
    // With the black king on d6 it is caught: no mark.
    EXPECT_EQ(EvalFen("8/8/3k4/P7/8/8/8/4K3 w - - 0 1"), 86 + 6 - 4 + 24);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 33);

    // Both sides marked, a6 (a = 6) against h3 (b = 6): nothing added.
    EXPECT_EQ(EvalFen("6k1/8/P7/8/8/7p/8/1K6 w - - 0 1"), 0);
    EXPECT_EQ(et.LeadPawnSquare[0][White], 41);
    EXPECT_EQ(et.LeadPawnSquare[0][Black], 24);
    EXPECT_EQ(EvalFen("6k1/8/P7/8/8/7p/8/1K6 b - - 0 1"), 0);

    // a5 (a = 5) against h3 (b = 6): with White to move a becomes 6 and
    // nothing is added; with Black to move b becomes 7 and Black wins the race.
    // Scan -14 + 10, White's pawn 24, Black's 52.
    EXPECT_EQ(EvalFen("6k1/8/8/P7/8/7p/8/1K6 w - - 0 1"), -4 + 24 - 52);
    EXPECT_EQ(EvalFen("6k1/8/8/P7/8/7p/8/1K6 b - - 0 1"), -(-4 + 24 - 52 - 700));
    EXPECT_EQ(et.LeadPawnSquare[0][White], 33);
    EXPECT_EQ(et.LeadPawnSquare[0][Black], 24);
}

TEST(EvalPawns, UnstoppableTestAgainstAKnightIsNoMirror) {
    // Black's h3 pawn against the white knight a1, Black to move: the knight
    // catches it when (7 div 2) - 0 <= rank 3.
    SetupOrFail("K6k/8/8/8/8/7p/8/N7 b - - 0 1");
    EvalScan e = CensusOfRoot();
    PawnStage(e, Black);
    EXPECT_EQ(e.passerFile[Black], 0);
    // The mirrored position: White's test compares with 8 - 6 = 2, so the
    // same knight distance does not catch the pawn.
    SetupOrFail("n7/8/7P/8/8/8/8/k6K w - - 0 1");
    e = CensusOfRoot();
    PawnStage(e, White);
    EXPECT_EQ(e.passerFile[White], 8);
    // With White to move the knight gets two tempi closer: caught.
    SetupOrFail("n7/8/7P/8/8/8/8/k6K b - - 0 1");
    e = CensusOfRoot();
    PawnStage(e, White);
    EXPECT_EQ(e.passerFile[White], 0);
}

namespace {
int DangerToKingOfRoot(Side side) {
    EvalScan e = CensusOfRoot();
    return KingDanger(e, side);
}
}  // namespace

TEST(EvalKingSafety, OpenLinesAroundTheKing) {
    // Ke1 with c1, d1, f1, g1, e2, e3 empty and no e-pawn; Black queen e5 and
    // rook: 5 + 5 + 5 + (1 + 1 + 2) = 19, the queen 4 ranks away: doubled.
    SetupOrFail("4k2r/8/8/4q3/8/8/8/4K3 w - - 0 1");
    EvalScan e = CensusOfRoot();
    EXPECT_EQ(KingDanger(e, White), 38);
    // -1475 - 62 - 8 (scan) - 4984 (mating drive: 5000 - 12 - 4) - 33 (rook
    // 4 + 25, queen 4) - 48 (file control) - 38.
    EXPECT_EQ(Evaluate(0), -6648);

    // The queen within 3 ranks and files: multiplied by 4.
    SetupOrFail("4k2r/8/8/8/4q3/8/8/4K3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(White), 19 * 4);
    // The castled king behind its pawns with a rook on f1: no danger.
    SetupOrFail("3qk2r/8/8/8/8/8/5PPP/5RK1 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(White), 0);
    // A queen alone is enough: 5 + 5 + 5 + (1 + 0 + 2) = 18, doubled.
    SetupOrFail("4k3/8/8/4q3/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(White), 36);
    // Rook and knight without a queen: computed, never multiplied.
    SetupOrFail("4k3/8/8/4n3/8/8/8/r3K3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(White), 18);
    // A single rook: not computed.
    SetupOrFail("4k3/8/8/8/8/8/8/r3K3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(White), 0);
    // The black king on e8 against two white rooks: up is off limits (rank
    // 8), down, right and left 5 each, pawnless file 0 + 2 + 2.
    SetupOrFail("1n2k3/8/8/8/8/8/8/R3K2R w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(Black), 19);
    // Near the edge: on g7 neither up (rank 7) nor right (file g) counts;
    // down g6, g5: 5; left f7, e7: 5; pawnless g-file 1 + 0 + 2; the queen
    // on d1 is far: doubled.
    SetupOrFail("8/6k1/8/8/8/8/8/3QK3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(Black), 2 * (5 + 5 + 3));
    // On b6: up b7 only (rank 6): 2; down 5; right 5; left impossible (file
    // b); pawnless 3; doubled.
    SetupOrFail("8/8/1k6/8/8/8/8/3QK3 w - - 0 1");
    EXPECT_EQ(DangerToKingOfRoot(Black), 2 * (2 + 5 + 5 + 3));
}
