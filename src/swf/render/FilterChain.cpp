// The shadow kinds share one shape: blur the object's alpha, read it back shifted by the
// offset, turn it into a colour (the filter's, or the gradient's at that level) and combine
// that with the object by the inner / knockout / composite-source rules. The bevel kinds read
// the blurred alpha twice, once towards the light and once away from it; their difference
// says which side of an edge a pixel lies on.
#include "swf/render/FilterChain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "swf/render/ColorFilterSpans.h"
#include "swf/render/FilterSpans.h"
#include "swf/render/SpanBlend.h"

namespace saver::swf {

namespace {

constexpr int kMaxPasses = 15;
constexpr int kMaxKernel = 15;  // the largest convolution Flash accepts, per side

using Pixel = std::array<int, 4>;  // B, G, R, A, premultiplied 0..255

inline int M(int x, int y) {
    return static_cast<int>(MulDiv255(static_cast<unsigned>(x), static_cast<unsigned>(y)));
}

// B, G, R, A bytes in one word (each channel 0..255).
std::uint32_t Packed(const Pixel& c) {
    return static_cast<std::uint32_t>(c[0]) | static_cast<std::uint32_t>(c[1]) << 8 |
           static_cast<std::uint32_t>(c[2]) << 16 | static_cast<std::uint32_t>(c[3]) << 24;
}

// The colour premultiplied, its alpha scaled by `level` / 255.
Pixel Premultiplied(Rgba c, int level = 255) {
    const int a = M(c.a, level);
    return {M(c.b, a), M(c.g, a), M(c.r, a), a};
}

// 256 premultiplied colours along a filter's gradient (stops by ratio, linear in between).
std::array<Pixel, 256> GradientTable(const std::vector<FilterGradientStop>& stops) {
    std::array<Pixel, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const FilterGradientStop* lo = &stops.front();
        const FilterGradientStop* hi = &stops.back();
        for (const auto& stop : stops) {
            if (stop.ratio <= i) lo = &stop;
            if (stop.ratio >= i) {
                hi = &stop;
                break;
            }
        }
        const int span = hi->ratio - lo->ratio;
        const int t = span > 0 ? std::clamp((i - lo->ratio) * 256 / span, 0, 256) : 0;
        auto mix = [t](std::uint8_t x, std::uint8_t y) {
            return static_cast<std::uint8_t>(x + ((y - x) * t + 128) / 256);
        };
        table[i] = Premultiplied({mix(lo->color.r, hi->color.r), mix(lo->color.g, hi->color.g),
                                  mix(lo->color.b, hi->color.b), mix(lo->color.a, hi->color.a)});
    }
    return table;
}

double ScaleBlur(double blur, double scale) {
    return blur > 1 ? (blur - 1) * scale + 1 : blur;
}

bool IsBevelKind(FilterKind k) {
    return k == FilterKind::Bevel || k == FilterKind::GradientBevel;
}

}  // namespace

Filter ScaledFilter(const Filter& f, double scaleX, double scaleY) {
    Filter s = f;
    s.blurX = ScaleBlur(f.blurX, scaleX);
    s.blurY = ScaleBlur(f.blurY, scaleY);
    s.distance = f.distance * scaleY;
    s.passes = std::clamp(f.passes, 0, kMaxPasses);
    return s;
}

FilterMargins FilterChain::growth(const std::vector<Filter>& filters, double scaleX,
                                  double scaleY) {
    double left = 0, top = 0, right = 0, bottom = 0;
    for (const Filter& raw : filters) {
        if (raw.kind == FilterKind::ColorMatrix || raw.kind == FilterKind::Convolution) continue;
        const Filter f = ScaledFilter(raw, scaleX, scaleY);
        const double x = BoxBlur::reach(f.blurX, f.passes);
        const double y = BoxBlur::reach(f.blurY, f.passes);
        left += x;
        right += x;
        top += y;
        bottom += y;
        if (f.kind == FilterKind::Blur || f.kind == FilterKind::Glow) continue;
        const double dx = std::cos(f.angle) * f.distance, dy = std::sin(f.angle) * f.distance;
        const bool both = IsBevelKind(f.kind);
        left += dx < 0 || both ? std::fabs(dx) : 0;
        right += dx > 0 || both ? std::fabs(dx) : 0;
        top += dy < 0 || both ? std::fabs(dy) : 0;
        bottom += dy > 0 || both ? std::fabs(dy) : 0;
    }
    auto px = [](double v) { return static_cast<int>(std::ceil(std::min(v, 4096.0))); };
    return {px(left), px(top), px(right), px(bottom)};
}

