// The stage is laid out in view pixels first (scale per axis and the centring offset), then the
// twip unit is folded into the scale so the caller gets one matrix for the whole path.
#include "swf/render/StageTransform.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

namespace {

constexpr double kTwipsPerPixel = 20.0;

enum ScaleMode { kShowAll = 0, kNoBorder = 1, kExactFit = 2, kNoScale = 3 };

}  // namespace

Matrix StageTransform(const Rect& frameSize, int viewWidth, int viewHeight, int scaleMode) {
    const double stageW = frameSize.width() / kTwipsPerPixel;
    const double stageH = frameSize.height() / kTwipsPerPixel;
    if (viewWidth <= 0 || viewHeight <= 0 || stageW <= 0 || stageH <= 0)
        return Matrix{0, 0, 0, 0, 0, 0};

    const double fitX = viewWidth / stageW;
    const double fitY = viewHeight / stageH;
    double sx = 1, sy = 1;
    switch (scaleMode) {
        case kNoBorder:
            sx = sy = std::max(fitX, fitY);
            break;
        case kExactFit:
            sx = fitX;
            sy = fitY;
            break;
        case kNoScale:
            break;
        default:  // show all, also for values the control does not know
            sx = sy = std::min(fitX, fitY);
            break;
    }

    double offX = (viewWidth - stageW * sx) / 2;
    double offY = (viewHeight - stageH * sy) / 2;
    if (scaleMode == kNoScale) {
        // Unscaled content keeps its pixel grid: a half-pixel offset would blur every edge.
        offX = std::floor(offX);
        offY = std::floor(offY);
    }

    const double a = sx / kTwipsPerPixel;
    const double d = sy / kTwipsPerPixel;
    return Matrix{a, 0, 0, d, offX - frameSize.xMin * a, offY - frameSize.yMin * d};
}

}  // namespace saver::swf
