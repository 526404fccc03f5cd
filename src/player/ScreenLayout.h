// ScreenLayout: where the full-screen window and the monitor cover windows go.
//
// Pure functions over the monitors as the screen lists them; the Win32 window reads the
// monitors, asks here, and applies the answer.
#pragma once

#include <cstddef>
#include <vector>

namespace saver {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenRect&) const = default;
};

struct MonitorInfo {
    ScreenRect bounds;
    bool primary = false;
};

struct ScreenLayout {
    // true: borderless and maximised on the primary monitor (covers go on the others);
    // false: borderless at `bounds`, the virtual screen spanning every monitor.
    bool maximised = true;
    ScreenRect bounds;
    // Whether CreateCovers runs after the window is placed.
    bool createCovers = false;
};

// One monitor (or none reported), or sameMonitor on: maximised, with covers when there are
// several monitors. Otherwise one window over the bounding box of all monitors (the virtual
// screen), so monitors left of or above the primary one, or taller than it, are covered too.
ScreenLayout PlanScreenLayout(const std::vector<MonitorInfo>& monitors, bool sameMonitor);

// The bounds of the cover windows to create, in the screen's monitor order: one for every
// monitor but the primary one (the first one when none is marked primary). None when no
// monitor is reported or covers already exist (existingCovers > 0).
std::vector<ScreenRect> PlanCovers(const std::vector<MonitorInfo>& monitors,
                                   std::size_t existingCovers);

}  // namespace saver
