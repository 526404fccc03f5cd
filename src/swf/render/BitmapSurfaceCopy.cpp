// BitmapSurface's operations between two surfaces. The rectangle is cut to the source, moved
// to the destination point and cut to the destination, so both ends stay inside. A surface
// that is its own source is read from a copy of the rows involved, so an overlapping move
// reads the picture as it was before the call.
#include <algorithm>
#include <cstring>
#include <vector>

#include "swf/render/BitmapSurface.h"
#include "swf/render/FilterChain.h"

namespace saver::swf {

namespace {

struct CopyArea {
    int sx = 0, sy = 0, dx = 0, dy = 0, width = 0, height = 0;
};

// The part of `rect` of a `sw` x `sh` source that lands inside a `dw` x `dh` destination
// when its corner goes to (dx, dy); false when nothing does.
bool Intersect(int sw, int sh, int dw, int dh, const PixelRect& rect, long long dx, long long dy,
               CopyArea& out) {
    long long x0 = std::max(rect.x, 0LL), y0 = std::max(rect.y, 0LL);
    long long x1 = std::min(rect.x + rect.width, static_cast<long long>(sw));
    long long y1 = std::min(rect.y + rect.height, static_cast<long long>(sh));
    const long long ox = dx - rect.x, oy = dy - rect.y;  // source to destination
    x0 = std::max(x0, -ox), y0 = std::max(y0, -oy);
    x1 = std::min(x1, dw - ox), y1 = std::min(y1, dh - oy);
    if (x1 <= x0 || y1 <= y0) return false;
    out = {static_cast<int>(x0),      static_cast<int>(y0),      static_cast<int>(x0 + ox),
           static_cast<int>(y0 + oy), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
    return true;
}

std::uint32_t Ch(std::uint32_t v, int shift) {
    return v >> shift & 0xFF;
}

// `src` over `dst`, both premultiplied, each channel of dst scaled down by the source's
// transparency (rounded down, as the player does).
std::uint32_t Over(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t keep = 255 - Ch(src, 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= std::min<std::uint32_t>(255, Ch(src, shift) + Ch(dst, shift) * keep / 255) << shift;
    return out;
}

// The source pixels of `area` as they are now (a snapshot when source and destination are
// one surface), read through `at`.
class SourceRows {
  public:
    SourceRows(const BitmapSurface& source, const BitmapSurface& dest, const CopyArea& area)
        : source_(source), area_(area) {
        if (&source != &dest) return;
        copy_.resize(static_cast<std::size_t>(area.width) * area.height);
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                copy_[static_cast<std::size_t>(y) * area.width + x] =
                    source.raw(area.sx + x, area.sy + y);
    }
    std::uint32_t at(int x, int y) const {
        return copy_.empty() ? source_.raw(area_.sx + x, area_.sy + y)
                             : copy_[static_cast<std::size_t>(y) * area_.width + x];
    }

  private:
    const BitmapSurface& source_;
    CopyArea area_;
    std::vector<std::uint32_t> copy_;
};

}  // namespace

void BitmapSurface::copyPixels(const BitmapSurface& source, const PixelRect& rect, long long dx,
                               long long dy, bool mergeAlpha) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return;
    const bool blend = source.transparent_ && (mergeAlpha || !transparent_);
    if (!blend && &source == this && a.sx == a.dx && a.sy == a.dy) return;
    const SourceRows rows(source, *this, a);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            std::uint32_t v = rows.at(x, y);
            if (blend) v = Over(raw(a.dx + x, a.dy + y), v);
            if (!transparent_) v |= 0xFF000000u;
            setRaw(a.dx + x, a.dy + y, v);
        }
}

// Pixel by pixel: the source colour unmultiplied (rounded to nearest), given the alpha the
// alpha bitmap makes, premultiplied again. Pixels whose source or alpha lies outside its
// bitmap are left alone.
void BitmapSurface::copyPixels(const BitmapSurface& source, const PixelRect& rect, long long dx,
                               long long dy, const BitmapSurface& alpha, long long ax, long long ay,
                               bool mergeAlpha) {
    if (disposed() || source.disposed() || alpha.disposed()) return;
    if (&source == &alpha && ax == rect.x && ay == rect.y) {
        copyPixels(source, rect, dx, dy, mergeAlpha);
        return;
    }
    CopyArea a;
    if (!Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a)) return;
    const SourceRows rows(source, *this, a);
    const SourceRows alphaRows(alpha, *this, {0, 0, 0, 0, alpha.width_, alpha.height_});
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const long long px = a.sx + x - rect.x + ax, py = a.sy + y - rect.y + ay;
            std::uint32_t finalAlpha = 255;
            const std::uint32_t s = rows.at(x, y);
            if (alpha.transparent_) {
                if (px < 0 || py < 0 || px >= alpha.width_ || py >= alpha.height_) continue;
                finalAlpha = Ch(alphaRows.at(static_cast<int>(px), static_cast<int>(py)), 24);
                if (source.transparent_) finalAlpha = finalAlpha * Ch(s, 24) >> 8;
            } else if (source.transparent_) {
                finalAlpha = Ch(s, 24);
            }
            const std::uint32_t sa = Ch(s, 24);
            std::uint32_t straight = finalAlpha << 24;
            for (int shift = 0; shift < 24; shift += 8)
                if (sa != 0)
                    straight |= std::min<std::uint32_t>(255, (Ch(s, shift) * 255 + sa / 2) / sa)
                                << shift;
            std::uint32_t v = Premultiply(straight, true);
            if (mergeAlpha || !transparent_) v = Over(raw(a.dx + x, a.dy + y), v);
            setRaw(a.dx + x, a.dy + y, v);
        }
}

