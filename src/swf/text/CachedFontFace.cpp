#include "swf/text/CachedFontFace.h"

namespace saver::swf {

const CachedFontFace::Loaded& CachedFontFace::get(char32_t code) const {
    SpinGuard lock(mutex_);
    auto it = cache_.find(code);
    if (it == cache_.end()) it = cache_.emplace(code, load(code)).first;
    return it->second;
}

const Shape* CachedFontFace::glyph(char32_t code) const {
    const Loaded& loaded = get(code);
    return loaded.present ? &loaded.outline : nullptr;
}

double CachedFontFace::advance(char32_t code) const {
    return get(code).advance;
}

const CachedFontFace::Loaded& CachedFontFace::getFitted(char32_t code, int pixels) const {
    SpinGuard lock(mutex_);
    auto it = fitted_.find({pixels, code});
    if (it == fitted_.end())
        it = fitted_.emplace(std::pair{pixels, code}, loadFitted(code, pixels)).first;
    return it->second;
}

const Shape* CachedFontFace::glyphAt(char32_t code, int pixels) const {
    const Loaded& loaded = getFitted(code, pixels);
    return loaded.present ? &loaded.outline : nullptr;
}

double CachedFontFace::advanceAt(char32_t code, int pixels) const {
    return getFitted(code, pixels).advance;
}

}  // namespace saver::swf
