// IniLineEditor: changes single values of an INI text in place, leaving every other byte of the
// text as it was (line ends, blank lines, comments, spacing, the order of sections and keys,
// bytes of any code page).
//
// It finds keys exactly as IniDocument reads them: a line ends at CR LF, LF or a lone CR; a line
// whose text, blanks trimmed, starts with "[" and holds a "]" opens a section (name between "["
// and the first "]", blanks trimmed); a line starting with ";" after blanks is a comment; any
// other line holding "=" is a key named by the text before its first "=", blanks trimmed.
// Section and key names are matched without regard to case, a section that appears more than
// once reads as one, and of a key that appears more than once the first one counts. So the line
// changed is always the one that a reader of the file takes the value from.
#pragma once

#include <optional>
#include <string>

namespace saver {

class IniLineEditor {
  public:
    explicit IniLineEditor(std::string text) : text_(std::move(text)) {}

    // The value of the key (the rest of its line after the first "="), or nullopt.
    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // Replaces the value of an existing key: the text after its first "=" up to the line end
    // becomes `value`; the line end and everything before the "=" stay. False, and nothing
    // changes, when the key is missing or `value` holds CR or LF.
    bool setValue(const std::string& section, const std::string& key, const std::string& value);

    const std::string& text() const { return text_; }

  private:
    struct Span {
        std::size_t valueBegin;  // first byte after the "="
        std::size_t valueEnd;    // first byte of the line end (or the end of the text)
    };
    std::optional<Span> find(const std::string& section, const std::string& key) const;

    std::string text_;
};

}  // namespace saver
