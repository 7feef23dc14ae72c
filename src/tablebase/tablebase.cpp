// The engine's side of the Syzygy tables: the folder list, the probe of a
// position's result and of every root move's result and distance to zeroing
// (the search's use of them is search/syzygy.cpp). The probing itself is
// Fathom's (a 2019 snapshot in Debian). This wrapper guards against what
// that snapshot gets wrong:
// - its library is built without locks (TB_NO_THREADS), and it maps tables
//   lazily on the first probe: every call into it holds ProbeLock;
// - an empty path frees its folder list but keeps its table index and its
//   largest piece count, so a later probe would read freed memory: an empty
//   path sets TablebaseReach to 0 and nothing probes;
// - an empty entry in the folder list ("a::b", "a:") makes it read past the
//   string: the list it gets holds only the folders that can be read;
// - it prints "info string" lines of its own to standard output while it
//   looks for tables, and a spurious "munmap" error on standard error for
//   every table it lets go: both go to the null device, and an incomplete
//   table file (which it skips) is reported by the wrapper instead.
#include "tablebase/tablebase.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

#include "board/board.h"
#include "platform/output.h"
#include "platform/platform.h"

#ifdef QUILL_SYZYGY
#include <tbprobe.h>
#endif

int TablebaseProbeDepth = 1;
bool TablebaseRule50 = true;
int TablebaseReach = 0;

namespace {

int ProbeLimit = 7;
int Largest = 0;     // largest table found (pieces)
int TableCount = 0;  // WDL tables found
std::atomic<uint64_t> Hits{0};

#ifdef QUILL_SYZYGY
std::mutex ProbeLock;
std::string LibraryPath;

#ifdef _WIN32
constexpr char Separator = ';';
#else
constexpr char Separator = ':';
#endif

void InitLibrary() { tb_init(LibraryPath.c_str()); }

// The position at ply in the library's terms: square sets with bit s - 1 for
// square s (as the position record keeps them), the en-passant square.
struct TbPosition {
    uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
    unsigned ep;
    bool whiteToMove;
};

TbPosition PositionAt(int ply) {
    const PlyPosition& p = ThreadBoard->PositionStack[ply];
    const auto both = [&p](int kind) {
        return p.PieceSquares[PieceOf(White, kind)] | p.PieceSquares[PieceOf(Black, kind)];
    };
    TbPosition t{};
    t.white = p.SideSquares[White];
    t.black = p.SideSquares[Black];
    t.kings = both(King);
    t.queens = both(Queen);
    t.rooks = both(Rook);
    t.bishops = both(Bishop);
    t.knights = both(Knight);
    t.pawns = both(Pawn);
    t.whiteToMove = p.SideToMove == White;
    // The square a pawn that just advanced two squares passed over (0 = none).
    if (p.EpFile > 0) t.ep = static_cast<unsigned>(SquareAt(p.EpFile, t.whiteToMove ? 6 : 3) - 1);
    return t;
}

bool InReach(int ply) {
    const PlyPosition& p = ThreadBoard->PositionStack[ply];
    if (p.CastleRights[0] | p.CastleRights[1] | p.CastleRights[2] | p.CastleRights[3]) return false;
    return std::popcount(p.SideSquares[White] | p.SideSquares[Black]) <= TablebaseReach;
}

// A library result 0..4 (loss..win) as -2..2, with the fifty-move rule
// ignored when the option says so.
int ResultOf(unsigned wdl) {
    int v = static_cast<int>(wdl) - 2;
    if (!TablebaseRule50 && v != 0) v = v > 0 ? 2 : -2;
    return v;
}

// The folders of a path that can be read, each one told apart; the others
// are reported.
std::vector<std::string> ReadableFolders(const std::string& path) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(Separator, start);
        if (end == std::string::npos) end = path.size();
        const std::string folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.empty()) continue;
        std::error_code error;
        std::filesystem::directory_iterator probe(folder, error);
        if (error) SendInfoString("SyzygyPath: cannot read folder '" + folder + "'; it is not used");
        else folders.push_back(folder);
    }
    return folders;
}

