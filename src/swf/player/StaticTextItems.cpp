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

// Device text keeps glyph slots without outlines, for their codes and advances.
bool IsDeviceFont(const Font& font) {
    if (font.codes.empty()) return false;
    for (const Shape& glyph : font.glyphs)
        if (!glyph.paths.empty()) return false;
    return true;
}

}  // namespace

void AppendStaticText(const StaticText& text, const Movie& movie, const Matrix& matrix,
                      const ColorTransform& color, ClipRole role, std::size_t maxItems,
                      std::vector<RenderItem>& out, const FontSource* fonts, std::uint64_t source) {
    const Matrix toParent = matrix * text.matrix;
    const Font* font = nullptr;
    std::shared_ptr<const FontFace> face;  // the device face standing in for `font`
    Rgba paint;
    double x = 0, y = 0, height = 0;
    for (const TextRecord& record : text.records) {
        if (record.fontId) {
            font = FindFont(movie, *record.fontId);
            height = record.height;
            face = font && fonts && IsDeviceFont(*font)
                       ? fonts->face(font->name.substr(0, font->name.find('\0')), font->bold,
                                     font->italic)
                       : nullptr;
        }
        if (record.color) paint = *record.color;
        if (record.xOffset) x = *record.xOffset;
        if (record.yOffset) y = *record.yOffset;
        const ColorTransform glyphColor = color * Paint(paint);
        const double scale = font ? height / (face ? kDeviceEmSquare : font->emSquare()) : 0;
        for (const GlyphEntry& glyph : record.glyphs) {
            if (face && glyph.index < font->codes.size()) {
                const Shape* shape = face->glyph(font->codes[glyph.index]);
                if (shape && out.size() >= maxItems) return;
                const Matrix place{scale, 0, 0, scale, x, y};
                if (shape) out.push_back({shape, toParent * place, glyphColor, role});
            } else if (!face && font && glyph.index < font->glyphs.size()) {
                if (out.size() >= maxItems) return;
                const Matrix place{scale, 0, 0, scale, x, y};
                out.push_back({&font->glyphs[glyph.index], toParent * place, glyphColor, role});
                out.back().source = source;
            }
            x += glyph.advance;
        }
    }
}

}  // namespace saver::swf
