// RunReferenceCase: plays a reference case's movie with the built-in player, renders each
// capture frame at the size of its expected picture and compares the two.
//
// A capture matches when, for every check, the pixels whose largest channel difference exceeds
// the check's tolerance are no more than its max_outliers. The case passes when every capture
// matches.
//
// Failure: none thrown; an unreadable movie or picture, a movie the reader refuses, or a size
// mismatch make the case fail with that reason.
#pragma once

#include <string>

#include "swf/format/SwfMovie.h"
#include "swfreftest/ReferenceCase.h"

namespace saver::swfreftest {

struct CaseResult {
    bool passed = false;
    std::string detail;           // the first failing capture and why, or "" when passed
    long long worstOutliers = 0;  // largest outlier count over captures and checks
    bool scripted = false;  // the movie holds actions (frame, init, clip event or button ones)
};

// `saveDir`: when not empty, the rendered pictures are written there as <set>__<name>.<n>.png.
CaseResult RunReferenceCase(const ReferenceCase& c, const std::string& saveDir);

// Whether any timeline of `movie` holds DoAction, DoInitAction or clip actions, or any button
// has actions.
bool HasScripts(const swf::Movie& movie);

// Pixels of `a` and `b` (RGBA, same size) whose largest channel difference exceeds `tolerance`;
// -1 when the sizes differ.
long long CountOutliers(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                        int tolerance);

}  // namespace saver::swfreftest
