// BitmapSurface's operations on one surface: colour transform, flood fill, noise, Perlin noise, hit
// tests and colour bounds.
#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/render/BitmapSurface.h"
#include "swf/render/PerlinNoise.h"

namespace saver::swf {

namespace {

std::uint32_t Ch(std::uint32_t v, int shift) {
    return v >> shift & 0xFF;
}

// The player's generator: Park-Miller, x = x * 16807 mod (2^31 - 1).
class ParkMiller {
  public:
    explicit ParkMiller(std::uint32_t seed) : x_(seed) {}
    std::uint32_t next() {
        x_ = static_cast<std::uint32_t>(static_cast<std::uint64_t>(x_) * 16807 % 2147483647);
        return x_;
    }
    // A value from low to high, both included.
    std::uint32_t between(std::uint32_t low, std::uint32_t high) {
        return low + next() % (high - low + 1);
    }

  private:
    std::uint32_t x_;
};

// A multiplier in 8.8 fixed point, as the player keeps it (cut towards zero).
int Fixed8(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v * 256, -32768.0, 32767.0));
}

int Offset(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -32768.0, 32767.0));
}

// A noise sum as a channel level, rounded as the player rounds it: a fractal sum (-1..1)
// adds its half before halving; levels outside 0..255 stop there.
std::uint32_t NoiseLevel(double v, bool fractal) {
    const double level = fractal ? (v * 255.0 + 255.0 + 0.5) / 2.0 : v * 255.0 + 0.5;
    if (!(level > 0)) return 0;
    return level >= 255 ? 255u : static_cast<std::uint32_t>(level);
}

}  // namespace

void BitmapSurface::perlinNoise(const PerlinOptions& options) {
    if (disposed()) return;
    const PerlinNoise lattice(options.seed);
    PerlinNoise::Params params;
    params.baseFreqX = options.baseX == 0 ? 0.0 : 1.0 / options.baseX;
    params.baseFreqY = options.baseY == 0 ? 0.0 : 1.0 / options.baseY;
    params.fractalSum = options.fractal;
    params.stitch = options.stitch;
    params.tileWidth = width_;
    params.tileHeight = height_;
    params.offsets = options.offsets;
    params.offsets.resize(
        static_cast<std::size_t>(std::clamp(options.octaves, 0, kMaxNoiseOctaves)));
    const PerlinNoise::Octaves octaves = lattice.prepare(params);
    const bool alpha = (options.channels & kAlphaChannel) != 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            // Red, green, blue, alpha; a channel left out is -1 (0 after rounding), alpha 1.
            double level[4] = {-1.0, -1.0, -1.0, 1.0};
            if (options.gray) {
                level[0] = level[1] = level[2] = lattice.turbulence(0, x, y, octaves);
                if (alpha) level[3] = lattice.turbulence(1, x, y, octaves);
            } else {
                // The gradient tables go to the chosen channels in turn, not one per channel.
                int table = 0;
                for (int c = 0; c < 4; ++c)
                    if (options.channels & (1u << c))
                        level[c] = lattice.turbulence(table++, x, y, octaves);
            }
            const std::uint32_t a = transparent_ ? NoiseLevel(level[3], options.fractal) : 255;
            const std::uint32_t argb = a << 24 | NoiseLevel(level[0], options.fractal) << 16 |
                                       NoiseLevel(level[1], options.fractal) << 8 |
                                       NoiseLevel(level[2], options.fractal);
            // Stored as they are, not multiplied by alpha: the player does so, and a
            // translucent noise pixel then brightens what lies below it.
            setRaw(x, y, argb);
        }
}

void BitmapSurface::colorTransform(const PixelRect& rect, const ColorTransform& cx) {
    if (disposed()) return;
    const int mul[4] = {Fixed8(cx.mulB), Fixed8(cx.mulG), Fixed8(cx.mulR), Fixed8(cx.mulA)};
    const int add[4] = {Offset(cx.addB), Offset(cx.addG), Offset(cx.addR), Offset(cx.addA)};
    // The player skips a transform that changes nothing but raises alpha.
    if (mul[0] == 256 && mul[1] == 256 && mul[2] == 256 && mul[3] >= 256 && add[0] == 0 &&
        add[1] == 0 && add[2] == 0 && add[3] == 0)
        return;
    // A right edge left of the surface counts as its full width (the player reads it as an
    // unsigned number).
    const long long right = rect.x + rect.width, bottom = rect.y + rect.height;
    const long long x0 = std::clamp(rect.x, 0LL, static_cast<long long>(width_));
    const long long y0 = std::clamp(rect.y, 0LL, static_cast<long long>(height_));
    const long long x1 = right < 0 ? width_ : std::min(right, static_cast<long long>(width_));
    const long long y1 = bottom < 0 ? height_ : std::min(bottom, static_cast<long long>(height_));
    for (long long y = y0; y < y1; ++y)
        for (long long x = x0; x < x1; ++x) {
            const int ix = static_cast<int>(x), iy = static_cast<int>(y);
            std::uint32_t v = Unmultiply(raw(ix, iy));
            if (Ch(v, 24) != 0) {  // a clear pixel stays clear
                std::uint32_t out = 0;
                for (int i = 0; i < 4; ++i) {
                    const int c = static_cast<int>(Ch(v, i * 8)) * mul[i] / 256 + add[i];
                    out |= static_cast<std::uint32_t>(std::clamp(c, 0, 255)) << (i * 8);
                }
                v = out;
            }
            setRaw(ix, iy, Premultiply(v, transparent_));
        }
}

