// SetPosition and SetupFen: both paths, the moves, and rejection of input
// that does not describe a playable position.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board_test_util.h"
#include "search/tables.h"

namespace {

const PlyPosition& Root() {
    BoardTables& bt = *ThreadBoard;
    return bt.PositionStack[0];
}

// Everything a searchable position needs: one king each, no pawn on a back
// rank, the side not to move not in check, rights backed by king and rook,
// a plausible en-passant file, a clock within the history, and derived
// fields that agree with the board.
void ExpectPlayable() {
    const PlyPosition& p = Root();
    int kings[2] = {0, 0};
    int material = 0;
    uint32_t lo = ThreadBoard->Castling.Key.Lo;  // 0 for the standard castling set-up
    for (int sq = 1; sq <= 64; ++sq) {
        const int piece = p.Board[sq];
        ASSERT_LE(piece, BlackKing);
        if (piece == Empty) continue;
        if (piece == WhiteKing) ++kings[0];
        if (piece == BlackKing) ++kings[1];
        if (piece == WhitePawn || piece == BlackPawn) {
            ASSERT_NE(RankOf[sq], 1);
            ASSERT_NE(RankOf[sq], 8);
        }
        material += PieceValue[piece];
        lo ^= ZobristKeys[sq][piece].Lo;
    }
    ASSERT_EQ(kings[0], 1);
    ASSERT_EQ(kings[1], 1);
    ASSERT_TRUE(p.SideToMove == White || p.SideToMove == Black);
    ASSERT_EQ(AttackingSquare(0, p.KingSquare[1 - p.SideToMove], p.SideToMove), 0);
    // Each right with its king and rook on the game's castling start squares
    // (the standard ones unless the FEN set up others).
    const CastlingSetup& c = ThreadBoard->Castling;
    for (int r = 0; r < 4; ++r) {
        const Side side = r / 2;
        ASSERT_TRUE(!p.CastleRights[r] || (p.Board[c.KingStart[side]] == PieceOf(side, King) &&
                                           p.Board[c.RookStart[r]] == PieceOf(side, Rook)));
    }
    ASSERT_GE(p.EpFile, 0);
    ASSERT_LE(p.EpFile, 8);
    if (p.EpFile != 0) {
        const int landed = p.SideToMove == White ? 32 + p.EpFile : 24 + p.EpFile;
        ASSERT_EQ(p.Board[landed], p.SideToMove == White ? BlackPawn : WhitePawn);
        const int crossed = p.SideToMove == White ? landed + 8 : landed - 8;
        ASSERT_EQ(p.Board[crossed], Empty);
    }
    ASSERT_GE(p.HalfmoveClock, 0);
    ASSERT_LE(p.HalfmoveClock, 100);
    ASSERT_EQ(p.Material, material);
    ASSERT_EQ(p.KeyLo, lo);
    ASSERT_EQ(p.StateCode, ComputeStateCode(p));
    ASSERT_GE(p.MoveCount, 0);
}

}  // namespace

TEST(Setup, StartposMovesAndEnPassant) {
    FreshTables();
    Position("position startpos moves e2e4 e7e5");
    EXPECT_EQ(Root().Board[Sq("e4")], WhitePawn);
    EXPECT_EQ(Root().Board[Sq("e5")], BlackPawn);
    EXPECT_EQ(Root().SideToMove, White);
    EXPECT_EQ(Root().HalfmoveClock, 0);
    EXPECT_EQ(Root().EpFile, 0);

    Position("position startpos moves e2e4 d7d5 e4e5 f7f5");
    EXPECT_EQ(Root().EpFile, 6);
    Position("position startpos moves e2e4 d7d5 e4e5 f7f5 e5f6");
    EXPECT_EQ(Root().Board[Sq("f5")], Empty);
    EXPECT_EQ(Root().Board[Sq("f6")], WhitePawn);
    EXPECT_EQ(Root().Material, 100);
    ExpectPlayable();
}

