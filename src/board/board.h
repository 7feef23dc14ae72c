// The position representation shared by every part of the engine: squares,
// pieces, moves, the per-ply position stack and its companion tables, the
// game history, the hash keys and the constant board tables.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Squares 1..64 (a1 = 1, h1 = 8, a2 = 9, ..., h8 = 64); 0 = no square.
using Square = uint8_t;
// 0 = white, 1 = black.
using Side = int32_t;
// 0 empty, 1..6 white pawn..king, 7..12 black pawn..king.
using PieceCode = uint8_t;

// The board's edges: squares FirstSquare..LastSquare, files and ranks
// numbered 1..8, and the king's and knight's target slots per square.
constexpr int FirstSquare = 1;
constexpr int LastSquare = 64;
constexpr int FirstFile = 1, LastFile = 8;
constexpr int FirstRank = 1, LastRank = 8;
constexpr int TargetSlots = 8;
// The square on a file and a rank.
constexpr int SquareAt(int file, int rank) { return (rank - 1) * 8 + file; }

constexpr Side White = 0;
constexpr Side Black = 1;

constexpr PieceCode Empty = 0;
constexpr PieceCode WhitePawn = 1, WhiteKnight = 2, WhiteBishop = 3, WhiteRook = 4, WhiteQueen = 5, WhiteKing = 6;
constexpr PieceCode BlackPawn = 7, BlackKnight = 8, BlackBishop = 9, BlackRook = 10, BlackQueen = 11, BlackKing = 12;

// The kinds of piece, numbered as the white piece codes.
enum PieceKind : int { Pawn = 1, Knight = 2, Bishop = 3, Rook = 4, Queen = 5, King = 6 };
// Piece code of a side's piece of a kind: White's codes are the kinds, Black's six more.
constexpr int PieceOf(Side side, int kind) { return 6 * side + kind; }
// The kind of a piece code of a known side: PieceOf's inverse.
constexpr int KindOf(Side side, int code) { return code - 6 * side; }

// A move: from-square and to-byte. A to-byte above 64 codes a promotion
// (white: destination + 14 + 10k, black: destination + 110 + 10k, with
// k = 0 knight, 1 bishop, 2 rook, 3 queen). From-byte 0 is the empty move.
struct Move {
    uint8_t From;
    uint8_t To;
};
// Both bytes at once, as one 16-bit comparison.
inline bool operator==(Move a, Move b) { return std::bit_cast<uint16_t>(a) == std::bit_cast<uint16_t>(b); }
inline bool IsEmptyMove(Move m) { return m.From == 0; }
inline bool IsPromotion(Move m) { return m.To > LastSquare; }

// Whether a to-byte is a square (1..64) or one of the promotion codes.
constexpr bool IsValidToByte(int toByte) {
    if (toByte >= FirstSquare && toByte <= LastSquare) return true;
    if (toByte >= 71 && toByte <= 108) return (toByte - 71) % 10 < 8;
    if (toByte >= 111 && toByte <= 148) return (toByte - 111) % 10 < 8;
    return false;
}
// Destination square of a to-byte (the to-byte itself for ordinary moves).
constexpr int DestinationOfByte(int toByte) {
    if (toByte <= LastSquare) return toByte;
    if (toByte < 110) return toByte - 14 - 10 * ((toByte - 71) / 10);
    return toByte - 110 - 10 * ((toByte - 111) / 10);
}
// Piece code a promotion to-byte turns the pawn into (0 for an ordinary move).
constexpr int PromotedPieceOfByte(int toByte) {
    if (toByte <= LastSquare) return 0;
    if (toByte < 110) return 2 + (toByte - 71) / 10;
    return 8 + (toByte - 111) / 10;
}
// Both of them for every byte 0..255, so that the searches' loops read them
// from a table instead of working them out.
inline constexpr auto ToByteTable = [] {
    struct {
        uint8_t destination[256];
        uint8_t promoted[256];
    } t{};
    for (int b = 0; b < 256; ++b) {
        t.destination[b] = static_cast<uint8_t>(DestinationOfByte(b));
        t.promoted[b] = static_cast<uint8_t>(PromotedPieceOfByte(b));
    }
    return t;
}();
inline int DestinationOf(int toByte) { return ToByteTable.destination[static_cast<uint8_t>(toByte)]; }
inline int PromotedPiece(int toByte) { return ToByteTable.promoted[static_cast<uint8_t>(toByte)]; }

