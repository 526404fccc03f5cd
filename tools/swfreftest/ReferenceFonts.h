// ReferenceFonts: the device fonts the player that drew a reference case's pictures was given.
// Ruffle's test framework gives its players no system fonts: a test that draws device text
// either asks for the framework's default font (`with_default_font`, Noto Sans for every
// generic name) or names font files and which generic names they stand for (`[fonts.*]`,
// `[default_fonts]`). That player draws device text as plain outlines scaled to the text's
// size, advances rounded to whole pixels, so the faces here do the same (GlyphFitting::
// OutlineScaled). Every registered family is Noto Sans Regular from Debian's fonts-noto-core
// (the same outlines and metrics as the framework's copy for the Latin letters).
//
// So a Ruffle case that asks for no fonts draws no device text at all (its pictures show none);
// the other sets' pictures come from the real player, and draw with the system's fonts.
//
// Failure: a name that resolves to no registered font gives a face without glyphs (its text is
// missing, as in the reference pictures); a family whose file is not installed likewise.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "swf/player/FontSource.h"

namespace saver::swfreftest {

struct CaseFonts {
    bool onlyThese = false;             // the player had no fonts but these (Ruffle's cases)
    bool defaultFont = false;           // with_default_font: Noto Sans everywhere
    std::vector<std::string> families;  // [fonts.*] family names
    // [default_fonts]: "sans", "serif" or "typewriter" to family names, first found wins.
    std::map<std::string, std::vector<std::string>> defaults;
};

// The font source for a case: one that resolves names as the reference player's font lookup
// does when the case had only its own fonts, else the system's.
std::shared_ptr<const swf::FontSource> MakeReferenceFonts(const CaseFonts& fonts);

// The installed file standing in for a registered family ("" when none does).
std::string ReferenceFamilyFile(const std::string& family);

}  // namespace saver::swfreftest
