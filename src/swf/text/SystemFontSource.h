// MakeSystemFontSource: the font source of the machine the player runs on: GDI's fonts on
// Windows (SystemFontSource_win.cpp), the free fonts under /usr/share/fonts/truetype through
// FreeType on the host (SystemFontSource_posix.cpp).
//
// Failure: on the host, a font file that cannot be opened gives a face without glyphs (text in
// it takes no room); on Windows GDI always finds some face.
#pragma once

#include <memory>

#include "swf/player/FontSource.h"

namespace saver::swf {

std::shared_ptr<const FontSource> MakeSystemFontSource();

}  // namespace saver::swf
