// DecodeJpeg: a baseline or progressive JPEG file in memory to 32-bit BGRA pixels, through
// libjpeg.
//
// Failure: returns std::nullopt for anything libjpeg rejects (truncated or corrupt data, an
// unsupported colour space) and for pictures whose pixel buffer would exceed the caps below;
// it never aborts the process and never allocates more than the caps allow.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace saver {

// A decoded picture: top-down rows, 4 bytes per pixel in the order B, G, R, A (A = 255).
struct BgraPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Largest picture decoded: 16384 pixels a side and 64 Mi pixels in all.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

std::optional<BgraPicture> DecodeJpeg(std::span<const std::uint8_t> file);

}  // namespace saver
