// libpng's simplified API does the colour conversions (palette, grey, 16-bit, gamma) on read;
// the only care needed here is to release its control structure on every path.
#include "swfrender/PngFile.h"

#include <png.h>

#include <cstring>

namespace saver::swfrender {

namespace {

constexpr int kMaxSide = 1 << 15;  // refuse absurd sizes before allocating

}  // namespace

bool ReadPng(const std::string& path, RgbaPicture& picture, std::string& error) {
    picture = {};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = std::string("cannot read PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide ||
        image.height > kMaxSide) {
        error = "PNG size out of range";
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = std::string("cannot decode PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels = std::move(pixels);
    return true;
}

bool WritePng(const std::string& path, const RgbaPicture& picture, std::string& error) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 4) {
        error = "picture has no pixels";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr)) {
        error = std::string("cannot write PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

RgbaPicture FromBgra(const swf::BgraImage& image) {
    RgbaPicture out;
    out.width = image.width;
    out.height = image.height;
    out.pixels.resize(image.pixels.size());
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
        out.pixels[i] = image.pixels[i + 2];
        out.pixels[i + 1] = image.pixels[i + 1];
        out.pixels[i + 2] = image.pixels[i];
        out.pixels[i + 3] = image.pixels[i + 3];
    }
    return out;
}

}  // namespace saver::swfrender
