// The identity the engine gives and the options it offers.
#include "uci/options.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/output.h"
#include "search/hash.h"
#include "search/threads.h"
#include "uci/version.h"

namespace {

// "Hash" value: the decimal integer after the last blank; ignored when there is none.
// The decimal integer after the last blank of an option line (saturated at
// one million); false when there is none.
bool OptionValue(const std::string& lower, int64_t& number) {
    std::size_t blank = lower.rfind(' ');
    std::string value = lower.substr(blank == std::string::npos ? 0 : blank + 1);
    bool negative = !value.empty() && value[0] == '-';
    std::size_t i = negative ? 1 : 0;
    if (i >= value.size()) return false;
    int64_t n = 0;
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') return false;
        n = std::min<int64_t>(n * 10 + (value[i] - '0'), 1'000'000);
    }
    number = negative ? -n : n;
    return true;
}

// "Hash" value: ignored when it is not a decimal integer (the table stays).
void SetHashOption(const std::string& lower) {
    int64_t mb;
    if (OptionValue(lower, mb)) ResizeHashTable(mb);
}

// "Threads" value, clamped to 1..MaxSearchThreads; ignored when it is not a number.
void SetThreadsOption(const std::string& lower) {
    int64_t threads;
    if (OptionValue(lower, threads))
        SetSearchThreads(static_cast<int>(std::clamp<int64_t>(threads, 1, MaxSearchThreads)));
}

}  // namespace

void SendIdentity() {
    SendLine("id name Quill " QUILL_VERSION);
    SendLine("id author Arno Vilquet");
    SendLine("option name Hash type spin default 1 min 1 max 4096");
    SendLine("option name Clear Hash type Button");
    SendLine("option name Threads type spin default 1 min 1 max " + std::to_string(MaxSearchThreads));
    SendLine("uciok");
}

void SetOption(const std::string& lower) {
    if (lower.find("hash value") != std::string::npos) SetHashOption(lower);
    if (lower.find("clear hash") != std::string::npos) ClearHashTable();
    if (lower.find("threads value") != std::string::npos) SetThreadsOption(lower);
}
