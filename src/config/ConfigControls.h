// The values of the settings dialog's controls, and the mapping between them and TSaverSetting.
//
// The dialog copies the record into a ConfigControls when it opens, lets the user change the
// controls, and copies them back on OK. The enabling rule of the three exit check boxes also
// lives here, so the Win32 form only moves values between windows and this record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/SaverSetting.h"

namespace saver {

struct ConfigControls {
    // "Play Sequence" radio buttons; none is checked for a sequence other than 0, 1 or 2.
    bool FlashNormalizeRadio = false;
    bool FlashShuffleRadio = false;
    bool IntelliRadio = false;
    // Item indexes of the two drop-down lists; -1 when the setting names no item.
    int FlashSizeIndex = -1;
    int FlashQualityIndex = -1;
    std::int32_t FlashColor = 0;
    int FlashDownloadTime = 20;  // always within the spin's range
    bool FlashMuteCheck = false;
    // Exit conditions.
    bool MouseMoveCheck = false;
    bool MousePressCheck = false;
    bool KeyboardCheck = false;
    bool ShowCursorCheck = false;
    bool EscKeyCheck = false;
};

// Range of FlashDownloadTimeSpin.
inline constexpr int kDownloadTimeMin = 1;
inline constexpr int kDownloadTimeMax = 10000;

// Items of FlashSizeCb and FlashQualityCb; the item index is the setting's value.
const std::vector<std::string>& FlashSizeItems();
const std::vector<std::string>& FlashQualityItems();

// The controls as the record sets them. A download time outside the spin's range is clamped
// to it.
ConfigControls ControlsFromSetting(const SaverSetting& setting);
// Copies the controls into the record: the five exit checks, FlashSequence (0 with "In Order"
// checked, else 1 with "Shuffle", else 2), the list indexes, colour, download time and mute.
// A drop-down list without a selection leaves its field as it was, so a value the dialog cannot
// show survives OK unchanged.
void StoreControls(const ConfigControls& controls, SaverSetting& setting);
// MouseMoveCheck, MousePressCheck and KeyboardCheck are enabled unless "Show mouse cursor" or
// "Exit only when press ESC key" is checked. Their ticks are kept either way.
bool ExitChecksEnabled(const ConfigControls& controls);
// The spin's value for the text of its edit box: a decimal number clamped to the range; text
// that is empty or not a number gives `current`.
int DownloadTimeFromText(const std::string& text, int current);

}  // namespace saver
