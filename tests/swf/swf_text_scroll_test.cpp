// Scroll limits of a text field over its laid-out lines: the largest top line that still fills
// the view, the last line wholly shown, and how far the text moves for a top line.
#include <gtest/gtest.h>

#include <vector>

#include "swf/player/TextScroll.h"

namespace saver::swf {
namespace {

// `count` lines of 200 twips (150 ascent, 50 descent) and `leading` between them, in a field
// `height` twips tall (the view is 80 twips less).
EditTextLayout Lines(int count, double leading, std::int32_t height) {
    EditTextLayout layout;
    layout.bounds = {0, 2000, 0, height};
    for (int i = 0; i < count; ++i) layout.lines.push_back({150, 50, leading, 40, 500});
    return layout;
}

TEST(SwfTextScrollTest, LimitsFollowTheLinesThatFit) {
    struct Case {
        int lines;
        double leading;
        std::int32_t height;
        int maxScroll, bottomFromTop, bottomFrom3;
    };
    const Case cases[] = {
        {0, 0, 480, 1, 1, 3},    // no text
        {1, 0, 480, 1, 1, 3},    // one line
        {2, 0, 480, 1, 2, 3},    // both fit in a 400-twip view
        {5, 0, 480, 4, 2, 4},    // two of five fit
        {5, 0, 470, 5, 1, 3},    // the view holds one line and a part
        {5, 100, 580, 4, 2, 4},  // leading between lines counts, but not after the last
        {5, 0, 40, 5, 1, 3},     // no view at all: every line is its own page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines, height " << c.height);
        const EditTextLayout layout = Lines(c.lines, c.leading, c.height);
        EXPECT_EQ(MaxScroll(layout), c.maxScroll);
        EXPECT_EQ(BottomScroll(layout, 1), c.bottomFromTop);
        EXPECT_EQ(BottomScroll(layout, 3), c.bottomFrom3);
    }
}

TEST(SwfTextScrollTest, OffsetsAndHorizontalLimit) {
    EditTextLayout layout = Lines(4, 100, 480);
    EXPECT_EQ(ScrollOffset(layout, 1), 0);
    EXPECT_EQ(ScrollOffset(layout, 3), 600);
    EXPECT_EQ(ScrollOffset(layout, 9), 1200);  // past the end: all lines above
    layout.textWidth = 3000;
    EXPECT_EQ(MaxHScroll(layout), 3000 - 1920);
    layout.textWidth = 100;
    EXPECT_EQ(MaxHScroll(layout), 0);
}

}  // namespace
}  // namespace saver::swf
