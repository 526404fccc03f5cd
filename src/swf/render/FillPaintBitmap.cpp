// FillPaint's bitmap fills: the style's bitmap is looked up (and decoded on first use) in the
// movie's BitmapLibrary and painted by a BitmapPaint. The smoothed and repeating variants are
// told apart by the fill type's two low bits.
#include "swf/render/BitmapLibrary.h"
#include "swf/render/BitmapPaint.h"
#include "swf/render/FillPaint.h"

namespace saver::swf {

FillPaint::FillPaint() = default;
FillPaint::~FillPaint() = default;
FillPaint::FillPaint(FillPaint&&) noexcept = default;
FillPaint& FillPaint::operator=(FillPaint&&) noexcept = default;

bool FillPaint::prepareBitmap(const FillStyle& style, const Matrix& toPixels,
                              const ColorTransform& cx, const BitmapSource& bitmaps) {
    if (bitmaps.library == nullptr) return false;
    std::shared_ptr<const DecodedBitmap> bitmap = bitmaps.library->find(style.bitmapId);
    if (!bitmap) return false;
    const auto type = static_cast<unsigned>(style.type);
    const bool repeat = (type & 0x01) == 0;
    const bool smooth = (type & 0x02) == 0 && bitmaps.smoothing;
    if (!bitmap_) bitmap_ = std::make_unique<BitmapPaint>();
    return bitmap_->prepare(std::move(bitmap), toPixels * style.matrix, repeat, smooth, cx);
}

void FillPaint::generateBitmap(std::uint32_t* out, int x, int y, unsigned len) const {
    bitmap_->generate(out, x, y, len);
}

void FillPaint::blendBitmap(std::uint8_t* row, int x, int y, unsigned len,
                            const std::uint8_t* covers) const {
    bitmap_->blend(row, x, y, len, covers);
}

}  // namespace saver::swf
