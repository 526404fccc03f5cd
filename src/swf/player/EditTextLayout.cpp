// Text is measured in twips with the font's advances scaled to the field's font height; each
// laid-out line is a list of glyph indexes with their pen positions, placed once the line is
// complete so that right and centred alignment know its width.
#include "swf/player/EditTextLayout.h"

#include <algorithm>
#include <map>
#include <string>

namespace saver::swf {

namespace {

constexpr double kGutter = 40;  // twips (2 pixels) between the bounds and the text

ShapePath RectPath(const Rect& r, std::uint32_t fill) {
    ShapePath path;
    path.fill0 = fill;
    path.start = {r.xMin, r.yMin};
    path.edges = {{false, {}, {r.xMax, r.yMin}},
                  {false, {}, {r.xMax, r.yMax}},
                  {false, {}, {r.xMin, r.yMax}},
                  {false, {}, {r.xMin, r.yMin}}};
    return path;
}

Shape RectShape(const Rect& r) {
    Shape s;
    s.bounds = s.edgeBounds = r;
    s.fills.emplace_back();
    s.paths.push_back(RectPath(r, 1));
    return s;
}

// The background, then (a layer above it) the border: one-pixel lines whose left and top
// sides lie just inside the bounds and whose right and bottom sides just outside, as hairlines
// along the pixel centres after the bounds would cover. Where the right and bottom lines meet,
// a bevel covers just under half of the corner pixel: grey when anti-aliased, empty when not.
Shape FrameShape(const Rect& r) {
    Shape s = RectShape(r);
    s.fills[0].color = {255, 255, 255, 255};
    s.fills.emplace_back();  // black
    s.layerStarts.push_back(1);
    ShapePath outer;
    outer.fill0 = 2;
    outer.start = {r.xMin, r.yMin};
    outer.edges = {{false, {}, {r.xMax + 20, r.yMin}}, {false, {}, {r.xMax + 20, r.yMax}},
                   {false, {}, {r.xMax + 19, r.yMax}}, {false, {}, {r.xMax, r.yMax + 19}},
                   {false, {}, {r.xMax, r.yMax + 20}}, {false, {}, {r.xMin, r.yMax + 20}},
                   {false, {}, {r.xMin, r.yMin}}};
    s.paths.push_back(outer);
    if (r.width() > 20 && r.height() > 20)
        s.paths.push_back(RectPath({r.xMin + 20, r.xMax, r.yMin + 20, r.yMax}, 2));
    return s;
}

// UTF-8 when it is valid, else byte by byte.
std::u32string Decode(const std::string& text, bool utf8) {
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

struct LineGlyph {
    std::uint32_t index;
    double x;  // pen position from the line's start
};

class Layout {
  public:
    Layout(const EditText& field, const Font& font, EditTextLayout& out)
        : field_(field), font_(font), out_(out), scale_(field.fontHeight / font.emSquare()) {
        for (std::size_t i = 0; i < font.codes.size(); ++i) codes_.try_emplace(font.codes[i], i);
        const double ascent = font.ascent * scale_;
        lineHeight_ = ascent + font.descent * scale_ + field.leading;
        baseline_ = field.bounds.yMin + kGutter + ascent;
        left_ = field.bounds.xMin + kGutter + field.leftMargin;
        width_ = field.bounds.width() - 2 * kGutter - field.leftMargin - field.rightMargin;
    }

    void paragraph(const std::u32string& text) {
        // A negative indent moves the first line left into the margin, never past it.
        double indent = std::max<double>(field_.indent, -double(field_.leftMargin));
        std::vector<LineGlyph> line;
        double x = 0;
        std::size_t i = 0;
        while (i < text.size()) {
            // The next word with the spaces before it.
            std::size_t end = i;
            while (end < text.size() && text[end] == U' ') ++end;
            while (end < text.size() && text[end] != U' ') ++end;
            std::vector<LineGlyph> word;
            double wx = x;
            for (std::size_t k = i; k < end; ++k) add(text[k], word, wx);
            if (field_.wordWrap && !line.empty() && wx > width_ - indent) {
                place(line, x, indent);
                indent = 0;
                line.clear();
                x = 0;
                while (i < end && text[i] == U' ') ++i;  // the break eats the spaces
                continue;
            }
            line.insert(line.end(), word.begin(), word.end());
            x = wx;
            i = end;
        }
        place(line, x, indent);
    }

  private:
    void add(char32_t c, std::vector<LineGlyph>& glyphs, double& x) const {
        const auto it = codes_.find(field_.password ? U'*' : c);
        if (it == codes_.end()) return;
        glyphs.push_back({it->second, x});
        if (it->second < font_.advances.size()) x += font_.advances[it->second] * scale_;
    }

    void place(const std::vector<LineGlyph>& line, double width, double indent) {
        double x = left_ + indent;
        const double room = width_ - indent - width;
        if (field_.align == 1) x += room;
        if (field_.align == 2) x += room / 2;
        for (const LineGlyph& g : line)
            if (g.index < font_.glyphs.size())
                out_.glyphs.push_back(
                    {&font_.glyphs[g.index], {scale_, 0, 0, scale_, x + g.x, baseline_}});
        baseline_ += lineHeight_;
    }

    const EditText& field_;
    const Font& font_;
    EditTextLayout& out_;
    double scale_;
    std::map<char32_t, std::uint32_t> codes_;
    double lineHeight_ = 0, baseline_ = 0, left_ = 0, width_ = 0;
};

const Font* FindFont(const Movie& movie, std::optional<std::uint16_t> id) {
    if (!id) return nullptr;
    const auto it = movie.dictionary.find(*id);
    return it == movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
}

}  // namespace

EditTextLayout LayOutEditText(const EditText& field, const Movie& movie) {
    EditTextLayout out;
    if (field.border) out.frame = FrameShape(field.bounds);
    out.clip = RectShape(field.bounds);
    out.color = field.color.value_or(Rgba{0, 0, 0, 255});
    const Font* font = FindFont(movie, field.fontId);
    if (!field.initialText || field.html || !field.useOutlines || !font || font->glyphs.empty())
        return out;
    Layout layout(field, *font, out);
    const std::u32string text = Decode(*field.initialText, movie.header.version >= 6);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(U"\r\n", start);
        if (end == std::u32string::npos) end = text.size();
        layout.paragraph(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == U'\r' && text[end + 1] == U'\n') ++end;
        start = end + 1;
    }
    return out;
}

// The text is clipped to the bounds through a mask of its own, which the renderer nests inside
// any mask already open.
void AppendEditText(const EditTextLayout& layout, const Matrix& matrix, const ColorTransform& color,
                    std::size_t maxItems, std::vector<RenderItem>& out) {
    if (layout.frame && out.size() < maxItems) out.push_back({&*layout.frame, matrix, color});
    if (layout.glyphs.empty() || out.size() + layout.glyphs.size() + 3 > maxItems) return;
    const ColorTransform paint = color * ColorTransform{0,
                                                        0,
                                                        0,
                                                        0,
                                                        double(layout.color.r),
                                                        double(layout.color.g),
                                                        double(layout.color.b),
                                                        double(layout.color.a)};
    out.push_back({nullptr, {}, {}, ClipRole::BeginMask});
    out.push_back({&layout.clip, matrix, {}, ClipRole::Mask});
    for (const PlacedGlyph& g : layout.glyphs) out.push_back({g.glyph, matrix * g.matrix, paint});
    out.push_back({nullptr, {}, {}, ClipRole::Unmask});
}

}  // namespace saver::swf
