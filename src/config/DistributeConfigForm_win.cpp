#include "config/DistributeConfigForm_win.h"

namespace saver {

int RunSettingsDialog(Runtime&) {
    return 0;
}

}  // namespace saver
