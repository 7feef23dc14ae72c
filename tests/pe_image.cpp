#include "pe_image.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {
struct Bytes {
    std::string Data;

    uint32_t Read(std::size_t offset, int width) const {
        if (offset + width > Data.size() || offset + width < offset)
            throw std::runtime_error("read past the end of the file");
        uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(Data[offset + i]);
        return value;
    }
    uint16_t U16(std::size_t offset) const { return static_cast<uint16_t>(Read(offset, 2)); }
    uint32_t U32(std::size_t offset) const { return Read(offset, 4); }
};

struct Section {
    uint32_t VirtualAddress, VirtualSize, RawOffset, RawSize;
};

std::size_t RvaToOffset(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t extent = s.VirtualSize > s.RawSize ? s.VirtualSize : s.RawSize;
        if (rva >= s.VirtualAddress && rva < s.VirtualAddress + extent) {
            if (rva - s.VirtualAddress >= s.RawSize)
                throw std::runtime_error("address outside the section's file data");
            return s.RawOffset + (rva - s.VirtualAddress);
        }
    }
    throw std::runtime_error("address outside every section");
}

std::string AsciiZ(const Bytes& b, std::size_t offset) {
    std::string text;
    for (char c; (c = static_cast<char>(b.Read(offset, 1))) != 0; ++offset) text += c;
    return text;
}

// UTF-16 text of at most maxChars characters, ending at a 0 character or at
// the limit; characters outside ASCII become '?'. Sets end to the offset past
// the terminating 0 (or past the limit).
std::string Utf16(const Bytes& b, std::size_t offset, std::size_t maxChars, std::size_t& end) {
    std::string text;
    std::size_t i = 0;
    for (; i < maxChars; ++i) {
        uint16_t c = b.U16(offset + 2 * i);
        if (c == 0) {
            ++i;
            break;
        }
        text += c < 128 ? static_cast<char>(c) : '?';
    }
    end = offset + 2 * i;
    return text;
}

std::size_t Align4(std::size_t offset, std::size_t base) { return base + ((offset - base + 3) & ~std::size_t{3}); }

// One node of the version resource tree: length, value length, type, key,
// value and children, each part aligned to 4 bytes from the resource start.
struct VersionNode {
    std::size_t Start, End, ValueOffset, ChildrenOffset;
    uint16_t ValueLength, Type;
    std::string Key;
};

VersionNode ReadVersionNode(const Bytes& b, std::size_t offset, std::size_t base, std::size_t limit) {
    VersionNode n;
    n.Start = offset;
    uint16_t length = b.U16(offset);
    if (length < 6 || offset + length > limit) throw std::runtime_error("version resource node overruns its parent");
    n.End = offset + length;
    n.ValueLength = b.U16(offset + 2);
    n.Type = b.U16(offset + 4);
    std::size_t keyEnd;
    n.Key = Utf16(b, offset + 6, (n.End - offset - 6) / 2, keyEnd);
    n.ValueOffset = Align4(keyEnd, base);
    // A text value's length counts 16-bit characters, a binary one bytes.
    std::size_t valueBytes = n.Type == 1 ? 2u * n.ValueLength : n.ValueLength;
    n.ChildrenOffset = Align4(n.ValueOffset + valueBytes, base);
    if (n.ValueOffset + valueBytes > n.End) throw std::runtime_error("version resource value overruns its node");
    return n;
}

std::vector<VersionNode> Children(const Bytes& b, const VersionNode& parent, std::size_t base) {
    std::vector<VersionNode> children;
    for (std::size_t at = parent.ChildrenOffset; at + 6 <= parent.End;) {
        VersionNode child = ReadVersionNode(b, at, base, parent.End);
        children.push_back(child);
        at = Align4(child.End, base);
    }
    return children;
}

