// A child's position inside a scaled parent lands on whole twips, rounded to the nearest.
#include <gtest/gtest.h>

#include "swf/player/TwipMatrix.h"

namespace saver::swf {
namespace {

TEST(SwfPlayerTwipMatrix, ChildPositionsLandOnWholeTwips) {
    struct Case {
        const char* name;
        Matrix parent, child;
        double tx, ty;
    };
    const double s = 36402.0 / 65536;  // a 16.16 scale of 0.5554...
    const Case cases[] = {
        {"scaled parent rounds to the nearest",
         {s, 0, 0, s, 0, 0},
         {1, 0, 0, 1, 0, 11000},
         0,
         6110},
        {"just above a half rounds up", {s, 0, 0, s, 0, 0}, {1, 0, 0, 1, 0, 10000}, 0, 5555},
        {"negative halves round away from zero",
         {0.5, 0, 0, 0.5, 0, 0},
         {1, 0, 0, 1, -3, 3},
         -2,
         2},
        {"the parent's own position is added whole",
         {1, 0, 0, 0.5, 7, 9},
         {2, 0, 0, 2, 5, 5},
         12,
         12},
        {"rotated parent", {0, 1, -1, 0, 0, 0}, {1, 0, 0, 1, 10, 20}, -20, 10},
    };
    for (const Case& c : cases) {
        const Matrix m = ConcatInTwips(c.parent, c.child);
        EXPECT_DOUBLE_EQ(m.tx, c.tx) << c.name;
        EXPECT_DOUBLE_EQ(m.ty, c.ty) << c.name;
        const Matrix exact = c.parent * c.child;
        EXPECT_EQ(m.a, exact.a) << c.name;
        EXPECT_EQ(m.d, exact.d) << c.name;
    }
}

}  // namespace
}  // namespace saver::swf
