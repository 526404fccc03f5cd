// The time zone movie scripts see: the C runtime's zone, daylight saving included, and a
// sound answer for instants it cannot convert.
#include "player/LocalClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace saver {
namespace {

class LocalClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
    }
    void TearDown() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void Zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

constexpr double kHour = 3600e3;
constexpr double kJan2024 = 1704067200e3;  // 2024-01-01 00:00 UTC
constexpr double kJul2024 = 1719792000e3;  // 2024-07-01 00:00 UTC

TEST_F(LocalClockTest, FollowsTheZoneAndItsDaylightSaving) {
    struct Case {
        const char* tz;
        double utcMs, offsetMs;
    } const cases[] = {
        {"UTC0", kJul2024, 0},
        {"EST5EDT,M3.2.0,M11.1.0", kJan2024, -5 * kHour},
        {"EST5EDT,M3.2.0,M11.1.0", kJul2024, -4 * kHour},
        {"<+0545>-5:45", kJan2024, 5.75 * kHour},
        // Before 1970 and not a number: the offset of 1970's first second, never garbage.
        {"<+03>-3", -1e12, 3 * kHour},
        {"<+03>-3", std::numeric_limits<double>::quiet_NaN(), 3 * kHour},
        {"<+03>-3", 1e18, 3 * kHour},
    };
    for (const Case& c : cases) {
        Zone(c.tz);
        EXPECT_EQ(LocalTimeOffsetMs(c.utcMs), c.offsetMs) << c.tz << " at " << c.utcMs;
    }
}

}  // namespace
}  // namespace saver
