// ImageCodecs: the image streams a bitmap tag may hold, each decoded into a DecodedBitmap by
// the library made for it (libjpeg, libpng, giflib). Helpers of BitmapDecoder.
//
// Every function checks the image's size against kMaxBitmapSide and `maxBytes` (bytes of
// decoded pixels) before it allocates the pixels, and returns std::nullopt for damaged,
// truncated or oversized data. None throws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "swf/render/DecodedBitmap.h"

namespace saver::swf {

// A JPEG stream as a plain decoder reads it: `tables` (a JPEGTables tag, may be empty) joined
// to `image` (their end-of-image and start-of-image markers dropped), every end-of-image /
// start-of-image pair before the frame header removed, and an end-of-image marker added when
// the data lacks one. Empty when the result is not a JPEG stream.
std::vector<std::uint8_t> CleanJpegStream(std::span<const std::uint8_t> tables,
                                          std::span<const std::uint8_t> image);

// A cleaned JPEG stream (CleanJpegStream); opaque.
std::optional<DecodedBitmap> DecodeJpegImage(std::span<const std::uint8_t> stream,
                                             std::size_t maxBytes);
// A PNG file; its alpha, if any, premultiplied.
std::optional<DecodedBitmap> DecodePngImage(std::span<const std::uint8_t> file,
                                            std::size_t maxBytes);
// The first image of a GIF file on its logical screen (transparent where the image does not
// reach, and where its transparent index is).
std::optional<DecodedBitmap> DecodeGifImage(std::span<const std::uint8_t> file,
                                            std::size_t maxBytes);

// Premultiplies straight-alpha pixels in place and sets `opaque`.
void Premultiply(DecodedBitmap& bitmap);

// True when a width x height bitmap fits the side cap and `maxBytes`.
bool BitmapFits(std::int64_t width, std::int64_t height, std::size_t maxBytes);

}  // namespace saver::swf
