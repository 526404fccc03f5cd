#include "payload/UserOverrides.h"

#include <memory>

#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "platform/WinPath.h"

namespace saver {

namespace {

struct Override {
    const char* valueName;   // registry value
    const char* settingKey;  // field of SaverSetting, by its settings-file key
};

// Read and written in this order; the order matters because a bad value ends the reading.
const Override kOverrides[] = {
    {"MouseMoveExit", "MouseMove"},
    {"MousePressExit", "MousePress"},
    {"KeyboardPressExit", "KeyboardPress"},
    {"ShowCursor", "ShowCursor"},
    {"OnlyEscKeyExit", "OnlyEscKeyExit"},
    {"FlashSequence", "FlashSequence"},
    {"FlashSize", "FlashSize"},
    {"FlashQuality", "FlashQuality"},
    {"FlashColor", "FlashColor"},
    {"FlashDownloadTime", "FlashDownloadTime"},
    {"FlashMute", "FlashMute"},
};

// One key per program file name, so two copies of a screensaver keep their own choices.
std::string keyPathOf(const Runtime& rt) {
    return "Software\\Orvanta\\" + winpath::fileNameOf(rt.ProgramFilePath);
}

}  // namespace

void ApplyUserOverrides(Runtime& rt) {
    if (!rt.PayloadPresent) return;
    std::unique_ptr<RegistryKey> key = rt.sys.openUserKey(keyPathOf(rt), false);
    if (!key) return;
    for (const Override& item : kOverrides) {
        const RegValue value = key->read(item.valueName);
        if (value.type == RegType::Missing) continue;
        // A value of the wrong type is a read error that ends the whole step; the ones already
        // applied stay.
        if (value.type != RegType::Dword) return;
        FindSettingKey(item.settingKey)->setNumber(rt.Setting, value.dword);
    }
}

void StoreUserOverrides(Runtime& rt) {
    if (!rt.PayloadPresent) return;
    std::unique_ptr<RegistryKey> key = rt.sys.openUserKey(keyPathOf(rt), true);
    if (!key) return;
    for (const Override& item : kOverrides) {
        const std::int64_t number = FindSettingKey(item.settingKey)->number(rt.Setting);
        // Best effort: a value that cannot be written does not keep the others from being stored.
        key->writeDword(item.valueName, static_cast<std::uint32_t>(number));
    }
}

}  // namespace saver
