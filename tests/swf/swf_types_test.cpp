#include <gtest/gtest.h>

#include "swf/format/SwfTypes.h"

namespace saver::swf {
namespace {

TEST(SwfTypes, MatrixProductAppliesInnerFirst) {
    const Matrix scale{2, 0, 0, 3, 0, 0};
    const Matrix move{1, 0, 0, 1, 10, 20};
    double x = 0, y = 0;
    (move * scale).apply(1, 1, x, y);  // scale, then move
    EXPECT_DOUBLE_EQ(x, 12);
    EXPECT_DOUBLE_EQ(y, 23);
    (scale * move).apply(1, 1, x, y);  // move, then scale
    EXPECT_DOUBLE_EQ(x, 22);
    EXPECT_DOUBLE_EQ(y, 63);
}

TEST(SwfTypes, ColorTransformClampsAndComposes) {
    const ColorTransform half{0.5, 0.5, 0.5, 0.5, 0, 0, 0, 0};
    const ColorTransform redder{1, 1, 1, 1, 200, 0, -300, 0};
    const Rgba c = (redder * half).apply({100, 100, 100, 255});
    EXPECT_EQ(c, (Rgba{250, 50, 0, 127}));
}

}  // namespace
}  // namespace saver::swf
