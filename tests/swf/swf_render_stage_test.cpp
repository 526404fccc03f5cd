// StageTransform: where a 100 x 50 pixel stage lands in a view, per scale mode.
#include <gtest/gtest.h>

#include "swf/render/StageTransform.h"

namespace saver::swf {
namespace {

struct StageCase {
    const char* name;
    Rect frame;  // twips
    int viewW, viewH, scaleMode;
    double left, top, right, bottom;  // where the stage's corners land, in view pixels
};

TEST(SwfRenderStage, ScaleModes) {
    const Rect stage{0, 2000, 0, 1000};
    const Rect shifted{400, 2400, -200, 800};  // same size, origin moved
    const StageCase cases[] = {
        {"show all, tall view", stage, 200, 200, 0, 0, 50, 200, 150},
        {"show all, wide view", stage, 400, 50, 0, 150, 0, 250, 50},
        {"no border", stage, 200, 200, 1, -100, 0, 300, 200},
        {"exact fit", stage, 200, 200, 2, 0, 0, 200, 200},
        {"no scale, centred", stage, 200, 200, 3, 50, 75, 150, 125},
        {"no scale, odd margin kept on whole pixels", stage, 201, 201, 3, 50, 75, 150, 125},
        {"no scale, smaller view", stage, 50, 30, 3, -25, -10, 75, 40},
        {"unknown mode shows all", stage, 200, 200, 7, 0, 50, 200, 150},
        {"origin moved", shifted, 200, 200, 0, 0, 50, 200, 150},
    };
    for (const StageCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Matrix m = StageTransform(c.frame, c.viewW, c.viewH, c.scaleMode);
        double x = 0, y = 0;
        m.apply(c.frame.xMin, c.frame.yMin, x, y);
        EXPECT_NEAR(x, c.left, 1e-9);
        EXPECT_NEAR(y, c.top, 1e-9);
        m.apply(c.frame.xMax, c.frame.yMax, x, y);
        EXPECT_NEAR(x, c.right, 1e-9);
        EXPECT_NEAR(y, c.bottom, 1e-9);
        EXPECT_EQ(m.b, 0);
        EXPECT_EQ(m.c, 0);
    }
}

TEST(SwfRenderStage, EmptyViewOrStageShowsNothing) {
    const Matrix zero{0, 0, 0, 0, 0, 0};
    EXPECT_EQ(StageTransform(Rect{0, 2000, 0, 1000}, 0, 100, 0), zero);
    EXPECT_EQ(StageTransform(Rect{0, 2000, 0, 1000}, 100, -1, 2), zero);
    EXPECT_EQ(StageTransform(Rect{0, 0, 0, 1000}, 100, 100, 0), zero);
    EXPECT_EQ(StageTransform(Rect{0, 2000, 500, 500}, 100, 100, 3), zero);
}

}  // namespace
}  // namespace saver::swf
