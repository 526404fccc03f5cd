// StageTransform: where the movie's stage lands in a view of the given pixel size, for the
// control's ScaleMode: 0 show all (uniform scale, whole stage visible, centred), 1 no border
// (uniform scale, view filled, centred, edges cut), 2 exact fit (stretched to the view),
// 3 no scale (1 stage pixel = 1 view pixel, centred). Other values behave as 0.
//
// Returns the matrix from stage twips to view pixels; a view or stage of zero size gives a
// matrix that maps everything to the view's origin (nothing visible), never a division by 0.
#pragma once

#include "swf/format/SwfTypes.h"

namespace saver::swf {

Matrix StageTransform(const Rect& frameSize, int viewWidth, int viewHeight, int scaleMode);

}  // namespace saver::swf
