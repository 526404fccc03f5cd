// PerlinNoise: the gradient noise behind BitmapData.perlinNoise, the turbulence function of
// the SVG 1.1 feTurbulence filter (its published reference algorithm): a lattice of random
// unit gradients set up from a seed by the Park-Miller generator, summed over octaves that
// each double the frequency and halve the weight.
//
// `turbulence` gives, for one of four independent gradient tables (`table` 0-3), the sum over
// the octaves at a point: signed noise summed (fractal sum, about -1..1) or its magnitudes
// (turbulence, about 0..1). With stitching the frequencies are adjusted so that the picture
// tiles across the tile's size. Nothing fails: any seed is brought into the generator's
// range, and non-finite or huge coordinates are folded onto the lattice.
#pragma once

#include <array>
#include <utility>
#include <vector>

namespace saver::swf {

class PerlinNoise {
  public:
    explicit PerlinNoise(long long seed);

    struct Params {
        double baseFreqX = 0, baseFreqY = 0;  // 1 / baseX, 1 / baseY (0 for a base of 0)
        bool fractalSum = false;
        bool stitch = false;
        double tileWidth = 0, tileHeight = 0;
        std::vector<std::pair<double, double>> offsets;  // one per octave
    };
    struct Stitch {
        long long width = 0, height = 0;  // lattice cells to subtract when wrapping
        long long wrapX = 0, wrapY = 0;   // first lattice coordinate that wraps
    };
    // Params worked out once for a picture (stitched frequencies and wrap points).
    struct Octaves {
        double freqX = 0, freqY = 0;
        bool fractalSum = false;
        bool stitched = false;
        Stitch stitch;
        std::vector<std::pair<double, double>> offsets;
    };
    Octaves prepare(const Params& params) const;

    double turbulence(int table, double x, double y, const Octaves& octaves) const;

  private:
    static constexpr int kSize = 0x100;
    double noise(int table, double x, double y, const Stitch* stitch) const;

    std::array<int, kSize + kSize + 2> lattice_{};
    std::array<std::array<std::array<double, 2>, kSize + kSize + 2>, 4> gradient_{};
};

}  // namespace saver::swf