void BitmapSurface::applyFilter(const BitmapSurface& source, const PixelRect& rect, long long dx,
                                long long dy, const Filter& filter) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return;
    BgraImage work;
    work.resize(a.width, a.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t v = source.raw(a.sx + x, a.sy + y);
            std::memcpy(&work.pixels[(static_cast<std::size_t>(y) * a.width + x) * 4], &v, 4);
        }
    FilterChain chain;
    chain.apply({filter}, 1, 1, work);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, &work.pixels[(static_cast<std::size_t>(y) * a.width + x) * 4], 4);
            setRaw(a.dx + x, a.dy + y, transparent_ ? v : v | 0xFF000000u);
        }
}

void BitmapSurface::paletteMap(const BitmapSurface& source, const PixelRect& rect, long long dx,
                               long long dy, const std::uint32_t (&tables)[4][256]) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return;
    const SourceRows rows(source, *this, a);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t v = Unmultiply(rows.at(x, y));
            const std::uint32_t out = tables[0][Ch(v, 16)] + tables[1][Ch(v, 8)] +
                                      tables[2][Ch(v, 0)] + tables[3][Ch(v, 24)];
            // Stored with its alpha even on an opaque surface, as the player does.
            setRaw(a.dx + x, a.dy + y, Premultiply(out, true));
        }
}

void BitmapSurface::copyChannel(const BitmapSurface& source, const PixelRect& rect, long long dx,
                                long long dy, unsigned sourceChannel, unsigned destChannel) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return;
    auto shiftOf = [](unsigned channel) {
        return channel == kRedChannel     ? 16
               : channel == kGreenChannel ? 8
               : channel == kBlueChannel  ? 0
               : channel == kAlphaChannel ? 24
                                          : -1;
    };
    const int from = shiftOf(sourceChannel), to = shiftOf(destChannel);
    const SourceRows rows(source, *this, a);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t part = from < 0 ? 0 : Ch(Unmultiply(rows.at(x, y)), from);
            std::uint32_t v = Unmultiply(raw(a.dx + x, a.dy + y));
            if (to >= 0) v = (v & ~(0xFFu << to)) | part << to;
            setRaw(a.dx + x, a.dy + y, Premultiply(v, transparent_));
        }
}

int BitmapSurface::threshold(const BitmapSurface& source, const PixelRect& rect, long long dx,
                             long long dy, int op, std::uint32_t limit, std::uint32_t argb,
                             std::uint32_t mask, bool copySource) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return 0;
    const std::uint32_t masked = limit & mask;
    auto passes = [op, masked](std::uint32_t v) {
        switch (op) {
            case 0:
                return v < masked;
            case 1:
                return v <= masked;
            case 2:
                return v > masked;
            case 3:
                return v >= masked;
            case 4:
                return v == masked;
            default:
                return v != masked;
        }
    };
    // The colour is stored as given, alpha and all, even on an opaque surface.
    const std::uint32_t fill = Premultiply(argb, true);
    const SourceRows rows(source, *this, a);
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t v = rows.at(x, y);
            if (passes(v & mask)) {
                ++count;
                setRaw(a.dx + x, a.dy + y, fill);
            } else if (copySource) {
                setRaw(a.dx + x, a.dy + y, v);
            }
        }
    return count;
}

void BitmapSurface::merge(const BitmapSurface& source, const PixelRect& rect, long long dx,
                          long long dy, const int (&mul)[4]) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return;
    const int shifts[4] = {16, 8, 0, 24};
    const SourceRows rows(source, *this, a);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t s = Unmultiply(rows.at(x, y));
            const std::uint32_t d = Unmultiply(raw(a.dx + x, a.dy + y));
            std::uint32_t v = 0;
            for (int i = 0; i < 4; ++i) {
                const auto m = static_cast<std::uint32_t>(std::clamp(mul[i], 0, 256));
                v |= (Ch(s, shifts[i]) * m + Ch(d, shifts[i]) * (256 - m)) / 256 << shifts[i];
            }
            setRaw(a.dx + x, a.dy + y, Premultiply(v, transparent_));
        }
}

