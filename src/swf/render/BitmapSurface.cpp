// Colours go in premultiplied with the usual rounding (c * a + 127) / 255. Coming out, the
// player does not divide: it multiplies by a 16.16 factor per alpha whose precision leaves
// some values a level off (a full 255 may read back as 254). The factors below give the
// player's value for every premultiplied colour that can occur (colour at most alpha).
#include "swf/render/BitmapSurface.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace saver::swf {

namespace {

constexpr std::array<std::uint32_t, 256> kUnmultiplyFactor = {
    0,       16711679, 8347647, 5570560, 4173823, 3342336, 2782549, 2389333, 2087594, 1856950,
    1669529, 1518933,  1391895, 1285688, 1193496, 1114112, 1044187, 983040,  928085,  879484,
    835102,  795802,   759373,  726518,  696079,  668474,  642577,  618774,  596748,  576251,
    556509,  538841,   522171,  506428,  491038,  477469,  464125,  451468,  439590,  428284,
    417686,  407525,   397832,  388599,  379676,  371367,  363238,  355281,  348104,  340978,
    334071,  327680,   321288,  315114,  309203,  303618,  298230,  293116,  287997,  283114,
    278389,  273916,   269289,  265197,  261103,  256997,  253183,  249332,  245633,  242169,
    238583,  235259,   231897,  228855,  225788,  222715,  219631,  216837,  214000,  211443,
    208865,  206084,   203762,  201205,  198905,  196608,  194311,  191993,  189708,  187653,
    185622,  183500,   181482,  179452,  177650,  175866,  174066,  171989,  170492,  168702,
    166900,  165370,   163679,  162052,  160514,  158977,  157437,  156154,  154616,  153084,
    151809,  150519,   148988,  147716,  146425,  145136,  143869,  142593,  141557,  140282,
    139228,  137971,   136962,  135677,  134653,  133626,  132605,  131580,  130555,  129531,
    128509,  127481,   126457,  125435,  124670,  123646,  122848,  121851,  121084,  120061,
    119291,  118267,   117502,  116727,  115967,  115197,  114427,  113659,  112894,  112126,
    111357,  110577,   109817,  109051,  108287,  107770,  107005,  106237,  105725,  104956,
    104440,  103677,   102907,  102387,  101883,  101119,  100605,  99836,   99324,   98814,
    98207,   97534,    97021,   96510,   95996,   95486,   94716,   94196,   93692,   93181,
    92669,   92154,    91645,   91132,   90622,   90089,   89598,   89342,   88830,   88318,
    87805,   87294,    87036,   86525,   86004,   85501,   85246,   84733,   84222,   83961,
    83452,   82940,    82686,   82174,   81879,   81406,   80892,   80638,   80127,   79866,
    79356,   79103,    78590,   78333,   78078,   77566,   77309,   76797,   76542,   76285,
    75770,   75518,    75262,   74749,   74494,   74238,   73709,   73470,   73214,   72959,
    72447,   72190,    71935,   71675,   71166,   70911,   70653,   70399,   70141,   69886,
    69623,   69117,    68862,   68605,   68350,   68094,   67839,   67579,   67326,   67070,
    66814,   66557,    66302,   66046,   65791,   65536,
};

std::uint32_t Channel(std::uint32_t argb, int shift) {
    return argb >> shift & 0xFF;
}

}  // namespace

BitmapSurface::BitmapSurface(int width, int height, bool transparent, std::uint32_t argb,
                             std::uint32_t id, std::function<void(std::size_t)> release)
    : width_(width),
      height_(height),
      transparent_(transparent),
      id_(id),
      release_(std::move(release)) {
    image_ = std::make_shared<DecodedBitmap>();
    image_->width = width;
    image_->height = height;
    image_->opaque = !transparent;
    image_->pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    fillRect({0, 0, width, height}, argb);
}

BitmapSurface::~BitmapSurface() {
    dispose();
}

