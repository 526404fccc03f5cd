#include "preview/PreviewForms_win.h"

namespace saver {

int RunPreview(Runtime&) {
    return 0;
}

}  // namespace saver
