// Text is measured in twips, each character's advance scaled from its font's EM square to its
// run's size. A paragraph is broken into lines word by word (a word being the spaces before it
// and its other characters); each line is placed once complete, so that alignment knows its
// width and the baseline knows its tallest font.
#include "swf/player/EditTextLayout.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "swf/player/HtmlText.h"
#include "swf/player/TextFontResolver.h"

namespace saver::swf {

namespace {

constexpr double kGutter = 40;       // twips (2 pixels) between the bounds and the text
constexpr double kDefaultTab = 720;  // twips between tab stops a paragraph does not set

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
// along the pixel centres after the bounds would cover. The corner pixel where the right and
// bottom lines meet is covered too.
std::optional<Shape> FrameShape(const TextFieldBox& box, std::int32_t pixelX = 20,
                                std::int32_t pixelY = 20) {
    if (!box.border && !box.background) return std::nullopt;
    const Rect& r = box.bounds;
    Shape s;
    const std::int32_t px = std::max(pixelX, 1), py = std::max(pixelY, 1);
    s.bounds = s.edgeBounds = {r.xMin, r.xMax + px, r.yMin, r.yMax + py};
    s.fills.emplace_back();
    s.fills[0].color = box.backgroundColor;
    if (box.background) s.paths.push_back(RectPath(r, 1));
    if (!box.border) return s;
    s.fills.emplace_back();
    s.fills[1].color = box.borderColor;
    s.layerStarts.push_back(static_cast<std::uint32_t>(s.paths.size()));
    ShapePath outer;
    outer.fill0 = 2;
    outer.start = {r.xMin, r.yMin};
    outer.edges = {{false, {}, {r.xMax + px, r.yMin}},
                   {false, {}, {r.xMax + px, r.yMax + py}},
                   {false, {}, {r.xMin, r.yMax + py}},
                   {false, {}, {r.xMin, r.yMin}}};
    s.paths.push_back(outer);
    if (r.width() > px && r.height() > py)
        s.paths.push_back(RectPath({r.xMin + px, r.xMax, r.yMin + py, r.yMax}, 2));
    return s;
}

struct Cell {
    char32_t c;
    const TextFormat* format;
    const ResolvedFont* font;  // null: takes no room
};

struct LineCell {
    const Cell* cell;
    double x, advance;  // from the line's start
};

class Layout {
  public:
    Layout(const TextFieldBox& box, EditTextLayout& out) : box_(box), out_(out) {
        top_ = box.bounds.yMin + box.gutterY;
    }

    void paragraph(const Cell* begin, const Cell* end, const Cell& formatCell) {
        const TextFormat& pf = *(begin != end ? begin : &formatCell)->format;
        const double bullet = pf.bullet ? pf.size : 0;
        left_ = box_.bounds.xMin + box_.gutterX + pf.leftMargin + pf.blockIndent + bullet;
        width_ = box_.bounds.width() - 2 * box_.gutterX - pf.leftMargin - pf.rightMargin -
                 pf.blockIndent - bullet;
        // A negative indent moves the first line left into the margin, never past it.
        double indent = std::max(pf.indent, -pf.leftMargin);
        std::vector<LineCell> line;
        double x = 0;
        bool first = true;
        const Cell* i = begin;
        while (i != end) {
            const Cell* wordEnd = i;
            while (wordEnd != end && wordEnd->c == U' ') ++wordEnd;
            if (wordEnd != end && wordEnd->c == U'\t') {
                ++wordEnd;  // a tab is a word of its own
            } else {
                while (wordEnd != end && wordEnd->c != U' ' && wordEnd->c != U'\t') ++wordEnd;
            }
            std::vector<LineCell> word;
            double wx = x;
            for (const Cell* k = i; k != wordEnd; ++k) add(*k, pf, indent, word, wx);
            if (box_.wordWrap && wx > width_ - indent) {
                if (!line.empty()) {
                    place(line, x, indent, pf, formatCell, first);
                    indent = 0;
                    first = false;
                    line.clear();
                    x = 0;
                    while (i != wordEnd && i->c == U' ') ++i;  // the break eats the spaces
                    continue;
                }
                // A word wider than the line: as many characters as fit, at least one (a field
                // narrower than a character shows one a line), but a line pushed out by its
                // indent keeps the word whole.
                std::size_t fit = 1;
                while (fit < word.size() && word[fit].x + word[fit].advance <= width_ - indent)
                    ++fit;
                const bool firstFits = word.empty() || word[0].advance <= width_ - indent;
                if (fit < word.size() && !word.empty() && (firstFits || indent <= 0)) {
                    word.resize(fit);
                    place(word, word.back().x + word.back().advance, indent, pf, formatCell, first);
                    indent = 0;
                    first = false;
                    i = word.back().cell + 1;
                    x = 0;
                    continue;
                }
            }
            line.insert(line.end(), word.begin(), word.end());
            x = wx;
            i = wordEnd;
        }
        place(line, x, indent, pf, formatCell, first);
    }

