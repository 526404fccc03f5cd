// BoxBlur: the blur behind every SWF filter: box passes along rows and then columns, each a
// running sum, so the cost per pixel does not depend on the blur size. A box of size `s`
// pixels (fractional sizes allowed) covers s pixels centred on the pixel: the whole ones
// weigh 1, the two at its ends the fraction left over. Several passes approach a Gaussian
// (Flash's quality: 1 low, 2 medium, 3 high). Pixels beyond the image count as transparent, and
// each result is rounded down, as Flash's fixed-point blur does.
//
// Kept by its owner between frames: the scratch rows are reused, so blurring allocates only
// when an image is larger than any before.
//
// Failure: none; sizes of 1 pixel or less leave that axis as it is, sizes above 255 are
// capped there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace saver::swf {

class BoxBlur {
  public:
    // Blurs `pixels` in place: `width` x `height` pixels of `channels` bytes each (4 for a
    // premultiplied BGRA image, 1 for an alpha plane), `passes` times in each direction. Rows
    // lie `stride` bytes apart (0: width * channels, one after another); what lies between
    // them is left alone.
    void blur(std::uint8_t* pixels, int width, int height, int channels, double sizeX, double sizeY,
              int passes, std::size_t stride = 0);

    // How far a blur spreads beyond the object, in pixels, as Flash grows a filtered object's
    // bounds for it.
    static double reach(double size, int passes);

  private:
    void rows(std::uint8_t* pixels, int width, int height, int channels, double size,
              std::size_t stride);
    void columns(std::uint8_t* pixels, int width, int height, int channels, double size,
                 std::size_t stride);

    std::vector<std::uint32_t> line_;  // one padded row (rows) or the column sums (columns)
    std::vector<std::uint8_t> copy_;   // a column pass's ring of original rows, a row pass's lanes
};

}  // namespace saver::swf
