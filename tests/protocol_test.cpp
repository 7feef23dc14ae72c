// The engine as a GUI sees it: exact bytes on standard output and in
// "Log.Txt", and the process's life from start to exit.
#include <gtest/gtest.h>

#include "engine_process.h"

namespace {
const char* UciReply =
    "id name Quill 0.7.1\n"
    "id author Arno Vilquet\n"
    "option name Hash type spin default 1 min 1 max 4096\n"
    "option name Clear Hash type Button\n"
    "option name Threads type spin default 1 min 1 max 256\n"
    "uciok\n";
}

TEST(Protocol, UciIsreadyQuitGiveExactBytesAndLog) {
    EngineProcess engine;
    engine.SendRaw("uci\nisready\nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, std::string(UciReply) + "readyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: uci\r\n"
              "Quill: id name Quill 0.7.1\r\n"
              "Quill: id author Arno Vilquet\r\n"
              "Quill: option name Hash type spin default 1 min 1 max 4096\r\n"
              "Quill: option name Clear Hash type Button\r\n"
              "Quill: option name Threads type spin default 1 min 1 max 256\r\n"
              "Quill: uciok\r\n"
              "GUI: isready\r\n"
              "Quill: readyok\r\n"
              "GUI: quit\r\n");
}

TEST(Protocol, LineEndsBlanksAndCaseAreNormalised) {
    EngineProcess engine;
    // Carriage returns vanish, blank lines and leading blanks are dropped, a
    // tab inside a line is dropped, capitals are accepted; "uci " with a
    // trailing blank or "ucinewgame" is not "uci".
    engine.SendRaw("\r\n\n   UCI\r\n uci \nucinewgame\nis\tready\nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, std::string(UciReply) + "readyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt").substr(0, 11), "GUI: UCI\r\nQ");
    EXPECT_NE(engine.ReadFile("Log.Txt").find("GUI: uci \r\nGUI: ucinewgame\r\nGUI: isready\r\n"), std::string::npos);
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

TEST(Protocol, BareGoAndUnknownLinesStartNothing) {
    EngineProcess engine;
    engine.SendRaw("go\nhello world\nstop\nisready\nquit\n");
    EXPECT_EQ(engine.Wait(), 0);
    engine.Fill(200);
    EXPECT_EQ(engine.AllOutput, "readyok\n");
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: go\r\nGUI: hello world\r\nGUI: stop\r\nGUI: isready\r\nQuill: readyok\r\nGUI: quit\r\n");
}

TEST(Protocol, HashOptionResizesWithItsLogLine) {
    EngineProcess engine;
    engine.SendRaw(
        "setoption name Hash value 64\n"
        "setoption name Hash value 1\n"
        "setoption name Hash value 0\n"        // clamped to 1
        "setoption name Hash value lots\n"     // not a number: the table stays
        "setoption name Clear Hash\n"
        "isready\nquit\n");
    EXPECT_EQ(engine.Wait(60000), 0);  // a 64 MB table takes its time under the sanitizers
    EXPECT_EQ(engine.ReadFile("Log.Txt"),
              "GUI: setoption name Hash value 64\r\n"
              "Setze Hash auf 4473924\r\n"
              "GUI: setoption name Hash value 1\r\n"
              "Setze Hash auf 69905\r\n"
              "GUI: setoption name Hash value 0\r\n"
              "Setze Hash auf 69905\r\n"
              "GUI: setoption name Hash value lots\r\n"
              "GUI: setoption name Clear Hash\r\n"
              "GUI: isready\r\n"
              "Quill: readyok\r\n"
              "GUI: quit\r\n");
}
