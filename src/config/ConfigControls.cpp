#include "config/ConfigControls.h"

#include <algorithm>

#include "platform/Text.h"

namespace saver {

namespace {

int indexWithin(std::int32_t value, std::size_t count) {
    return value >= 0 && static_cast<std::size_t>(value) < count ? static_cast<int>(value) : -1;
}

int clampDownloadTime(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, kDownloadTimeMin, kDownloadTimeMax));
}

}  // namespace

const std::vector<std::string>& FlashSizeItems() {
    // "Extact" is how the builder spells it; users know the item by that text.
    static const std::vector<std::string> items = {"Fullscreen", "Extact Fit", "Original"};
    return items;
}

const std::vector<std::string>& FlashQualityItems() {
    static const std::vector<std::string> items = {"Low", "High", "Auto Low", "Auto High"};
    return items;
}

ConfigControls ControlsFromSetting(const SaverSetting& s) {
    ConfigControls c;
    c.FlashNormalizeRadio = s.FlashSequence == 0;
    c.FlashShuffleRadio = s.FlashSequence == 1;
    c.IntelliRadio = s.FlashSequence == 2;
    c.FlashSizeIndex = indexWithin(s.FlashSize, FlashSizeItems().size());
    c.FlashQualityIndex = indexWithin(s.FlashQuality, FlashQualityItems().size());
    c.FlashColor = s.FlashColor;
    c.FlashDownloadTime = clampDownloadTime(s.FlashDownloadTime);
    c.FlashMuteCheck = s.FlashMute;
    c.MouseMoveCheck = s.MouseMove;
    c.MousePressCheck = s.MousePress;
    c.KeyboardCheck = s.KeyboardPress;
    c.ShowCursorCheck = s.ShowCursor;
    c.EscKeyCheck = s.OnlyEscKeyExit;
    return c;
}

void StoreControls(const ConfigControls& c, SaverSetting& s) {
    s.MouseMove = c.MouseMoveCheck;
    s.MousePress = c.MousePressCheck;
    s.KeyboardPress = c.KeyboardCheck;
    s.ShowCursor = c.ShowCursorCheck;
    s.OnlyEscKeyExit = c.EscKeyCheck;
    s.FlashSequence = c.FlashNormalizeRadio ? 0 : c.FlashShuffleRadio ? 1 : 2;
    // Without a selection the list shows nothing, and storing -1 would hand the player a mode
    // it does not know; the value read from the file stays instead.
    if (c.FlashSizeIndex >= 0) s.FlashSize = c.FlashSizeIndex;
    if (c.FlashQualityIndex >= 0) s.FlashQuality = c.FlashQualityIndex;
    s.FlashColor = c.FlashColor;
    s.FlashDownloadTime = clampDownloadTime(c.FlashDownloadTime);
    s.FlashMute = c.FlashMuteCheck;
}

bool ExitChecksEnabled(const ConfigControls& c) {
    return !c.ShowCursorCheck && !c.EscKeyCheck;
}

int DownloadTimeFromText(const std::string& text, int current) {
    const auto number = text::toInt64Decimal(text::trim(text));
    return number ? clampDownloadTime(*number) : current;
}

}  // namespace saver
