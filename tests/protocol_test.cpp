// The engine as a GUI sees it: exact bytes on standard output and in
// "Log.Txt", and the process's life from start to exit.
#include <gtest/gtest.h>

#include "engine_process.h"
#include "search/syzygy.h"

namespace {
// The Syzygy options, offered when the build probes tables.
const std::string SyzygyOptions = TablebasesBuiltIn()
                                      ? "option name SyzygyPath type string default <empty>\n"
                                        "option name SyzygyProbeDepth type spin default 1 min 1 max 100\n"
                                        "option name Syzygy50MoveRule type check default true\n"
                                        "option name SyzygyProbeLimit type spin default 7 min 0 max 7\n"
                                      : "";
// The same lines as Log.Txt shows them.
std::string LoggedSyzygyOptions() {
    std::string logged;
    for (std::size_t at = 0, end; (end = SyzygyOptions.find('\n', at)) != std::string::npos; at = end + 1)
        logged += "Quill: " + SyzygyOptions.substr(at, end - at) + "\r\n";
    return logged;
}
const std::string UciReply =
    "id name Quill 0.7.1\n"
    "id author Arno Vilquet\n"
    "option name Hash type spin default 1 min 1 max 4096\n"
    "option name Clear Hash type button\n"
    "option name Threads type spin default 1 min 1 max 256\n"
    "option name Ponder type check default false\n"
    "option name MultiPV type spin default 1 min 1 max 64\n"
    "option name Move Overhead type spin default 50 min 0 max 5000\n"
    "option name UCI_Chess960 type check default false\n"
    "option name UCI_LimitStrength type check default false\n"
    "option name UCI_Elo type spin default 1300 min 500 max 1800\n"
    "option name UCI_ShowWDL type check default false\n" +
    SyzygyOptions + "uciok\n";
}  // namespace

TEST(Protocol, UciIsreadyQuitGiveExactBytesAndLog) {
    EngineProcess engine;
    engine.SendRaw("uci\nisready\nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, UciReply + "readyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: uci\r\n"
              "Quill: id name Quill 0.7.1\r\n"
              "Quill: id author Arno Vilquet\r\n"
              "Quill: option name Hash type spin default 1 min 1 max 4096\r\n"
              "Quill: option name Clear Hash type button\r\n"
              "Quill: option name Threads type spin default 1 min 1 max 256\r\n"
              "Quill: option name Ponder type check default false\r\n"
              "Quill: option name MultiPV type spin default 1 min 1 max 64\r\n"
              "Quill: option name Move Overhead type spin default 50 min 0 max 5000\r\n"
              "Quill: option name UCI_Chess960 type check default false\r\n"
              "Quill: option name UCI_LimitStrength type check default false\r\n"
              "Quill: option name UCI_Elo type spin default 1300 min 500 max 1800\r\n"
              "Quill: option name UCI_ShowWDL type check default false\r\n" +
                  LoggedSyzygyOptions() +
                  "Quill: uciok\r\n"
                  "GUI: isready\r\n"
                  "Quill: readyok\r\n"
                  "GUI: quit\r\n");
}

TEST(Protocol, LineEndsBlanksAndCaseAreNormalised) {
    EngineProcess engine;
    // Carriage returns vanish, blank lines and leading blanks and tabs are
    // dropped, capitals are accepted; "uci " with a trailing blank or
    // "ucinewgame" is not "uci". A tab inside a line separates words like a
    // blank, and a run of blanks and tabs is one blank: "is<TAB>ready" is two
    // words, no "isready".
    engine.SendRaw("\r\n\n   UCI\r\n uci \nucinewgame\nis\tready\n\t isready \t \nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, std::string(UciReply) +
                                    "info string unknown command 'uci ' ignored\n"
                                    "info string unknown command 'is ready' ignored\n"
                                    "readyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt").substr(0, 11), "GUI: UCI\r\nQ");
    EXPECT_NE(engine.ReadFile("Log.Txt").find("GUI: uci \r\nQuill: info string unknown command 'uci ' ignored\r\n"
                                              "GUI: ucinewgame\r\nGUI: is ready\r\n"),
              std::string::npos);
}

TEST(Protocol, EndOfInputWithoutQuitEndsTheProcess) {
    EngineProcess engine;
    engine.Send("isready");
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line));
    EXPECT_EQ(line, "readyok");
    engine.CloseInput();
    EXPECT_EQ(engine.Wait(), 0);
}

TEST(Protocol, UnknownLinesAreAnsweredWithAnInfoString) {
    EngineProcess engine;
    // "debug" and "register" are protocol commands without effect here.
    engine.SendRaw("hello world\ndebug on\nregister later\nstop\nisready\nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, "info string unknown command 'hello world' ignored\nreadyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: hello world\r\nQuill: info string unknown command 'hello world' ignored\r\n"
              "GUI: debug on\r\nGUI: register later\r\nGUI: stop\r\nGUI: isready\r\nQuill: readyok\r\n"
              "GUI: quit\r\n");
}

TEST(Protocol, HashOptionResizesWithItsLogLine) {
    EngineProcess engine;
    engine.SendRaw(
        "setoption name Hash value 64\n"
        "setoption name Hash value 1\n"
        "setoption name Hash value 0\n"     // clamped to 1
        "setoption name Hash value lots\n"  // not a number: the table stays
        "setoption name Clear Hash\n"
        "isready\nquit\n");
    // A 64-megabyte table takes a while to clear under the sanitizers.
    EXPECT_EQ(engine.Wait(60000), 0);
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: setoption name Hash value 64\r\n"
              "Setze Hash auf 4473924\r\n"
              "GUI: setoption name Hash value 1\r\n"
              "Setze Hash auf 69905\r\n"
              "GUI: setoption name Hash value 0\r\n"
              "Quill: info string option Hash: value 0 is out of range 1..4096; using 1\r\n"
              "Setze Hash auf 69905\r\n"
              "GUI: setoption name Hash value lots\r\n"
              "Quill: info string option Hash: value 'lots' is not a number; keeping 1\r\n"
              "GUI: setoption name Clear Hash\r\n"
              "GUI: isready\r\n"
              "Quill: readyok\r\n"
              "GUI: quit\r\n");
}

TEST(Protocol, SetOptionValuesAreNeverReadAsCommands) {
    EngineProcess engine;
    // Each command word inside a value, in both cases, with inner blanks the
    // value keeps. Only the option's own answer and the one "readyok" come back:
    // no exit, no search, no second "readyok", no "ponderhit" complaint.
    std::string expected;
    for (std::string word : {"quit", "stop", "go x", "isready", "position", "ucinewgame", "ponderhit"}) {
        for (int upper = 0; upper < 2; ++upper) {
            if (upper)
                for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const std::string value = "/no/such/" + word + "  Dir";
            engine.Send("setoption name SyzygyPath value   " + value + " ");
            expected += TablebasesBuiltIn()
                            ? "info string SyzygyPath: cannot read folder '" + value + "'; it is not used\n"
                            : "info string unknown option 'SyzygyPath' ignored\n";
        }
    }
    // A name holding a command word is no command either.
    engine.Send("setoption name Quit Go now value 1");
    expected += "info string unknown option 'Quit Go now' ignored\n";
    engine.Send("isready");
    expected += "readyok\n";
    std::string seen;
    for (const std::string& line : engine.ReadUntil("readyok")) seen += line + "\n";
    EXPECT_EQ(seen, expected);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(), 0);
    EXPECT_NE(engine.ReadFile("Log.Txt").find("GUI: setoption name SyzygyPath value /no/such/QUIT  Dir \r\n"),
              std::string::npos);
}
