// Only the parent's window size matters: the child's position is relative to the parent's client
// area, and the preview parent is a borderless control whose window and client rectangles agree.
#include "preview/PreviewFitting.h"

namespace saver {

PreviewBox FitPreviewToParent(PreviewSize client, PreviewSize window, PreviewBox parentWindow) {
    PreviewBox fitted;
    fitted.left = client.width - window.width;
    fitted.top = client.height - window.height;
    fitted.width = parentWindow.width - fitted.left + 10;
    fitted.height = parentWindow.height - fitted.top + 10;
    return fitted;
}

}  // namespace saver
