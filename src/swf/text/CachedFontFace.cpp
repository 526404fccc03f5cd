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

}  // namespace saver::swf
