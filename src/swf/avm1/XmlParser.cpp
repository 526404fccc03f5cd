// The scanner works on bytes: names and text pass through unchanged, so UTF-8 (SWF 6+) and
// code-page text (SWF 5) both survive.
#include "swf/avm1/XmlParser.h"

#include "swf/format/Utf8.h"

namespace saver::swf::avm1 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool AllBlank(std::string_view s) {
    for (char c : s)
        if (!IsBlank(c)) return false;
    return true;
}

bool StartsWith(std::string_view s, std::size_t at, std::string_view prefix) {
    return s.substr(at, prefix.size()) == prefix;
}

}  // namespace

std::string XmlEscape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A character reference ("&#39;", "&#x1F600;") at `i`: appends the character as UTF-8 and
// moves past it; false (nothing taken) for anything else.
bool NumericReference(std::string_view s, std::size_t& i, std::string& out) {
    if (!StartsWith(s, i, "&#")) return false;
    std::size_t j = i + 2;
    const bool hex = j < s.size() && (s[j] == 'x' || s[j] == 'X');
    if (hex) ++j;
    std::uint32_t code = 0;
    const std::size_t first = j;
    for (; j < s.size() && j - first < 8; ++j) {
        const char ch = s[j];
        int digit = -1;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (hex && ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (hex && ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        if (digit < 0) break;
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    if (j == first || j >= s.size() || s[j] != ';' || code == 0 || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return false;
    AppendUtf8(out, code);
    i = j + 1;
    return true;
}

std::string XmlUnescape(std::string_view s) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        bool done = false;
        if (s[i] == '&') {
            for (const auto& [name, c] : kEntities) {
                if (StartsWith(s, i, name)) {
                    out += c;
                    i += name.size();
                    done = true;
                    break;
                }
            }
        }
        if (!done && s[i] == '&') done = NumericReference(s, i, out);
        if (!done) out += s[i++];
    }
    return out;
}

bool XmlParser::next(Event& e) {
    while (status_ == 0 && pos_ < s_.size()) {
        e = Event{};
        if (s_[pos_] != '<') {
            const std::size_t end = std::min(s_.find('<', pos_), s_.size());
            const std::string_view raw = s_.substr(pos_, end - pos_);
            pos_ = end;
            if (ignoreWhite_ && AllBlank(raw)) continue;
            e.kind = Event::Text;
            e.name = XmlUnescape(raw);
            return true;
        }
        if (StartsWith(s_, pos_, "<!--")) {
            const std::size_t end = s_.find("-->", pos_ + 4);
            if (end == std::string_view::npos) {
                fail(-5);
                return false;
            }
            pos_ = end + 3;
            continue;
        }
        if (StartsWith(s_, pos_, "<!") || StartsWith(s_, pos_, "<?")) return special(e);
        return tag(e);
    }
    return false;
}

// CDATA sections, DOCTYPE and XML declarations.
bool XmlParser::special(Event& e) {
    struct Form {
        std::string_view open, close;
        Event::Kind kind;
        int error;
    };
    static const Form kForms[] = {{"<![CDATA[", "]]>", Event::Text, -2},
                                  {"<!", ">", Event::DocType, -4},
                                  {"<?", "?>", Event::XmlDecl, -3}};
    for (const Form& f : kForms) {
        if (!StartsWith(s_, pos_, f.open)) continue;
        const std::size_t end = s_.find(f.close, pos_ + f.open.size());
        if (end == std::string_view::npos) {
            fail(f.error);
            return false;
        }
        e.kind = f.kind;
        if (f.kind == Event::Text)
            e.name = std::string(s_.substr(pos_ + f.open.size(), end - pos_ - f.open.size()));
        else
            e.name = std::string(s_.substr(pos_, end + f.close.size() - pos_));
        pos_ = end + f.close.size();
        return true;
    }
    fail(-6);
    return false;
}

bool XmlParser::tag(Event& e) {
    std::size_t i = pos_ + 1;
    const bool closing = i < s_.size() && s_[i] == '/';
    if (closing) ++i;
    const std::size_t nameStart = i;
    // An open tag's name may hold '/' ("<a/ >" names "a/"), a close tag's may not.
    while (i < s_.size() && !IsBlank(s_[i]) && s_[i] != '>' &&
           !(s_[i] == '/' && (closing || StartsWith(s_, i, "/>"))))
        ++i;
    e.name = std::string(s_.substr(nameStart, i - nameStart));
    if (e.name.empty()) {
        fail(-6);
        return false;
    }
    if (closing) {
        const std::size_t end = s_.find('>', i);
        if (end == std::string_view::npos) {
            fail(-6);
            return false;
        }
        e.kind = Event::Close;
        pos_ = end + 1;
        return true;
    }
    e.kind = Event::Open;
    for (;;) {
        while (i < s_.size() && IsBlank(s_[i])) ++i;
        if (i >= s_.size()) break;
        if (s_[i] == '>') {
            pos_ = i + 1;
            return true;
        }
        if (StartsWith(s_, i, "/>")) {
            e.selfClosing = true;
            pos_ = i + 2;
            return true;
        }
        const std::size_t attrStart = i;
        while (i < s_.size() && !IsBlank(s_[i]) && s_[i] != '=' && s_[i] != '>' && s_[i] != '/')
            ++i;
        std::string name(s_.substr(attrStart, i - attrStart));
        while (i < s_.size() && IsBlank(s_[i])) ++i;
        if (name.empty() || i >= s_.size() || s_[i] != '=') break;
        ++i;
        while (i < s_.size() && IsBlank(s_[i])) ++i;
        if (i >= s_.size() || (s_[i] != '"' && s_[i] != '\'')) break;
        const std::size_t end = s_.find(s_[i], i + 1);
        if (end == std::string_view::npos) {
            fail(-8);
            return false;
        }
        std::string value = XmlUnescape(s_.substr(i + 1, end - i - 1));
        bool seen = false;
        for (const auto& a : e.attributes) seen = seen || a.first == name;
        if (!seen) e.attributes.emplace_back(std::move(name), std::move(value));
        i = end + 1;
    }
    fail(-6);
    return false;
}

}  // namespace saver::swf::avm1
