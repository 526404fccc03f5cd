// The lattice and its use follow the reference algorithm published with the SVG 1.1
// feTurbulence filter, which is what the player's perlinNoise computes: the same generator,
// the same table shuffle, the same s-curve interpolation, so a seed gives the player's
// picture. Octave offsets (a perlinNoise addition) move the sample point of each octave.
#include "swf/render/PerlinNoise.h"

#include <cmath>

namespace saver::swf {

namespace {

constexpr long long kRandM = 2147483647;  // 2^31 - 1
constexpr long long kRandA = 16807;       // 7^5
constexpr long long kRandQ = kRandM / kRandA;
constexpr long long kRandR = kRandM % kRandA;
constexpr int kLatticeOffset = 0x1000;  // keeps sample coordinates positive
constexpr int kMask = 0xFF;

long long SetupSeed(long long seed) {
    if (seed <= 0) seed = -(seed % (kRandM - 1)) + 1;
    if (seed > kRandM - 1) seed = kRandM - 1;
    return seed;
}

// Park-Miller by Schrage's method: no intermediate leaves 32 bits.
long long Random(long long seed) {
    long long r = kRandA * (seed % kRandQ) - kRandR * (seed / kRandQ);
    if (r <= 0) r += kRandM;
    return r;
}

double SCurve(double t) {
    return t * t * (3.0 - 2.0 * t);
}

double Lerp(double t, double a, double b) {
    return a + t * (b - a);
}

// The frequency nearest `freq` (by ratio) that fits a whole number of cells in `size`.
double StitchFrequency(double freq, double size) {
    if (freq == 0.0) return freq;
    const double lo = std::floor(size * freq) / size;
    const double hi = std::ceil(size * freq) / size;
    return freq / lo < hi / freq ? lo : hi;
}

// A lattice coordinate whose whole part fits the integer types: the lattice repeats every 256
// cells, so a huge coordinate is folded (its fraction no longer matters at that size), and a
// non-finite one is 0.
double OnLattice(double t) {
    if (!std::isfinite(t)) return 0.0;
    return std::fabs(t) < 1e15 ? t : std::fmod(t, 256.0);
}

}  // namespace

PerlinNoise::PerlinNoise(long long seed) {
    seed = SetupSeed(seed);
    for (auto& table : gradient_)
        for (int i = 0; i < kSize; ++i) {
            lattice_[i] = i;
            for (double& g : table[i]) {
                seed = Random(seed);
                g = static_cast<double>(seed % (kSize + kSize) - kSize) / kSize;
            }
            const double length = std::sqrt(table[i][0] * table[i][0] + table[i][1] * table[i][1]);
            table[i][0] /= length;
            table[i][1] /= length;
        }
    for (int i = kSize - 1; i > 0; --i) {
        seed = Random(seed);
        std::swap(lattice_[i], lattice_[static_cast<std::size_t>(seed % kSize)]);
    }
    // The tables repeat past their end, so a cell's neighbour needs no wrap.
    for (int i = 0; i < kSize + 2; ++i) {
        lattice_[kSize + i] = lattice_[i];
        for (auto& table : gradient_) table[kSize + i] = table[i];
    }
}

double PerlinNoise::noise(int table, double x, double y, const Stitch* stitch) const {
    const double tx = OnLattice(x + kLatticeOffset), ty = OnLattice(y + kLatticeOffset);
    long long bx0 = static_cast<long long>(tx), by0 = static_cast<long long>(ty);
    long long bx1 = bx0 + 1, by1 = by0 + 1;
    const double rx0 = tx - static_cast<double>(bx0), ry0 = ty - static_cast<double>(by0);
    const double rx1 = rx0 - 1.0, ry1 = ry0 - 1.0;
    if (stitch) {
        if (bx0 >= stitch->wrapX) bx0 -= stitch->width;
        if (bx1 >= stitch->wrapX) bx1 -= stitch->width;
        if (by0 >= stitch->wrapY) by0 -= stitch->height;
        if (by1 >= stitch->wrapY) by1 -= stitch->height;
    }
    const int i = lattice_[bx0 & kMask], j = lattice_[bx1 & kMask];
    const auto& g = gradient_[static_cast<std::size_t>(table & 3)];
    auto dot = [&](int cell, double rx, double ry) { return rx * g[cell][0] + ry * g[cell][1]; };
    const double sx = SCurve(rx0), sy = SCurve(ry0);
    const double a = Lerp(sx, dot(lattice_[i + (by0 & kMask)], rx0, ry0),
                          dot(lattice_[j + (by0 & kMask)], rx1, ry0));
    const double b = Lerp(sx, dot(lattice_[i + (by1 & kMask)], rx0, ry1),
                          dot(lattice_[j + (by1 & kMask)], rx1, ry1));
    return Lerp(sy, a, b);
}

PerlinNoise::Octaves PerlinNoise::prepare(const Params& p) const {
    Octaves o;
    o.freqX = p.baseFreqX;
    o.freqY = p.baseFreqY;
    o.fractalSum = p.fractalSum;
    o.offsets = p.offsets;
    o.stitched = p.stitch;
    if (p.stitch) {
        o.freqX = StitchFrequency(o.freqX, p.tileWidth);
        o.freqY = StitchFrequency(o.freqY, p.tileHeight);
        o.stitch.width = static_cast<long long>(OnLattice(p.tileWidth * o.freqX + 0.5));
        o.stitch.height = static_cast<long long>(OnLattice(p.tileHeight * o.freqY + 0.5));
        o.stitch.wrapX = kLatticeOffset + o.stitch.width;
        o.stitch.wrapY = kLatticeOffset + o.stitch.height;
    }
    return o;
}

double PerlinNoise::turbulence(int table, double x, double y, const Octaves& o) const {
    Stitch stitch = o.stitch;
    double sum = 0.0, ratio = 1.0;
    for (const auto& [dx, dy] : o.offsets) {
        const double n = noise(table, (x + dx) * o.freqX * ratio, (y + dy) * o.freqY * ratio,
                               o.stitched ? &stitch : nullptr);
        sum += (o.fractalSum ? n : std::fabs(n)) / ratio;
        ratio *= 2.0;
        // Each octave doubles the lattice; the wrap point doubles around the offset.
        stitch.width *= 2;
        stitch.height *= 2;
        stitch.wrapX = 2 * stitch.wrapX - kLatticeOffset;
        stitch.wrapY = 2 * stitch.wrapY - kLatticeOffset;
    }
    return sum;
}

}  // namespace saver::swf
