// The identity the engine gives and the options it offers.
#include "uci/options.h"

#include <algorithm>
#include <cstdint>

#include "platform/output.h"
#include "search/hash.h"
#include "uci/version.h"

namespace {

// "Hash" value: the decimal integer after the last blank; ignored when there is none.
void SetHashOption(const std::string& lower) {
    std::size_t blank = lower.rfind(' ');
    std::string value = lower.substr(blank == std::string::npos ? 0 : blank + 1);
    bool negative = !value.empty() && value[0] == '-';
    std::size_t i = negative ? 1 : 0;
    if (i >= value.size()) return;
    int64_t mb = 0;
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') return;  // not a decimal integer: keep the table
        mb = std::min<int64_t>(mb * 10 + (value[i] - '0'), 1'000'000);
    }
    ResizeHashTable(negative ? -mb : mb);
}

}  // namespace

void SendIdentity() {
    SendLine("id name Quill " QUILL_VERSION);
    SendLine("id author Arno Vilquet");
    SendLine("option name Hash type spin default 1 min 1 max 4096");
    SendLine("option name Clear Hash type Button");
    SendLine("uciok");
}

void SetOption(const std::string& lower) {
    if (lower.find("hash value") != std::string::npos) SetHashOption(lower);
    if (lower.find("clear hash") != std::string::npos) ClearHashTable();
}
