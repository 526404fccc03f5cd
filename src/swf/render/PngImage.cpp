// libpng's simplified reader does the whole job (palettes, grey, 16-bit samples and tRNS all
// come out as 8-bit BGRA) without the setjmp error handling of its full interface; its errors
// come back as a failed call. PNG stores straight alpha, so it is premultiplied here.
#include <png.h>

#include <cstring>

#include "swf/render/ImageCodecs.h"

namespace saver::swf {

namespace {

struct PngImage {
    png_image image;
    PngImage() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImage() { png_image_free(&image); }
};

}  // namespace

std::optional<DecodedBitmap> DecodePngImage(std::span<const std::uint8_t> file,
                                            std::size_t maxBytes) {
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, file.data(), file.size()))
        return std::nullopt;
    if (!BitmapFits(png.image.width, png.image.height, maxBytes)) return std::nullopt;
    png.image.format = PNG_FORMAT_BGRA;
    DecodedBitmap bitmap;
    bitmap.width = static_cast<int>(png.image.width);
    bitmap.height = static_cast<int>(png.image.height);
    bitmap.pixels.resize(static_cast<std::size_t>(bitmap.width) * bitmap.height * 4);
    if (!png_image_finish_read(&png.image, nullptr, bitmap.pixels.data(), bitmap.width * 4,
                               nullptr))
        return std::nullopt;
    Premultiply(bitmap);
    return bitmap;
}

}  // namespace saver::swf
