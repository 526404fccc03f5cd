// Flash writes each run's character format relative to the paragraph's first run, which is why
// the runs nest inside one outer FONT rather than each carrying a full set of attributes.
#include "swf/player/HtmlTextWriter.h"

#include <cmath>
#include <cstdio>

namespace saver::swf {

namespace {

std::u32string Ascii(const std::string& s) {
    return std::u32string(s.begin(), s.end());
}

std::u32string Escaped(const std::u32string& s) {
    std::u32string out;
    for (char32_t c : s) {
        switch (c) {
            case U'&':
                out += U"&amp;";
                break;
            case U'<':
                out += U"&lt;";
                break;
            case U'>':
                out += U"&gt;";
                break;
            case U'"':
                out += U"&quot;";
                break;
            case U'\'':
                out += U"&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::u32string Attribute(const char* name, const std::string& value) {
    return Ascii(std::string(" ") + name + "=\"") + Escaped(Ascii(value)) + U"\"";
}

std::string Pixels(double twips) {
    return std::to_string(static_cast<long long>(std::lround(twips / 20)));
}

std::string Color(Rgba c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
    return buf;
}

const char* AlignName(TextAlign a) {
    switch (a) {
        case TextAlign::Right:
            return "RIGHT";
        case TextAlign::Center:
            return "CENTER";
        case TextAlign::Justify:
            return "JUSTIFY";
        default:
            return "LEFT";
    }
}

// The FONT attributes of `f`; with `base`, only those that differ from it.
std::u32string FontAttributes(const TextFormat& f, const TextFormat* base) {
    std::u32string out;
    if (!base || f.font != base->font) out += Attribute("FACE", f.font);
    if (!base || Pixels(f.size) != Pixels(base->size)) out += Attribute("SIZE", Pixels(f.size));
    if (!base || f.color != base->color) out += Attribute("COLOR", Color(f.color));
    if (!base || Pixels(f.letterSpacing) != Pixels(base->letterSpacing))
        out += Attribute("LETTERSPACING", Pixels(f.letterSpacing));
    if (!base || f.kerning != base->kerning) out += Attribute("KERNING", f.kerning ? "1" : "0");
    return out;
}

std::u32string TextFormatOpen(const TextFormat& f) {
    std::u32string out;
    if (f.leftMargin != 0) out += Attribute("LEFTMARGIN", Pixels(f.leftMargin));
    if (f.rightMargin != 0) out += Attribute("RIGHTMARGIN", Pixels(f.rightMargin));
    if (f.indent != 0) out += Attribute("INDENT", Pixels(f.indent));
    if (f.blockIndent != 0) out += Attribute("BLOCKINDENT", Pixels(f.blockIndent));
    if (f.leading != 0) out += Attribute("LEADING", Pixels(f.leading));
    if (!f.tabStops.empty()) {
        std::string stops;
        for (double t : f.tabStops) stops += (stops.empty() ? "" : ",") + Pixels(t);
        out += Attribute("TABSTOPS", stops);
    }
    return out.empty() ? out : U"<TEXTFORMAT" + out + U">";
}

// One run's text inside the paragraph whose first run is `base`.
std::u32string Run(const std::u32string& text, const TextFormat& f, const TextFormat& base) {
    std::u32string open, close;
    const std::u32string font = FontAttributes(f, &base);
    if (!font.empty()) {
        open += U"<FONT" + font + U">";
        close = U"</FONT>" + close;
    }
    if (!f.url.empty()) {
        open += U"<A" + Attribute("HREF", f.url) + Attribute("TARGET", f.target) + U">";
        close = U"</A>" + close;
    }
    if (f.bold) open += U"<B>", close = U"</B>" + close;
    if (f.italic) open += U"<I>", close = U"</I>" + close;
    if (f.underline) open += U"<U>", close = U"</U>" + close;
    return open + Escaped(text) + close;
}

struct Piece {
    std::u32string text;
    const TextFormat* format;
};

std::u32string Paragraph(const std::vector<Piece>& pieces, const TextFormat& base) {
    const std::u32string textFormat = TextFormatOpen(base);
    std::u32string out = textFormat;
    out += base.bullet ? std::u32string(U"<LI>")
                       : U"<P" + Attribute("ALIGN", AlignName(base.align)) + U">";
    out += U"<FONT" + FontAttributes(base, nullptr) + U">";
    for (const Piece& p : pieces) out += Run(p.text, *p.format, base);
    out += U"</FONT>";
    out += base.bullet ? U"</LI>" : U"</P>";
    if (!textFormat.empty()) out += U"</TEXTFORMAT>";
    return out;
}

}  // namespace

std::u32string WriteHtmlText(const StyledText& text, const TextFormat& empty) {
    std::u32string out;
    std::vector<Piece> pieces;
    const TextFormat* first = nullptr;
    auto flush = [&](const TextFormat* fallback) {
        out += Paragraph(pieces, first ? *first : *fallback);
        pieces.clear();
        first = nullptr;
    };
    const TextFormat* last = &empty;
    for (const TextRun& run : text) {
        last = &run.format;
        std::size_t start = 0;
        while (start <= run.text.size()) {
            const std::size_t end = run.text.find(U'\r', start);
            const std::size_t stop = end == std::u32string::npos ? run.text.size() : end;
            if (stop > start) {
                if (!first) first = &run.format;
                pieces.push_back({run.text.substr(start, stop - start), &run.format});
            }
            if (end == std::u32string::npos) break;
            flush(&run.format);
            start = end + 1;
        }
    }
    // The text's last paragraph; a text that ends in '\r' has none after it.
    if (!pieces.empty() || out.empty() || (!text.empty() && text.back().text.empty())) flush(last);
    return out;
}

}  // namespace saver::swf