// Table sizes. Squares are numbered 1..64 and piece codes 1..12, each with
// slot 0 for "none", so tables indexed by them have one slot more.
constexpr int SquareSlots = 65;
constexpr int PieceSlots = 13;

// Sizes. MakeMove can build plies 0..83; every per-ply table covers them all.
constexpr int MaxPly = 84;                              // plies 0..83
constexpr int MoveListCapacity = 256;                   // entries 1..255 usable (entry 0 unused)
constexpr int FiftyMoveRulePlies = 100;                 // plies without capture or pawn move that draw
constexpr int HistoryRecords = FiftyMoveRulePlies + 1;  // GameHistory records 0..100

struct PlyPosition {
    uint8_t Board[SquareSlots];  // Board[1..64]; Board[0] unused and always 0
    uint8_t CastleRights[4];     // [0] white O-O-O, [1] white O-O, [2] black O-O-O, [3] black O-O
    int32_t EpFile;
    int32_t HalfmoveClock;
    int32_t SideToMove;
    int32_t MoveCount;  // -1 = list not generated
    int32_t Material;
    uint32_t KeyLo;
    uint32_t KeyHi;
    int32_t StateCode;
    int32_t KingSquare[2];
    // The board again as square sets (bit s - 1 for square s), kept in step
    // with Board by MakeMove and SetSquare and rebuilt from Board by
    // ComputeSquareSets: the squares of each piece code ([0] unused) and of
    // each side.
    uint64_t PieceSquares[PieceSlots];
    uint64_t SideSquares[2];
};

enum RepetitionStatus : int8_t {
    RepUnknown = -1,  // the clock allows a repetition: IsRepetition must look
    RepNone = 0,      // no draw by repetition or by the fifty-move count
    RepDraw = 1,      // a draw by repetition or by the fifty-move count
};

struct LastMoveRecord {
    uint8_t MovedPiece;
    uint8_t FromSquare;
};

struct GameHistoryRecord {
    uint32_t KeyLo;
    uint32_t KeyHi;
    uint8_t MovedPiece;
    uint8_t FromSquare;
    int32_t Side;
};

// A 64-bit hash key kept as two halves (the Zobrist keys, a set-up's key).
struct KeyPair {
    uint32_t Lo;
    uint32_t Hi;
};

// Where the castling pieces of the game started and what castling needs,
// fixed by the set-up (start position or FEN) for the whole game. Standard
// chess has the king on e1/e8 and the rooks in the corners; Chess960 starts
// put them anywhere on the first rank, king between the rooks. The castling
// moves of a standard set-up are the king's two-square moves; those of any
// other set-up (and of every set-up while the Chess960 notation is on) are
// coded as the king taking its own rook, since there a castling king may
// move zero, one or several squares, or the step of an ordinary king move.
struct CastlingSetup {
    // For each square, the rights (bit r for CastleRights[r]) that any move
    // from it or onto it ends: the king's start square ends both rights of
    // its side, a castling rook's square the right of that rook.
    uint8_t LostAt[SquareSlots];
    uint8_t KingStart[2];  // by side
    uint8_t RookStart[4];  // by right (0 where the set-up gave no right)
    bool KingTakesRook;    // castling coded as the king taking its own rook
    // King-takes-rook set-ups only, by right: the squares that must be empty
    // apart from the castling king and rook (the paths of both pieces,
    // destinations included), and the squares the king crosses or lands on,
    // none of which may be attacked.
    uint64_t MustBeEmpty[4];
    uint64_t KingCrosses[4];
    // XOR-ed into the key of every position of the game: 0 for the standard
    // set-up, otherwise a value of the castling rooks' squares, so that the
    // table and the repetition test never mistake positions of one set-up
    // for the same board in another.
    KeyPair Key;
};