    double top() const { return top_; }

  private:
    void add(const Cell& cell, const TextFormat& pf, double indent, std::vector<LineCell>& cells,
             double& x) const {
        if (!cell.font) return;
        const char32_t c = box_.password ? U'*' : cell.c;
        if (!cell.font->has(c) && c != U'\t') return;
        double advance = cell.font->advanceAt(c, cell.format->size);
        if (c == U'\t') {
            const double at = indent + x;
            double stop = std::floor(at / kDefaultTab + 1) * kDefaultTab;
            for (double t : pf.tabStops)
                if (t > at) {
                    stop = t;
                    break;
                }
            advance = stop - at;
        }
        advance += cell.format->letterSpacing;
        // Kerning moves a character towards the one before it in the same font and word.
        if (cell.format->kerning && !cells.empty() && cells.back().cell->font == cell.font) {
            const double kern = cell.font->kerning(box_.password ? U'*' : cells.back().cell->c, c) *
                                cell.format->size / cell.font->em();
            cells.back().advance += kern;
            x += kern;
        }
        cells.push_back({&cell, x, advance});
        x += advance;
    }

    void place(const std::vector<LineCell>& line, double width, double indent, const TextFormat& pf,
               const Cell& formatCell, bool firstOfParagraph) {
        LineMetrics m;
        auto measure = [&](const Cell& cell) {
            if (!cell.font) return;
            m.ascent = std::max(m.ascent, cell.font->ascentAt(cell.format->size));
            m.descent = std::max(m.descent, cell.font->descentAt(cell.format->size));
        };
        for (const LineCell& lc : line) measure(*lc.cell);
        if (line.empty()) measure(formatCell);
        m.leading = pf.leading;
        // Trailing spaces take no room for alignment.
        double visible = width;
        for (auto it = line.rbegin(); it != line.rend() && it->cell->c == U' '; ++it)
            visible = it->x;
        double x = left_ + indent;
        const double room = width_ - indent - visible;
        if (pf.align == TextAlign::Right) x += room;
        if (pf.align == TextAlign::Center) x += room / 2;
        m.x = x;
        m.width = visible;
        const double baseline = top_ + m.ascent;
        if (firstOfParagraph && pf.bullet && formatCell.font)
            glyph(formatCell, U'\u2022', left_ - pf.size, baseline);
        // Glyphs are drawn at whole twips, each advance cut to whole twips as the player steps
        // along the line; the line's width and breaks keep the exact advances.
        double drawn = 0;
        for (const LineCell& lc : line) {
            glyph(*lc.cell, box_.password ? U'*' : lc.cell->c, x + drawn, baseline);
            drawn += std::trunc(lc.advance);
            if (lc.cell->format->underline) underline(*lc.cell, x + lc.x, lc.advance, baseline);
        }
        out_.textWidth = std::max(out_.textWidth, visible + (indent > 0 ? indent : 0));
        out_.lines.push_back(m);
        top_ += m.ascent + m.descent + m.leading;
    }

