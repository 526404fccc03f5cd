#include "swf/player/TextFontResolver.h"

#include <cctype>
#include <cmath>

namespace saver::swf {

std::string FontKey(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '\0') break;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

ResolvedFont::ResolvedFont(const Font& embedded) : embedded_(&embedded), em_(embedded.emSquare()) {
    for (std::size_t i = 0; i < embedded.codes.size(); ++i)
        codes_.try_emplace(embedded.codes[i], static_cast<std::uint32_t>(i));
    ascent_ = embedded.ascent;
    descent_ = embedded.descent;
    for (const KerningPair& k : embedded.kerning)
        kerning_.try_emplace({k.left, k.right}, double(k.adjustment));
}

ResolvedFont::ResolvedFont(std::shared_ptr<const FontFace> device) : device_(std::move(device)) {
    ascent_ = device_->ascent();
    descent_ = device_->descent();
}

bool ResolvedFont::has(char32_t code) const {
    return device_ ? true : codes_.count(code) != 0;
}

const Shape* ResolvedFont::glyph(char32_t code) const {
    if (device_) return device_->glyph(code);
    const auto it = codes_.find(code);
    if (it == codes_.end() || it->second >= embedded_->glyphs.size()) return nullptr;
    return &embedded_->glyphs[it->second];
}

double ResolvedFont::advance(char32_t code) const {
    if (device_) return device_->advance(code);
    const auto it = codes_.find(code);
    if (it == codes_.end() || it->second >= embedded_->advances.size()) return 0;
    return embedded_->advances[it->second];
}

double ResolvedFont::kerning(char32_t left, char32_t right) const {
    const auto it = kerning_.find({left, right});
    return it == kerning_.end() ? 0 : it->second;
}

int ResolvedFont::fittedPixels(double size) const {
    if (!device_ || !device_->fitsToPixels()) return 0;
    const long pixels = std::lround(size / 20);
    return pixels >= 1 && pixels <= 255 ? static_cast<int>(pixels) : 0;
}

const Shape* ResolvedFont::glyphAt(char32_t code, double size, double& scale) const {
    if (const int pixels = fittedPixels(size)) {
        scale = size / device_->fittedEm(pixels);
        return device_->glyphAt(code, pixels);
    }
    scale = size / em_;
    return glyph(code);
}

double ResolvedFont::advanceAt(char32_t code, double size) const {
    if (const int pixels = fittedPixels(size)) return device_->advanceAt(code, pixels);
    return advance(code) * size / em_;
}

// A fitted face's ascent and descent are rounded to whole pixels, or cut to whole twips when
// the face does not snap to pixels.
double ResolvedFont::ascentAt(double size) const {
    return fittedMetric(ascent_ * size / em_, size);
}

double ResolvedFont::descentAt(double size) const {
    return fittedMetric(descent_ * size / em_, size);
}

double ResolvedFont::fittedMetric(double twips, double size) const {
    if (!fittedPixels(size)) return std::trunc(twips);
    return device_->snapsToPixels() ? std::round(twips / 20) * 20 : std::trunc(twips);
}

TextFontResolver::TextFontResolver(const Movie& movie, bool embedFonts,
                                   std::optional<std::uint16_t> fieldFont, const FontSource* fonts)
    : movie_(movie), embed_(embedFonts), fonts_(fonts) {
    if (fieldFont) {
        const auto it = movie.dictionary.find(*fieldFont);
        if (it != movie.dictionary.end()) fieldFont_ = std::get_if<Font>(&it->second);
    }
}

const Font* TextFontResolver::findEmbedded(const std::string& name, bool bold, bool italic) const {
    const std::string key = FontKey(name);
    auto usable = [](const Font* f) { return f && !f->glyphs.empty(); };
    if (usable(fieldFont_) && FontKey(fieldFont_->name) == key && fieldFont_->bold == bold &&
        fieldFont_->italic == italic)
        return fieldFont_;
    const Font* sameName = nullptr;
    for (const auto& [id, character] : movie_.dictionary) {
        const Font* f = std::get_if<Font>(&character);
        if (!usable(f) || FontKey(f->name) != key) continue;
        if (f->bold == bold && f->italic == italic) return f;
        if (!sameName) sameName = f;
    }
    if (sameName) return sameName;
    return usable(fieldFont_) ? fieldFont_ : nullptr;
}

const ResolvedFont* TextFontResolver::resolve(const TextFormat& format) {
    auto& slot = cache_[{format.font, format.bold, format.italic}];
    if (!slot) {
        if (embed_) {
            if (const Font* f = findEmbedded(format.font, format.bold, format.italic))
                slot = std::make_unique<ResolvedFont>(*f);
        } else if (fonts_) {
            const std::string name = format.font.substr(0, format.font.find('\0'));
            if (auto face = fonts_->face(name, format.bold, format.italic))
                slot = std::make_unique<ResolvedFont>(std::move(face));
        }
    }
    return slot.get();
}

}  // namespace saver::swf
