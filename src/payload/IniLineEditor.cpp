#include "payload/IniLineEditor.h"

#include "payload/IniDocument.h"
#include "platform/Text.h"

namespace saver {

// One pass over the lines with the same rules IniDocument parses by; the first key line that
// matches in a matching section wins, as IniDocument::read takes the first one too.
std::optional<IniLineEditor::Span> IniLineEditor::find(const std::string& section,
                                                       const std::string& key) const {
    const std::string wantedSection = text::upper(section);
    const std::string wantedKey = text::upper(key);
    bool inSection = false;  // lines before the first header belong to no section
    std::size_t start = 0;
    while (start < text_.size()) {
        std::size_t end = text_.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text_.size();
        const std::string line = text_.substr(start, end - start);
        const std::string trimmed = text::trim(line);
        if (const std::optional<std::string> header = IniDocument::sectionHeader(line)) {
            inSection = text::upper(*header) == wantedSection;
        } else if (inSection && (trimmed.empty() || trimmed[0] != ';')) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) {
                const std::string name = text::trim(line.substr(0, eq));
                if (!name.empty() && text::upper(name) == wantedKey)
                    return Span{start + eq + 1, end};
            }
        }
        start = end;
        if (start < text_.size()) {
            // CR LF is one line end; a lone CR or LF is one too.
            const bool crlf =
                text_[start] == '\r' && start + 1 < text_.size() && text_[start + 1] == '\n';
            start += crlf ? 2 : 1;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniLineEditor::value(const std::string& section,
                                                const std::string& key) const {
    const auto span = find(section, key);
    if (!span) return std::nullopt;
    return text_.substr(span->valueBegin, span->valueEnd - span->valueBegin);
}

bool IniLineEditor::setValue(const std::string& section, const std::string& key,
                             const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return false;
    const auto span = find(section, key);
    if (!span) return false;
    text_.replace(span->valueBegin, span->valueEnd - span->valueBegin, value);
    return true;
}

}  // namespace saver
