// Chess960: castling from any start (perft against the published counts of
// Chess960 positions and of positions built around the castling rules), the
// castling fields of a FEN, the move text with and without UCI_Chess960,
// and a game from a Chess960 start through the protocol.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "board/movetext.h"
#include "board_test_util.h"
#include "engine_process.h"
#include "perft_cases.h"
#include "uci/options.h"
#include "uci/perft.h"

namespace {

const PlyPosition& Root() { return ThreadBoard->PositionStack[0]; }

// The option as a GUI sets it; each test leaves it off.
void SetChess960(bool on) {
    const std::string line = std::string("setoption name UCI_Chess960 value ") + (on ? "true" : "false");
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    SetOption(lower, line);
}

// Positions of the Chess960 perft collection (Shredder-FEN castling fields),
// with their published counts.
const PerftCase Collection[] = {
    {"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", 3, 12189},
    {"bn1rkbrq/1pppppp1/p6p/1n6/3P4/6PP/PPPRPP2/BNN1KBRQ w Ggd - 2 9", 3, 19278},
    {"nqrknbbr/pp1pppp1/7p/2p5/7P/1P1N4/P1PPPPPB/NQRK1B1R w HChc - 2 9", 3, 23137},
    {"nbkrr1bn/ppB2ppp/4p3/2qp4/4P3/5P2/PPPP2PP/NBRKRQ1N w EC - 1 9", 3, 51939},
    {"rnn1rqbb/ppkp1pp1/2p1p2p/2P5/8/3P1P2/PP2P1PP/RNNKRQBB w EA - 0 9", 3, 11973},
    {"1nbbknqr/rpp1ppp1/1Q1p3p/p7/2P2PP1/8/PP1PP2P/RNBBKN1R w HAh - 2 9", 3, 34977},
    {"rqnkbbr1/ppppp1pp/5p2/7n/8/2PNP2P/PP1P1PP1/RQ1KBBRN w GAga - 1 9", 3, 12506},
    {"qrbk2rb/1ppp1ppp/5nn1/p3p3/1N6/P7/1PPPPPPP/QRB1KNRB w gb - 0 9", 3, 14398},
    {"rbknb1rn/p1pp2pp/1p6/4pp2/1q3P1B/2N5/PPPPPNPP/RBK2QR1 w GAga - 2 9", 3, 36940},
    {"rkbbqr1n/1p1pppp1/2p2n2/p4NBp/8/3P4/PPP1PPPP/RK1BQRN1 w FAfa - 0 9", 3, 30533},
    {"1krbnnbq/1pp1p1pp/r7/p2p1p2/3PP3/2P3P1/PP3P1P/RKRBNNBQ w CAc - 0 9", 3, 28033},
};

}  // namespace

TEST(Chess960, PerftOfCollectionPositions) { CheckPerftCases(Collection); }

TEST(Chess960, SlowPerftOfCollectionPositionsToDepthFour) {
    const PerftCase cases[] = {
        {"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", 4, 326672},
        {"bn1rkbrq/1pppppp1/p6p/1n6/3P4/6PP/PPPRPP2/BNN1KBRQ w Ggd - 2 9", 4, 455476},
        {"nbkrr1bn/ppB2ppp/4p3/2qp4/4P3/5P2/PPPP2PP/NBRKRQ1N w EC - 1 9", 4, 1956521},
        {"rbknb1rn/p1pp2pp/1p6/4pp2/1q3P1B/2N5/PPPPPNPP/RBK2QR1 w GAga - 2 9", 4, 1374158},
        {"1krbnnbq/1pp1p1pp/r7/p2p1p2/3PP3/2P3P1/PP3P1P/RKRBNNBQ w CAc - 0 9", 4, 860530},
    };
    CheckPerftCases(cases);
}

