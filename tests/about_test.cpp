// "quill --version" and "quill --help": exact first words, the build's own
// facts, and no engine started (no log written).
#include <gtest/gtest.h>

#include <regex>

#include "engine_process.h"
#include "tablebase/tablebase.h"
#include "uci/version.h"

TEST(About, VersionLineAndHelpText) {
    EngineProcess version({"--version"});
    EXPECT_EQ(version.Wait(10000), 0);
    version.Fill(100);
    const std::string tables = TablebasesBuiltIn() ? "built in" : "not built in";
    EXPECT_TRUE(
        std::regex_match(version.AllOutput,
                         std::regex("Quill " QUILL_VERSION " \\((g\\+\\+|clang) [0-9][^,\\n]*[^ ], Syzygy tablebases " +
                                    tables + "\\)\\n")))
        << version.AllOutput;
    EXPECT_EQ(version.ReadFile("Log.Txt"), "");

    EngineProcess help({"--help"});
    EXPECT_EQ(help.Wait(10000), 0);
    help.Fill(100);
    const std::string& text = help.AllOutput;
    EXPECT_EQ(text.rfind("Usage: quill [MODE]\n", 0), 0u) << text;
    for (const char* mode : {"\n  bench [DEPTH [list]] ", "\n  perft DEPTH [FEN] ", "\n  eval [FEN] ", "\n  --version ",
                             "\n  --help ", "README.md", "man 6 quill"})
        EXPECT_NE(text.find(mode), std::string::npos) << mode;
    EXPECT_EQ(help.ReadFile("Log.Txt"), "");
}
