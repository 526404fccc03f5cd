#include "payload/IniDocument.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <memory>
#include <unordered_set>
#include <utility>

namespace saver {

namespace {

constexpr std::uint64_t kMaxFileSize = 64u * 1024 * 1024;

bool isBlankLine(const std::string& line) {
    return text::trim(line).empty();
}

bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// Every lookup compares upper-cased names; the stored names are upper-cased once when parsed.
std::string keyOf(const std::string& name) {
    return text::upper(name);
}

}  // namespace

IniDocument IniDocument::parse(const std::string& text) {
    IniDocument doc;
    doc.sections_.push_back(Section{"", "", true, {}});
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            doc.addLine(text.substr(start));
            break;
        }
        doc.addLine(text.substr(start, end - start));
        start = end + 1;
        // CR LF is one line end; a lone CR or LF is one too (files edited on other systems).
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return doc;
}

std::optional<std::string> IniDocument::sectionHeader(const std::string& line) {
    // Only a bracket at both ends makes a header: media keys such as "[HD] Ocean.swf=1" start
    // with "[" too, and taking them for headers would drop every later entry of their list.
    const std::string trimmed = text::trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
    return text::trim(trimmed.substr(1, trimmed.find(']') - 1));
}

void IniDocument::addLine(const std::string& line) {
    const std::string trimmed = text::trim(line);
    if (const std::optional<std::string> name = sectionHeader(line)) {
        sections_.push_back(Section{*name, keyOf(*name), false, {Line{line, "", "", 0}}});
        return;
    }
    Line entry{line, "", "", 0};
    if (trimmed.empty() || trimmed[0] != ';') {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) {
            entry.key = text::trim(line.substr(0, eq));
            entry.upperKey = keyOf(entry.key);
            entry.valueAt = eq + 1;
        }
    }
    sections_.back().lines.push_back(std::move(entry));
}

IniDocument IniDocument::loadFile(FileSystem& fs, const std::string& path) {
    std::unique_ptr<InputFile> file = fs.openRead(path);
    if (!file) return IniDocument();
    std::string content;
    try {
        const std::uint64_t size = file->size();
        // A settings file is a few kilobytes; anything this big is not one, and reading it whole
        // would only exhaust memory.
        if (size > kMaxFileSize) return IniDocument();
        content.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        while (done < content.size()) {
            const std::size_t got =
                file->readAt(done, content.data() + done, content.size() - done);
            if (got == 0) break;  // the file shrank meanwhile: take what is there
            done += got;
        }
        content.resize(done);
    } catch (const IoError&) {
        return IniDocument();
    }
    return parse(content);
}

const IniDocument::Line* IniDocument::findKey(const std::string& section,
                                              const std::string& key) const {
    const std::string sectionKey = keyOf(section);
    const std::string wanted = keyOf(key);
    for (const Section& s : sections_) {
        if (s.preamble || s.upperName != sectionKey) continue;
        for (const Line& line : s.lines)
            if (!line.key.empty() && line.upperKey == wanted) return &line;
    }
    return nullptr;
}

IniDocument::Line* IniDocument::findKey(const std::string& section, const std::string& key) {
    return const_cast<Line*>(std::as_const(*this).findKey(section, key));
}

IniDocument::Section* IniDocument::lastSection(const std::string& name) {
    const std::string wanted = keyOf(name);
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (!it->preamble && it->upperName == wanted) return &*it;
    return nullptr;
}

std::optional<std::string> IniDocument::read(const std::string& section,
                                             const std::string& key) const {
    const Line* line = findKey(section, key);
    if (!line) return std::nullopt;
    return line->text.substr(line->valueAt);
}

std::vector<std::string> IniDocument::keys(const std::string& section) const {
    const std::string sectionKey = keyOf(section);
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;  // upper-cased names already listed
    for (const Section& s : sections_) {
        if (s.preamble || s.upperName != sectionKey) continue;
        for (const Line& line : s.lines)
            if (!line.key.empty() && seen.insert(line.upperKey).second) names.push_back(line.key);
    }
    return names;
}

std::vector<std::string> IniDocument::sections() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Section& s : sections_)
        if (!s.preamble && seen.insert(s.upperName).second) names.push_back(s.name);
    return names;
}

bool IniDocument::hasSection(const std::string& section) const {
    const std::string wanted = keyOf(section);
    for (const Section& s : sections_)
        if (!s.preamble && s.upperName == wanted) return true;
    return false;
}

bool IniDocument::canWrite(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (section.empty() || section.find(']') != std::string::npos || hasLineBreak(section) ||
        text::trim(section) != section)
        return false;
    if (key.empty() || text::trim(key) != key || key.find('=') != std::string::npos ||
        key[0] == ';' || hasLineBreak(key) || hasLineBreak(value))
        return false;
    return !sectionHeader(key + "=" + value);
}

void IniDocument::write(const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!canWrite(section, key, value)) return;
    if (Line* line = findKey(section, key)) {
        // Keep the key's own spelling and spacing; only the value changes.
        line->text = line->text.substr(0, line->valueAt) + value;
        return;
    }
    Section* target = lastSection(section);
    if (!target) {
        if (sections_.empty()) sections_.push_back(Section{"", "", true, {}});
        // A blank line before a new section, as the builder writes them.
        std::vector<Line>& tail = sections_.back().lines;
        if (!tail.empty() && !isBlankLine(tail.back().text)) tail.push_back(Line{"", "", "", 0});
        sections_.push_back(
            Section{section, keyOf(section), false, {Line{"[" + section + "]", "", "", 0}}});
        target = &sections_.back();
    }
    // After the section's last key, or, in a section without keys, after its last non-blank
    // line: comments and the blank line that separate it from the next section stay below.
    std::size_t at = target->lines.size();
    while (at > 1 && target->lines[at - 1].key.empty()) --at;
    if (at == 1) {
        at = target->lines.size();
        while (at > 1 && isBlankLine(target->lines[at - 1].text)) --at;
    }
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(at),
                         Line{key + "=" + value, key, keyOf(key), key.size() + 1});
}

std::string IniDocument::text() const {
    std::string out;
    for (const Section& s : sections_) {
        for (const Line& line : s.lines) {
            out += line.text;
            out += "\r\n";
        }
    }
    return out;
}

bool IniDocument::saveAtomically(FileSystem& fs, const std::string& path) const {
    // Windows refuses to replace a read-only file; check it here so every file system agrees.
    if (fs.fileExists(path) && fs.isReadOnly(path)) return false;
    const std::string temp = path + ".saving~";
    std::unique_ptr<OutputFile> out = fs.createFile(temp);
    if (!out) return false;
    try {
        const std::string content = text();
        out->write(content.data(), content.size());
        out->close();
    } catch (const IoError&) {
        out.reset();
        fs.deleteFile(temp);
        return false;
    }
    out.reset();
    if (!fs.renameReplace(temp, path)) {
        fs.deleteFile(temp);
        return false;
    }
    return true;
}

}  // namespace saver
