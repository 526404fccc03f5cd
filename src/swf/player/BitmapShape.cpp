// The rectangle runs clockwise from the origin with its fill on the right (fill1), as the
// authoring tool writes a bitmap placed on the stage.
#include "swf/player/BitmapShape.h"

namespace saver::swf {

Shape BitmapShape(std::uint32_t bitmapId, int width, int height, bool smooth) {
    constexpr std::int32_t kTwips = 20;
    const std::int32_t w = width * kTwips, h = height * kTwips;
    Shape shape;
    shape.version = 3;
    shape.bounds = shape.edgeBounds = {0, w, 0, h};
    FillStyle fill;
    fill.type = smooth ? FillType::ClippedBitmap : FillType::NonSmoothedClippedBitmap;
    fill.matrix = {kTwips, 0, 0, kTwips, 0, 0};
    fill.bitmapId = bitmapId;
    shape.fills.push_back(fill);
    ShapePath path;
    path.fill1 = 1;
    path.edges = {
        {false, {}, {w, 0}}, {false, {}, {w, h}}, {false, {}, {0, h}}, {false, {}, {0, 0}}};
    shape.paths.push_back(std::move(path));
    return shape;
}

}  // namespace saver::swf
