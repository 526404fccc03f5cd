// StageMatrix: where a timeline's own space sits on the stage.
//
// Failure: none; a timeline that is not on the stage (no placement somewhere up its chain)
// answers the identity.
#pragma once

#include "swf/format/SwfTypes.h"

namespace saver::swf {

class TimelineInstance;

// The transform from `t`'s space to the stage (twips), through every placement above it.
Matrix StageMatrix(const TimelineInstance& t);

}  // namespace saver::swf
