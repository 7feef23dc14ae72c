// "quill eval": the command-line evaluation mode of the engine binary, run in
// a temporary directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char pattern[] = "/tmp/quill-eval-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "/tmp";
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the engine binary with the arguments (already quoted for the shell)
// and the given standard input in dir; returns its standard output.
std::string RunEval(const TempDir& dir, const std::string& arguments, const std::string& input) {
    const auto inFile = dir.path / "in.txt";
    const auto outFile = dir.path / "out.txt";
    std::ofstream(inFile, std::ios::binary) << input;
    const std::string command = "cd '" + dir.path.string() + "' && '" QUILL_BINARY "' eval " + arguments + " < '" +
                                inFile.string() + "' > '" + outFile.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(outFile);
}

}  // namespace

TEST(EvalCommand, EvaluatesOneFenArgument) {
    TempDir dir;
    EXPECT_EQ(RunEval(dir, "'8/8/8/4k3/8/4K3/8/R7 w - - 0 1'", ""), "5560 0 0 0\n");
    // The FEN's fields may also arrive as separate arguments.
    EXPECT_EQ(RunEval(dir, "8/8/8/4k3/8/4K3/8/R7 b - - 0 1", ""), "-5560 0 0 0\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path / "Log.Txt"));
}

TEST(EvalCommand, ReadsFensFromStandardInputUntilItsEnd) {
    TempDir dir;
    const std::string input =
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n"
        "8/8/8/4k3/8/8/8/4K3 w - - 0 1\n"
        "this is no position\n"
        "4k3/8/8/8/4P3/4P3/8/4K3 w - - 0 1\r\n"
        "6k1/8/P7/8/8/7p/8/1K6 b - - 0 1\n"
        "8/8/8/4k3/8/8/8/4K3 b - - 0 1";
    const std::string out = RunEval(dir, "", input);
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "0 0 0 0");
    std::getline(lines, line);
    EXPECT_EQ(line, "0 1 0 0");
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("error", 0), 0u) << line;
    std::getline(lines, line);
    EXPECT_EQ(line, "179 0 29 0");
    std::getline(lines, line);
    EXPECT_EQ(line, "0 0 41 24");
    std::getline(lines, line);
    EXPECT_EQ(line, "0 1 0 0");
    EXPECT_FALSE(std::getline(lines, line)) << line;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "Log.Txt"));
}