    void glyph(const Cell& cell, char32_t c, double x, double baseline) {
        double scale = 1;
        const Shape* shape = cell.font ? cell.font->glyphAt(c, cell.format->size, scale) : nullptr;
        if (!shape) return;
        PlacedGlyph placed;
        placed.glyph = shape;
        placed.color = cell.format->color;
        // Glyphs fitted to the pixel grid start on whole pixels; the plain outline stands in
        // where the field is drawn at another scale.
        if (cell.font->fittedPixels(cell.format->size)) {
            if (cell.font->snapsGlyphs(cell.format->size)) x = std::round(x / 20) * 20;
            const double plain = cell.format->size / cell.font->em();
            placed.plain = cell.font->glyph(c);
            placed.plainMatrix = {plain, 0, 0, plain, x, baseline};
        }
        placed.matrix = {scale, 0, 0, scale, x, baseline};
        out_.glyphs.push_back(placed);
    }

    void underline(const Cell& cell, double x, double advance, double baseline) {
        const double thickness = std::max(20.0, std::round(cell.format->size / 20));
        const auto y = static_cast<std::int32_t>(std::lround(baseline + cell.format->size / 16));
        const Rect r{static_cast<std::int32_t>(std::lround(x)),
                     static_cast<std::int32_t>(std::lround(x + advance)), y,
                     y + static_cast<std::int32_t>(thickness)};
        if (!out_.underlines.empty() && out_.underlines.back().second == cell.format->color &&
            out_.underlines.back().first.bounds.xMax == r.xMin &&
            out_.underlines.back().first.bounds.yMin == r.yMin) {
            Shape& s = out_.underlines.back().first;
            s = RectShape({s.bounds.xMin, r.xMax, r.yMin, r.yMax});
            return;
        }
        out_.underlines.push_back({RectShape(r), cell.format->color});
    }