void FilterChain::apply(const std::vector<Filter>& filters, double scaleX, double scaleY,
                        BgraImage& image) {
    for (const Filter& raw : filters) {
        const Filter f = ScaledFilter(raw, scaleX, scaleY);
        switch (f.kind) {
            case FilterKind::Blur:
                blurAll(f, image);
                break;
            case FilterKind::DropShadow:
            case FilterKind::Glow:
            case FilterKind::GradientGlow:
                shadow(f, image);
                break;
            case FilterKind::Bevel:
            case FilterKind::GradientBevel:
                bevel(f, image);
                break;
            case FilterKind::ColorMatrix:
                colorMatrix(f, image);
                break;
            case FilterKind::Convolution:
                convolution(f, image);
                break;
        }
    }
}

void FilterChain::blurAll(const Filter& f, BgraImage& image) {
    blur_.blur(image.pixels.data(), image.width, image.height, 4, f.blurX, f.blurY, f.passes);
}

namespace {

// The alpha bytes of `n` pixels.
void ExtractAlpha(const std::uint8_t* pixels, std::uint8_t* __restrict alpha, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        auto four = [&](std::size_t k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + k * 4));
            return _mm_srli_epi32(v, 24);
        };
        const __m128i lo = _mm_packs_epi32(four(i), four(i + 4));
        const __m128i hi = _mm_packs_epi32(four(i + 8), four(i + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(alpha + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) alpha[i] = pixels[i * 4 + 3];
}

}  // namespace

// The object's alpha, blurred, with `marginX` / `marginY` clear pixels on each side (padded_),
// so that the offset reads of the shadow and the bevel need no tests at the edges. The alpha
// goes straight between the margins and is blurred there.
void FilterChain::blurredAlpha(const Filter& f, const BgraImage& image, int marginX, int marginY) {
    const int w = image.width, h = image.height;
    marginX_ = marginX;
    marginY_ = marginY;
    paddedWidth_ = w + 2 * marginX;
    padded_.resize(static_cast<std::size_t>(paddedWidth_) * (h + 2 * marginY));
    // Every byte written once: the margins cleared, the alpha extracted between them.
    const auto width = static_cast<std::size_t>(paddedWidth_);
    std::memset(padded_.data(), 0, width * marginY);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = paddedAt(0, y);
        std::memset(row - marginX, 0, static_cast<std::size_t>(marginX));
        ExtractAlpha(image.pixels.data() + static_cast<std::size_t>(y) * w * 4, row,
                     static_cast<std::size_t>(w));
        std::memset(row + w, 0, static_cast<std::size_t>(marginX));
    }
    std::memset(paddedAt(-marginX, h), 0, width * marginY);
    blur_.blur(paddedAt(0, 0), w, h, 1, f.blurX, f.blurY, f.passes, width);
}

