// The settings file held in memory as an INI document.
//
// Sections and keys keep the order in which they stand in the file; their names are matched
// without regard to case. A value is the rest of the line after the first "=", unchanged (only a
// trailing CR is dropped). Lines that are neither "[section]" nor "key=value" are kept as they
// are when the document is written back, so nothing the builder wrote is lost.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace saver {

class FileSystem;

class IniDocument {
public:
    IniDocument() = default;
    // Parses INI text (CRLF or LF line ends). Never fails: anything unreadable is kept as text.
    static IniDocument parse(const std::string& text);
    // Reads and parses a file; a missing or unreadable file gives an empty document.
    static IniDocument loadFile(FileSystem& fs, const std::string& path);

    // The value, or nullopt when the section or key is missing.
    std::optional<std::string> read(const std::string& section, const std::string& key) const;
    // Key names of a section in file order (as written, case kept); empty when it is missing.
    std::vector<std::string> keys(const std::string& section) const;
    bool hasSection(const std::string& section) const;

    // Replaces the value of an existing key in place, or appends the key to its section
    // (appending the section at the end when it is missing).
    void write(const std::string& section, const std::string& key, const std::string& value);

    // The whole document as text with CRLF line ends.
    std::string text() const;
    // Writes the document beside `path` and renames it over `path` in one step, so a failed save
    // never leaves a truncated file. False on any failure (nothing is changed then).
    bool saveAtomically(FileSystem& fs, const std::string& path) const;

private:
    struct Entry {
        std::string key;    // empty for a raw line
        std::string value;  // or the raw line
        bool raw = false;
    };
    struct Section {
        std::string name;  // empty for lines before the first section header
        std::string header;
        std::vector<Entry> entries;
    };
    const Section* findSection(const std::string& name) const;
    Section* findSection(const std::string& name);
    std::vector<Section> sections_;
};

}  // namespace saver
