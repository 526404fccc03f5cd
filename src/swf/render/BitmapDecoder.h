// BitmapDecoder: turns a BitmapCharacter into a DecodedBitmap.
//
//   DefineBits        JPEG: the movie's JPEGTables glued in front of the image data.
//   DefineBitsJPEG2   JPEG, PNG or GIF (the first image), told apart by their signatures.
//   DefineBitsJPEG3/4 as JPEG2, plus the zlib alpha plane for JPEG data (one byte per pixel,
//                     its colours already premultiplied, a colour above its alpha clamped to
//                     it). The deblocking filter of DefineBitsJPEG4 is not applied.
//   DefineBitsLossless(2) zlib pixels: 8-bit colour-mapped (RGB, or premultiplied RGBA
//                     entries; rows padded to 4 bytes, an index past the table is black, or
//                     transparent with alpha), 15-bit RGB (rows padded to 4 bytes), 32-bit
//                     XRGB or premultiplied ARGB.
//
// JPEG data may carry the stray end-of-image / start-of-image pair older tools left between
// the tables and the image, anywhere before the frame header; it is removed before decoding.
//
// Every size is checked before pixels are allocated: a side of at most kMaxBitmapSide, and at
// most `maxBytes` bytes of decoded pixels (the caller's decode budget).
//
// Failure: std::nullopt for a damaged, truncated or unknown image, or one too large for the
// caps. Never throws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "swf/format/BitmapCharacter.h"
#include "swf/render/DecodedBitmap.h"

namespace saver::swf {

class BitmapDecoder {
  public:
    // `jpegTables` is the movie's JPEGTables (empty when it has none).
    static std::optional<DecodedBitmap> decode(const BitmapCharacter& bitmap,
                                               std::span<const std::uint8_t> jpegTables,
                                               std::size_t maxBytes);
};

}  // namespace saver::swf
