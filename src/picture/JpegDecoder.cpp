// libjpeg reports fatal errors through error_exit, which by default prints and calls exit().
// The decoder replaces it with a longjmp back into the function that called libjpeg, so a
// damaged picture only makes DecodeJpeg return nullopt. Everything between setjmp and the
// libjpeg calls is plain data: no C++ object with a destructor lives in a frame that longjmp
// skips, and the output vector belongs to the caller.
//
// Truncation and damaged entropy data are only warnings to libjpeg (it pads the picture with
// grey and goes on); they are treated as failures here, so a half-downloaded banner is hidden
// instead of shown half grey.
#include "picture/JpegDecoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace saver {
namespace {

// Progressive pictures may repeat scans without bound; real encoders use a few dozen.
constexpr int kMaxScans = 500;
// libjpeg's own working memory (a progressive picture keeps all its coefficients: 2 bytes per
// sample, up to 4 samples per pixel).
constexpr long kMaxLibjpegMemory = static_cast<long>(kMaxPicturePixels * 8);

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void onFatalError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Level -1 is a warning; those that mean pixel data is missing or wrong end the decoding.
// Trace messages (levels 0 and up) and the remaining warnings are dropped.
void onMessage(j_common_ptr cinfo, int level) {
    if (level != -1) return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_MUST_RESYNC:
            onFatalError(cinfo);
        default:
            break;
    }
}

void onOutput(j_common_ptr) {}

void onProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        onFatalError(cinfo);
    }
}

// The libjpeg state of one decoding; destroyed on every path out of DecodeJpeg.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    bool created = false;

    ~Decompressor() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

enum class PixelLayout { kBgra, kCmyk, kInvertedCmyk };

// Reads the header and chooses the output colour space. False when libjpeg fails, the colour
// space is unsupported or the size exceeds the caps.
bool readHeader(Decompressor& d, std::span<const std::uint8_t> file, PixelLayout& layout) {
    d.info.err = jpeg_std_error(&d.errors.pub);
    d.errors.pub.error_exit = onFatalError;
    d.errors.pub.emit_message = onMessage;
    d.errors.pub.output_message = onOutput;
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    d.info.mem->max_memory_to_use = kMaxLibjpegMemory;
    d.progress.progress_monitor = onProgress;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, file.data(), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;

    const std::int64_t width = d.info.image_width;
    const std::int64_t height = d.info.image_height;
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels) {
        return false;
    }
    switch (d.info.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            // libjpeg-turbo writes B, G, R and an opaque alpha byte itself.
            d.info.out_color_space = JCS_EXT_BGRA;
            layout = PixelLayout::kBgra;
            return true;
        case JCS_CMYK:
        case JCS_YCCK:
            // Files with an APP14 colour-transform marker store CMYK inverted: 255 means no ink.
            d.info.out_color_space = JCS_CMYK;
            layout = d.info.saw_Adobe_marker ? PixelLayout::kInvertedCmyk : PixelLayout::kCmyk;
            return true;
        default:
            return false;
    }
}

// Decodes the rows into `pixels` (reserved by the caller for the whole picture), growing it one
// row at a time so that a picture whose data ends early fails before the buffer is touched in
// full. False when libjpeg fails.
bool readRows(Decompressor& d, std::vector<std::uint8_t>& pixels) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_start_decompress(&d.info);
    const std::size_t rowBytes = static_cast<std::size_t>(d.info.output_width) * 4;
    if (d.info.output_components != 4) return false;
    while (d.info.output_scanline < d.info.output_height) {
        const std::size_t offset = pixels.size();
        pixels.resize(offset + rowBytes);
        JSAMPROW row = pixels.data() + offset;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

void cmykToBgra(std::vector<std::uint8_t>& pixels, bool inverted) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        unsigned c = pixels[i], m = pixels[i + 1], y = pixels[i + 2], k = pixels[i + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // Now 255 means no ink: each channel is what its ink and the black ink let through.
        pixels[i] = static_cast<std::uint8_t>((y * k + 127) / 255);
        pixels[i + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        pixels[i + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        pixels[i + 3] = 255;
    }
}

}  // namespace

std::optional<BgraPicture> DecodeJpeg(std::span<const std::uint8_t> file) {
    if (file.empty() || static_cast<unsigned long>(file.size()) != file.size()) return std::nullopt;
    Decompressor d;
    PixelLayout layout = PixelLayout::kBgra;
    if (!readHeader(d, file, layout)) return std::nullopt;

    BgraPicture picture;
    picture.width = static_cast<int>(d.info.image_width);
    picture.height = static_cast<int>(d.info.image_height);
    // Within the caps, so at most kMaxPicturePixels * 4 bytes; reserving commits no pages yet.
    try {
        picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height * 4);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!readRows(d, picture.pixels)) return std::nullopt;
    if (layout != PixelLayout::kBgra) {
        cmykToBgra(picture.pixels, layout == PixelLayout::kInvertedCmyk);
    }
    return picture;
}

}  // namespace saver
