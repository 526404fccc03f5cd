// Only the first image of a GIF is shown, so the records are read one by one (giflib's
// slurping reader would decode every frame of an animation): extensions up to the image are
// scanned for its graphic control block (the transparent index), then the image's rows are
// decoded straight into the logical screen, interlaced ones in the order of their four passes.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "swf/render/ImageCodecs.h"

namespace saver::swf {

namespace {

struct Input {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
};

int ReadInput(GifFileType* gif, GifByteType* out, int length) {
    auto* in = static_cast<Input*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                                in->data.size() - in->pos);
    std::memcpy(out, in->data.data() + in->pos, n);
    in->pos += n;
    return static_cast<int>(n);
}

struct GifFile {
    GifFileType* gif = nullptr;
    ~GifFile() {
        int error = 0;
        if (gif != nullptr) DGifCloseFile(gif, &error);
    }
};

// The transparent index of a graphic control extension's block, or -1.
int TransparentIndex(const GifByteType* block) {
    if (block == nullptr || block[0] < 4 || (block[1] & 0x01) == 0) return -1;
    return block[4];
}

// Decodes the current image's rows onto `bitmap` (the logical screen), clipped to it.
bool ReadImage(GifFileType* gif, int transparent, DecodedBitmap& bitmap) {
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Width > kMaxBitmapSide ||
        desc.Height > kMaxBitmapSide)
        return false;
    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStart[pass] : 0;
        const int step = desc.Interlace ? kStep[pass] : 1;
        for (int y = start; y < desc.Height; y += step) {
            if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
            const int row = desc.Top + y;
            if (row < 0 || row >= bitmap.height) continue;
            std::uint8_t* out =
                bitmap.pixels.data() + static_cast<std::size_t>(row) * bitmap.width * 4;
            for (int x = 0; x < desc.Width; ++x) {
                const int column = desc.Left + x;
                const int index = line[static_cast<std::size_t>(x)];
                if (column < 0 || column >= bitmap.width || index == transparent) continue;
                if (map == nullptr || index >= map->ColorCount) continue;
                const GifColorType& c = map->Colors[index];
                std::uint8_t* p = out + static_cast<std::size_t>(column) * 4;
                p[0] = c.Blue;
                p[1] = c.Green;
                p[2] = c.Red;
                p[3] = 255;
            }
        }
    }
    return true;
}

}  // namespace

std::optional<DecodedBitmap> DecodeGifImage(std::span<const std::uint8_t> file,
                                            std::size_t maxBytes) {
    Input input{file};
    int error = 0;
    GifFile f;
    f.gif = DGifOpen(&input, ReadInput, &error);
    if (f.gif == nullptr || !BitmapFits(f.gif->SWidth, f.gif->SHeight, maxBytes))
        return std::nullopt;
    DecodedBitmap bitmap;
    bitmap.width = f.gif->SWidth;
    bitmap.height = f.gif->SHeight;
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height * 4, 0);
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(f.gif, &type) != GIF_OK) return std::nullopt;
        if (type == TERMINATE_RECORD_TYPE) return std::nullopt;  // no image at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(f.gif, &code, &block) != GIF_OK) return std::nullopt;
            if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(block);
            while (block != nullptr)
                if (DGifGetExtensionNext(f.gif, &block) != GIF_OK) return std::nullopt;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return std::nullopt;
        if (DGifGetImageDesc(f.gif) != GIF_OK || !ReadImage(f.gif, transparent, bitmap))
            return std::nullopt;
        Premultiply(bitmap);
        return bitmap;
    }
}

}  // namespace saver::swf
