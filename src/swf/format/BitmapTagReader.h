// BitmapTagReader: decodes the headers of the bitmap definitions DefineBits, DefineBitsJPEG2,
// DefineBitsJPEG3, DefineBitsJPEG4, DefineBitsLossless and DefineBitsLossless2 from their tag
// bodies and keeps their image bytes as they are (see BitmapCharacter).
//
// Failure: SwfError when a header field runs past the tag. A DefineBitsJPEG3/4 whose alpha
// offset points past the tag keeps no image bytes. Image bytes are not checked here; a damaged
// image fails when it is decoded and then draws nothing.
#pragma once

#include <cstdint>

#include "swf/format/BitmapCharacter.h"
#include "swf/format/SwfBitReader.h"

namespace saver::swf {

class BitmapTagReader {
  public:
    static constexpr std::uint16_t kJpegTables = 8;

    // True for the tag codes read(): 6, 21, 35, 90, 20 and 36.
    static bool isBitmapTag(std::uint16_t code);
    static BitmapCharacter read(std::uint16_t code, SwfBitReader& body);
};

}  // namespace saver::swf
