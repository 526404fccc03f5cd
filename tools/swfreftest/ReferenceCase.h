// ReferenceCase: one image test of the reference sets under testdata/swf, as the harness runs
// it: a movie, the frames at which pictures are taken, the expected pictures and how closely
// each must match.
//
// Two sets are understood:
//   ruffle-visual/NAME/   test.swf, test.toml and output*.expected.png. The toml gives the frame
//                         count (num_frames or num_ticks), per picture its trigger frame
//                         (default: the last frame) and its checks (tolerance per channel,
//                         max_outliers; default 0 and 0), the renderer quality, the viewport
//                         and the device fonts (see ReferenceFonts).
//                         Features come from the set's manifest.tsv.
//   swfdec-image/NAME.swf with NAME.swf.png: the picture after 10 frames, tolerance 3 per
//                         channel, no outliers, high quality.
//
// Failure: LoadReferenceCases skips a folder without a movie or an expected picture; a toml it
// cannot parse gives a case with `loadError` set, which the harness reports as a failure.
#pragma once

#include <string>
#include <vector>

#include "swf/render/Renderer.h"
#include "swfreftest/ReferenceFonts.h"

namespace saver::swfreftest {

struct ImageCheck {
    int tolerance = 0;    // largest allowed difference of any channel
    int maxOutliers = 0;  // pixels allowed to differ by more
};

struct ImageCapture {
    std::string expectedPng;         // full path of the reference picture
    int frame = 1;                   // the Nth frame shown (1 = the first)
    std::vector<ImageCheck> checks;  // all must hold
};

struct ReferenceCase {
    std::string set;   // "ruffle-visual" or "swfdec-image"
    std::string name;  // the folder or file name, unique within its set
    std::string moviePath;
    swf::Quality quality = swf::Quality::High;
    std::vector<ImageCapture> captures;
    std::vector<std::string> features;  // from the manifest; empty when unknown
    CaseFonts fonts;                    // the device fonts the reference player had
    std::string loadError;              // non-empty: the description could not be read

    std::string id() const { return set + "/" + name; }
};

// All cases of the sets found under `swfDir` (testdata/swf), sorted by id.
std::vector<ReferenceCase> LoadReferenceCases(const std::string& swfDir);

}  // namespace saver::swfreftest
