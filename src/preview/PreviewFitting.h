// PreviewFitting: where a preview form goes inside the preview parent window.
//
// The form keeps its caption and sizeable frame but pushes them out of the parent's visible
// area: the window's top-left corner moves up and left by the height of caption plus frame and
// the width of both side frames, and the window reaches 10 pixels past the parent's right and
// bottom edges. The black client area then covers the whole preview area; with the usual
// 4-pixel frame a control at client (4, 4) lands on the parent's origin.
#pragma once

#include "preview/PreviewDesign.h"

namespace saver {

struct PreviewSize {
    int width = 0;
    int height = 0;
};

// The form's new place in the parent's client coordinates and its new window size, from the
// form's current client size and window size and the parent's window rectangle (screen
// coordinates; only its size counts). Any sizes are accepted, a parent of no size included.
PreviewBox FitPreviewToParent(PreviewSize client, PreviewSize window, PreviewBox parentWindow);

}  // namespace saver
