#include "config/ConfigDialogActions.h"

#include "payload/Runtime.h"
#include "payload/SettingsFile.h"
#include "payload/UserOverrides.h"
#include "platform/Text.h"

namespace saver {

void StoreDialogSettings(Runtime& rt, const ConfigControls& controls) {
    StoreControls(controls, rt.Setting);
    SaveSettings(rt);
    // The settings file of a finished screensaver is a copy in the workspace that goes at exit;
    // the registry values are what the next start reads.
    if (rt.PayloadPresent) StoreUserOverrides(rt);
}

std::string LabelClickAddress(const std::string& hint) {
    // Opening "" would show the current folder in the file manager.
    return text::trim(hint).empty() ? std::string() : hint;
}

std::string BannerClickAddress(const std::string& bannerUrl) {
    if (bannerUrl.empty()) return {};
    if (bannerUrl.find("://") != std::string::npos) return bannerUrl;
    return "http://" + bannerUrl;
}

}  // namespace saver
