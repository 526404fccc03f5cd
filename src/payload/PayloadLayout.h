// PayloadLayout: what a finished screensaver file carries behind its runtime, read the way
// start-up reads it, for the tools that take an existing screensaver apart or move its payload
// onto another runtime.
//
//   runtime | packed items ([zippos] ranges) | marker | member name | "**" | settings ZIP
//
// ReadPayloadLayout finds the first marker in the file's last PayloadWindowSize bytes, splits
// name and archive at the first "**", sets apart bytes that follow the archive, decodes every
// member of the settings archive in memory, takes the settings file from the member start-up would
// extract under the member name (on a system with the code pages 437 and 1252), and lists the
// packed items of its [zippos] section. It does not judge the item ranges: LayoutProblems() does,
// so a report can show them and an upgrade can refuse them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace saver {

class FileSystem;

class PayloadLayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One packed item: both [zippos] keys present and non-zero, as start-up reads them (signed
// 32-bit, hexadecimal allowed). `name` is spelled as the "_1" key spells it.
struct PackedRange {
    std::string name;
    std::int64_t begin = 0;  // name_1
    std::int64_t end = 0;    // name_2
    bool raw = false;        // [notzip] name is on
};

// A member of the settings archive. `bytes` holds the decoded content when `problem` is empty.
struct ArchiveMember {
    std::string rawName;  // as stored (code page 437, or UTF-8 when flag bit 11 is set)
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::string bytes;
    std::string problem;  // why it could not be decoded ("" when it was)
};

struct PayloadLayout {
    std::uint64_t fileSize = 0;
    std::uint64_t markerOffset = 0;
    std::string memberName;  // between the marker and "**", as stored
    std::uint64_t archiveOffset = 0;
    std::string archive;  // the settings archive, to the end of its end record's comment
    // Bytes after the settings archive to the end of the file (an Authenticode signature
    // appended to a signed screensaver); 0 for a file as the builder wrote it.
    std::uint64_t trailingSize = 0;
    std::vector<ArchiveMember> members;
    std::optional<std::size_t> settingsMember;  // index into `members`
    std::string settingsText;                   // "" without a settings member
    std::vector<PackedRange> items;             // in [zippos] order
    // Where the runtime ends: the smallest item start, or the marker when nothing is packed.
    std::uint64_t runtimeEnd = 0;
};

// Throws PayloadLayoutError when the file cannot be read, carries no marker in its last
// PayloadWindowSize bytes ("no payload"), has no "**" behind the member name, or its settings
// archive has no readable ZIP directory. Members that do not decode are kept with a `problem`.
PayloadLayout ReadPayloadLayout(FileSystem& fs, const std::string& path);

// Texts are ANSI, like the names they quote. Everything that would make the layout unsafe to move:
// item ranges that are empty or reversed, lie outside the file, reach into the marker area, or
// overlap another item. One message per problem, naming the item(s) and positions; empty when all
// is well.
std::vector<std::string> LayoutProblems(const PayloadLayout& layout);

// The name under which start-up writes an item's file: "**" becomes "=", folder parts are
// dropped and the name must be a safe plain file name (MemberName's rules); nullopt otherwise.
std::optional<std::string> ItemFileName(const std::string& itemName);

}  // namespace saver
