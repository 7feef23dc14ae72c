// InputLoop: reads the GUI's lines, logs them, recognises commands by
// keyword in the lower-cased line and carries them out.
#include "uci/reader.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "board/board.h"
#include "platform/output.h"
#include "play/strength.h"
#include "search/control.h"
#include "search/info.h"
#include "search/reset.h"
#include "search/tables.h"
#include "search/time.h"
#include "uci/options.h"
#include "uci/position.h"

namespace {

std::mutex PendingLock;
std::condition_variable PendingDone;
bool Pending = false;
// The pending search has no limit of its own ("go infinite", a bare "go"):
// only "stop" (or the end of input) ends it.
bool PendingUntilStop = false;
// The depth of a pending "go perft", or -1 when the pending request is a search.
int PendingPerft = -1;

bool Contains(const std::string& text, const char* keyword) { return text.find(keyword) != std::string::npos; }

// Index (1-based) of the character after the keyword, or 0 when absent.
std::size_t After(const std::string& text, const std::string& keyword) {
    std::size_t at = text.find(keyword);
    return at == std::string::npos ? 0 : at + keyword.size() + 1;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find(' ', i), text.size());
        if (end > i) tokens.push_back(text.substr(i, end - i));
        i = end + 1;
    }
    return tokens;
}

// Reads one line: leading characters below 33 are skipped, then characters
// up to a line feed are kept when their code is 32 or more; a tab counts as
// a blank. False at the end of input (or on a read error) before a line started.
bool ReadLine(std::string& line) {
    line.clear();
    int c;
    do {
        c = ReadStdinByte();
        if (c < 0) return false;
    } while (c < 33);
    while (c >= 0 && c != '\n') {
        if (c >= 32) line.push_back(static_cast<char>(c));
        else if (c == '\t') line.push_back(' ');
        c = ReadStdinByte();
    }
    return true;
}

void Quit() {
    SearchThread& st = *ThreadSearch;
    SearchState.store(SearchStopped);
    st.RootMoveReady.store(1);
    EngineRunning.store(0);
    ReleaseBestMove();
    SetEvent(SearchRequest);
}

// Whether a token is one of the words of a "go" line.
bool IsGoKeyword(const std::string& token) {
    static const char* const words[] = {"wtime", "btime", "winc", "binc",     "movestogo", "movetime",
                                        "nodes", "depth", "mate", "infinite", "ponder",    "searchmoves"};
    for (const char* w : words)
        if (token == w) return true;
    return false;
}

bool LooksLikeMove(const std::string& token) {
    if (token.size() != 4 && token.size() != 5) return false;
    const bool squares = token[0] >= 'a' && token[0] <= 'h' && token[1] >= '1' && token[1] <= '8' && token[2] >= 'a' &&
                         token[2] <= 'h' && token[3] >= '1' && token[3] <= '8';
    return squares && (token.size() == 4 || std::strchr("nbrq", token[4]) != nullptr);
}

// The moves after "searchmoves", up to the next word of the go line.
void ReadSearchMoves(const std::vector<std::string>& tokens) {
    SearchMoveCount = 0;
    auto at = std::find(tokens.begin(), tokens.end(), "searchmoves");
    if (at == tokens.end()) return;
    for (++at; at != tokens.end() && !IsGoKeyword(*at); ++at) {
        if (!LooksLikeMove(*at)) {
            SendInfoString("searchmoves: '" + *at + "' is not a move; ignored");
            continue;
        }
        if (SearchMoveCount < MaxSearchMoves) std::strcpy(SearchMoveTexts[SearchMoveCount++], at->c_str());
    }
}

void StartSearch(const std::string& lower) {
    WaitForSearchEnd();
    const GoLimits go = ReadGoLimits(lower);
    ReadSearchMoves(Tokens(lower));
    AllocateTime(go);
    const bool untilStop = SearchesWithoutLimit(go);
    // An unlimited search and a ponder search keep their answer until
    // "stop" (or, pondering with limits, "ponderhit"); a search only for a
    // mate keeps it until the mate is proven.
    HoldBestMove(untilStop || go.Ponder || SearchesOnlyForMate(go));
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        Pending = true;
        PendingUntilStop = untilStop;
        PendingPerft = -1;
    }
    SearchState.store(SearchRunning);
    SetEvent(SearchRequest);
}

// "go perft N": the main search thread counts instead of searching, so the
// input thread answers meanwhile and "stop" ends the count. The depth is
// capped where the position stack ends; no answer is held back (none comes).
void StartPerft(const std::string& lower) {
    WaitForSearchEnd();
    HoldBestMove(false);
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        Pending = true;
        PendingUntilStop = false;
        PendingPerft = std::min(ReadNumberAt(After(lower, "perft"), lower), MaxPly - 2);
    }
    SearchState.store(SearchRunning);
    SetEvent(SearchRequest);
}

void PonderHit() {
    bool untilStop = false;
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        if (!Pending || !Pondering.load()) {
            SendInfoString("ponderhit without a ponder search; ignored");
            return;
        }
        untilStop = PendingUntilStop;
    }
    StartPonderedClock();
    if (!untilStop) ReleaseBestMove();
}

void Stop() {
    SearchState.store(SearchStopped);
    ReleaseBestMove();
}

// The end of standard input: a search with a limit runs to its end, one
// without is stopped; either sends its "bestmove" before the process ends.
void EndOfInput() {
    bool untilStop = false;
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        untilStop = Pending && (PendingUntilStop || Pondering.load());
    }
    // A search with limits answers when it ends, even one that would wait
    // for "stop" after failing to prove its mate.
    if (untilStop) Stop();
    else ReleaseBestMove();
    std::unique_lock<std::mutex> guard(PendingLock);
    PendingDone.wait(guard, [] { return !Pending; });
}

}  // namespace

