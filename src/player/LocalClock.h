// The system's time zone for movie scripts: Date's local fields are UTC plus this offset.
#pragma once

namespace saver {

// Local time minus UTC, in milliseconds, at the instant `utcMs` (milliseconds since 1970,
// UTC), as the C runtime's time zone (the system's on Windows, TZ on the host) has it then,
// daylight saving included. Instants the C runtime cannot convert (before 1970 on Windows,
// far future) take the offset of the nearest instant it can; when even that fails, 0 (UTC).
double LocalTimeOffsetMs(double utcMs);

}  // namespace saver
