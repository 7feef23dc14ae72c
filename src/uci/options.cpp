// The identity the engine gives and the options it offers.
#include "uci/options.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "board/board.h"
#include "platform/output.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/threads.h"
#include "uci/position.h"
#include "uci/version.h"

namespace {

constexpr int MaxMultiPv = 64;

int HashMegabytes = 1;
bool PonderAllowed = false;

// A decimal integer with an optional sign, saturated far beyond any range
// an option has; false when the text is not one.
bool ReadInteger(const std::string& text, int64_t& value) {
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = std::min<int64_t>(v * 10 + (text[i] - '0'), 1'000'000'000);
    }
    value = text[0] == '-' ? -v : v;
    return true;
}

// A spin value: a number within min..max is taken; a number outside is
// clamped, and one that is no number leaves the option as it is, each with
// an "info string" that says so. False when no number was read.
bool SpinValue(const std::string& name, const std::string& text, int min, int max, int& option) {
    int64_t v = 0;
    if (!ReadInteger(text, v)) {
        SendInfoString("option " + name + ": value '" + text + "' is not a number; keeping " +
                       std::to_string(option));
        return false;
    }
    option = static_cast<int>(std::clamp<int64_t>(v, min, max));
    if (v < min || v > max)
        SendInfoString("option " + name + ": value " + text + " is out of range " + std::to_string(min) + ".." +
                       std::to_string(max) + "; using " + std::to_string(option));
    return true;
}

bool CheckValue(const std::string& name, const std::string& text, bool current) {
    if (text == "true") return true;
    if (text == "false") return false;
    SendInfoString("option " + name + ": value '" + text + "' is not true or false; keeping " +
                   (current ? "true" : "false"));
    return current;
}

}  // namespace

void SendIdentity() {
    SendLine("id name Quill " QUILL_VERSION);
    SendLine("id author Arno Vilquet");
    SendLine("option name Hash type spin default 1 min 1 max 4096");
    SendLine("option name Clear Hash type button");
    SendLine("option name Threads type spin default 1 min 1 max " + std::to_string(MaxSearchThreads));
    SendLine("option name Ponder type check default false");
    SendLine("option name MultiPV type spin default 1 min 1 max " + std::to_string(MaxMultiPv));
    SendLine("option name Move Overhead type spin default 50 min 0 max 5000");
    SendLine("option name UCI_Chess960 type check default false");
    SendLine("uciok");
}

void SetOption(const std::string& lower, const std::string& raw) {
    // "setoption name <name> [value <value>]": the name may hold blanks.
    const std::size_t nameAt = lower.find("name ") + 5;
    std::size_t valueAt = lower.find(" value ", nameAt);
    std::size_t nameEnd = valueAt == std::string::npos ? lower.size() : valueAt;
    while (nameEnd > nameAt && lower[nameEnd - 1] == ' ') --nameEnd;
    const std::string name = lower.substr(nameAt, nameEnd - nameAt);
    std::string value = valueAt == std::string::npos ? "" : lower.substr(valueAt + 7);
    while (!value.empty() && value.back() == ' ') value.pop_back();

    if (name == "hash") {
        // Not a number: the table stays as it is.
        if (SpinValue("Hash", value, 1, 4096, HashMegabytes)) ResizeHashTable(HashMegabytes);
    } else if (name == "clear hash") {
        ClearHashTable();
    } else if (name == "threads") {
        int threads = SearchThreadCount();
        if (SpinValue("Threads", value, 1, MaxSearchThreads, threads)) SetSearchThreads(threads);
    } else if (name == "ponder") {
        PonderAllowed = CheckValue("Ponder", value, PonderAllowed);
    } else if (name == "multipv") {
        SpinValue("MultiPV", value, 1, MaxMultiPv, MultiPvLines);
    } else if (name == "move overhead") {
        SpinValue("Move Overhead", value, 0, 5000, MoveOverheadMs);
    } else if (name == "uci_chess960") {
        // Castling is coded as set up: the next "position" command sets up afresh.
        const bool chess960 = CheckValue("UCI_Chess960", value, Chess960Notation);
        if (chess960 != Chess960Notation) LastPositionLine.clear();
        Chess960Notation = chess960;
    } else {
        SendInfoString("unknown option '" + raw.substr(nameAt, nameEnd - nameAt) + "' ignored");
    }
}
