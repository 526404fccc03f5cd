// TextFontResolver: finds the font each run of a text field draws with. A field that embeds
// its fonts draws with the movie's fonts that carry outlines: the one whose name and style
// match the run's, else one of that name in another style, else the field's own font (so a
// field whose HTML names no font still draws). A field that does not embed its fonts draws
// with the system's fonts (device text) through the FontSource; without a source it draws
// nothing.
//
// ResolvedFont gives glyphs, advances and the vertical metrics in EM units (1024 units for
// DefineFont/2 and device faces, 20480 for DefineFont3); the layout scales by size / em.
//
// Failure: a run whose font is found nowhere resolves to null: its text takes no room.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "swf/format/SwfMovie.h"
#include "swf/player/FontSource.h"
#include "swf/player/TextFormat.h"

namespace saver::swf {

class ResolvedFont {
  public:
    explicit ResolvedFont(const Font& embedded);
    explicit ResolvedFont(std::shared_ptr<const FontFace> device);

    const Shape* glyph(char32_t code) const;  // null: nothing to draw
    double advance(char32_t code) const;      // EM units
    // The kerning adjustment between `left` and `right` (EM units): the embedded font's
    // kerning table; 0 for device faces and pairs the table does not list.
    double kerning(char32_t left, char32_t right) const;
    bool has(char32_t code) const;  // the font knows the character
    // The same for text `size` twips high, in twips: device faces that fit glyphs to the pixel
    // grid draw whole-pixel sizes with fitted outlines and whole-pixel advances and vertical
    // metrics (cut to whole twips for faces that do not snap to pixels); other fonts scale
    // their EM units, vertical metrics cut to whole twips. glyphAt sets `scale` to the glyph's
    // units to twips.
    const Shape* glyphAt(char32_t code, double size, double& scale) const;
    double advanceAt(char32_t code, double size) const;
    double ascentAt(double size) const;
    double descentAt(double size) const;
    // The pixel size device glyphs are fitted to at `size` twips, 0 when they are not fitted.
    int fittedPixels(double size) const;
    // Fitted glyphs start on whole pixels.
    bool snapsGlyphs(double size) const { return fittedPixels(size) && device_->snapsToPixels(); }
    double em() const { return em_; }
    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    const std::shared_ptr<const FontFace>& device() const { return device_; }

  private:
    double fittedMetric(double twips, double size) const;

    const Font* embedded_ = nullptr;
    std::map<char32_t, std::uint32_t> codes_;
    std::map<std::pair<char32_t, char32_t>, double> kerning_;
    std::shared_ptr<const FontFace> device_;
    double em_ = kDeviceEmSquare, ascent_ = 0, descent_ = 0;
};

class TextFontResolver {
  public:
    // `fieldFont`: the DefineEditText's own font id; `fonts` may be null.
    TextFontResolver(const Movie& movie, bool embedFonts, std::optional<std::uint16_t> fieldFont,
                     const FontSource* fonts);

    const ResolvedFont* resolve(const TextFormat& format);

  private:
    const Font* findEmbedded(const std::string& name, bool bold, bool italic) const;

    const Movie& movie_;
    bool embed_;
    const Font* fieldFont_ = nullptr;
    const FontSource* fonts_;
    std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<ResolvedFont>> cache_;
};

// A font name as stored, without the NULs some tools leave at its end, lower case for
// comparing.
std::string FontKey(const std::string& name);

}  // namespace saver::swf