// The positions of one search thread: the position stack with its per-ply
// companions and the game history before the root. Every thread that
// searches has its own; ThreadBoard points at the calling thread's.
struct BoardTables {
    PlyPosition PositionStack[MaxPly];
    Move MoveList[MaxPly][MoveListCapacity];  // entries numbered from 1
    uint8_t CheckerSquare[MaxPly];
    uint8_t BareKing[MaxPly];
    // Per ply, what is known about a draw by repetition or by the fifty-move
    // count (values of RepetitionStatus): set by MakeMove from the clock,
    // settled by IsRepetition when it has to look.
    int8_t RepStatus[MaxPly];
    LastMoveRecord LastMove[MaxPly];
    GameHistoryRecord GameHistory[HistoryRecords];
    // The castling set-up of the game; copied with the rest to the helpers.
    CastlingSetup Castling;
};
// The calling thread's positions. The search floor owns the threads and
// defines it: the main search thread, the input thread (which sets up the
// position the main thread searches), the command-line modes and the tests
// all start on the main search thread's tables. Declared constinit: the
// compiler then knows it needs no start-up code, and every read is a plain
// thread-local load instead of a call guarded by a check of an init function.
extern constinit thread_local BoardTables* ThreadBoard;

// Zobrist keys per square 1..64 and piece code 1..12.
extern KeyPair ZobristKeys[SquareSlots][PieceSlots];
extern uint32_t SideKey[2];

// The eight ray directions of the sliding pieces: the four diagonals first,
// then the four straight lines.
inline constexpr int RaySteps[8] = {+9, +7, -7, -9, +8, -8, +1, -1};
enum RayDirection : int { NorthEast, NorthWest, SouthEast, SouthWest, North, South, East, West };

// Constant tables, computed at compile time.
struct BoardGeometry {
    uint8_t File[SquareSlots];
    uint8_t Rank[SquareSlots];
    uint8_t Knight[SquareSlots][TargetSlots];  // 0-terminated when shorter than 8
    uint8_t King[SquareSlots][TargetSlots];
    uint8_t RayLength[SquareSlots][TargetSlots];  // squares from s to the edge in each RaySteps direction
    uint64_t RayMask[SquareSlots][TargetSlots];   // those squares as a mask (bit t - 1 for square t)
};

constexpr BoardGeometry BuildBoardGeometry() {
    BoardGeometry t{};
    // Knight steps (file, rank) in the order of the offsets -17, +15, -15, +17, -10, +6, -6, +10.
    constexpr int knightDf[8] = {-1, -1, +1, +1, -2, -2, +2, +2};
    constexpr int knightDr[8] = {-2, +2, -2, +2, -1, +1, -1, +1};
    // King steps in the order -1, -9, +7, +1, -7, +9, -8, +8.
    constexpr int kingDf[8] = {-1, -1, -1, +1, +1, +1, 0, 0};
    constexpr int kingDr[8] = {0, -1, +1, 0, -1, +1, -1, +1};
    for (int s = FirstSquare; s <= LastSquare; ++s) {
        int f = (s - 1) % 8 + 1, r = (s - 1) / 8 + 1;
        t.File[s] = static_cast<uint8_t>(f);
        t.Rank[s] = static_cast<uint8_t>(r);
        int n = 0;
        for (int i = 0; i < 8; ++i) {
            int nf = f + knightDf[i], nr = r + knightDr[i];
            if (nf >= 1 && nf <= 8 && nr >= 1 && nr <= 8) t.Knight[s][n++] = static_cast<uint8_t>((nr - 1) * 8 + nf);
        }
        n = 0;
        for (int i = 0; i < 8; ++i) {
            int nf = f + kingDf[i], nr = r + kingDr[i];
            if (nf >= 1 && nf <= 8 && nr >= 1 && nr <= 8) t.King[s][n++] = static_cast<uint8_t>((nr - 1) * 8 + nf);
        }
        const int east = 8 - f, west = f - 1, north = 8 - r, south = r - 1;
        const int lengths[8] = {north < east ? north : east,
                                north < west ? north : west,
                                south < east ? south : east,
                                south < west ? south : west,
                                north,
                                south,
                                east,
                                west};
        constexpr int steps[8] = {+9, +7, -7, -9, +8, -8, +1, -1};
        for (int i = 0; i < 8; ++i) {
            t.RayLength[s][i] = static_cast<uint8_t>(lengths[i]);
            for (int d = 1; d <= lengths[i]; ++d) t.RayMask[s][i] |= uint64_t{1} << (s + d * steps[i] - 1);
        }
    }
    return t;
}
inline constexpr BoardGeometry Geometry = BuildBoardGeometry();

