#include <gtest/gtest.h>

#include "player/ScreenLayout.h"

namespace saver {
namespace {

const MonitorInfo kWide{{0, 0, 1920, 1080}, true};
const MonitorInfo kRight{{1920, 0, 1280, 1024}, false};
const MonitorInfo kLeft{{-1024, 200, 1024, 768}, false};
const MonitorInfo kLeftPrimary{{-1024, 200, 1024, 768}, true};
const MonitorInfo kWideSecondary{{0, 0, 1920, 1080}, false};

TEST(ScreenLayoutTest, WindowPlacement) {
    struct Row {
        const char* what;
        std::vector<MonitorInfo> monitors;
        bool sameMonitor;
        bool maximised;
        ScreenRect bounds;
        bool covers;
    };
    const Row rows[] = {
        {"no monitor reported", {}, false, true, {}, false},
        {"one monitor", {kWide}, false, true, {}, false},
        {"one monitor, same monitor", {kWide}, true, true, {}, false},
        {"two, same monitor", {kWide, kRight}, true, true, {}, true},
        {"two, spanning", {kWide, kRight}, false, false, {0, 0, 3200, 1080}, false},
        {"three, spanning, primary listed second",
         {kRight, kLeftPrimary, kWideSecondary},
         false,
         false,
         {-1024, 0, 4224, 1080},
         false},
        {"two, one above the primary and taller",
         {kWide, {{200, -1200, 1600, 1200}, false}},
         false,
         false,
         {0, -1200, 1920, 2280},
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const ScreenLayout layout = PlanScreenLayout(r.monitors, r.sameMonitor);
        EXPECT_EQ(layout.maximised, r.maximised);
        if (!r.maximised) EXPECT_EQ(layout.bounds, r.bounds);
        EXPECT_EQ(layout.createCovers, r.covers);
    }
}

TEST(ScreenLayoutTest, Covers) {
    struct Row {
        const char* what;
        std::vector<MonitorInfo> monitors;
        std::size_t existing;
        std::vector<ScreenRect> covers;
    };
    const Row rows[] = {
        {"no monitor reported", {}, 0, {}},
        {"one monitor", {kWide}, 0, {}},
        {"two", {kWide, kRight}, 0, {kRight.bounds}},
        {"three, in the screen's order", {kWide, kRight, kLeft}, 0, {kRight.bounds, kLeft.bounds}},
        {"covers exist already", {kWide, kRight, kLeft}, 2, {}},
        {"primary listed second",
         {kRight, kLeftPrimary, kWideSecondary},
         0,
         {kRight.bounds, kWideSecondary.bounds}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(PlanCovers(r.monitors, r.existing), r.covers);
    }
}

}  // namespace
}  // namespace saver
