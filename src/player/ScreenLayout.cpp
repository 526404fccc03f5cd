// The covers skip the primary monitor rather than simply the first one listed: the maximised
// window sits on the primary monitor, and a topmost cover over it would hide the show on a
// system that does not list the primary monitor first.
#include "player/ScreenLayout.h"

#include <algorithm>

namespace saver {
namespace {

std::size_t PrimaryIndex(const std::vector<MonitorInfo>& monitors) {
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].primary) return i;
    return 0;
}

}  // namespace

ScreenLayout PlanScreenLayout(const std::vector<MonitorInfo>& monitors, bool sameMonitor) {
    ScreenLayout layout;
    if (monitors.size() <= 1 || sameMonitor) {
        layout.maximised = true;
        layout.createCovers = monitors.size() > 1;
        return layout;
    }
    layout.maximised = false;
    int left = monitors.front().bounds.left, top = monitors.front().bounds.top;
    int right = left + monitors.front().bounds.width;
    int bottom = top + monitors.front().bounds.height;
    for (const MonitorInfo& m : monitors) {
        left = std::min(left, m.bounds.left);
        top = std::min(top, m.bounds.top);
        right = std::max(right, m.bounds.left + m.bounds.width);
        bottom = std::max(bottom, m.bounds.top + m.bounds.height);
    }
    layout.bounds = {left, top, right - left, bottom - top};
    return layout;
}

std::vector<ScreenRect> PlanCovers(const std::vector<MonitorInfo>& monitors,
                                   std::size_t existingCovers) {
    std::vector<ScreenRect> covers;
    if (monitors.empty() || existingCovers > 0) return covers;
    const std::size_t primary = PrimaryIndex(monitors);
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (i != primary) covers.push_back(monitors[i].bounds);
    return covers;
}

}  // namespace saver
