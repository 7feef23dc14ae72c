// GenerateMoves: list order, the four modes, castling, en passant, the
// king-capture exit, BareKing and the list bound.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/movetext.h"
#include "board_test_util.h"

namespace {

std::vector<std::string> ListText(int ply) {
    BoardTables& bt = *ThreadBoard;
    std::vector<std::string> moves;
    for (int n = 1; n <= bt.PositionStack[ply].MoveCount; ++n) moves.push_back(MoveText(bt.MoveList[ply][n]).substr(1));
    return moves;
}

}  // namespace

TEST(MoveGen, InitialPositionListsTwentyMovesInBoardOrder) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    PrepareRoot();
    const std::vector<std::string> expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3",
                                               "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                                               "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
    EXPECT_EQ(ListText(0), expected);
    EXPECT_EQ(bt.BareKing[0], 0);
}

TEST(MoveGen, CapturesOnlyPromotionsComeBeforePromotionCaptures) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("r6k/1P6/8/8/8/8/8/7K w - - 0 1");
    GenerateMoves(0, false);
    ASSERT_EQ(bt.PositionStack[0].MoveCount, 8);
    const int b8 = Sq("b8"), a8 = Sq("a8");
    const int expected[8] = {b8 + 14, b8 + 24, b8 + 34, b8 + 44, a8 + 14, a8 + 24, a8 + 34, a8 + 44};
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(bt.MoveList[0][n].From, Sq("b7"));
        EXPECT_EQ(bt.MoveList[0][n].To, expected[n - 1]) << n;
    }
    EXPECT_EQ(ListText(0)[7], "b7a8q");
    // Black promotions carry the black codes (h2h1 knight = 8 + 110).
    Fen("k7/8/8/8/8/8/7p/K7 b - - 0 1");
    GenerateMoves(0, false);
    ASSERT_EQ(bt.PositionStack[0].MoveCount, 4);
    EXPECT_EQ(bt.MoveList[0][1].To, 118);
    EXPECT_EQ(bt.MoveList[0][4].To, 148);
}

TEST(MoveGen, CastlingNeedsEmptyUnattackedSquares) {
    FreshTables();
    // g1 attacked by the bishop on c5: no king-side castling; queen-side is fine.
    Fen("r3k2r/8/8/2b5/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("g1")), 0);
    EXPECT_NE(FindMove(0, Sq("e1"), Sq("c1")), 0);
    // b1 occupied: no queen-side castling although c1 and d1 are empty and safe.
    Fen("r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1");
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("c1")), 0);
    EXPECT_NE(FindMove(0, Sq("e1"), Sq("g1")), 0);
    // Castling comes last among the king's moves: queen-side, then king-side.
    Fen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    std::vector<std::string> moves = ListText(0);
    std::size_t at = 0;
    while (at < moves.size() && moves[at] != "e8c8") ++at;
    ASSERT_LT(at + 1, moves.size());
    EXPECT_EQ(moves[at + 1], "e8g8");
    EXPECT_EQ(moves[at - 1].substr(0, 2), "e8");  // after the king's ordinary moves
    EXPECT_NE(moves[at + 2].substr(0, 2), "e8");
    // b8 attacked does not matter for queen-side castling (only c8 and d8 do).
    Fen("r3k2r/8/8/8/8/8/8/1R2K2R b Kkq - 0 1");
    EXPECT_NE(FindMove(0, Sq("e8"), Sq("c8")), 0);
    // In check there is no castling at all.
    Fen("r3k2r/8/8/8/8/8/4r3/R3K2R w KQkq - 0 1");
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("g1")), 0);
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("c1")), 0);
}

TEST(MoveGen, EvasionModesFollowTheCheckingPiece) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    // Rook on c1 gives check along the rank, two squares away: Evasions.
    // The king may step to every empty neighbour, d1 and f1 on the rook's line included.
    Fen("4k3/8/8/8/8/8/8/2r1K2N w - - 0 1");
    EXPECT_EQ(bt.CheckerSquare[0], Sq("c1"));
    for (const char* to : {"d1", "d2", "e2", "f2", "f1"}) EXPECT_NE(FindMove(0, Sq("e1"), Sq(to)), 0) << to;
    // Quiet knight moves are generated, captures only of the checker.
    EXPECT_NE(FindMove(0, Sq("h1"), Sq("g3")), 0);

    // Knight check: ContactEvasions. King moves and captures of the checker,
    // no quiet queen move.
    Fen("4k3/8/3Q4/8/8/3n4/8/1B2K3 w - - 0 1");
    EXPECT_EQ(bt.CheckerSquare[0], Sq("d3"));
    const std::vector<std::string> contact = {"b1d3", "e1d1", "e1d2", "e1f1", "e1f2", "e1e2", "d6d3"};
    EXPECT_EQ(ListText(0), contact);

    // A bishop checking from the next square is a contact check too.
    Fen("4k3/8/8/8/8/8/3b4/R3K3 w Q - 0 1");
    EXPECT_EQ(bt.CheckerSquare[0], Sq("d2"));
    EXPECT_EQ(FindMove(0, Sq("a1"), Sq("a2")), 0);
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("c1")), 0);
    EXPECT_NE(FindMove(0, Sq("e1"), Sq("d2")), 0);
}

