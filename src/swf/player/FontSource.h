// FontSource: the fonts of the system a movie's device text is drawn with (text whose font
// carries no outlines, or a text field that does not embed its fonts). The player lays text
// out with a FontFace; the host and Windows implementations live in the text layer (FreeType
// on the host, GDI on Windows) and reach the player through MoviePlayer::setFontSource.
//
// Units: a face works on an EM square of kDeviceEmSquare units, y growing downwards, like the
// glyphs of a DefineFont tag, so device and embedded glyphs scale the same way.
//
// Failure: face() never fails; a name that is not installed gives the default sans face. A
// character the face cannot draw gives a null glyph and its advance (0 when it has none).
// Faces may be used from any thread; a source keeps every face it handed out (and so their
// glyphs) for as long as it lives.
#pragma once

#include <memory>
#include <string>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

inline constexpr double kDeviceEmSquare = 1024;

class FontFace {
  public:
    virtual ~FontFace() = default;
    virtual double ascent() const = 0;   // EM units above the baseline
    virtual double descent() const = 0;  // EM units below it
    virtual double leading() const = 0;  // extra room the face asks between lines
    // The outline of `code` as a one-fill shape (owned by the face, valid while it lives), or
    // null when the face has nothing to draw (spaces, unknown characters).
    virtual const Shape* glyph(char32_t code) const = 0;
    virtual double advance(char32_t code) const = 0;
    // Glyphs fitted to the pixel grid for text `pixels` pixels high drawn unscaled (stems and
    // heights on whole pixels, advances rounded to whole pixels): the outline in 64ths of a
    // pixel at that size (an EM of fittedEm(pixels) units, by default pixels * 64), the
    // advance in twips. Only for faces whose fitsToPixels() is true; others give null and 0.
    virtual bool fitsToPixels() const { return false; }
    virtual double fittedEm(int pixels) const { return pixels * 64.0; }
    virtual const Shape* glyphAt(char32_t code, int pixels) const {
        (void)code, (void)pixels;
        return nullptr;
    }
    virtual double advanceAt(char32_t code, int pixels) const {
        (void)code, (void)pixels;
        return 0;
    }
    // Whether text drawn with fitted glyphs also keeps its ascent, descent and glyph origins on
    // whole pixels (the system's hinted text); false: they stay where the outline's scale puts
    // them, cut to whole twips.
    virtual bool snapsToPixels() const { return true; }
};

class FontSource {
  public:
    virtual ~FontSource() = default;
    // The face for a font name as a movie gives it ("_sans", "Arial", ...), bold and italic.
    virtual std::shared_ptr<const FontFace> face(const std::string& name, bool bold,
                                                 bool italic) const = 0;
};

}  // namespace saver::swf