    const TextFieldBox& box_;
    EditTextLayout& out_;
    double top_ = 0, left_ = 0, width_ = 0;
};

void LayOutText(const TextFieldBox& box, const StyledText& text, const Movie& movie,
                const FontSource* fonts, EditTextLayout& out) {
    TextFontResolver resolver(movie, box.embedFonts, box.fontId, fonts);
    std::vector<Cell> cells;
    for (const TextRun& run : text) {
        const ResolvedFont* font = resolver.resolve(run.format);
        if (font && font->device() &&
            std::find(out.faces.begin(), out.faces.end(), font->device()) == out.faces.end())
            out.faces.push_back(font->device());
        for (char32_t c : run.text) cells.push_back({c, &run.format, font});
    }
    TextFormat fallback;
    const Cell none{U'\r', text.empty() ? &fallback : &text.front().format,
                    text.empty() ? nullptr : resolver.resolve(text.front().format)};
    Layout layout(box, out);
    std::size_t start = 0;
    while (start <= cells.size()) {
        std::size_t end = start;
        while (end < cells.size() && cells[end].c != U'\r' && cells[end].c != U'\n') ++end;
        const Cell& formatCell = end < cells.size() ? cells[end]
                                 : start > 0        ? cells[start - 1]
                                                    : none;
        layout.paragraph(cells.data() + start, cells.data() + end, formatCell);
        start = end + 1;  // "\r\n" ends two paragraphs, the second one empty
    }
    double height = 0;
    for (std::size_t i = 0; i < out.lines.size(); ++i)
        height += out.lines[i].ascent + out.lines[i].descent +
                  (i + 1 < out.lines.size() ? out.lines[i].leading : 0);
    // The first line always counts its leading, so text of one line is that much taller.
    if (!out.lines.empty()) {
        const LineMetrics& first = out.lines.front();
        height = std::max(height, first.ascent + first.descent + first.leading);
    }
    out.textHeight = height;
}

Rect AutoSized(const TextFieldBox& box, const EditTextLayout& measured) {
    Rect r = box.bounds;
    r.yMax = r.yMin + static_cast<std::int32_t>(std::lround(measured.textHeight + 2 * kGutter));
    if (box.wordWrap) return r;
    const auto width = static_cast<std::int32_t>(std::lround(measured.textWidth + 2 * kGutter));
    if (box.autoSize == AutoSize::Left) r.xMax = r.xMin + width;
    if (box.autoSize == AutoSize::Right) r.xMin = r.xMax - width;
    if (box.autoSize == AutoSize::Center) {
        const std::int32_t centre = (r.xMin + r.xMax) / 2;
        r.xMin = centre - width / 2;
        r.xMax = r.xMin + width;
    }
    return r;
}

// The frame in the parent's space with its edges on whole pixels (20 twips).
// A pixel is a view pixel: `unitX`/`unitY` twips of the stage.
const Shape& PixelFrame(const EditTextLayout& layout, const Matrix& m, double unitX, double unitY) {
    const bool same = layout.placedFrame && layout.placedFor.a == m.a &&
                      layout.placedFor.d == m.d && layout.placedFor.tx == m.tx &&
                      layout.placedFor.ty == m.ty && layout.placedUnitX == unitX &&
                      layout.placedUnitY == unitY;
    if (same) return *layout.placedFrame;
    const Rect& r = layout.frameBox.bounds;
    // The corner goes to the nearest pixel (a half to the even one), the size is rounded on its
    // own, so a field keeps its size in pixels wherever it stands.
    auto snap = [](double v, double unit) {
        return static_cast<std::int32_t>(std::lround(std::nearbyint(v / unit) * unit));
    };
    auto size = [](double v, double unit) {
        return static_cast<std::int32_t>(std::lround(std::round(v / unit) * unit));
    };
    const double x0 = m.a * r.xMin + m.tx, x1 = m.a * r.xMax + m.tx;
    const double y0 = m.d * r.yMin + m.ty, y1 = m.d * r.yMax + m.ty;
    TextFieldBox box = layout.frameBox;
    const std::int32_t left = snap(std::min(x0, x1), unitX), top = snap(std::min(y0, y1), unitY);
    box.bounds = {left, left + size(std::abs(x1 - x0), unitX), top,
                  top + size(std::abs(y1 - y0), unitY)};
    layout.placedFrame = FrameShape(box, static_cast<std::int32_t>(std::lround(unitX)),
                                    static_cast<std::int32_t>(std::lround(unitY)));
    layout.placedFor = m;
    layout.placedUnitX = unitX;
    layout.placedUnitY = unitY;
    return *layout.placedFrame;
}

}  // namespace

TextFieldBox BoxOf(const EditText& field) {
    TextFieldBox box;
    box.bounds = field.bounds;
    box.wordWrap = field.wordWrap;
    box.multiline = field.multiline;
    box.password = field.password;
    box.embedFonts = field.useOutlines;
    box.autoSize = field.autoSize ? AutoSize::Left : AutoSize::None;
    box.border = box.background = field.border;
    box.fontId = field.fontId;
    return box;
}

TextFormat FormatOf(const EditText& field, const Movie& movie) {
    TextFormat f;
    if (field.fontId) {
        const auto it = movie.dictionary.find(*field.fontId);
        if (const Font* font =
                it == movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second)) {
            f.font = font->name.substr(0, font->name.find('\0'));
            // An HTML field's text is plain unless its tags say otherwise.
            f.bold = font->bold && !field.html;
            f.italic = font->italic && !field.html;
        }
    } else if (!field.fontClass.empty()) {
        f.font = field.fontClass;
    }
    // A field that names no font at all takes the player's default, 12 points.
    const bool namesFont = field.fontId || !field.fontClass.empty();
    f.size = namesFont || field.fontHeight != 0 ? field.fontHeight : 240;
    f.color = field.color.value_or(Rgba{0, 0, 0, 255});
    // A field the tag makes HTML aligns left, unless from SWF 8 it also brings text.
    if (!field.html || (movie.header.version >= 8 && field.initialText))
        f.align = static_cast<TextAlign>(std::min<int>(field.align, 3));
    f.leftMargin = field.leftMargin;
    f.rightMargin = field.rightMargin;
    f.indent = std::nearbyint(field.indent / 20.0) * 20;  // whole pixels, half to even
    f.leading = field.leading;
    return f;
}

StyledText InitialText(const EditText& field, const Movie& movie) {
    if (!field.initialText) return {};
    const std::u32string text = DecodeText(*field.initialText, movie.header.version >= 6);
    const TextFormat format = FormatOf(field, movie);
    if (field.html)
        return ParseHtmlText(text, format, nullptr, {field.multiline, movie.header.version});
    return {{text, format}};
}