TEST(Setup, CastlingMovesTheRookAndClearsTheRights) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    Position("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1");
    EXPECT_EQ(Root().Board[Sq("g1")], WhiteKing);
    EXPECT_EQ(Root().Board[Sq("f1")], WhiteRook);
    EXPECT_EQ(Root().Board[Sq("h1")], Empty);
    EXPECT_EQ(Root().CastleRights[0], 0);
    EXPECT_EQ(Root().CastleRights[1], 0);
    EXPECT_EQ(Root().CastleRights[2], 1);
    EXPECT_EQ(Root().HalfmoveClock, 5);
    EXPECT_EQ(bt.GameHistory[5].MovedPiece, WhiteKing);
    EXPECT_EQ(bt.GameHistory[5].FromSquare, Sq("e1"));
    Position("position startpos moves d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e1c1");
    EXPECT_EQ(Root().Board[Sq("c1")], WhiteKing);
    EXPECT_EQ(Root().Board[Sq("d1")], WhiteRook);
    EXPECT_EQ(Root().Board[Sq("a1")], Empty);
    ExpectPlayable();
}

TEST(Setup, FenFieldsAreReadAndChecked) {
    FreshTables();
    Position("position fen r3k2r/8/8/8/8/8/8/R3K2R w KQ - 12 40");
    EXPECT_EQ(Root().CastleRights[0], 1);
    EXPECT_EQ(Root().CastleRights[1], 1);
    EXPECT_EQ(Root().CastleRights[2], 0);
    EXPECT_EQ(Root().CastleRights[3], 0);
    EXPECT_EQ(Root().EpFile, 0);
    EXPECT_EQ(Root().HalfmoveClock, 12);
    EXPECT_EQ(Root().Board[Sq("a8")], BlackRook);  // letter case kept
    EXPECT_EQ(Root().Board[Sq("a1")], WhiteRook);
    Position("position fen r3k2r/8/8/8/8/8/8/R3K2R b - - 0 1");
    EXPECT_EQ(Root().CastleRights[0] + Root().CastleRights[1] + Root().CastleRights[2] + Root().CastleRights[3], 0);
    EXPECT_EQ(Root().SideToMove, Black);
    // A clock that is not a number, or missing, reads as 0; a long one is capped at 100.
    Position("position fen 4k3/8/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(Root().HalfmoveClock, 0);
    Position("position fen 4k3/8/8/8/8/8/8/4K3 w - - 123 90");
    EXPECT_EQ(Root().HalfmoveClock, 100);
    Position("position fen 4k3/8/8/8/8/8/8/4K3 w - - x 1");
    EXPECT_EQ(Root().HalfmoveClock, 0);
    // Castling rights only with king and rook at home.
    Position("position fen r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1");
    EXPECT_EQ(Root().CastleRights[0], 0);
    EXPECT_EQ(Root().CastleRights[1], 1);
    EXPECT_EQ(Root().CastleRights[2], 1);
    EXPECT_EQ(Root().CastleRights[3], 0);
    // En passant only where a pawn of the side that just moved stands after a double step.
    Position("position fen 4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(Root().EpFile, 4);
    Position("position fen 4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(Root().EpFile, 0);
    Position("position fen 4k3/8/8/3pP3/8/8/8/4K3 b - d6 0 1");
    EXPECT_EQ(Root().EpFile, 0);
    Position("position fen 4k3/3p4/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(Root().EpFile, 0);  // d7 occupied: no double step came from there
    ExpectPlayable();
}

TEST(Setup, PromotionsNeedTheirLetter) {
    FreshTables();
    Position("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8q");
    EXPECT_EQ(Root().Board[Sq("a8")], WhiteQueen);
    Position("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8n");
    EXPECT_EQ(Root().Board[Sq("a8")], WhiteKnight);
    Position("position fen 4k3/8/8/8/8/8/p7/4K3 b - - 0 1 moves a2a1b");
    EXPECT_EQ(Root().Board[Sq("a1")], BlackBishop);
    // Without a letter the move is not legal: it and everything after it is
    // left unplayed, and the next command takes the set-up path.
    Position("position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8 e8d7");
    EXPECT_EQ(Root().Board[Sq("a7")], WhitePawn);
    EXPECT_EQ(Root().Board[Sq("a8")], Empty);
    EXPECT_EQ(Root().Board[Sq("e8")], BlackKing);
    EXPECT_EQ(LastPositionLine, "");
    ExpectPlayable();
}

TEST(Setup, IllegalMovesStopTheList) {
    FreshTables();
    Position("position startpos moves e2e4 e7e5 e1e3 g1f3");
    EXPECT_EQ(Root().Board[Sq("e4")], WhitePawn);
    EXPECT_EQ(Root().Board[Sq("e5")], BlackPawn);
    EXPECT_EQ(Root().Board[Sq("e1")], WhiteKing);
    EXPECT_EQ(Root().Board[Sq("g1")], WhiteKnight);
    EXPECT_EQ(Root().SideToMove, White);
    EXPECT_EQ(LastPositionLine, "");
    // A pinned piece may not move; a king may not walk into check.
    Position("position fen 4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1 moves e2c3");
    EXPECT_EQ(Root().Board[Sq("e2")], WhiteKnight);
    Position("position fen 4k3/8/8/8/8/8/3r4/4K3 w - - 0 1 moves e1e2");
    EXPECT_EQ(Root().Board[Sq("e1")], WhiteKing);
    Position("position fen 4k3/8/8/8/8/8/3r4/4K3 w - - 0 1 moves e1d2");
    EXPECT_EQ(Root().Board[Sq("d2")], WhiteKing);
    // Castling through an attacked square or after losing the right.
    Position("position fen 4k3/8/8/8/8/8/5r2/4K2R w K - 0 1 moves e1g1");
    EXPECT_EQ(Root().Board[Sq("e1")], WhiteKing);
    Position("position startpos moves g1f3 g8f6 h1g1 h8g8 g1h1 g8h8 e2e4 e7e5 f1c4 f8c5 e1g1");
    EXPECT_EQ(Root().Board[Sq("e1")], WhiteKing);
    EXPECT_EQ(Root().SideToMove, White);
    ExpectPlayable();
}

TEST(Setup, UnplayableLinesKeepThePreviousPosition) {
    FreshTables();
    Position("position startpos moves e2e4");
    const PlyPosition before = Root();
    const char* bad[] = {
        "position",                                                     // neither startpos nor fen
        "position fen",                                                 // no FEN
        "position fen 8/8/8/8/8/8/8/8 w - - 0 1",                       // no kings
        "position fen 4k3/8/8/8/8/8/8/4K2K w - - 0 1",                  // two white kings
        "position fen 4k3/8/8/8/8/8/8/P3K3 w - - 0 1",                  // pawn on the first rank
        "position fen P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                  // pawn on the last rank
        "position fen 4k3/8/8/8/8/8/8/4K3/8 w - - 0 1",                 // nine ranks
        "position fen 4k3/8/8/8/8/8/8/4K4 w - - 0 1",                   // nine files
        "position fen 4k3/8/8/8/8/8/8/4K3R w - - 0 1",                  // a piece beyond file h
        "position fen 4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",                 // black in check, white to move
        "position fen 4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1",                 // same, by contact
        "position fen 4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1",           // nine white pawns
        "position fen k7/pp6/8/8/QQQQQQQQ/QQQQQQQQ/1Q6/4K3 w - - 0 1",  // eighteen white pieces
    };
    for (const char* line : bad) {
        Position(line);
        EXPECT_EQ(std::memcmp(Root().Board, before.Board, sizeof before.Board), 0) << line;
        EXPECT_EQ(Root().SideToMove, before.SideToMove) << line;
        EXPECT_EQ(LastPositionLine, "") << line;
    }
    ExpectPlayable();
    // After a rejected line, the next line takes the set-up path again.
    Position("position startpos moves d2d4");
    EXPECT_EQ(Root().Board[Sq("d4")], WhitePawn);
    EXPECT_EQ(Root().Board[Sq("e2")], WhitePawn);
}

TEST(Setup, ContinuationPlaysOnlyTheNewMovesAndShiftsTheTables) {
    SearchThread& st = *ThreadSearch;
    FreshTables();
    Position("position startpos moves e2e4");
    for (int k = 0; k < MaxPly; ++k) {
        st.KillerMoves[0][k][0] = Move{static_cast<uint8_t>(k), 1};
        st.KillerMoves[1][k][1] = Move{static_cast<uint8_t>(k), 2};
        st.MateKiller[k][0] = Move{static_cast<uint8_t>(k), 3};
    }
    // Row 0 holds a principal variation of six moves.
    const Move pv[6] = {{53, 37}, {7, 22}, {58, 43}, {2, 19}, {62, 35}, {6, 27}};
    for (int k = 0; k < PvSlots; ++k) st.PvTable[0][k] = Move{0, 0};
    for (int k = 0; k < 6; ++k) st.PvTable[0][k] = pv[k];
    st.HistoryTable[Sq("e7")][Sq("e5")] = 77;
    st.HistoryTable[Sq("g1")][Sq("f3")] = 55;

    Position("position startpos moves e2e4 e7e5");
    EXPECT_EQ(Root().Board[Sq("e5")], BlackPawn);
    EXPECT_EQ(Root().Board[Sq("e4")], WhitePawn);  // e2e4 was not played twice
    EXPECT_EQ(Root().SideToMove, White);
    EXPECT_EQ(st.HistoryTable[Sq("e7")][Sq("e5")], 0);
    EXPECT_EQ(st.HistoryTable[Sq("g1")][Sq("f3")], 55);
    EXPECT_EQ(st.KillerMoves[0][0][0].From, 2);
    EXPECT_EQ(st.KillerMoves[1][5][1].From, 7);
    EXPECT_EQ(st.MateKiller[10][0].From, 12);
    EXPECT_TRUE(IsEmptyMove(st.KillerMoves[0][MaxPly - 1][0]));
    EXPECT_TRUE(IsEmptyMove(st.KillerMoves[0][MaxPly - 4][0]));
    EXPECT_EQ(st.KillerMoves[0][MaxPly - 5][0].From, MaxPly - 3);
    // Row 0 moved two plies; row r holds the moved line from its position r on.
    EXPECT_EQ(st.PvTable[0][0], pv[2]);
    EXPECT_EQ(st.PvTable[0][3], pv[5]);
    EXPECT_TRUE(IsEmptyMove(st.PvTable[0][4]));
    EXPECT_EQ(st.PvTable[1][0], pv[3]);
    EXPECT_EQ(st.PvTable[1][2], pv[5]);
    EXPECT_TRUE(IsEmptyMove(st.PvTable[1][3]));
    EXPECT_EQ(st.PvTable[3][0], pv[5]);

    // The same line again: the continuation path, no move, tables still shift.
    Position("position startpos moves e2e4 e7e5");
    EXPECT_EQ(Root().Board[Sq("e5")], BlackPawn);
    EXPECT_EQ(st.KillerMoves[0][0][0].From, 4);
    EXPECT_EQ(st.PvTable[0][0], pv[4]);

    // After "position startpos", "position startpos moves d2d4" continues too.
    Position("position startpos");
    Position("position startpos moves d2d4");
    EXPECT_EQ(Root().Board[Sq("d4")], WhitePawn);
    EXPECT_EQ(st.KillerMoves[0][0][0].From, 6);

    // A FEN line never continues: its capital letters are not in the lower-cased text.
    Position("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    Position("position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 moves e2e4 e8d7");
    EXPECT_EQ(Root().Board[Sq("e4")], WhitePawn);
    EXPECT_EQ(Root().Board[Sq("d7")], BlackKing);
    EXPECT_EQ(st.KillerMoves[0][0][0].From, 6);
    ExpectPlayable();
}

TEST(Setup, ManyMalformedLinesNeverLeaveAnImpossiblePosition) {
    FreshTables();
    std::mt19937 random(2024);
    const std::string good[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1",
    };
    const std::string alphabet = "pnbrqkPNBRQK12345678/ -wbKQkqabcdefgh0123456789x";
    const std::string moveChars = "abcdefgh12345678qrbn ";
    int accepted = 0;
    for (int i = 0; i < 400; ++i) {
        std::string fen = good[random() % 5];
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (fen.size() + 1);
            switch (random() % 3) {
                case 0: fen.insert(at, 1, alphabet[random() % alphabet.size()]); break;
                case 1:
                    if (at < fen.size()) fen.erase(at, 1);
                    break;
                default:
                    if (at < fen.size()) fen[at] = alphabet[random() % alphabet.size()];
                    break;
            }
        }
        std::string moves;
        const int moveCount = static_cast<int>(random() % 6);
        for (int m = 0; m < moveCount; ++m) {
            moves += ' ';
            const int length = 3 + static_cast<int>(random() % 3);
            for (int c = 0; c < length; ++c) moves += moveChars[random() % moveChars.size()];
        }
        std::string line;
        switch (random() % 4) {
            case 0: line = "position fen " + fen; break;
            case 1: line = "position fen " + fen + " moves" + moves; break;
            case 2: line = "position startpos moves" + moves; break;
            default: line = "position " + fen.substr(0, fen.size() / 2) + moves; break;
        }
        const std::string previous = LastPositionLine;
        Position(line);
        if (LastPositionLine == line) ++accepted;
        SCOPED_TRACE("previous: " + previous);
        ExpectPlayable();
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "after: " << line;
            return;
        }
    }
    EXPECT_GT(accepted, 20);  // the mix holds playable lines too
}
