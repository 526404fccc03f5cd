// The offset is worked out from the C runtime's own conversion (localtime), so the zone's
// daylight-saving rules come from the system and not from a table of ours: the local calendar
// fields are turned back into seconds as if they were UTC, and the difference is the offset.
#include "player/LocalClock.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace saver {
namespace {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool LocalFields(std::time_t t, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

double LocalTimeOffsetMs(double utcMs) {
    // 1970 to the year 3000: the range the Windows C runtime converts.
    constexpr double kLastSecond = 32503679999.0;
    const double seconds = std::isfinite(utcMs) ? std::floor(utcMs / 1000) : 0;
    const auto t = static_cast<std::time_t>(std::clamp(seconds, 0.0, kLastSecond));
    std::tm local{};
    if (!LocalFields(t, local)) return 0;
    const long long asUtc =
        DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) * 86400LL +
        local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    return static_cast<double>(asUtc - static_cast<long long>(t)) * 1000.0;
}

}  // namespace saver
