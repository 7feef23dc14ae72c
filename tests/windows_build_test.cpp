// The Windows executable itself: it carries its version resource and needs no
// DLL beyond those Windows ships. Runs when QUILL_ENGINE_BINARY names a .exe
// (make windows-test sets it to build-windows/quill.exe).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <string>

#include "engine_process.h"
#include "pe_image.h"

namespace {
bool TestingWindowsBuild() {
    std::string binary = EngineUnderTest();
    return binary.size() > 4 && binary.compare(binary.size() - 4, 4, ".exe") == 0;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
}  // namespace

TEST(WindowsBuild, VersionResourceNamesTheEngine) {
    if (!TestingWindowsBuild()) GTEST_SKIP() << "QUILL_ENGINE_BINARY does not name a Windows build";
    PeImage image = ReadPeImage(EngineUnderTest());
    ASSERT_TRUE(image.Valid) << image.Error;
    ASSERT_TRUE(image.Version.Found);
    const VersionInfo& v = image.Version;
    std::cout << "version resource of " << EngineUnderTest() << ": file " << v.FileVersion[0] << '.' << v.FileVersion[1]
              << '.' << v.FileVersion[2] << '.' << v.FileVersion[3] << ", product " << v.ProductVersion[0] << '.'
              << v.ProductVersion[1] << '.' << v.ProductVersion[2] << '.' << v.ProductVersion[3] << ", strings "
              << v.StringTable << ":";
    for (const auto& [key, value] : v.Strings) std::cout << " " << key << "=\"" << value << "\"";
    std::cout << "\n";

    const uint16_t expected[4] = {0, 7, 1, 0};
    EXPECT_TRUE(std::equal(expected, expected + 4, v.FileVersion));
    EXPECT_TRUE(std::equal(expected, expected + 4, v.ProductVersion));
    EXPECT_EQ(v.StringTable, "040904B0");  // U.S. English, Unicode
    const std::map<std::string, std::string> strings = {
        {"FileDescription", "UCI-Engine"},
        {"FileVersion", "0.7.1.0"},
        {"ProductName", "Quill"},
        {"ProductVersion", "0.7.1"},
    };
    EXPECT_EQ(v.Strings, strings);
}

TEST(WindowsBuild, ImportsOnlySystemDlls) {
    if (!TestingWindowsBuild()) GTEST_SKIP() << "QUILL_ENGINE_BINARY does not name a Windows build";
    PeImage image = ReadPeImage(EngineUnderTest());
    ASSERT_TRUE(image.Valid) << image.Error;
    // The C++ runtime, libgcc and winpthread are linked in; a GUI user has
    // only what Windows ships.
    ASSERT_FALSE(image.ImportedDlls.empty());
    for (const std::string& dll : image.ImportedDlls)
        EXPECT_TRUE(Lower(dll) == "kernel32.dll" || Lower(dll) == "msvcrt.dll") << "imports " << dll;
}

TEST(WindowsBuild, ReaderRejectsWhatIsNoWindowsExecutable) {
    // The engine built for this machine is an ELF file, not a PE image.
    PeImage elf = ReadPeImage(QUILL_BINARY);
    EXPECT_FALSE(elf.Valid);
    EXPECT_EQ(elf.Error, "no MZ header");
    PeImage missing = ReadPeImage("/nonexistent/quill.exe");
    EXPECT_FALSE(missing.Valid);
    EXPECT_FALSE(missing.Version.Found);
}