// Complete table files of a kind in the folders, by name (the first folder
// that has a name supplies it, as the library does), and the most pieces
// among them; incomplete ones are reported.
int CountTables(const std::vector<std::string>& folders, const std::string& suffix, int& largest) {
    std::set<std::string> names;
    int count = 0;
    for (const std::string& folder : folders) {
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
            const std::filesystem::path& file = item.path();
            if (file.extension() != suffix) continue;
            const std::string name = file.stem().string();
            if (name.size() < 3 || name[0] != 'K' || name.find('v') == std::string::npos) continue;
            if (!names.insert(name).second) continue;
            // A complete table file is 16 bytes more than a multiple of 64;
            // the library skips another one (and looks no further for it).
            std::error_code sizeError;
            const auto size = std::filesystem::file_size(file, sizeError);
            if (sizeError || size % 64 != 16) {
                SendInfoString("SyzygyPath: incomplete table file '" + file.string() + "' is not used");
                continue;
            }
            ++count;
            largest = std::max(largest, static_cast<int>(name.size()) - 1);
        }
    }
    return count;
}
#endif

void UpdateReach() { TablebaseReach = TableCount > 0 ? std::min(Largest, ProbeLimit) : 0; }

}  // namespace

bool TablebasesBuiltIn() {
#ifdef QUILL_SYZYGY
    return true;
#else
    return false;
#endif
}

void SetTablebasePath(const std::string& path) {
    Largest = TableCount = 0;
    UpdateReach();
#ifdef QUILL_SYZYGY
    std::vector<std::string> folders;
    if (path != "<empty>") folders = ReadableFolders(path);
    LibraryPath.clear();
    for (const std::string& folder : folders)
        LibraryPath += (LibraryPath.empty() ? "" : std::string(1, Separator)) + folder;
    {
        std::lock_guard<std::mutex> guard(ProbeLock);
        RunWithOutputMuted(InitLibrary);
    }
    if (folders.empty()) return;
    int largestWdl = 0, largestDtz = 0;
    TableCount = CountTables(folders, ".rtbw", largestWdl);
    const int dtz = CountTables(folders, ".rtbz", largestDtz);
    // The library's own count is the one that probes.
    Largest = TableCount > 0 ? static_cast<int>(TB_LARGEST) : 0;
    if (Largest == 0) TableCount = 0;
    UpdateReach();
    SendInfoString("SyzygyPath: " + std::to_string(TableCount) + " WDL and " + std::to_string(dtz) +
                   " DTZ tables found, up to " + std::to_string(Largest) + " pieces");
#else
    (void)path;
#endif
}

void SetTablebaseProbeLimit(int pieces) {
    ProbeLimit = pieces;
    UpdateReach();
}
int TablebaseProbeLimit() { return ProbeLimit; }
int TablebaseCount() { return TableCount; }

bool ProbeTablebaseWdl(int ply, int& wdl) {
#ifdef QUILL_SYZYGY
    if (TablebaseReach == 0 || !InReach(ply) || ThreadBoard->PositionStack[ply].HalfmoveClock != 0) return false;
    const TbPosition t = PositionAt(ply);
    unsigned result;
    {
        std::lock_guard<std::mutex> guard(ProbeLock);
        result = tb_probe_wdl(t.white, t.black, t.kings, t.queens, t.rooks, t.bishops, t.knights, t.pawns, 0, 0, t.ep,
                              t.whiteToMove);
    }
    if (result == TB_RESULT_FAILED) return false;
    Hits.fetch_add(1, std::memory_order_relaxed);
    wdl = ResultOf(result);
    return true;
#else
    (void)ply;
    (void)wdl;
    return false;
#endif
}