inline constexpr const auto& FileOf = Geometry.File;  // square -> 1..8
inline constexpr const auto& RankOf = Geometry.Rank;  // square -> 1..8
inline constexpr const auto& KnightTargets = Geometry.Knight;
inline constexpr const auto& KingTargets = Geometry.King;
inline constexpr const auto& RayLength = Geometry.RayLength;
inline constexpr const auto& RayMask = Geometry.RayMask;

// The square numbers one rank apart, and the castling king's two-square step.
constexpr int RankStep = 8;
constexpr int CastlingKingStep = 2;
// Promotion to-bytes: a pawn arriving on square d promotes to knight,
// bishop, rook, queen with the to-bytes d + base + PromotionByteStep * k,
// base WhitePromotionBase or BlackPromotionBase.
constexpr int WhitePromotionBase = 14, BlackPromotionBase = 110, PromotionByteStep = 10, PromotionKinds = 4;

// A rank seen from the other side (rank 2 of one side is rank 7 of the other).
constexpr int MirrorRank(int rank) { return 9 - rank; }

// Bit s - 1 of a square set stands for square s.
constexpr uint64_t SquareBit(int s) { return uint64_t{1} << (s - 1); }
// Number of squares in a set. Counted by halving steps in registers: the
// generic x86-64 target has no population-count instruction, and the library
// call that std::popcount becomes there costs more.
constexpr int CountSquares(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}
// The squares of file f (1..8).
constexpr uint64_t FileSquares(int f) { return 0x0101010101010101ull << (f - 1); }

// Every occupied square of a position.
inline uint64_t OccupiedSquares(const PlyPosition& p) { return p.SideSquares[0] | p.SideSquares[1]; }

// Side of a piece code; 200 for an empty square (equal to neither side).
inline constexpr uint8_t ColourOf[PieceSlots] = {200, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1};

// Puts a piece code (Empty to clear) on a square of a position, keeping its
// square sets in step.
inline void SetSquare(PlyPosition& p, int s, int code) {
    const uint64_t bit = SquareBit(s);
    const int old = p.Board[s];
    if (old != Empty) {
        p.PieceSquares[old] &= ~bit;
        p.SideSquares[ColourOf[old]] &= ~bit;
    }
    if (code != Empty) {
        p.PieceSquares[code] |= bit;
        p.SideSquares[ColourOf[code]] |= bit;
    }
    p.Board[s] = static_cast<uint8_t>(code);
}