// Positions built around the castling rules; the counts agree with
// Stockfish's perft in its Chess960 mode.
TEST(Chess960, PerftOfCastlingRuleCases) {
    const PerftCase cases[] = {
        // King on g1: castling short leaves it there; long crosses f1..c1.
        {"4k3/8/8/8/8/8/8/R5KR w HA - 0 1", 4, 16219},
        // King on c1: castling long leaves it there.
        {"4k3/8/8/8/8/8/8/R1K4R w HA - 0 1", 4, 17513},
        // Rook on the king's target square: king and rook trade places.
        {"4k3/8/8/8/8/8/8/2RK3R w HC - 0 1", 4, 14843},
        {"4k3/8/8/8/8/8/8/R3K1R1 w GA - 0 1", 4, 15941},
        {"4k3/8/8/8/8/8/8/5KR1 w G - 0 1", 4, 5689},
        // The rook crosses the king's square (blocked only by the other castling piece).
        {"4k3/8/8/8/8/8/8/RK6 w A - 0 1", 4, 5549},
        // A rook between the king and the other rook: X-FEN's G names the
        // inner rook, K the outer one, whose castling the inner rook blocks.
        {"4k3/8/8/8/8/8/8/4K1RR w G - 0 1", 4, 12409},
        {"4k3/8/8/8/8/8/8/4K1RR w K - 0 1", 4, 12022},
        // f1 attacked: long castling from g1 crosses it, short does not.
        {"4k3/8/8/8/8/8/5r2/R5KR w HA - 0 1", 3, 7139},
        // In check: no castling.
        {"4k1r1/8/8/8/8/8/8/R5KR w HA - 0 1", 4, 14103},
        // The castling rook shields c1 from the queen until it has moved.
        {"4k3/8/8/8/8/8/8/qR3K2 w B - 0 1", 4, 44823},
        // Knight takes the castling rook on b1: that right is gone.
        {"4k3/8/8/8/8/2n5/8/1R2K2R b HB - 0 1", 3, 3203},
        // Black castles.
        {"rk5r/8/8/8/8/8/8/4K3 b ha - 0 1", 4, 16052},
    };
    CheckPerftCases(cases);
}

TEST(Chess960, CastlingMovesKingAndRookToTheirSquares) {
    BoardTables& bt = *ThreadBoard;
    FreshTables();
    // King g1, rook h1: short castling is g1h1, the king stays, the rook goes to f1.
    Fen("4k3/8/8/8/8/8/8/R5KR w HA - 0 1");
    int entry = FindMove(0, Sq("g1"), Sq("h1"));
    ASSERT_NE(entry, 0);
    MakeMove(1, entry);
    ASSERT_TRUE(MoveWasLegal(1));
    const PlyPosition& shortCastled = bt.PositionStack[1];
    EXPECT_EQ(shortCastled.Board[Sq("g1")], WhiteKing);
    EXPECT_EQ(shortCastled.Board[Sq("f1")], WhiteRook);
    EXPECT_EQ(shortCastled.Board[Sq("h1")], Empty);
    EXPECT_EQ(shortCastled.KingSquare[White], Sq("g1"));
    EXPECT_EQ(shortCastled.CastleRights[0] + shortCastled.CastleRights[1], 0);
    EXPECT_TRUE(PositionIsConsistent(1));
    // King f1, rook g1: they trade places.
    Fen("4k3/8/8/8/8/8/8/5KR1 w G - 0 1");
    entry = FindMove(0, Sq("f1"), Sq("g1"));
    ASSERT_NE(entry, 0);
    MakeMove(1, entry);
    EXPECT_EQ(bt.PositionStack[1].Board[Sq("g1")], WhiteKing);
    EXPECT_EQ(bt.PositionStack[1].Board[Sq("f1")], WhiteRook);
    EXPECT_TRUE(PositionIsConsistent(1));
    // The rook's move ends its right: after h1h2 and back, no short castling.
    Position("position fen 4k3/8/8/8/8/8/8/R5KR w HA - 0 1 moves h1h2 e8d8 h2h1 d8e8");
    EXPECT_EQ(Root().CastleRights[1], 0);
    EXPECT_EQ(Root().CastleRights[0], 1);
    EXPECT_EQ(FindMove(0, Sq("g1"), Sq("h1")), 0);
    EXPECT_NE(FindMove(0, Sq("g1"), Sq("a1")), 0);
}

