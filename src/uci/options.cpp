// The identity the engine gives and the options it offers.
#include "uci/options.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "board/board.h"
#include "platform/output.h"
#include "play/strength.h"
#include "play/wdl.h"
#include "search/control.h"
#include "search/hash.h"
#include "search/info.h"
#include "search/threads.h"
#include "tablebase/tablebase.h"
#include "uci/position.h"
#include "uci/version.h"

namespace {

constexpr int MaxMultiPv = MaxRootLines;

int HashMegabytes = 1;
bool PonderAllowed = false;

// The kinds of option the "uci" listing names.
enum class OptionKind { Spin, Check, Button, String };

// One option: its name as listed, its kind, its default and (spin) range,
// its current value for the messages, and what setting it does. A spin's
// value is within Min..Max, a check's 0 or 1; a string's is its text as
// received (case kept) and a button has none.
struct OptionRow {
    const char* Name;
    OptionKind Kind;
    int Default;              // spin: the default value; check: 1 = true
    int Min;                  // spin only
    int Max;                  // spin only
    const char* DefaultText;  // string only ("" is listed as <empty>)
    int (*Current)();         // spin and check: the value now, for "keeping ..."
    void (*Apply)(int value, const std::string& text);
    bool (*Offered)();  // whether this build offers it; nullptr: always
};

// Every option, in the order of the "uci" listing. The listing and the
// value check both read their range and default from here.
constexpr OptionRow Options[] = {
    {"Hash", OptionKind::Spin, 1, 1, 4096, "", [] { return HashMegabytes; },
     [](int mb, const std::string&) {
         HashMegabytes = mb;
         ResizeHashTable(mb);
     },
     nullptr},
    {"Clear Hash", OptionKind::Button, 0, 0, 0, "", nullptr, [](int, const std::string&) { ClearHashTable(); },
     nullptr},
    {"Threads", OptionKind::Spin, 1, 1, MaxSearchThreads, "", [] { return SearchThreadCount(); },
     [](int threads, const std::string&) { SetSearchThreads(threads); }, nullptr},
    {"Ponder", OptionKind::Check, 0, 0, 1, "", [] { return int{PonderAllowed}; },
     [](int on, const std::string&) { PonderAllowed = on != 0; }, nullptr},
    {"MultiPV", OptionKind::Spin, 1, 1, MaxMultiPv, "", [] { return int{MultiPvLines}; },
     [](int lines, const std::string&) { MultiPvLines = lines; }, nullptr},
    {"Move Overhead", OptionKind::Spin, DefaultMoveOverheadMs, 0, 5000, "", [] { return int{MoveOverheadMs}; },
     [](int ms, const std::string&) { MoveOverheadMs = ms; }, nullptr},
    // Castling is coded as set up: a change makes the next "position" command set up afresh.
    {"UCI_Chess960", OptionKind::Check, 0, 0, 1, "", [] { return int{Chess960Notation}; },
     [](int on, const std::string&) {
         if ((on != 0) != Chess960Notation) LastPositionLine.clear();
         Chess960Notation = on != 0;
     },
     nullptr},
    {"UCI_LimitStrength", OptionKind::Check, 0, 0, 1, "", [] { return int{LimitStrength}; },
     [](int on, const std::string&) { LimitStrength = on != 0; }, nullptr},
    {"UCI_Elo", OptionKind::Spin, DefaultStrengthElo, MinStrengthElo, MaxStrengthElo, "",
     [] { return int{StrengthElo}; }, [](int elo, const std::string&) { StrengthElo = elo; }, nullptr},
    {"UCI_ShowWDL", OptionKind::Check, 0, 0, 1, "", [] { return int{ShowWdl}; },
     [](int on, const std::string&) { ShowWdl = on != 0; }, nullptr},
    // Endgame tablebases, in a build with the probing library only.
    {"SyzygyPath", OptionKind::String, 0, 0, 0, "", nullptr,
     [](int, const std::string& path) { SetTablebasePath(path); }, TablebasesBuiltIn},
    {"SyzygyProbeDepth", OptionKind::Spin, 1, 1, 100, "", [] { return TablebaseProbeDepth; },
     [](int plies, const std::string&) { TablebaseProbeDepth = plies; }, TablebasesBuiltIn},
    {"Syzygy50MoveRule", OptionKind::Check, 1, 0, 1, "", [] { return int{TablebaseRule50}; },
     [](int on, const std::string&) { TablebaseRule50 = on != 0; }, TablebasesBuiltIn},
    {"SyzygyProbeLimit", OptionKind::Spin, 7, 0, 7, "", [] { return TablebaseProbeLimit(); },
     [](int pieces, const std::string&) { SetTablebaseProbeLimit(pieces); }, TablebasesBuiltIn},
};

// The option's line in the "uci" listing.
std::string ListingLine(const OptionRow& o) {
    std::string line = std::string("option name ") + o.Name;
    switch (o.Kind) {
        case OptionKind::Spin:
            return line + " type spin default " + std::to_string(o.Default) + " min " + std::to_string(o.Min) +
                   " max " + std::to_string(o.Max);
        case OptionKind::Check: return line + " type check default " + (o.Default != 0 ? "true" : "false");
        case OptionKind::Button: return line + " type button";
        case OptionKind::String: return line + " type string default " + (*o.DefaultText ? o.DefaultText : "<empty>");
    }
    return line;
}

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

// A spin value: a number within the option's range is taken; a number
// outside is clamped, and one that is no number leaves the option as it is,
// each with an "info string" that says so. False when no number was read.
bool SpinValue(const OptionRow& o, const std::string& text, int& value) {
    const std::string name = o.Name;
    int64_t v = 0;
    if (!ReadInteger(text, v)) {
        SendInfoString("option " + name + ": value '" + text + "' is not a number; keeping " +
                       std::to_string(o.Current()));
        return false;
    }
    value = static_cast<int>(std::clamp<int64_t>(v, o.Min, o.Max));
    if (v < o.Min || v > o.Max)
        SendInfoString("option " + name + ": value " + text + " is out of range " + std::to_string(o.Min) + ".." +
                       std::to_string(o.Max) + "; using " + std::to_string(value));
    return true;
}

// A check value: "true" or "false"; anything else leaves the option as it
// is, with an "info string". False when no value was read.
bool CheckValue(const OptionRow& o, const std::string& text, int& value) {
    if (text == "true" || text == "false") {
        value = text == "true" ? 1 : 0;
        return true;
    }
    SendInfoString("option " + std::string(o.Name) + ": value '" + text + "' is not true or false; keeping " +
                   (o.Current() != 0 ? "true" : "false"));
    return false;
}

bool IsOffered(const OptionRow& o) { return o.Offered == nullptr || o.Offered(); }

// The option of a name in command form (lower case); nullptr when none.
const OptionRow* FindOption(const std::string& lowerName) {
    for (const OptionRow& o : Options) {
        if (!IsOffered(o)) continue;
        std::string name = o.Name;
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (name == lowerName) return &o;
    }
    return nullptr;
}

}  // namespace