// Squares of Board[1..64] as a 64-bit mask (bit s - 1 for square s): the
// occupied ones (side < 0) or those holding a piece of one side. With SSE2
// the board is compared sixteen squares at a time and each byte's answer
// gathered by a movemask; otherwise it is read eight squares at a time, the
// top bit of each byte answers for its square and one multiplication gathers
// the eight answers into one byte.
inline uint64_t SquaresHolding(const uint8_t* board, Side side) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), lastWhite = _mm_set1_epi8(6);
    uint64_t squares = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(board + 1 + 16 * part));
        // Codes are 0..12: empty is 0, black is 7..12 (above 6 as a signed byte).
        const __m128i wanted = side < 0 ? _mm_cmpeq_epi8(bytes, zero)
                               : side == Black
                                   ? _mm_cmpgt_epi8(bytes, lastWhite)
                                   : _mm_or_si128(_mm_cmpeq_epi8(bytes, zero), _mm_cmpgt_epi8(bytes, lastWhite));
        // For the occupied and white masks the compare found the squares NOT wanted.
        uint64_t bits = static_cast<uint32_t>(_mm_movemask_epi8(wanted));
        if (side != Black) bits ^= 0xFFFF;
        squares |= bits << (16 * part);
    }
    return squares;
#else
    static_assert(std::endian::native == std::endian::little, "squares are read in their byte order");
    constexpr uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    uint64_t squares = 0;
    for (int rank = 0; rank < 8; ++rank) {
        uint64_t word;
        std::memcpy(&word, board + 1 + 8 * rank, sizeof word);
        // Codes are 0..12: a byte is nonzero when adding 127 sets its top
        // bit, and black (7..12) when adding 121 does; no carry crosses bytes.
        const uint64_t occupied = (word + 0x7F * ones) & high;
        const uint64_t black = (word + 0x79 * ones) & high;
        const uint64_t wanted = side < 0 ? occupied : side == Black ? black : occupied & ~black;
        squares |= ((wanted >> 7) * 0x0102040810204080ull >> 56) << (8 * rank);
    }
    return squares;
#endif
}
inline uint64_t OccupiedSquares(const uint8_t* board) { return SquaresHolding(board, -1); }

// Squares of Board[1..64] holding one piece code, as a mask like SquaresHolding's.
inline uint64_t SquaresOfPiece(const uint8_t* board, int code) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(code));
    uint64_t squares = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(board + 1 + 16 * part));
        const uint64_t bits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        squares |= bits << (16 * part);
    }
    return squares;
#else
    uint64_t squares = 0;
    for (int s = FirstSquare; s <= LastSquare; ++s)
        if (board[s] == code) squares |= uint64_t{1} << (s - 1);
    return squares;
#endif
}

// clang-format off
inline constexpr uint8_t StartBoard[SquareSlots] = {
    0,
    4, 2, 3, 5, 6, 3, 2, 4,
    1, 1, 1, 1, 1, 1, 1, 1,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    7, 7, 7, 7, 7, 7, 7, 7,
    10, 8, 9, 11, 12, 9, 8, 10};
// clang-format on

inline constexpr int32_t PieceValue[PieceSlots] = {0, 100, 325, 325, 500, 975, 0, -100, -325, -325, -500, -975, 0};

// 1 in the corners up to 5 in the centre; indexed by square (rank 1 first).
// clang-format off
inline constexpr uint8_t KingCentreTable[SquareSlots] = {
    0,
    1, 2, 2, 2, 2, 2, 2, 1,
    2, 3, 3, 3, 3, 3, 3, 2,
    2, 3, 4, 4, 4, 4, 3, 2,
    2, 3, 4, 5, 5, 4, 3, 2,
    2, 3, 4, 5, 5, 4, 3, 2,
    2, 3, 4, 4, 4, 4, 3, 2,
    2, 3, 3, 3, 3, 3, 3, 2,
    1, 2, 2, 2, 2, 2, 2, 1};
// clang-format on

// Home squares of the castling king and rooks in standard chess, by side.
inline constexpr int KingHome[2] = {5, 61};
inline constexpr int QueenRookHome[2] = {1, 57};
inline constexpr int KingRookHome[2] = {8, 64};
// Where king and rook stand after castling, by right (c1/d1, g1/f1, c8/d8,
// g8/f8), whatever squares they started on.
inline constexpr int CastleKingTarget[4] = {3, 7, 59, 63};
inline constexpr int CastleRookTarget[4] = {4, 6, 60, 62};
// The right of a side's castling on one wing.
constexpr int CastleRightOf(Side side, bool kingSide) { return 2 * side + (kingSide ? 1 : 0); }

