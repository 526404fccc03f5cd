// libjpeg's fatal errors jump back here through longjmp; only plain data lives between the
// setjmp and the libjpeg calls, and the error becomes an exception after the jump.
#include "JpegEncoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace saver::swfwriter {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Compresses `rgb` (width * height * 3 bytes) into `out` (malloc'ed by libjpeg); false when
// libjpeg fails.
bool Compress(const std::vector<std::uint8_t>& rgb, int width, int height, int quality,
              unsigned char** out, unsigned long* size) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.data() + std::size_t{info.next_scanline} * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const RgbaImage& image, int quality, bool premultiply) {
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (image.width <= 0 || image.height <= 0 || image.rgba.size() != count * 4)
        throw std::invalid_argument("JPEG picture without pixels");
    std::vector<std::uint8_t> rgb(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned a = premultiply ? image.rgba[i * 4 + 3] : 255;
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = static_cast<std::uint8_t>((image.rgba[i * 4 + c] * a + 127) / 255);
    }
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const bool ok = Compress(rgb, image.width, image.height, quality, &out, &size);
    std::vector<std::uint8_t> stream;
    if (ok) stream.assign(out, out + size);
    std::free(out);
    if (!ok) throw std::runtime_error("JPEG encoding failed");
    return stream;
}

JpegHalves SplitJpegTables(const std::vector<std::uint8_t>& s) {
    JpegHalves halves{{0xFF, 0xD8}, {0xFF, 0xD8}};
    std::size_t pos = 2;  // after SOI
    while (pos + 4 <= s.size() && s[pos] == 0xFF && s[pos + 1] != 0xDA) {
        const std::size_t length = 2 + ((std::size_t{s[pos + 2]} << 8) | s[pos + 3]);
        if (pos + length > s.size()) throw std::invalid_argument("damaged JPEG stream");
        const bool table = s[pos + 1] == 0xDB || s[pos + 1] == 0xC4;
        auto& to = table ? halves.tables : halves.image;
        to.insert(to.end(), s.begin() + static_cast<std::ptrdiff_t>(pos),
                  s.begin() + static_cast<std::ptrdiff_t>(pos + length));
        pos += length;
    }
    halves.tables.insert(halves.tables.end(), {0xFF, 0xD9});
    halves.image.insert(halves.image.end(), s.begin() + static_cast<std::ptrdiff_t>(pos), s.end());
    return halves;
}

}  // namespace saver::swfwriter
