// FontReader: decodes the font tags into Font records: DefineFont (outlines only), DefineFont2
// and DefineFont3 (outlines, code table, optional layout: ascent, descent, leading, advances,
// glyph bounds and kerning), and the tags that complete an earlier font: DefineFontInfo,
// DefineFontInfo2 (name, style flags, code table) and DefineFontName (name and copyright).
// DefineFontAlignZones (hints for pixel snapping) is not read: drawing does not use it.
//
// Every count is checked against the bytes of the tag before anything is reserved, glyph
// outlines are read from exactly the span their offsets give, and everything kept is charged
// to the budget.
//
// Failure: SwfError for an offset or table that runs past the tag or outside the glyph area, a
// malformed outline, or a font that outgrows the budget. A font-info tag whose code table is
// shorter than the font's glyph list is refused the same way.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

class FontReader {
  public:
    explicit FontReader(DecodeBudget& budget) : budget_(budget) {}

    Font readDefineFont(SwfBitReader& body);
    // `version` 2 or 3 (DefineFont2, DefineFont3).
    Font readDefineFont2(SwfBitReader& body, int version);
    // DefineFontInfo (`version` 1) or DefineFontInfo2 (2) applied to `font`, whose id the
    // caller has read from the tag's first two bytes.
    void readFontInfo(SwfBitReader& body, int version, Font& font);
    // DefineFontName after its font id.
    void readFontName(SwfBitReader& body, Font& font);

  private:
    // Glyph i starts at area[offsets[i]] and ends at its end record, before area[end].
    void readGlyphs(std::span<const std::uint8_t> area, const std::vector<std::uint32_t>& offsets,
                    std::size_t end, Font& font);
    void readLayout(SwfBitReader& in, Font& font);

    DecodeBudget& budget_;
};

}  // namespace saver::swf
