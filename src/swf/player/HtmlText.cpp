// A small forgiving reader rather than an XML parser: text fields take whatever HTML a movie
// writes, unbalanced tags included. Each opening tag (any name but br) pushes the format it
// makes; a closing tag pops it only when it closes the tag opened last, and is ignored
// otherwise, as the player does.
#include "swf/player/HtmlText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

#include "swf/format/Utf8.h"

namespace saver::swf {

std::u32string PlainText(const StyledText& text) {
    std::u32string out;
    for (const TextRun& run : text) out += run.text;
    return out;
}

std::u32string DecodeText(const std::string& text, bool utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = !utf8 || c < 0xC0 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? c : c & (0x3F >> extra);
        bool valid = i + extra < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) code = c;
        out.push_back(code);
        i += valid ? extra + 1 : 1;
    }
    return out;
}

std::string EncodeUtf8(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

namespace {

std::string Lower(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) out += c < 0x80 ? static_cast<char>(std::tolower(int(c))) : '?';
    return out;
}

bool IsHtmlSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r';
}

struct Tag {
    std::string name;  // lower case, without '/'
    bool closing = false;
    bool selfClosing = false;                       // <name ... />
    std::map<std::string, std::string> attributes;  // names lower case; values as UTF-8
};

// Parses the inside of <...>.
Tag ReadTag(const std::u32string& body) {
    Tag tag;
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < body.size() &&
               (body[i] == U' ' || body[i] == U'\t' || body[i] == U'\n' || body[i] == U'\r'))
            ++i;
    };
    auto word = [&] {
        const std::size_t start = i;
        while (i < body.size() && body[i] != U' ' && body[i] != U'=' && body[i] != U'/' &&
               body[i] != U'\t' && body[i] != U'\n' && body[i] != U'\r')
            ++i;
        return body.substr(start, i - start);
    };
    skipSpace();
    if (i < body.size() && body[i] == U'/') {
        tag.closing = true;
        ++i;
    }
    tag.name = Lower(word());
    tag.selfClosing = !tag.closing && !body.empty() && body.back() == U'/';
    while (i < body.size()) {
        skipSpace();
        if (i < body.size() && body[i] == U'/') {
            ++i;
            continue;
        }
        const std::string name = Lower(word());
        if (name.empty()) break;
        skipSpace();
        std::u32string value;
        if (i < body.size() && body[i] == U'=') {
            ++i;
            skipSpace();
            if (i < body.size() && (body[i] == U'"' || body[i] == U'\'')) {
                const char32_t quote = body[i++];
                const std::size_t end = std::min(body.find(quote, i), body.size());
                value = body.substr(i, end - i);
                i = end + 1;
            } else {
                value = word();
            }
        }
        tag.attributes[name] = EncodeUtf8(value);
    }
    return tag;
}

bool Entity(const std::u32string& name, char32_t& out) {
    static const std::map<std::string, char32_t> named = {
        {"lt", U'<'}, {"gt", U'>'}, {"amp", U'&'}, {"quot", U'"'}, {"apos", U'\''}, {"nbsp", 0xA0}};
    if (name.size() > 1 && name[0] == U'#') {
        const bool hex = name[1] == U'x' || name[1] == U'X';
        const std::string digits = Lower(name.substr(hex ? 2 : 1));
        if (digits.empty() || digits.size() > 8) return false;
        char* end = nullptr;
        const unsigned long v = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (*end != '\0' || v == 0 || v > 0x10FFFF) return false;
        out = static_cast<char32_t>(v);
        return true;
    }
    const auto it = named.find(Lower(name));
    if (it == named.end()) return false;
    out = it->second;
    return true;
}

double Pixels(const std::string& v, double fallback) {
    char* end = nullptr;
    const double d = std::strtod(v.c_str(), &end);
    return end == v.c_str() ? fallback : d;
}