TEST(Chess960, FenCastlingFields) {
    FreshTables();
    // X-FEN KQkq and Shredder-FEN name the same rooks: same rights, same key.
    Fen("bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9");
    const PlyPosition shredder = Root();
    Fen("bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w KQkq - 2 9");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Root().CastleRights), 4),
              std::string(reinterpret_cast<const char*>(shredder.CastleRights), 4));
    EXPECT_EQ(Root().KeyLo, shredder.KeyLo);
    EXPECT_EQ(Root().KeyHi, shredder.KeyHi);
    // Same board, castling with the inner or the outer rook: other keys.
    Fen("4k3/8/8/8/8/8/8/4K1RR w G - 0 1");
    const uint32_t inner = Root().KeyLo;
    Fen("4k3/8/8/8/8/8/8/4K1RR w K - 0 1");
    EXPECT_NE(Root().KeyLo, inner);
    // A standard set-up in Shredder-FEN reads as the standard one: king's
    // two-square castling, no key of its own.
    Fen("r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1");
    EXPECT_NE(FindMove(0, Sq("e1"), Sq("g1")), 0);
    EXPECT_EQ(FindMove(0, Sq("e1"), Sq("h1")), 0);
    const uint32_t standard = Root().KeyLo;
    Fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(Root().KeyLo, standard);
    // A file letter without its rook, or without the king on its first rank, is refused.
    std::string why;
    EXPECT_FALSE(SetupFen("4k3/8/8/8/8/8/8/R3K2R w HB - 0 1", &why));
    EXPECT_EQ(why, "castling letter B has no rook on b1");
    EXPECT_FALSE(SetupFen("r7/4k3/8/8/8/8/8/4K3 b a - 0 1", &why));
    EXPECT_EQ(why, "castling letter a has no king on its first rank");
    EXPECT_EQ(Root().KeyLo, standard);  // the previous position stays
}

TEST(Chess960, MoveTextInBothModes) {
    FreshTables();
    {
        // Without the option: today's text in the standard set-up.
        Position("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1");
        EXPECT_EQ(Root().Board[Sq("g1")], WhiteKing);
        EXPECT_EQ(Root().Board[Sq("f1")], WhiteRook);
    }
    {
        SetChess960(true);
        Position("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1");
        EXPECT_EQ(Root().Board[Sq("e1")], WhiteKing);  // e1g1 is no move here: not played
        Position("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1h1");
        EXPECT_EQ(Root().Board[Sq("g1")], WhiteKing);
        EXPECT_EQ(Root().Board[Sq("f1")], WhiteRook);
        EXPECT_EQ(MoveText(Move{static_cast<uint8_t>(Sq("e8")), static_cast<uint8_t>(Sq("a8"))}), " e8a8");
        Position("position startpos moves d2d4 d7d5 b1c3 b8c6 c1f4 c8f5 d1d2 d8d7 e1a1 e8a8");
        EXPECT_EQ(Root().Board[Sq("c1")], WhiteKing);
        EXPECT_EQ(Root().Board[Sq("d1")], WhiteRook);
        EXPECT_EQ(Root().Board[Sq("c8")], BlackKing);
        EXPECT_EQ(Root().Board[Sq("d8")], BlackRook);
        SetChess960(false);
    }
    FreshTables();
}

// Castling mates: the engine must find it and write it king-takes-rook, in
// the pv and the bestmove, with the option and (the set-up not being
// standard) without it; helper threads castle the same way.
TEST(Chess960, ProtocolCastlingMateAndGameFromStartpos) {
    EngineProcess engine;
    const std::string mate = "position fen 4rkr1/4p1p1/8/8/8/8/8/5K1R w H - 0 1";
    engine.Send(mate);
    engine.Send("go depth 3");
    auto lines = engine.ReadUntil("bestmove");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "bestmove f1h1");
    engine.Send("setoption name UCI_Chess960 value true");
    engine.Send("setoption name Threads value 2");
    engine.Send(mate);
    engine.Send("go depth 5");
    lines = engine.ReadUntil("bestmove");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "bestmove f1h1");
    bool matePv = false;
    for (const std::string& line : lines)
        matePv =
            matePv || (line.find("score mate 1 ") != std::string::npos && line.find(" pv f1h1") != std::string::npos);
    EXPECT_TRUE(matePv);
    // Both sides castle in the game text; the search goes on from there.
    engine.Send("position startpos moves e2e4 e7e5 g1f3 g8f6 f1c4 f8c5 e1h1 e8h8");
    engine.Send("go depth 4");
    lines = engine.ReadUntil("bestmove");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) EXPECT_EQ(line.find("info string"), std::string::npos) << line;
    EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
}