void FilterChain::shadow(const Filter& f, BgraImage& image) {
    if (f.kind == FilterKind::GradientGlow && f.gradient.empty()) return;
    const int w = image.width, h = image.height;
    const bool offset = f.kind == FilterKind::DropShadow;
    // Beyond the image the blurred alpha is clear: an offset beyond it reads only clear.
    const int dx = offset ? static_cast<int>(std::clamp(std::lround(std::cos(f.angle) * f.distance),
                                                        -long(w), long(w)))
                          : 0;
    const int dy = offset ? static_cast<int>(std::clamp(std::lround(std::sin(f.angle) * f.distance),
                                                        -long(h), long(h)))
                          : 0;
    // The colour for each blurred alpha value, strength and inner side applied.
    std::array<std::uint32_t, 256> colors{};
    const std::array<Pixel, 256> gradient =
        f.kind == FilterKind::GradientGlow ? GradientTable(f.gradient) : std::array<Pixel, 256>{};
    for (int b = 0; b < 256; ++b) {
        const int v =
            std::clamp(static_cast<int>(std::lround((f.inner ? 255 - b : b) * f.strength)), 0, 255);
        colors[b] =
            Packed(f.kind == FilterKind::GradientGlow ? gradient[v] : Premultiplied(f.color, v));
    }
    blurredAlpha(f, image, std::abs(dx), std::abs(dy));
    const ShadowRule rule{f.inner, f.knockout, f.compositeSource};
    for (int y = 0; y < h; ++y)
        ShadowSpan(rule, colors.data(), paddedAt(-dx, y - dy),
                   image.pixels.data() + static_cast<std::size_t>(y) * w * 4,
                   static_cast<std::size_t>(w));
}

void FilterChain::bevel(const Filter& f, BgraImage& image) {
    if (f.kind == FilterKind::GradientBevel && f.gradient.empty()) return;
    const int w = image.width, h = image.height;
    const int dx = static_cast<int>(
        std::clamp(std::lround(std::cos(f.angle) * f.distance), -long(w), long(w)));
    const int dy = static_cast<int>(
        std::clamp(std::lround(std::sin(f.angle) * f.distance), -long(h), long(h)));
    // The light for each difference of the two offset blurs (-255..255), strength applied:
    // highlight towards the light, shadow away from it, or the gradient's colour at that level.
    std::array<std::uint32_t, 511> lights{};
    const std::array<Pixel, 256> gradient =
        f.kind == FilterKind::GradientBevel ? GradientTable(f.gradient) : std::array<Pixel, 256>{};
    for (int d = -255; d <= 255; ++d) {
        const int v = std::clamp(static_cast<int>(std::lround(d * f.strength)), -255, 255);
        Pixel g;
        if (f.kind == FilterKind::GradientBevel) {
            g = gradient[(v + 255) * 255 / 510];
        } else {
            const Pixel hi = Premultiplied(f.highlight, std::max(v, 0));
            const Pixel lo = Premultiplied(f.color, std::max(-v, 0));
            for (int k = 0; k < 4; ++k) g[k] = std::min(255, hi[k] + lo[k]);
        }
        lights[static_cast<std::size_t>(d + 255)] = Packed(g);
    }
    blurredAlpha(f, image, std::abs(dx), std::abs(dy));
    const BevelRule rule{f.onTop, f.inner, f.knockout};
    for (int y = 0; y < h; ++y)
        BevelSpan(rule, lights.data(), paddedAt(dx, y + dy), paddedAt(-dx, y - dy),
                  image.pixels.data() + static_cast<std::size_t>(y) * w * 4,
                  static_cast<std::size_t>(w));
}

void FilterChain::colorMatrix(const Filter& f, BgraImage& image) {
    ColorMatrixSpan(f.colorMatrix, image.pixels.data(),
                    static_cast<std::size_t>(image.width) * image.height);
}

namespace {

// The rows of the convolution's source: each image row unpremultiplied into floats and padded
// by the kernel on both sides with the edge pixels (clamp) or the filter's colour, rows above
// and below the image the same way, so the sums need no tests.
struct ConvolutionSource {
    const Filter& f;
    const BgraImage& image;
    int left, top, pw;
    std::array<float, 256> unpremultiply{};  // the factor for each alpha, as divided per pixel
    std::array<float, 4> outside{};

    ConvolutionSource(const Filter& filter, const BgraImage& img)
        : f(filter),
          image(img),
          left(filter.matrixX / 2),
          top(filter.matrixY / 2),
          pw(img.width + filter.matrixX),
          outside{float(filter.color.b), float(filter.color.g), float(filter.color.r),
                  float(filter.color.a)} {
        for (int a = 1; a < 256; ++a) unpremultiply[a] = 255.0f / static_cast<float>(a);
    }

