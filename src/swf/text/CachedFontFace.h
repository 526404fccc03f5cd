// CachedFontFace: the part of a system font face that both font sources share: each glyph's
// outline and advance are asked of the system once and kept (a face lives as long as some
// layout or the source holds it). Thread-safe: a lock guards the cache; the shapes handed
// out never move (node-based map).
//
// Failure: a glyph the system cannot give is remembered as missing (null, advance 0).
#pragma once

#include <map>
#include "swf/text/SpinLock.h"

#include "swf/player/FontSource.h"

namespace saver::swf {

class CachedFontFace : public FontFace {
  public:
    const Shape* glyph(char32_t code) const override;
    double advance(char32_t code) const override;

  protected:
    struct Loaded {
        bool present = false;  // the outline has contours
        Shape outline;
        double advance = 0;  // EM units
    };
    // Asks the system for one character; called with the cache locked.
    virtual Loaded load(char32_t code) const = 0;

  private:
    const Loaded& get(char32_t code) const;

    mutable SpinLock mutex_;
    mutable std::map<char32_t, Loaded> cache_;
};

}  // namespace saver::swf
