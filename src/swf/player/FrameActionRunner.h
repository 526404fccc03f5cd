// RunFrameAction: carries out one timeline action decoded by format/FrameActions (stop, play,
// next/previous frame, goto frame or label) on a timeline, for movies run without a script
// engine and for buttons' actions then. Never fails: a goto past the end lands as the timeline's
// own goto rules say.
#pragma once

#include "swf/format/FrameActions.h"

namespace saver::swf {

class TimelineInstance;

void RunFrameAction(TimelineInstance& timeline, const FrameAction& action);

}  // namespace saver::swf