// Each pixel is set when it is pushed, so it is pushed at most once and the stack never
// holds more entries than the surface has pixels.
bool BitmapSurface::floodFill(long long x, long long y, std::uint32_t argb) {
    if (disposed() || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const std::uint32_t fill = Premultiply(argb, transparent_);
    const std::uint32_t old = raw(static_cast<int>(x), static_cast<int>(y));
    if (old == fill) return false;
    std::vector<std::uint32_t> stack;
    auto visit = [&](int px, int py) {
        if (px < 0 || py < 0 || px >= width_ || py >= height_ || raw(px, py) != old) return;
        setRaw(px, py, fill);
        stack.push_back(static_cast<std::uint32_t>(py) * static_cast<std::uint32_t>(width_) +
                        static_cast<std::uint32_t>(px));
    };
    visit(static_cast<int>(x), static_cast<int>(y));
    while (!stack.empty()) {
        const std::uint32_t at = stack.back();
        stack.pop_back();
        const int px = static_cast<int>(at % static_cast<std::uint32_t>(width_));
        const int py = static_cast<int>(at / static_cast<std::uint32_t>(width_));
        visit(px - 1, py);
        visit(px, py - 1);
        visit(px + 1, py);
        visit(px, py + 1);
    }
    return true;
}

void BitmapSurface::noise(int seed, int low, int high, unsigned channels, bool gray) {
    if (disposed()) return;
    const auto lo = static_cast<std::uint32_t>(std::clamp(low, 0, 255));
    const auto hi = std::max(lo, static_cast<std::uint32_t>(std::clamp(high, 0, 255)));
    ParkMiller random(seed <= 0 ? static_cast<std::uint32_t>(1 - static_cast<long long>(seed))
                                : static_cast<std::uint32_t>(seed));
    const bool alpha = transparent_ && (channels & kAlphaChannel) != 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            std::uint32_t r = 0, g = 0, b = 0, a = 255;
            if (gray) {
                r = g = b = random.between(lo, hi);
            } else {
                if (channels & kRedChannel) r = random.between(lo, hi);
                if (channels & kGreenChannel) g = random.between(lo, hi);
                if (channels & kBlueChannel) b = random.between(lo, hi);
            }
            if (alpha) a = random.between(lo, hi);
            setRaw(x, y, Premultiply(a << 24 | r << 16 | g << 8 | b, transparent_));
        }
}

bool BitmapSurface::hitPoint(long long x, long long y, int alpha) const {
    if (disposed() || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return static_cast<int>(Ch(raw(static_cast<int>(x), static_cast<int>(y)), 24)) >=
           std::max(alpha, 1);
}

bool BitmapSurface::hitRect(const PixelRect& rect, int alpha) const {
    if (disposed()) return false;
    long long x0, y0, x1, y1;
    cut(rect, x0, y0, x1, y1);
    for (long long y = y0; y < y1; ++y)
        for (long long x = x0; x < x1; ++x)
            if (static_cast<int>(Ch(raw(static_cast<int>(x), static_cast<int>(y)), 24)) >= alpha)
                return true;
    return false;
}

PixelRect BitmapSurface::colorBounds(std::uint32_t mask, std::uint32_t argb, bool find) const {
    if (disposed()) return {};
    // Compared premultiplied; an opaque surface's alpha always matches.
    if (!transparent_) mask |= 0xFF000000u;
    const std::uint32_t color = Premultiply(argb, transparent_);
    int x0 = width_, y0 = height_, x1 = -1, y1 = -1;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (((raw(x, y) & mask) == color) == find) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    // The player reports a match of the top left pixel alone as none.
    if (x1 <= 0 && y1 <= 0) return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

}  // namespace saver::swf
