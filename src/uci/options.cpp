// The identity the engine gives and the options it offers.
#include "uci/options.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/output.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/tablebase.h"
#include "search/threads.h"
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

// The Syzygy options; false for another name. value is the command form;
// the path is read from the line as received (raw), as folders keep their case.
bool SetTablebaseOption(const std::string& name, const std::string& value, const std::string& raw, std::size_t valueAt) {
    if (name == "syzygypath") {
        SetTablebasePath(valueAt == std::string::npos ? "" : raw.substr(valueAt + 7, value.size()));
    } else if (name == "syzygyprobedepth") {
        SpinValue("SyzygyProbeDepth", value, 1, 100, TablebaseProbeDepth);
    } else if (name == "syzygy50moverule") {
        TablebaseRule50 = CheckValue("Syzygy50MoveRule", value, TablebaseRule50);
    } else if (name == "syzygyprobelimit") {
        int pieces = TablebaseProbeLimit();
        if (SpinValue("SyzygyProbeLimit", value, 0, 7, pieces)) SetTablebaseProbeLimit(pieces);
    } else {
        return false;
    }
    return true;
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
    if (TablebasesBuiltIn()) {
        SendLine("option name SyzygyPath type string default <empty>");
        SendLine("option name SyzygyProbeDepth type spin default 1 min 1 max 100");
        SendLine("option name Syzygy50MoveRule type check default true");
        SendLine("option name SyzygyProbeLimit type spin default 7 min 0 max 7");
    }
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
    } else if (!(TablebasesBuiltIn() && SetTablebaseOption(name, value, raw, valueAt))) {
        SendInfoString("unknown option '" + raw.substr(nameAt, nameEnd - nameAt) + "' ignored");
    }
}