#ifdef QUILL_SYZYGY
namespace {

// Each root move's result and distance to zeroing (in plies, from the root)
// from the DTZ tables; false when they miss a table.
bool RankByDtz(const TbPosition& t, int clock, unsigned* results) {
    std::lock_guard<std::mutex> guard(ProbeLock);
    const unsigned r = tb_probe_root(t.white, t.black, t.kings, t.queens, t.rooks, t.bishops, t.knights, t.pawns,
                                     static_cast<unsigned>(clock), 0, t.ep, t.whiteToMove, results);
    return r != TB_RESULT_FAILED;
}

// The same from the WDL tables alone (no distance: 0 for every move).
bool RankByWdl(const TbPosition& t, int clock, unsigned* results) {
    TbRootMoves moves;  // about 100 KB: on the stack of the one thread that prepares the root
    std::lock_guard<std::mutex> guard(ProbeLock);
    if (!tb_probe_root_wdl(t.white, t.black, t.kings, t.queens, t.rooks, t.bishops, t.knights, t.pawns,
                           static_cast<unsigned>(clock), 0, t.ep, t.whiteToMove, TablebaseRule50, &moves))
        return false;
    unsigned n = 0;
    for (unsigned i = 0; i < moves.size && i + 1 < TB_MAX_MOVES; ++i) {
        const TbMove m = moves.moves[i].move;
        const int rank = moves.moves[i].tbRank;
        const unsigned wdl = rank >= 1000 ? 4 : rank > 0 ? 3 : rank == 0 ? 2 : rank > -1000 ? 1 : 0;
        unsigned res = TB_SET_WDL(0u, wdl);
        res = TB_SET_FROM(res, TB_MOVE_FROM(m));
        res = TB_SET_TO(res, TB_MOVE_TO(m));
        res = TB_SET_PROMOTES(res, TB_MOVE_PROMOTES(m));
        results[n++] = res;
    }
    results[n] = TB_RESULT_FAILED;
    return true;
}

// Whether a list move is the library's move of a result.
bool SameMove(Move m, unsigned res) {
    if (m.From - 1 != static_cast<int>(TB_GET_FROM(res))) return false;
    if (DestinationOf(m.To) - 1 != static_cast<int>(TB_GET_TO(res))) return false;
    // Promotion kinds: the library counts queen 1 .. knight 4.
    const int promoted = PromotedPiece(m.To);
    const int kind = promoted == 0 ? 0 : (promoted - 1) % 6 + 1;
    const unsigned want = kind == 0 ? 0u : static_cast<unsigned>(Queen + 1 - kind);
    return TB_GET_PROMOTES(res) == want;
}

}  // namespace
#endif

bool ProbeTablebaseRoot(int* resultOf, int* dtzOf) {
#ifdef QUILL_SYZYGY
    BoardTables& bt = *ThreadBoard;
    if (TablebaseReach == 0 || !InReach(0)) return false;
    const TbPosition t = PositionAt(0);
    const int clock = std::clamp(bt.PositionStack[0].HalfmoveClock, 0, FiftyMoveRulePlies);
    unsigned results[TB_MAX_MOVES + 1];
    if (!RankByDtz(t, clock, results) && !RankByWdl(t, clock, results)) return false;
    Hits.fetch_add(1, std::memory_order_relaxed);
    for (int j = 1; j <= bt.PositionStack[0].MoveCount; ++j) {
        resultOf[j] = NotATableMove;
        dtzOf[j] = 0;
        for (int k = 0; k < TB_MAX_MOVES && results[k] != TB_RESULT_FAILED; ++k)
            if (SameMove(bt.MoveList[0][j], results[k])) {
                resultOf[j] = ResultOf(TB_GET_WDL(results[k]));
                dtzOf[j] = static_cast<int>(TB_GET_DTZ(results[k]));
            }
    }
    return true;
#else
    (void)resultOf;
    (void)dtzOf;
    return false;
#endif
}

void ResetTablebaseHits() { Hits.store(0, std::memory_order_relaxed); }

std::string TablebaseHitsText() {
    if (TableCount == 0) return "";
    return " tbhits " + std::to_string(Hits.load(std::memory_order_relaxed));
}
