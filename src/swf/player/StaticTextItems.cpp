// Glyph outlines carry one solid fill; the record's colour reaches it through the colour
// transform: multipliers 0 and the colour as the additive terms replace whatever the fill
// holds, and the placement's own transform then applies on top as for any shape.
#include "swf/player/StaticTextItems.h"

namespace saver::swf {

namespace {

ColorTransform Paint(Rgba c) {
    return {0, 0, 0, 0, double(c.r), double(c.g), double(c.b), double(c.a)};
}

const Font* FindFont(const Movie& movie, std::uint16_t id) {
    const auto it = movie.dictionary.find(id);
    return it == movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
}

}  // namespace

void AppendStaticText(const StaticText& text, const Movie& movie, const Matrix& matrix,
                      const ColorTransform& color, ClipRole role, std::size_t maxItems,
                      std::vector<RenderItem>& out) {
    const Matrix toParent = matrix * text.matrix;
    const Font* font = nullptr;
    Rgba paint;
    double x = 0, y = 0, height = 0;
    for (const TextRecord& record : text.records) {
        if (record.fontId) {
            font = FindFont(movie, *record.fontId);
            height = record.height;
        }
        if (record.color) paint = *record.color;
        if (record.xOffset) x = *record.xOffset;
        if (record.yOffset) y = *record.yOffset;
        const ColorTransform glyphColor = color * Paint(paint);
        const double scale = font ? height / font->emSquare() : 0;
        for (const GlyphEntry& glyph : record.glyphs) {
            if (font && glyph.index < font->glyphs.size()) {
                if (out.size() >= maxItems) return;
                const Matrix place{scale, 0, 0, scale, x, y};
                out.push_back({&font->glyphs[glyph.index], toParent * place, glyphColor, role});
            }
            x += glyph.advance;
        }
    }
}

}  // namespace saver::swf
