// Any bytes must decode to a well-formed picture within the caps or to nothing, without
// aborting, leaking or reading outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto picture = saver::DecodeJpeg(std::span<const std::uint8_t>(data, size));
    if (!picture) return 0;
    const std::int64_t pixels = std::int64_t(picture->width) * picture->height;
    if (picture->width < 1 || picture->height < 1 || picture->width > saver::kMaxPictureSide ||
        picture->height > saver::kMaxPictureSide || pixels > saver::kMaxPicturePixels ||
        picture->pixels.size() != std::size_t(pixels) * 4) {
        std::abort();
    }
    for (std::size_t i = 3; i < picture->pixels.size(); i += 4) {
        if (picture->pixels[i] != 255) std::abort();
    }
    return 0;
}