// A colour attribute: '#', any spaces or tabs, then hex digits up to the first other
// character, of which the last six count ("#abc" is 0x000abc, "#2345678" 0x345678). Without a
// '#' first or without a digit the attribute is ignored.
std::optional<std::uint32_t> HtmlColor(const std::string& v) {
    if (v.empty() || v[0] != '#') return std::nullopt;
    std::size_t i = v.find_first_not_of(" \t", 1);
    std::uint32_t rgb = 0;
    bool any = false;
    for (; i < v.size() && std::isxdigit(static_cast<unsigned char>(v[i])); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
        rgb = ((rgb << 4) | std::uint32_t(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xFFFFFF;
        any = true;
    }
    if (!any) return std::nullopt;
    return rgb;
}

class Reader {
  public:
    Reader(const TextFormat& base, const HtmlOptions& options) : base_(base), options_(options) {
        // Before SWF 8, HTML text starts left aligned whatever the field's format says; SWF 6
        // fields read it as multiline whatever their flag.
        if (options_.version < 8) base_.align = TextAlign::Left;
        if (options_.version <= 6) options_.multiline = true;
        stack_.push_back({"", base_});
    }

    // The text between two tags. SWF 7 and older movies drop text that is only white space.
    void textNode(const std::u32string& node) {
        if (node.empty()) return;
        if (options_.version <= 7 &&
            std::all_of(node.begin(), node.end(), [](char32_t c) { return IsHtmlSpace(c); }))
            return;
        if (options_.condenseWhite) {
            for (std::size_t i = 0; i < node.size(); ++i) {
                // One space for a run; from SWF 8 none at the start of a line or after a space.
                const bool fresh = options_.version >= 8
                                       ? !atParagraphStart() && out_.back().text.back() != U' '
                                       : i == 0 || !IsHtmlSpace(node[i - 1]);
                if (!IsHtmlSpace(node[i]))
                    text(node[i]);
                else if (fresh)
                    text(U' ');
            }
            return;
        }
        for (std::size_t i = 0; i < node.size(); ++i) {
            const char32_t c = node[i];
            if (c == U'\r' || c == U'\n') {
                if (c == U'\r' && i + 1 < node.size() && node[i + 1] == U'\n') ++i;
                paragraphBreak();
            } else {
                text(c);
            }
        }
    }

    void text(char32_t c) {
        const TextFormat& f = stack_.back().second;
        if (out_.empty() || !(out_.back().format == f)) out_.push_back({{}, f});
        out_.back().text.push_back(c);
    }

    void paragraphBreak() { text(U'\r'); }

    void tag(const Tag& t) {
        // A field of one line ignores the breaks of <br>, </p> and </li>.
        if (t.name == "br") return options_.multiline ? paragraphBreak() : void();
        if (t.closing) return close(t.name);
        if (t.selfClosing) {
            Tag open = t;
            open.selfClosing = false;
            tag(open);
            return close(t.name);
        }
        TextFormat f = stack_.back().second;
        const auto attr = [&](const char* name) -> const std::string* {
            const auto it = t.attributes.find(name);
            return it == t.attributes.end() ? nullptr : &it->second;
        };
        if (t.name == "b")
            f.bold = true;
        else if (t.name == "i")
            f.italic = true;
        else if (t.name == "u")
            f.underline = true;
        else if (t.name == "p" || t.name == "li") {
            if (t.name == "p") paragraphOpen_ = true;
            // A list item ends the paragraph before it; a <p> only starts its own.
            if (t.name == "li" && options_.multiline && !atParagraphStart()) paragraphBreak();
            if (t.name == "li") f.bullet = true;
            if (const auto* a = attr("align")) {
                if (*a == "right")
                    f.align = TextAlign::Right;
                else if (*a == "center")
                    f.align = TextAlign::Center;
                else if (*a == "justify")
                    f.align = TextAlign::Justify;
                else if (*a == "left")
                    f.align = TextAlign::Left;
            }
        } else if (t.name == "font") {
            if (const auto* a = attr("face")) f.font = *a;
            if (const auto* a = attr("size")) {
                const bool relative = !a->empty() && ((*a)[0] == '+' || (*a)[0] == '-');
                const double px = Pixels(*a, f.size / 20);
                f.size = std::clamp(relative ? f.size + px * 20 : px * 20, 20.0, 2540.0);
            }
            if (const auto* a = attr("color")) {
                if (const auto rgb = HtmlColor(*a))
                    f.color = {std::uint8_t(*rgb >> 16), std::uint8_t(*rgb >> 8),
                               std::uint8_t(*rgb), 255};
            }
            if (const auto* a = attr("letterspacing")) f.letterSpacing = Pixels(*a, 0) * 20;
            if (const auto* a = attr("kerning")) f.kerning = Pixels(*a, 0) != 0;
        } else if (t.name == "a") {
            if (const auto* a = attr("href")) f.url = *a;
            if (const auto* a = attr("target")) f.target = *a;
        } else if (t.name == "textformat") {
            if (const auto* a = attr("leading")) f.leading = Pixels(*a, 0) * 20;
            if (const auto* a = attr("leftmargin")) f.leftMargin = Pixels(*a, 0) * 20;
            if (const auto* a = attr("rightmargin")) f.rightMargin = Pixels(*a, 0) * 20;
            if (const auto* a = attr("indent")) f.indent = Pixels(*a, 0) * 20;
            if (const auto* a = attr("blockindent")) f.blockIndent = Pixels(*a, 0) * 20;
            if (const auto* a = attr("tabstops")) {
                f.tabStops.clear();
                std::size_t start = 0;
                while (start < a->size()) {
                    std::size_t end = a->find(',', start);
                    if (end == std::string::npos) end = a->size();
                    f.tabStops.push_back(Pixels(a->substr(start, end - start), 0) * 20);
                    start = end + 1;
                }
            }
        }
        // Other tags change nothing but still need their closing tag.
        stack_.push_back({t.name, f});
    }

    const TextFormat& open() const { return stack_.back().second; }

    StyledText finish() {
        if (!out_.empty() && out_.back().text.empty()) out_.pop_back();
        return std::move(out_);
    }

  private:
    bool atParagraphStart() const {
        return out_.empty() || out_.back().text.empty() || out_.back().text.back() == U'\r';
    }

    void close(const std::string& name) {
        if (stack_.size() < 2 || stack_.back().first != name) return;
        if (name == "li" && options_.multiline) paragraphBreak();  // in the item's format
        const TextFormat f = stack_.back().second;
        stack_.pop_back();
        if (name == "font") lastFont_ = f;
        // Nested paragraphs end once: a </p> ends one only after a <p> since the last end.
        if (name == "p" && options_.multiline && paragraphOpen_) endParagraph(f);
        if (name == "p") paragraphOpen_ = false;
    }

    // The break that </p> writes: the paragraph's format, plain (no bold, italic, underline or
    // link), in the character format of the FONT closed last (the base's when none was).
    void endParagraph(TextFormat f) {
        const TextFormat& font = lastFont_ ? *lastFont_ : base_;
        f.bold = f.italic = f.underline = false;
        f.url.clear();
        f.target.clear();
        f.font = font.font;
        f.size = font.size;
        f.color = font.color;
        f.letterSpacing = font.letterSpacing;
        f.kerning = font.kerning;
        if (out_.empty() || !(out_.back().format == f)) out_.push_back({{}, f});
        out_.back().text.push_back(U'\r');
    }

    TextFormat base_;
    HtmlOptions options_;
    std::optional<TextFormat> lastFont_;
    bool paragraphOpen_ = false;
    std::vector<std::pair<std::string, TextFormat>> stack_;
    StyledText out_;
};

}  // namespace

StyledText ParseHtmlText(const std::u32string& html, const TextFormat& base, TextFormat* open,
                         const HtmlOptions& options) {
    Reader reader(base, options);
    std::u32string node;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char32_t c = html[i];
        if (c == U'<') {
            const std::size_t end = html.find(U'>', i + 1);
            if (end != std::u32string::npos) {
                reader.textNode(node);
                node.clear();
                reader.tag(ReadTag(html.substr(i + 1, end - i - 1)));
                i = end;
                continue;
            }
        } else if (c == U'&') {
            const std::size_t end = html.find(U';', i + 1);
            char32_t decoded = 0;
            if (end != std::u32string::npos && end - i <= 10 &&
                Entity(html.substr(i + 1, end - i - 1), decoded)) {
                node.push_back(decoded);
                i = end;
                continue;
            }
        }
        node.push_back(c);
    }
    reader.textNode(node);
    if (open) *open = reader.open();
    return reader.finish();
}

}  // namespace saver::swf