// Castling rights as bits (bit r for CastleRights[r]) for the standard
// set-up: for each square, the rights that any move from it or onto it ends.
// A king leaving its start square ends both rights of its side; a rook
// leaving its corner, or any piece captured there, ends the right on that
// side. A game's CastlingSetup starts from it.
// clang-format off
inline constexpr uint8_t CastleRightsLostAt[SquareSlots] = {
    0,
    1, 0, 0, 0, 3, 0, 0, 2,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    4, 0, 0, 0, 12, 0, 0, 8};
// clang-format on

// Whether a move of the side to move in pos is castling: its king moves two
// squares (standard coding) or takes its own rook (king-takes-rook coding).
inline bool IsCastlingMove(const PlyPosition& pos, Move m) {
    return m.To <= LastSquare && pos.Board[m.From] == PieceOf(pos.SideToMove, King) &&
           (m.From - m.To == 2 || m.To - m.From == 2 || ColourOf[pos.Board[m.To]] == pos.SideToMove);
}

// Whether castling is written and read as the king taking its own rook
// ("e1h1") in every set-up: the engine's Chess960 option. Set-ups read it;
// a set-up that is not standard uses that notation anyway.
extern bool Chess960Notation;

// Fills a game's castling set-up from the start squares of the kings and of
// the rooks of the rights a set-up grants (rights[r] != 0).
void ArrangeCastling(CastlingSetup& c, const int kingStart[2], const int rookStart[4], const uint8_t rights[4]);
// The standard set-up (king e1/e8, rooks in the corners).
void ArrangeStandardCastling(CastlingSetup& c);

// Fills ZobristKeys and SideKey from the engine's fixed generator.
void InitZobristKeys();
// Puts the initial position into ply 0 (board, side, clock, en passant, rights).
void SetStartPosition();
// Rebuilds the square sets of a position from its Board (after the board
// was written directly, as the set-up does).
void ComputeSquareSets(PlyPosition& p);
// Whether the square sets of a position agree with its Board.
bool SquareSetsMatch(const PlyPosition& p);
// Empties the whole position stack, its per-ply companions and the game
// history, then puts the initial position into ply 0: the state of a freshly
// started process.
void ClearPositionState();
// StateCode of a record: EpFile + 9/18/36/72 x rights + 144 x side.
int ComputeStateCode(const PlyPosition& p);

// Debug check of the record at ply: board, piece counts, king squares,
// material, keys, castling rights and state code agree (used under assert).
bool PositionIsConsistent(int ply);

// A forecast of the KeyLo of the position that a move of the ply's list
// leads to: exact for ordinary moves, captures and promotions; castling's
// rook and the pawn taken en passant are left out.
inline uint32_t KeyLoAfter(int ply, Move m) {
    BoardTables& bt = *ThreadBoard;
    const PlyPosition& p = bt.PositionStack[ply];
    const int to = DestinationOf(m.To), piece = p.Board[m.From];
    const int promoted = PromotedPiece(m.To);
    uint32_t key = p.KeyLo ^ ZobristKeys[m.From][piece].Lo ^ ZobristKeys[to][promoted != 0 ? promoted : piece].Lo;
    if (p.Board[to] != Empty) key ^= ZobristKeys[to][p.Board[to]].Lo;
    return key;
}

// Operations on the stack (defined in their own files).
uint8_t AttackingSquare(int ply, int target, Side side);
void GenerateMoves(int ply, bool fullList);
void MakeMove(int ply, int entry);
void PrepareRoot();
bool IsRepetition(int ply);
// After MakeMove built ply from ply - 1: false when the move left the mover's
// king attacked or castled out of check.
bool MoveWasLegal(int ply);
