// CachedFontFace: the part of a system font face that both font sources share: each glyph's
// outline and advance are asked of the system once and kept (a face lives as long as some
// layout or the source holds it). Thread-safe: a lock guards the cache; the shapes handed
// out never move (node-based map). Glyphs fitted to a pixel size are kept per size.
//
// Failure: a glyph the system cannot give is remembered as missing (null, advance 0).
#pragma once

#include <map>
#include <utility>
#include "swf/text/SpinLock.h"

#include "swf/player/FontSource.h"

namespace saver::swf {

class CachedFontFace : public FontFace {
  public:
    const Shape* glyph(char32_t code) const override;
    double advance(char32_t code) const override;
    const Shape* glyphAt(char32_t code, int pixels) const override;
    double advanceAt(char32_t code, int pixels) const override;

  protected:
    struct Loaded {
        bool present = false;  // the outline has contours
        Shape outline;
        double advance = 0;  // EM units
    };
    // Asks the system for one character; called with the cache locked.
    virtual Loaded load(char32_t code) const = 0;
    // The glyph fitted to the pixel grid of text `pixels` high (see FontFace::glyphAt), for faces
    // that fit glyphs to pixels; by default nothing.
    virtual Loaded loadFitted(char32_t code, int pixels) const {
        (void)code, (void)pixels;
        return {};
    }

  private:
    const Loaded& get(char32_t code) const;
    const Loaded& getFitted(char32_t code, int pixels) const;

    mutable SpinLock mutex_;
    mutable std::map<char32_t, Loaded> cache_;
    mutable std::map<std::pair<int, char32_t>, Loaded> fitted_;  // by pixel size and character
};

}  // namespace saver::swf