EditTextLayout LayOutTextField(const TextFieldBox& box, const StyledText& text, const Movie& movie,
                               const FontSource* fonts) {
    EditTextLayout out;
    TextFieldBox sized = box;
    if (box.autoSize != AutoSize::None) {
        LayOutText(box, text, movie, fonts, out);
        sized.bounds = AutoSized(box, out);
        out = EditTextLayout{};
    }
    LayOutText(sized, text, movie, fonts, out);
    out.bounds = sized.bounds;
    out.frame = FrameShape(sized);
    out.frameBox = sized;
    out.clip = RectShape(sized.bounds);
    out.color = text.empty() ? Rgba{0, 0, 0, 255} : text.front().format.color;
    return out;
}

EditTextLayout LayOutEditText(const EditText& field, const Movie& movie, const FontSource* fonts) {
    return LayOutTextField(BoxOf(field), InitialText(field, movie), movie, fonts);
}

// The text is clipped to the bounds through a mask of its own, which the renderer nests inside
// any mask already open. Glyph outlines carry one solid fill; the glyph's colour replaces it
// through the colour transform (multipliers 0, the colour as the additive terms).
void AppendEditText(const EditTextLayout& layout, const Matrix& placed, const ColorTransform& color,
                    std::size_t maxItems, std::vector<RenderItem>& out, double viewScaleX,
                    double viewScaleY) {
    // A layout made at a device scale is in view pixels (twips of them) from the field's origin.
    Matrix matrix = placed * Matrix{1 / layout.deviceScaleX, 0, 0, 1 / layout.deviceScaleY, 0, 0};
    if (!layout.frameBox.embedFonts) {
        // Device text is drawn by the system on the pixel grid: the player leaves out a field
        // that is rotated, skewed or mirrored, and draws one whose skew is too small to move
        // a pixel as though it had none.
        constexpr double kUnnoticedSkew = 0.006;
        if (std::abs(matrix.b) >= kUnnoticedSkew || std::abs(matrix.c) >= kUnnoticedSkew ||
            matrix.a <= 0 || matrix.d <= 0)
            return;
        matrix.b = matrix.c = 0;
    }
    if (layout.frame && out.size() < maxItems) {
        if (matrix.b == 0 && matrix.c == 0) {
            const double unitX = viewScaleX > 0 ? 20 / viewScaleX : 20;
            const double unitY = viewScaleY > 0 ? 20 / viewScaleY : 20;
            out.push_back({&PixelFrame(layout, matrix, unitX, unitY), Matrix{}, color});
        } else {
            out.push_back({&*layout.frame, matrix, color});
        }
    }
    const std::size_t count = layout.glyphs.size() + layout.underlines.size();
    if (count == 0 || out.size() + count + 3 > maxItems) return;
    auto paint = [&](Rgba c) {
        return color *
               ColorTransform{0, 0, 0, 0, double(c.r), double(c.g), double(c.b), double(c.a)};
    };
    out.push_back({nullptr, {}, {}, ClipRole::BeginMask});
    out.push_back({&layout.clip, matrix, {}, ClipRole::Mask});
    const Matrix text = matrix * Matrix{1, 0, 0, 1, -layout.scrollX, -layout.scrollY};
    const bool unscaled = matrix.b == 0 && matrix.c == 0 &&
                          std::abs(matrix.a * viewScaleX - 1) < 1e-3 &&
                          std::abs(matrix.d * viewScaleY - 1) < 1e-3;
    for (const PlacedGlyph& g : layout.glyphs) {
        if (g.plain && !unscaled) {
            out.push_back({g.plain, text * g.plainMatrix, paint(g.color)});
        } else {
            out.push_back({g.glyph, text * g.matrix, paint(g.color)});
        }
    }
    for (const auto& [shape, c] : layout.underlines) out.push_back({&shape, text, paint(c)});
    out.push_back({nullptr, {}, {}, ClipRole::Unmask});
}

}  // namespace saver::swf