void ReadVersionResource(const Bytes& b, std::size_t offset, std::size_t size, VersionInfo& info) {
    VersionNode root = ReadVersionNode(b, offset, offset, offset + size);
    if (root.Key != "VS_VERSION_INFO") throw std::runtime_error("version resource without VS_VERSION_INFO");
    if (root.ValueLength >= 52 && b.U32(root.ValueOffset) == 0xFEEF04BD) {
        uint32_t fileMs = b.U32(root.ValueOffset + 8), fileLs = b.U32(root.ValueOffset + 12);
        uint32_t productMs = b.U32(root.ValueOffset + 16), productLs = b.U32(root.ValueOffset + 20);
        uint16_t file[4] = {uint16_t(fileMs >> 16), uint16_t(fileMs), uint16_t(fileLs >> 16), uint16_t(fileLs)};
        uint16_t product[4] = {uint16_t(productMs >> 16), uint16_t(productMs), uint16_t(productLs >> 16),
                               uint16_t(productLs)};
        for (int i = 0; i < 4; ++i) {
            info.FileVersion[i] = file[i];
            info.ProductVersion[i] = product[i];
        }
    }
    for (const VersionNode& block : Children(b, root, offset)) {
        if (block.Key != "StringFileInfo") continue;
        for (const VersionNode& table : Children(b, block, offset)) {
            info.StringTable = table.Key;
            for (const VersionNode& entry : Children(b, table, offset)) {
                std::size_t end;
                info.Strings[entry.Key] = Utf16(b, entry.ValueOffset, entry.ValueLength, end);
            }
        }
    }
    info.Found = true;
}

// The first entry of a resource directory level, or the one with the given id.
uint32_t ResourceEntry(const Bytes& b, std::size_t directory, int id) {
    int named = b.U16(directory + 12), ids = b.U16(directory + 14);
    for (int i = 0; i < named + ids; ++i) {
        std::size_t entry = directory + 16 + 8 * static_cast<std::size_t>(i);
        uint32_t name = b.U32(entry);
        if (id < 0 || (!(name & 0x80000000u) && static_cast<int>(name) == id)) return b.U32(entry + 4);
    }
    return 0;
}
}  // namespace

PeImage ReadPeImage(const std::string& path) {
    PeImage image;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        image.Error = "cannot open " + path;
        return image;
    }
    Bytes b{std::string(std::istreambuf_iterator<char>(in), {})};
    try {
        if (b.U16(0) != 0x5A4D) throw std::runtime_error("no MZ header");
        std::size_t pe = b.U32(0x3C);
        if (b.U32(pe) != 0x00004550) throw std::runtime_error("no PE signature");
        int sectionCount = b.U16(pe + 6);
        std::size_t optional = pe + 24;
        uint16_t magic = b.U16(optional);
        if (magic != 0x10B && magic != 0x20B) throw std::runtime_error("unknown optional header");
        std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
        std::vector<Section> sections;
        std::size_t sectionTable = optional + b.U16(pe + 20);
        for (int i = 0; i < sectionCount; ++i) {
            std::size_t s = sectionTable + 40 * static_cast<std::size_t>(i);
            sections.push_back({b.U32(s + 12), b.U32(s + 8), b.U32(s + 20), b.U32(s + 16)});
        }

        // Import descriptors: 20 bytes each, the DLL name's address at 12, a zero entry last.
        if (uint32_t importRva = b.U32(directories + 8)) {
            for (std::size_t d = RvaToOffset(sections, importRva);; d += 20) {
                uint32_t nameRva = b.U32(d + 12);
                if (nameRva == 0) break;
                image.ImportedDlls.push_back(AsciiZ(b, RvaToOffset(sections, nameRva)));
            }
        }

        // Resources: type 16 (version), then its first name and first language.
        if (uint32_t resourceRva = b.U32(directories + 16)) {
            std::size_t root = RvaToOffset(sections, resourceRva);
            uint32_t level = ResourceEntry(b, root, 16);
            for (int depth = 0; depth < 2 && (level & 0x80000000u); ++depth)
                level = ResourceEntry(b, root + (level & 0x7FFFFFFFu), -1);
            if (level != 0 && !(level & 0x80000000u)) {
                std::size_t leaf = root + level;
                ReadVersionResource(b, RvaToOffset(sections, b.U32(leaf)), b.U32(leaf + 4), image.Version);
            }
        }
        image.Valid = true;
    } catch (const std::exception& e) {
        image.Error = e.what();
    }
    return image;
}
