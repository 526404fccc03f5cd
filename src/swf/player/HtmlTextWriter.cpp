// Flash writes each run's character format relative to the FONTs still open, which is why runs
// nest inside one outer FONT rather than each carrying a full set of attributes.
#include "swf/player/HtmlTextWriter.h"

#include <algorithm>
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

bool SameFont(const TextFormat& a, const TextFormat& b) {
    return a.font == b.font && Pixels(a.size) == Pixels(b.size) && a.color == b.color &&
           Pixels(a.letterSpacing) == Pixels(b.letterSpacing) && a.kerning == b.kerning;
}

bool HasTextFormat(const TextFormat& f) {
    return f.leftMargin != 0 || f.rightMargin != 0 || f.indent != 0 || f.leading != 0 ||
           f.blockIndent != 0 || !f.tabStops.empty();
}

// Tags in the order they nest; a tag opens only inside those before it.
enum class Tag { TextFormat, P, Li, Font, A, B, I, U };

// Writes runs one after another, keeping open what the next run shares with the last: a run
// whose character format differs opens a FONT inside the open ones naming only what differs,
// and a run that goes back to a format still open closes the FONTs opened after it.
class Writer {
  public:
    std::u32string out;

    void run(const TextFormat& f) {
        if (current_ && (f.bold != current_->bold || f.italic != current_->italic ||
                         f.underline != current_->underline))
            closeFrom(Tag::B);
        if (current_ && f.url != current_->url) closeFrom(Tag::A);
        closeFontsAfter(f);
        current_ = &f;
        if (HasTextFormat(f)) open(Tag::TextFormat);
        if (!isOpen(Tag::P) && !isOpen(Tag::Li)) open(f.bullet ? Tag::Li : Tag::P);
        font(f);
        if (!f.url.empty()) open(Tag::A);
        if (f.bold) open(Tag::B);
        if (f.italic) open(Tag::I);
        if (f.underline) open(Tag::U);
    }

    // Closes everything: the end of a paragraph or of the text.
    void closeAll() { closeFrom(Tag::TextFormat); }
    const TextFormat* current() const { return current_; }

  private:
    bool isOpen(Tag t) const { return std::find(tags_.begin(), tags_.end(), t) != tags_.end(); }

    void open(Tag t) {
        if (isOpen(t) || (!tags_.empty() && tags_.back() > t)) return;
        tags_.push_back(t);
        const TextFormat& f = *current_;
        switch (t) {
            case Tag::TextFormat:
                out += TextFormatOpen(f);
                break;
            case Tag::P:
                out += U"<P" + Attribute("ALIGN", AlignName(f.align)) + U">";
                break;
            case Tag::Li:
                out += U"<LI>";
                break;
            case Tag::A:
                out += U"<A" + Attribute("HREF", f.url) + Attribute("TARGET", f.target) + U">";
                break;
            case Tag::B:
                out += U"<B>";
                break;
            case Tag::I:
                out += U"<I>";
                break;
            case Tag::U:
                out += U"<U>";
                break;
            default:
                break;
        }
    }

    void font(const TextFormat& f) {
        if (!fonts_.empty() && SameFont(*fonts_.back(), f)) return;
        closeFrom(Tag::A);
        out += U"<FONT" + FontAttributes(f, fonts_.empty() ? nullptr : fonts_.back()) + U">";
        if (fonts_.empty()) tags_.push_back(Tag::Font);
        fonts_.push_back(&f);
    }

    void closeFontsAfter(const TextFormat& f) {
        for (std::size_t i = 0; i + 1 < fonts_.size(); ++i) {
            if (!SameFont(*fonts_[i], f)) continue;
            closeFrom(Tag::A);
            for (std::size_t k = i + 1; k < fonts_.size(); ++k) out += U"</FONT>";
            fonts_.resize(i + 1);
            return;
        }
    }

    void closeFrom(Tag t) {
        while (!tags_.empty() && tags_.back() >= t) {
            const Tag last = tags_.back();
            tags_.pop_back();
            out += close(last);
        }
    }

    std::u32string close(Tag t) {
        switch (t) {
            case Tag::TextFormat:
                return U"</TEXTFORMAT>";
            case Tag::P:
                return U"</P>";
            case Tag::Li:
                return U"</LI>";
            case Tag::Font: {
                std::u32string s;
                for (std::size_t k = 0; k < fonts_.size(); ++k) s += U"</FONT>";
                fonts_.clear();
                return s;
            }
            case Tag::A:
                return U"</A>";
            case Tag::B:
                return U"</B>";
            case Tag::I:
                return U"</I>";
            default:
                return U"</U>";
        }
    }

    const TextFormat* current_ = nullptr;
    std::vector<Tag> tags_;
    std::vector<const TextFormat*> fonts_;
};

// The runs split at paragraph ends, each piece carrying its paragraph's settings (those of the
// paragraph's first run, which is what lays the paragraph out).
struct Piece {
    std::u32string text;
    TextFormat format;
    bool endsParagraph = false;
};

std::vector<Piece> Pieces(const StyledText& text) {
    std::vector<Piece> pieces;
    const TextFormat* first = nullptr;
    for (const TextRun& run : text) {
        std::size_t start = 0;
        while (start < run.text.size()) {
            const std::size_t end = std::min(run.text.find(U'\r', start), run.text.size());
            if (!first) first = &run.format;
            Piece piece{run.text.substr(start, end - start), run.format, end < run.text.size()};
            TextFormat& f = piece.format;
            f.align = first->align;
            f.leftMargin = first->leftMargin;
            f.rightMargin = first->rightMargin;
            f.indent = first->indent;
            f.blockIndent = first->blockIndent;
            f.leading = first->leading;
            f.bullet = first->bullet;
            f.tabStops = first->tabStops;
            if (piece.endsParagraph) first = nullptr;
            pieces.push_back(std::move(piece));
            start = end + 1;
        }
    }
    return pieces;
}

}  // namespace

std::u32string WriteHtmlText(const StyledText& text) {
    const std::vector<Piece> pieces = Pieces(text);
    Writer w;
    for (const Piece& piece : pieces) {
        w.run(piece.format);
        w.out += Escaped(piece.text);
        if (piece.endsParagraph) w.closeAll();
    }
    w.closeAll();
    return w.out;
}

}  // namespace saver::swf
