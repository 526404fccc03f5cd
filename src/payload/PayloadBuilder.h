// PayloadBuilder: writes a finished screensaver, i.e. a copy of the runtime followed by its
// payload:
//
//   runtime bytes | packed items | "#kestro#" | settings member name | "**" | settings ZIP
//
// Packed items follow the runtime back to back, each either as its own bytes ("raw", recorded
// with [notzip] name=1) or as a deflated ZIP archive holding the one file ("zip"). The settings
// file given to the builder is copied with the [zippos] name_1/name_2 pair of every item (and
// the [notzip] switch) written into it; all its other text is kept. The settings archive is
// deflated and holds the settings file under the member name plus any extra members.
//
// Sources and the output are reached through a FileSystem (Windows paths), so the tool runs
// the same on the host and on Windows. The runtime and the items are copied, and zip items
// compressed, in chunks: memory use does not grow with an item's size (extra settings-archive
// members are read whole; they must fit the 150000-byte window anyway). build() deflates each zip
// item once, into a scratch file beside the output ("OUT.item3~" for the fourth item), and deletes
// those files before it returns or throws; buildToString() keeps them in memory.
//
// build() refuses, with PayloadBuildError and without creating the output, when:
//   - the runtime's own last 150000 bytes already contain the marker (it would be taken for a
//     finished screensaver, or the wrong marker would count);
//   - marker, member name, separator and settings archive together exceed 150000 bytes;
//   - bytes of a packed item or the runtime inside the final file's last 150000 bytes contain
//     the marker ahead of the real one (start-up would take the false one);
//   - an item ends beyond 2^31-1 (positions are read as signed 32-bit values);
//   - an item name is empty, holds "\", "/" or ":", cannot be an INI key (blanks at its ends,
//     "=", a leading "[" or ";"), or appears twice (in any case); the member name is empty,
//     holds "**", "\", "/" or ":"; a ZIP member name has no code page 437 form;
//   - a source cannot be read.
// A write failure part-way deletes the partial output and throws PayloadBuildError.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace saver {

class FileSystem;
class IniDocument;

class PayloadBuildError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where bytes come from: a file (read in chunks when it is copied) or bytes held in memory.
struct ByteSource {
    std::string path;                  // Windows path, used when `bytes` is empty
    std::optional<std::string> bytes;  // in-memory content

    static ByteSource file(const std::string& path) { return {path, std::nullopt}; }
    static ByteSource memory(std::string content) { return {{}, std::move(content)}; }
};

struct PackedItem {
    std::string name;  // item name as the settings file keys it ("**" kept), ANSI
    ByteSource source;
    bool raw = true;  // false: a deflated ZIP holding the file
};

struct ExtraMember {
    std::string name;  // member name in the settings archive, ANSI
    ByteSource source;
};

// Where every item landed in the finished file.
struct PackedItemPlacement {
    std::string name;
    std::uint64_t begin = 0;  // [zippos] name_1
    std::uint64_t end = 0;    // [zippos] name_2
    bool raw = true;
};

struct PayloadBuildResult {
    std::uint64_t fileSize = 0;
    std::uint64_t markerOffset = 0;
    std::string settingsText;  // the settings file as packed
    std::vector<PackedItemPlacement> items;
};

class PayloadBuilder {
  public:
    explicit PayloadBuilder(FileSystem& fs) : fs_(fs) {}

    void setRuntime(ByteSource runtime) { runtime_ = std::move(runtime); }
    // The settings file's text (ANSI INI, as the builder writes it).
    void setSettingsText(std::string text) { settingsText_ = std::move(text); }
    // The settings member name, e.g. "Aquarium.002".
    void setMemberName(std::string name) { memberName_ = std::move(name); }
    void addItem(PackedItem item) { items_.push_back(std::move(item)); }
    void addMember(ExtraMember member) { members_.push_back(std::move(member)); }

    // Writes the finished screensaver to `outPath` (replacing it). Throws PayloadBuildError.
    PayloadBuildResult build(const std::string& outPath);
    // The same, into memory (tests and fuzz seeds).
    PayloadBuildResult buildToString(std::string& out);

    // "NAME" -> "NAME.002".
    static std::string memberNameFor(const std::string& saverName) { return saverName + ".002"; }

  private:
    struct Plan;
    void plan(Plan& p);
    std::uint64_t planRuntime(Plan& p);
    std::uint64_t planItems(Plan& p, IniDocument& settings, std::uint64_t pos);
    void planTail(Plan& p, std::uint64_t markerOffset);
    bool isInput(const std::string& path) const;

    FileSystem& fs_;
    ByteSource runtime_;
    std::string settingsText_;
    std::string memberName_;
    std::vector<PackedItem> items_;
    std::vector<ExtraMember> members_;
};

}  // namespace saver
