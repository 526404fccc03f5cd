// BitmapSurface: a picture scripts make and change pixel by pixel (the BitmapData of the
// scripts, without their script objects). Its pixels are a DecodedBitmap, premultiplied as
// every paint reads them, so a fill or an attached bitmap shows the surface as it is at the
// next frame; the script-side colours are 0xAARRGGBB numbers, unmultiplied, converted as the
// player converts them (a colour stored with an alpha below 255 may read back a level off).
//
// An opaque surface ignores alpha: every pixel stays at 255. Rectangles are cut to the
// surface (and, for the copying operations, to the source), so any numbers a script passes
// are safe; an empty rectangle changes nothing.
//
// Memory: a surface is made by BitmapLibrary::makeSurface, which charges its pixels to the
// movie's bitmap budget; dispose() (or the end of the surface) gives them back. A disposed
// surface has no pixels: pixels() is null and every operation does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "swf/format/Filter.h"
#include "swf/format/SwfTypes.h"
#include "swf/render/DecodedBitmap.h"

namespace saver::swf {

// A rectangle of whole pixels. For filling and hit tests a negative width or height reaches
// back from x or y; the copying operations take it as empty.
struct PixelRect {
    long long x = 0, y = 0, width = 0, height = 0;
};

// Channel bits as scripts give them.
enum SurfaceChannel : unsigned {
    kRedChannel = 1,
    kGreenChannel = 2,
    kBlueChannel = 4,
    kAlphaChannel = 8
};

class BitmapSurface {
  public:
    // Made by BitmapLibrary (which charges the bytes); `release` runs once when the pixels go.
    BitmapSurface(int width, int height, bool transparent, std::uint32_t argb, std::uint32_t id,
                  std::function<void(std::size_t)> release);
    ~BitmapSurface();
    BitmapSurface(const BitmapSurface&) = delete;
    BitmapSurface& operator=(const BitmapSurface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool transparent() const { return transparent_; }
    bool disposed() const { return !image_; }
    // The bitmap id fills use to find this surface in its BitmapLibrary.
    std::uint32_t id() const { return id_; }
    std::shared_ptr<const DecodedBitmap> pixels() const { return image_; }
    // The pixels for a renderer to draw into (premultiplied; null when disposed).
    DecodedBitmap* mutablePixels() { return image_.get(); }
    void dispose();

    // Premultiplied stores (B, G, R, A) of script colours, and back.
    static std::uint32_t Premultiply(std::uint32_t argb, bool transparent);
    static std::uint32_t Unmultiply(std::uint32_t premultipliedArgb);

    // Pixels outside read 0 and are not written.
    std::uint32_t getPixel32(long long x, long long y) const;  // 0xAARRGGBB
    std::uint32_t getPixel(long long x, long long y) const;    // 0xRRGGBB
    void setPixel32(long long x, long long y, std::uint32_t argb);
    // Keeps the pixel's alpha.
    void setPixel(long long x, long long y, std::uint32_t rgb);
    void fillRect(const PixelRect& rect, std::uint32_t argb);
    // Copies this surface's pixels (same size) from `other`.
    void copyAll(const BitmapSurface& other);
    // Sets every pixel from a premultiplied picture of the same size.
    void load(const DecodedBitmap& picture);

    // The rectangle of `source` (may be this surface) at `dx`, `dy`. With `mergeAlpha`, or a
    // transparent source onto an opaque surface, the source is blended over what is there.
    void copyPixels(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                    bool mergeAlpha);
    // The same with each pixel's alpha taken from `alpha` at (`ax`, `ay`) onward (times the
    // source's own when the source is transparent); blended over what is there with
    // `mergeAlpha` or onto an opaque surface, else stored.
    void copyPixels(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                    const BitmapSurface& alpha, long long ax, long long ay, bool mergeAlpha);
    // The rectangle of `source` through `filter` at (`dx`, `dy`); the filtered picture keeps
    // the rectangle's size (what a blur spreads beyond it is cut off).
    void applyFilter(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                     const Filter& filter);
    // Each channel of the rectangle of `source` mapped through its table (entries are
    // 0xAARRGGBB contributions, summed), at (`dx`, `dy`).
    void paletteMap(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                    const std::uint32_t (&tables)[4][256]);
    void copyChannel(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                     unsigned sourceChannel, unsigned destChannel);
    // Each pixel's unmultiplied colour through `cx` (8.8 multipliers, whole offsets).
    void colorTransform(const PixelRect& rect, const ColorTransform& cx);
    // Fills the 4-connected area of the colour at (x, y); false when outside or the colour
    // is already that one.
    bool floodFill(long long x, long long y, std::uint32_t argb);
    // Random channels from the player's generator (Park-Miller) seeded with `seed`.
    void noise(int seed, int low, int high, unsigned channels, bool gray);
    // Pixels of `source` whose colour (masked) passes `op` against `threshold` become `argb`;
    // the others are copied from the source when `copySource`. Returns how many passed.
    // `op`: 0 <, 1 <=, 2 >, 3 >=, 4 ==, 5 !=.
    int threshold(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
                  int op, std::uint32_t threshold, std::uint32_t argb, std::uint32_t mask,
                  bool copySource);
    void scroll(long long dx, long long dy);
    // The whole surface filled with Perlin noise (see PerlinNoise) of `octaves` octaves (at
    // most kMaxNoiseOctaves), each sampled at the point plus its offset (missing offsets are
    // 0). `channels` picks the noisy channels (the others are 0, alpha 255); `gray` makes red,
    // green and blue one noise.
    struct PerlinOptions {
        double baseX = 0, baseY = 0;
        int octaves = 0;
        int seed = 0;
        bool stitch = false, fractal = false, gray = false;
        unsigned channels = 7;
        std::vector<std::pair<double, double>> offsets;
    };
    static constexpr int kMaxNoiseOctaves = 32;
    void perlinNoise(const PerlinOptions& options);
    // Dissolves the rectangle of `source` at (`dx`, `dy`) into this surface: the area's first
    // pixel, then `count` more in a fixed scrambled order that reaches every pixel of the area
    // once, starting after position `seed`. The pixels come from `source`, or are `argb` when
    // the source is this surface. Returns the position to pass as the next call's seed, so
    // that calls in turn go on dissolving; 0 when nothing of the area lands here.
    int pixelDissolve(const BitmapSurface& source, const PixelRect& rect, long long dx,
                      long long dy, int seed, int count, std::uint32_t argb);
    // Per pixel: (source * mul + this * (256 - mul)) / 256 per channel, unmultiplied.
    void merge(const BitmapSurface& source, const PixelRect& rect, long long dx, long long dy,
               const int (&mul)[4]);

    // Whether a pixel at (x, y) has alpha >= `alpha` (at least 1).
    bool hitPoint(long long x, long long y, int alpha) const;
    bool hitRect(const PixelRect& rect, int alpha) const;
    // This surface at `at` with alpha >= `alpha` overlaps `other` at `otherAt` with alpha >=
    // `otherAlpha`.
    bool hitSurface(long long atX, long long atY, int alpha, const BitmapSurface& other,
                    long long otherX, long long otherY, int otherAlpha) const;
    // The per-pixel difference from `other` (same size) as an unmultiplied ARGB picture;
    // nullopt when the pictures are equal.
    std::optional<std::vector<std::uint32_t>> compare(const BitmapSurface& other) const;
    // The smallest rectangle holding the pixels whose premultiplied colour masked is (or with
    // `find` false, is not) `argb`.
    PixelRect colorBounds(std::uint32_t mask, std::uint32_t argb, bool find) const;

    // Raw premultiplied pixels as 0xAARRGGBB.
    std::uint32_t raw(int x, int y) const;
    void setRaw(int x, int y, std::uint32_t premultiplied);

  private:
    // The rectangle cut to the surface (empty when x1 <= x0 or y1 <= y0).
    void cut(const PixelRect& rect, long long& x0, long long& y0, long long& x1,
             long long& y1) const;

    int width_, height_;
    bool transparent_;
    std::uint32_t id_;
    std::shared_ptr<DecodedBitmap> image_;
    std::function<void(std::size_t)> release_;
};

}  // namespace saver::swf