void SendIdentity() {
    SendLine("id name Quill " QUILL_VERSION);
    SendLine("id author Arno Vilquet");
    for (const OptionRow& o : Options)
        if (IsOffered(o)) SendLine(ListingLine(o));
    SendLine("uciok");
}

void SetOption(const std::string& lower, const std::string& raw) {
    // "setoption name <name> [value <value>]": the name may hold blanks.
    const std::size_t nameAt = lower.find("name ") + 5;
    std::size_t valueAt = lower.find(" value ", nameAt);
    std::size_t nameEnd = valueAt == std::string::npos ? lower.size() : valueAt;
    while (nameEnd > nameAt && lower[nameEnd - 1] == ' ') --nameEnd;
    const OptionRow* option = FindOption(lower.substr(nameAt, nameEnd - nameAt));
    if (option == nullptr) {
        SendInfoString("unknown option '" + raw.substr(nameAt, nameEnd - nameAt) + "' ignored");
        return;
    }
    // The value in command form, and as received for a string option (a
    // path keeps its case); both without trailing blanks.
    std::string value = valueAt == std::string::npos ? "" : lower.substr(valueAt + 7);
    std::string text = valueAt == std::string::npos ? "" : raw.substr(valueAt + 7);
    while (!value.empty() && value.back() == ' ') value.pop_back();
    text.resize(value.size());

    int number = 0;
    switch (option->Kind) {
        case OptionKind::Spin:
            // Not a number: the option (for Hash, the table) stays as it is.
            if (SpinValue(*option, value, number)) option->Apply(number, text);
            break;
        case OptionKind::Check:
            if (CheckValue(*option, value, number)) option->Apply(number, text);
            break;
        case OptionKind::Button: option->Apply(0, text); break;
        case OptionKind::String: option->Apply(0, text); break;
    }
}