    // Padded row `y` (image row y - top) into `out`, pw pixels of four floats.
    void row(int y, float* out) const {
        const int w = image.width, h = image.height, sy = y - top;
        if (!f.clamp && (sy < 0 || sy >= h)) {
            for (int x = 0; x < pw; ++x) std::copy(outside.begin(), outside.end(), out + x * 4);
            return;
        }
        const std::uint8_t* pixels =
            image.pixels.data() + static_cast<std::size_t>(std::clamp(sy, 0, h - 1)) * w * 4;
        // The padding on each side: the edge pixel repeated, or the filter's colour.
        auto pad = [&](int from, int to, const std::uint8_t* edge) {
            float edgeLevels[4];
            if (f.clamp) unpremultiplied(edge, edgeLevels);
            const float* levels = f.clamp ? edgeLevels : outside.data();
            for (int x = from; x < to; ++x) std::copy(levels, levels + 4, out + x * 4);
        };
        pad(0, left, pixels);
        for (int x = 0; x < w; ++x) unpremultiplied(pixels + x * 4, out + (left + x) * 4);
        pad(left + w, pw, pixels + (w - 1) * 4);
    }

    void unpremultiplied(const std::uint8_t* px, float* out) const {
        const float k = unpremultiply[px[3]];
#if defined(__SSE2__)
        // The same products as below, four lanes at once (the alpha lane times one).
        std::int32_t word;
        std::memcpy(&word, px, 4);
        const __m128i zero = _mm_setzero_si128();
        const __m128i levels =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
        _mm_storeu_ps(out, _mm_mul_ps(_mm_cvtepi32_ps(levels), _mm_set_ps(1.0f, k, k, k)));
#else
        out[0] = px[0] * k;
        out[1] = px[1] * k;
        out[2] = px[2] * k;
        out[3] = px[3];
#endif
    }
};

}  // namespace

// Row y of the result needs padded rows y .. y + ky - 1, which read image rows from y - top
// on: each is made just before the first row that needs it, before that row is overwritten.
// They live in a ring of ky rows kept twice over (slots r and r + ky), so the ky rows of any
// step lie one after another, as ConvolveSpan reads them; a padded copy of the whole image
// (many megabytes of floats at full-HD scale) went to memory and back.
void FilterChain::convolution(const Filter& f, BgraImage& image) {
    if (f.kernel.empty() || f.matrixX > kMaxKernel || f.matrixY > kMaxKernel || f.divisor == 0 ||
        !std::isfinite(f.divisor))
        return;
    const int w = image.width, h = image.height, kx = f.matrixX, ky = f.matrixY;
    const ConvolutionSource source(f, image);
    const std::size_t rowFloats = static_cast<std::size_t>(source.pw) * 4;
    unpremultiplied_.resize(rowFloats * 2 * ky);
    auto slot = [&](int r) {
        return unpremultiplied_.data() + static_cast<std::size_t>(r) * rowFloats;
    };
    auto make = [&](int y) {
        source.row(y, slot(y % ky));
        std::memcpy(slot(y % ky + ky), slot(y % ky), rowFloats * sizeof(float));
    };
    for (int y = 0; y + 1 < ky; ++y) make(y);
    const float scale = 1.0f / f.divisor;
    sums_.resize(static_cast<std::size_t>(w) * 4);
    for (int y = 0; y < h; ++y) {
        make(y + ky - 1);
        ConvolveSpan(slot(y % ky), rowFloats, f.kernel.data(), kx, ky, sums_.data(),
                     static_cast<std::size_t>(w));
        std::uint8_t* pixels = image.pixels.data() + static_cast<std::size_t>(y) * w * 4;
        ConvolvedPixels(sums_.data(), scale, f.bias, f.preserveAlpha, pixels,
                        static_cast<std::size_t>(w));
    }
}

}  // namespace saver::swf
