// The settings file held in memory as an INI document.
//
// Sections and keys keep the order in which they stand in the file; their names are matched
// without regard to case (ANSI upper case). Reading rules:
// - A line ends at CR LF, at LF or at a lone CR.
// - A line whose text, blanks trimmed, starts with "[" and ends with "]" is a section header;
//   the name is what stands between the "[" and the first "]", blanks trimmed. Lines before the
//   first header belong to no section and cannot be read. So "[HD] Ocean.swf=1" is a key.
// - A line starting with ";" (after blanks) is a comment.
// - Any other line holding "=" is a key: the name is the text before the first "=", blanks
//   trimmed (a line whose name comes out empty is not a key); the value is the rest of the line
//   after that "=", unchanged.
// - Everything else is kept as it is.
// - A section that appears more than once reads as one: its parts are searched in file order.
//   A key that appears more than once in a section: the first one counts, for reads and writes;
//   the later ones are kept in the file but never read.
//
// Writing back keeps every line the program did not change byte for byte (keys this runtime does
// not know included); only the line end becomes CR LF. A changed key keeps its spelling and
// whatever stood before its "=".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace saver {

class FileSystem;

class IniDocument {
  public:
    IniDocument() = default;
    // Parses INI text. Never fails: anything unreadable is kept as text.
    static IniDocument parse(const std::string& text);
    // Reads and parses a file; a missing or unreadable file, or one over 64 MB, gives an empty
    // document.
    static IniDocument loadFile(FileSystem& fs, const std::string& path);
    // The section name when `line` is a section header (rule above), nullopt otherwise.
    static std::optional<std::string> sectionHeader(const std::string& line);

    // The value, or nullopt when the section or key is missing.
    std::optional<std::string> read(const std::string& section, const std::string& key) const;
    // Key names of a section in file order (as written, case kept, each name once); empty when
    // the section is missing.
    std::vector<std::string> keys(const std::string& section) const;
    bool hasSection(const std::string& section) const;
    // Section names in file order (as written, each name once).
    std::vector<std::string> sections() const;

    // Replaces the value of an existing key in place, or adds the key after the last key of its
    // section (adding the section at the end when it is missing).
    // Names and values that could not be read back as written are refused and nothing changes:
    // see canWrite.
    void write(const std::string& section, const std::string& key, const std::string& value);
    // True when write() would store this triple: the section name is not empty and holds no "]";
    // the key is not empty, has no blanks at either end, holds no "=" and does not start with
    // ";"; a key starting with "[" takes no value that ends with "]" (blanks trimmed), which
    // would make the line a section header; no name or value holds CR or LF.
    static bool canWrite(const std::string& section, const std::string& key,
                         const std::string& value);

    // The whole document as text with CR LF line ends.
    std::string text() const;
    // Writes the document to a temporary file beside `path` and renames it over `path` in one
    // step, so a failed save never leaves a truncated file. A read-only target is not replaced.
    // False on any failure; the original file is then untouched and the temporary file removed.
    bool saveAtomically(FileSystem& fs, const std::string& path) const;

  private:
    struct Line {
        std::string text;         // the line as read (or as last written), without its line end
        std::string key;          // key name, blanks trimmed; empty when the line is no key
        std::string upperKey;     // `key` upper-cased, for lookups
        std::size_t valueAt = 0;  // where the value begins in `text` (after the "=")
    };
    struct Section {
        std::string name;         // blanks trimmed
        std::string upperName;    // `name` upper-cased, for lookups
        bool preamble = false;    // the lines before the first header
        std::vector<Line> lines;  // header line first (none for the preamble)
    };
    const Line* findKey(const std::string& section, const std::string& key) const;
    Line* findKey(const std::string& section, const std::string& key);
    Section* lastSection(const std::string& name);
    void addLine(const std::string& line);

    std::vector<Section> sections_;
};

}  // namespace saver