namespace {

// A bijection of the numbers below 2^bits (odd multiplications and xor-shifts each are one),
// which scatters consecutive positions over the area.
std::uint32_t Scramble(std::uint32_t v, int bits) {
    const std::uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    for (int round = 0; round < 2; ++round) {
        v = (v * 0x2C1B3C6Du + 0x297A2D39u) & mask;
        v ^= v >> (bits / 2 + 1);
    }
    return v;
}

}  // namespace

int BitmapSurface::pixelDissolve(const BitmapSurface& source, const PixelRect& rect, long long dx,
                                 long long dy, int seed, int count, std::uint32_t argb) {
    CopyArea a;
    if (disposed() || source.disposed() ||
        !Intersect(source.width_, source.height_, width_, height_, rect, dx, dy, a))
        return 0;
    const bool fill = &source == this;
    const std::uint32_t colour = Premultiply(argb, transparent_);
    auto put = [&](std::uint32_t index) {
        const int x = static_cast<int>(index % static_cast<std::uint32_t>(a.width));
        const int y = static_cast<int>(index / static_cast<std::uint32_t>(a.width));
        setRaw(a.dx + x, a.dy + y, fill ? colour : source.raw(a.sx + x, a.sy + y));
    };
    // The player always writes the area's first pixel; the scrambled order skips it.
    put(0);
    const auto area = static_cast<std::uint32_t>(a.width) * static_cast<std::uint32_t>(a.height);
    int bits = 1;
    while (bits < 32 && (1u << bits) < area) ++bits;
    const std::uint32_t period = bits >= 32 ? 0 : 1u << bits;  // 0: all 2^32
    std::uint32_t position = static_cast<std::uint32_t>(seed);
    if (period) position %= period;
    count = static_cast<int>(std::min<long long>(count, area - 1LL));
    for (int i = 0; i < count; ++i) {
        std::uint32_t index = 0;
        // Positions that fall outside the area (or on its first pixel) are passed over: at
        // most three quarters of the period, and the area always holds another pixel.
        do {
            position = period ? (position + 1) % period : position + 1;
            index = Scramble(position, bits);
        } while (index == 0 || index >= area);
        put(index);
    }
    return static_cast<int>(position);
}

// Moves the picture in place; what it uncovers keeps its old pixels.
void BitmapSurface::scroll(long long dx, long long dy) {
    if (disposed() || (dx == 0 && dy == 0) || dx <= -width_ || dx >= width_ || dy <= -height_ ||
        dy >= height_)
        return;
    copyPixels(*this, {0, 0, width_, height_}, dx, dy, false);
}

bool BitmapSurface::hitSurface(long long atX, long long atY, int alpha, const BitmapSurface& other,
                               long long otherX, long long otherY, int otherAlpha) const {
    CopyArea a;
    if (disposed() || other.disposed() ||
        !Intersect(other.width_, other.height_, width_, height_,
                   {0, 0, other.width_, other.height_}, otherX - atX, otherY - atY, a))
        return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (static_cast<int>(Ch(raw(a.dx + x, a.dy + y), 24)) >= alpha &&
                static_cast<int>(Ch(other.raw(a.sx + x, a.sy + y), 24)) >= otherAlpha)
                return true;
    return false;
}

std::optional<std::vector<std::uint32_t>> BitmapSurface::compare(const BitmapSurface& other) const {
    if (disposed() || other.disposed() || other.width_ != width_ || other.height_ != height_)
        return std::nullopt;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width_) * height_);
    bool different = false;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t p = Unmultiply(raw(x, y)), q = Unmultiply(other.raw(x, y));
            std::uint32_t v = 0;
            if ((p & 0xFFFFFF) != (q & 0xFFFFFF)) {
                // Colours differ: their differences (wrapping), opaque.
                v = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    v |= ((Ch(p, shift) - Ch(q, shift)) & 0xFF) << shift;
            } else if (p != q) {
                // Only alpha differs: its difference in every channel.
                const std::uint32_t d = (Ch(p, 24) - Ch(q, 24)) & 0xFF;
                v = d << 24 | d << 16 | d << 8 | d;
            }
            different = different || v != 0;
            out[static_cast<std::size_t>(y) * width_ + x] = v;
        }
    if (!different) return std::nullopt;
    return out;
}

}  // namespace saver::swf