TEST(MoveGen, KingCaptureExitAndBareKing) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    // Built directly: a white knight can take the black king (the previous
    // move was illegal). Even the captures-only list is just that capture.
    EmptyBoard(White);
    Put(0, "a1", WhiteKing);
    Put(0, "h8", BlackKing);
    Put(0, "g6", WhiteKnight);
    Put(0, "b2", WhitePawn);
    Put(0, "c3", BlackRook);
    bt.PositionStack[0].KingSquare[White] = Sq("a1");
    bt.PositionStack[0].KingSquare[Black] = Sq("h8");
    bt.CheckerSquare[0] = 0;
    GenerateMoves(0, false);
    ASSERT_EQ(bt.PositionStack[0].MoveCount, 1);
    EXPECT_EQ(bt.MoveList[0][1].From, Sq("g6"));
    EXPECT_EQ(bt.MoveList[0][1].To, Sq("h8"));

    Fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(bt.BareKing[0], 1);
    Fen("4k3/8/8/8/8/8/7P/4K3 w - - 0 1");
    EXPECT_EQ(bt.BareKing[0], 0);
    Fen("4k3/8/8/8/8/8/7p/4K3 w - - 0 1");
    EXPECT_EQ(bt.BareKing[0], 1);  // only the side to move counts
}

TEST(MoveGen, EnPassantOnlyAfterTheOpponentsMove) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(bt.PositionStack[0].EpFile, 4);
    EXPECT_NE(FindMove(0, Sq("e5"), Sq("d6")), 0);
    // A record in which white moves twice in a row (as the searches make
    // them) offers no en-passant capture.
    bt.PositionStack[1] = bt.PositionStack[0];
    bt.CheckerSquare[1] = 0;
    GenerateMoves(1, true);
    EXPECT_EQ(FindMove(1, Sq("e5"), Sq("d6")), 0);
    bt.PositionStack[0].SideToMove = Black;  // now the sides alternate again
    GenerateMoves(1, true);
    EXPECT_NE(FindMove(1, Sq("e5"), Sq("d6")), 0);
}

TEST(MoveGen, AnOverfullListStopsAtItsCapacity) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    // Far more queens than a game can have, on the rim around an empty
    // centre: 277 moves. The list keeps 255 and the next ply's list is
    // untouched. (No black king: nothing to capture.)
    EmptyBoard(White);
    Put(0, "a1", WhiteKing);
    for (int sq : {2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 24, 25, 32, 33, 40, 41, 48, 49, 55, 57, 58, 59, 60, 61, 62, 63})
        SetSquare(bt.PositionStack[0], sq, WhiteQueen);
    bt.PositionStack[0].KingSquare[White] = Sq("a1");
    bt.CheckerSquare[0] = 0;
    bt.MoveList[1][0] = Move{9, 9};
    GenerateMoves(0, true);
    EXPECT_EQ(bt.PositionStack[0].MoveCount, MoveListCapacity - 1);
    EXPECT_EQ(bt.MoveList[1][0].From, 9);
    EXPECT_EQ(bt.MoveList[1][0].To, 9);
    EXPECT_EQ(bt.MoveList[0][1].From, 1);  // scan order: the king on a1 first, to b2
    EXPECT_EQ(bt.MoveList[0][1].To, 10);
    EXPECT_EQ(bt.MoveList[0][2].From, 2);
}

// A captures-only list (not in check) is the full list's captures, promotions
// and en-passant captures, in the full list's order, whichever pieces it
// passes over; checked along random games from positions rich in captures,
// castling, en passant and promotions. BareKing agrees between the two.
TEST(MoveGen, CapturesOnlyListIsTheFullListsCapturesInOrder) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    std::mt19937 random(777);
    const char* starts[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                            "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"};
    int compared = 0;
    for (int game = 0; game < 30; ++game) {
        Fen(starts[game % 3]);
        for (int ply = 0; ply < 60; ++ply) {
            const PlyPosition& p = bt.PositionStack[ply];
            bt.CheckerSquare[ply] = AttackingSquare(ply, p.KingSquare[p.SideToMove], 1 - p.SideToMove);
            std::vector<std::string> expected;
            GenerateMoves(ply, true);
            const int fullBare = bt.BareKing[ply];
            for (int n = 1; n <= p.MoveCount; ++n) {
                const Move m = bt.MoveList[ply][n];
                const int to = DestinationOf(m.To), piece = p.Board[m.From];
                const bool pawnSideways = (piece == WhitePawn || piece == BlackPawn) && FileOf[to] != FileOf[m.From];
                if (IsPromotion(m) || p.Board[to] != Empty || pawnSideways) expected.push_back(MoveText(m));
            }
            if (bt.CheckerSquare[ply] == 0) {
                GenerateMoves(ply, false);
                std::vector<std::string> captures;
                for (int n = 1; n <= p.MoveCount; ++n) captures.push_back(MoveText(bt.MoveList[ply][n]));
                ASSERT_EQ(captures, expected) << "game " << game << " ply " << ply;
                ASSERT_EQ(bt.BareKing[ply], fullBare);
                ++compared;
                GenerateMoves(ply, true);
            }
            if (!PlayRandomLegalMove(ply, random)) break;
        }
    }
    EXPECT_GT(compared, 1000);
}