void BitmapSurface::dispose() {
    if (!image_) return;
    const std::size_t bytes = image_->bytes();
    image_.reset();
    if (release_) release_(bytes);
}

std::uint32_t BitmapSurface::Premultiply(std::uint32_t argb, bool transparent) {
    const std::uint32_t a = transparent ? Channel(argb, 24) : 255;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | mul(Channel(argb, 16)) << 16 | mul(Channel(argb, 8)) << 8 |
           mul(Channel(argb, 0));
}

std::uint32_t BitmapSurface::Unmultiply(std::uint32_t premultiplied) {
    const std::uint32_t a = Channel(premultiplied, 24);
    const std::uint32_t f = kUnmultiplyFactor[a];
    auto un = [f](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * f + 0x8000) >> 16); };
    return a << 24 | un(Channel(premultiplied, 16)) << 16 | un(Channel(premultiplied, 8)) << 8 |
           un(Channel(premultiplied, 0));
}

std::uint32_t BitmapSurface::raw(int x, int y) const {
    std::uint32_t v;
    std::memcpy(&v, &image_->pixels[(static_cast<std::size_t>(y) * width_ + x) * 4], 4);
    return v;  // B, G, R, A bytes: 0xAARRGGBB on a little-endian machine
}

void BitmapSurface::setRaw(int x, int y, std::uint32_t premultiplied) {
    std::memcpy(&image_->pixels[(static_cast<std::size_t>(y) * width_ + x) * 4], &premultiplied, 4);
}

std::uint32_t BitmapSurface::getPixel32(long long x, long long y) const {
    if (!image_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint32_t v = raw(static_cast<int>(x), static_cast<int>(y));
    return transparent_ ? Unmultiply(v) : v;
}

std::uint32_t BitmapSurface::getPixel(long long x, long long y) const {
    if (!image_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return Unmultiply(raw(static_cast<int>(x), static_cast<int>(y))) & 0xFFFFFF;
}

void BitmapSurface::setPixel32(long long x, long long y, std::uint32_t argb) {
    if (!image_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    setRaw(static_cast<int>(x), static_cast<int>(y), Premultiply(argb, transparent_));
}

void BitmapSurface::setPixel(long long x, long long y, std::uint32_t rgb) {
    if (!image_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const int ix = static_cast<int>(x), iy = static_cast<int>(y);
    const std::uint32_t alpha = transparent_ ? raw(ix, iy) & 0xFF000000u : 0xFF000000u;
    setRaw(ix, iy, Premultiply(alpha | (rgb & 0xFFFFFF), true));
}

// A negative width or height reaches back from x or y.
void BitmapSurface::cut(const PixelRect& rect, long long& x0, long long& y0, long long& x1,
                        long long& y1) const {
    x0 = std::min(rect.x, rect.x + rect.width), x1 = std::max(rect.x, rect.x + rect.width);
    y0 = std::min(rect.y, rect.y + rect.height), y1 = std::max(rect.y, rect.y + rect.height);
    x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
    x1 = std::min(x1, static_cast<long long>(width_)),
    y1 = std::min(y1, static_cast<long long>(height_));
}

void BitmapSurface::fillRect(const PixelRect& rect, std::uint32_t argb) {
    if (!image_) return;
    long long x0, y0, x1, y1;
    cut(rect, x0, y0, x1, y1);
    const std::uint32_t v = Premultiply(argb, transparent_);
    for (long long y = y0; y < y1; ++y)
        for (long long x = x0; x < x1; ++x) setRaw(static_cast<int>(x), static_cast<int>(y), v);
}

void BitmapSurface::copyAll(const BitmapSurface& other) {
    if (image_ && other.image_ && other.image_->pixels.size() == image_->pixels.size())
        image_->pixels = other.image_->pixels;
}

void BitmapSurface::load(const DecodedBitmap& picture) {
    if (image_ && picture.width == width_ && picture.height == height_ &&
        picture.pixels.size() == image_->pixels.size())
        image_->pixels = picture.pixels;
}

}  // namespace saver::swf
