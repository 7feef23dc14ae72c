// Reads the parts of a Windows executable (PE image) that the Windows build
// is checked for: the DLLs it imports and its version resource.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct VersionInfo {
    bool Found = false;
    // The four 16-bit parts of the binary file and product versions.
    uint16_t FileVersion[4] = {};
    uint16_t ProductVersion[4] = {};
    // Language and code page of the string table, such as "040904B0".
    std::string StringTable;
    // Every string of the string table: "FileDescription" -> "UCI-Engine"...
    std::map<std::string, std::string> Strings;
};

struct PeImage {
    bool Valid = false;  // the file is a PE image whose headers could be read
    std::string Error;   // why it is not
    std::vector<std::string> ImportedDlls;
    VersionInfo Version;
};

// Reads the file's headers, import table and version resource.
PeImage ReadPeImage(const std::string& path);
