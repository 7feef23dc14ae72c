// The tables that keep one entry per ply of the line, whatever floor owns
// them, as one list: saving, restoring or copying a ply is one operation
// over this list, so a new per-ply table is added here and nowhere else.
#pragma once

#include <cstddef>
#include <cstring>
#include <tuple>
#include <utility>

#include "board/board.h"
#include "eval/evaluate.h"
#include "search/tables.h"

// The position record and its move list, the check square, the lone-king
// flag, the repetition status and the last move (board); the evaluation
// cache and the lead pawns (eval); the count of moves proven legal (search).
inline auto PerPlyTables() {
    BoardTables& bt = *ThreadBoard;
    EvalTables& et = *ThreadEval;
    SearchThread& st = *ThreadSearch;
    return std::tie(bt.PositionStack, bt.MoveList, bt.CheckerSquare, bt.BareKing, bt.RepStatus, bt.LastMove,
                    et.EvalCache, et.LeadPawnSquare, st.VerifiedCount);
}

namespace plytables {
template <typename... Table>
constexpr std::size_t EntryBytes(std::tuple<Table&...>*) {
    return (sizeof(std::declval<Table&>()[0]) + ...);
}
}  // namespace plytables

// Bytes of one ply's entries in all the per-ply tables.
inline constexpr std::size_t PlyEntryBytes = plytables::EntryBytes(static_cast<decltype(PerPlyTables())*>(nullptr));

// One ply's entries of every per-ply table, kept as one block.
struct PlyRecord {
    alignas(8) unsigned char Bytes[PlyEntryBytes];
};

// Copies every per-ply table's entry of a ply into a record.
inline void SavePly(PlyRecord& record, int ply) {
    std::size_t at = 0;
    std::apply(
        [&](auto&... table) {
            ((std::memcpy(record.Bytes + at, &table[ply], sizeof table[ply]), at += sizeof table[ply]), ...);
        },
        PerPlyTables());
}

// Puts a record saved by SavePly back into a ply.
inline void RestorePly(const PlyRecord& record, int ply) {
    std::size_t at = 0;
    std::apply(
        [&](auto&... table) {
            ((std::memcpy(&table[ply], record.Bytes + at, sizeof table[ply]), at += sizeof table[ply]), ...);
        },
        PerPlyTables());
}