int32_t ReadNumberAt(std::size_t index, const std::string& text) {
    std::size_t i = index == 0 ? 0 : index - 1;
    while (i < text.size() && (text[i] < '0' || text[i] > '9')) ++i;
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
        ++i;
    }
    return static_cast<int32_t>(value);
}

std::string NormaliseBlanks(const std::string& line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (c == '\t') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    return out;
}

GoLimits ReadGoLimits(const std::string& lower) {
    GoLimits go;
    auto read = [&](const char* keyword, bool& present, int32_t& value) {
        const std::size_t at = After(lower, keyword);
        present = at != 0;
        if (present) value = ReadNumberAt(at, lower);
    };
    read("wtime ", go.HasTime[White], go.Time[White]);
    read("btime ", go.HasTime[Black], go.Time[Black]);
    read("winc ", go.HasIncrement[White], go.Increment[White]);
    read("binc ", go.HasIncrement[Black], go.Increment[Black]);
    read("movestogo ", go.HasMovesToGo, go.MovesToGo);
    read("movetime ", go.HasMoveTime, go.MoveTime);
    read("nodes ", go.HasNodes, go.Nodes);
    read("depth ", go.HasDepth, go.Depth);
    go.Infinite = Contains(lower, "infinite");
    const std::vector<std::string> tokens = Tokens(lower);
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k] == "ponder") go.Ponder = true;
        if (tokens[k] == "mate" && k + 1 < tokens.size()) {
            go.HasMate = true;
            go.Mate = ReadNumberAt(1, tokens[k + 1]);
            // "mate 0" asks for nothing to prove: it is no limit.
            if (go.Mate <= 0) go.HasMate = false;
        }
    }
    return go;
}

void WaitForSearchEnd() {
    std::unique_lock<std::mutex> guard(PendingLock);
    if (!Pending) return;
    SearchState.store(SearchStopped);
    ReleaseBestMove();
    PendingDone.wait(guard, [] { return !Pending; });
}

bool SearchPending() {
    std::lock_guard<std::mutex> guard(PendingLock);
    return Pending;
}

int PendingPerftDepth() {
    std::lock_guard<std::mutex> guard(PendingLock);
    return Pending ? PendingPerft : -1;
}

void SearchFinished() {
    {
        std::lock_guard<std::mutex> guard(PendingLock);
        Pending = false;
    }
    PendingDone.notify_all();
}

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A "setoption name" line with its blanks normalised up to " value ", and the
// value as received (leading blanks dropped), so that a folder's inner blanks stay.
std::string SetOptionBlanks(const std::string& line) {
    const std::size_t valueAt = LowerCase(line).find(" value ");
    if (valueAt == std::string::npos) return NormaliseBlanks(line);
    std::string head = NormaliseBlanks(line.substr(0, valueAt));
    while (!head.empty() && head.back() == ' ') head.pop_back();
    std::size_t textAt = valueAt + 7;
    while (textAt < line.size() && line[textAt] == ' ') ++textAt;
    return head + " value " + line.substr(textAt);
}

}  // namespace

bool ExecuteLine(const std::string& received) {
    // A "setoption name" line is that command and nothing else: its name and
    // value (a folder may well hold "quit" or "stop") are never read as
    // commands, and a value keeps its blanks as received.
    const bool setOption = LowerCase(NormaliseBlanks(received)).rfind("setoption name ", 0) == 0;
    const std::string raw = setOption ? SetOptionBlanks(received) : NormaliseBlanks(received);
    const std::string lower = LowerCase(raw);
    LogLine("GUI: " + raw);
    if (setOption) {
        // The table must not change under a running search.
        WaitForSearchEnd();
        SetOption(lower, raw);
        return true;
    }

    bool known = false;
    if (Contains(lower, "stop")) {
        Stop();
        known = true;
    }
    if (Contains(lower, "quit")) {
        Quit();
        return false;
    }
    if (lower == "uci") {
        SendIdentity();
        known = true;
    } else if (Contains(lower, "isready")) {
        SendLine("readyok");
        known = true;
    } else if (Contains(lower, "ucinewgame")) {
        // A new game forgets everything learnt: what follows gives the
        // output of a freshly started engine.
        WaitForSearchEnd();
        ClearLearnedState();
        ReseedStrengthForNewGame();
        LastPositionLine.clear();
        known = true;
    } else if (Contains(lower, "ponderhit")) {
        PonderHit();
        known = true;
    } else if (Contains(lower, "position")) {
        WaitForSearchEnd();
        SetPosition(lower, raw);
        known = true;
    }
    if (Contains(lower, "go ") || lower == "go") {
        const std::vector<std::string> tokens = Tokens(lower);
        if (std::find(tokens.begin(), tokens.end(), "perft") != tokens.end()) StartPerft(lower);
        else StartSearch(lower);
        known = true;
    }
    if (!known && lower.rfind("debug", 0) != 0 && lower.rfind("register", 0) != 0)
        SendInfoString("unknown command '" + raw + "' ignored");
    return true;
}

void InputLoop() {
    LowerThreadPriority();
    std::string line;
    while (EngineRunning.load() != 0) {
        if (!ReadLine(line)) {
            EndOfInput();
            Quit();
            return;
        }
        if (!ExecuteLine(line)) return;
    }
}
