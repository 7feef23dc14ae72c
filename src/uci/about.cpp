// The version line and the short help of the command line.
#include "uci/about.h"

#include <cstdio>

#include "tablebase/tablebase.h"
#include "uci/version.h"

namespace {

// The compiler and its version, as the compiler itself names them.
#if defined(__clang__)
constexpr const char* CompilerText = "clang " __clang_version__;
#elif defined(__GNUC__)
constexpr const char* CompilerText = "g++ " __VERSION__;
#else
constexpr const char* CompilerText = "an unknown compiler";
#endif

const char* const HelpText =
    "Usage: quill [MODE]\n"
    "Without a mode Quill is a UCI chess engine: register it in a chess GUI\n"
    "(CuteChess, Arena, Banksia) or talk UCI to it on standard input.\n"
    "It writes the conversation to Log.Txt in its working directory.\n"
    "Modes:\n"
    "  bench [DEPTH [list]]   searches 35 positions, prints the node count and speed\n"
    "  perft DEPTH [FEN]      counts the legal move tree of a position\n"
    "  eval [FEN]             prints the static evaluation of positions\n"
    "  --version              prints the version line\n"
    "  --help                 prints this text\n"
    "The README (README.md next to the binary in the release archives,\n"
    "share/doc/quill/README.md where Quill is installed) describes the options,\n"
    "the commands and the modes; where installed, also `man 6 quill`.\n";

}  // namespace

std::string VersionLine() {
    // Some compilers end their version text with a blank.
    std::string compiler = CompilerText;
    while (!compiler.empty() && compiler.back() == ' ') compiler.pop_back();
    return std::string("Quill " QUILL_VERSION " (") + compiler + ", Syzygy tablebases " +
           (TablebasesBuiltIn() ? "built in" : "not built in") + ")";
}

int VersionCommand() {
    std::printf("%s\n", VersionLine().c_str());
    return 0;
}

int HelpCommand() {
    std::fputs(HelpText, stdout);
    return 0;
}
