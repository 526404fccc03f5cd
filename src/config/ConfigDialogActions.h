// What the settings dialog does when the user acts: OK, and clicks on the web site, author,
// credit and banner.
#pragma once

#include <string>

#include "config/ConfigControls.h"

namespace saver {

struct Runtime;

// OK: copies the controls into rt.Setting, writes the whole record to the settings file
// (replaced atomically; a failure leaves the old file and is not reported) and, in a finished
// screensaver (rt.PayloadPresent), stores the eleven per-user registry values under
// "Software\Orvanta\" + the program file's name, creating the key (skipped silently when it
// cannot be opened). No validation: every combination of controls is stored as it stands.
void StoreDialogSettings(Runtime& rt, const ConfigControls& controls);
// The address a click on a link label opens: the label's hint, or "" when it has none (a click
// then opens nothing).
std::string LabelClickAddress(const std::string& hint);
// The address a click on the banner opens: Build_BannerURL with "http://" in front when it
// holds no "://"; "" when Build_BannerURL is empty.
std::string BannerClickAddress(const std::string& bannerUrl);

}  // namespace saver
