// TSaverSetting, the one settings record, and the table of the settings file's keys.
//
// Every key of the settings file is a field of the same name. SettingKeys() describes each key
// (name, section, kind, whether saving writes it back, where its field lives) in the order in
// which the settings file is read; loading, saving and reporting all walk that table, so a key
// is added in one place.
//
// Reporting every key with its effective value, e.g. as JSON with nlohmann::json:
//
//     for (const SettingKey& key : SettingKeys())
//         out[key.name] = std::visit([](const auto& v) { return nlohmann::json(v); },
//                                    key.value(setting));
//
// value() gives numbers as std::int64_t, booleans as bool, text as std::string (ANSI bytes, as
// read) and useeffects as a sorted std::vector<int>.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace saver {

using MediaList = std::vector<std::string>;

// The builder's default list of picture transition effects.
extern const char* const DefaultEffectList;

struct SaverSetting {
    // The defaults, as a settings file without any key gives them. Back_Image_Path, whose
    // default depends on the builder's folder, is empty here: see DefaultSettings().
    std::set<int> useeffects = DefaultEffects();
    std::uint8_t ImageSize = 0;
    std::uint8_t ImageSequence = 1;
    std::uint8_t FlashSequence = 0;
    std::uint8_t VideoSequence = 0;
    std::uint8_t WebSequence = 0;
    bool AllowReverseTransition = false;
    bool ClearOldImage = false;
    bool PlayMusic = true;
    bool RandomMusic = false;
    bool LoopMusic = true;
    std::int32_t ImageInterval = 3;
    std::int32_t BackgroundColor = 0;
    std::int32_t EffectSpeed2 = 3;
    std::string PicturePath;
    std::string MusicPath;
    std::string Author;
    std::string Website;
    std::string ScrEmail;
    std::uint8_t Position = 0;
    bool ForceHide = false;
    std::int32_t X = 10;
    std::int32_t Y = 10;
    std::string FontName = "MS Sans Serif";
    std::int32_t FontSize = 9;
    std::int32_t FontColor = 16777215;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikeout = false;
    bool MouseMove = false;
    bool MousePress = true;
    bool KeyboardPress = true;
    bool ShowCursor = false;
    bool OnlyEscKeyExit = false;
    bool FlashMute = false;
    std::int32_t FlashSize = 0;
    std::int32_t FlashQuality = 1;
    std::int32_t FlashColor = 0;
    std::int32_t FlashStopTime = 10;
    std::int32_t FlashDownloadTime = 20;
    bool FlashPreview = true;
    bool VideoMute = false;
    std::int32_t VideoSize = 0;
    std::int32_t VideoDownloadTime = 20;
    bool VideoShowStatus = true;
    bool VideoPreview = false;
    bool WebImage = true;
    bool WebSound = true;
    bool WebVideo = true;
    bool WebScript = true;
    bool WebActiveX = true;
    bool WebOffline = false;
    bool WebHideScrollBar = true;
    bool WebFlatBorder = true;
    bool WebStopPopup = true;
    std::int32_t WebInterval = 10;
    std::int32_t WebMaxInterval = 20;
    bool WebShowStatus = true;
    bool WebLastPage = false;
    std::string ScrName = "Screensaver Setting";
    bool RandomPosition = false;
    std::string BuildName;
    std::string BuildAuthor;
    std::string BuildWebsite;
    std::string BuildEmail;
    std::string IconFile;
    bool ImageEncrypt = false;
    bool HideKestroText = false;
    bool Build_NotCreateIcons = false;
    bool Build_DisableSetupPrompt = false;
    bool NoUserSetting = false;
    bool Build_UseBanner = false;
    bool Build_HideTitle = false;
    std::string Build_BannerTips;
    std::string Build_BannerURL;
    std::string Build_BannerImage = "kestrobanner.jpg";
    bool Build_UseStaticPreview = false;
    std::string Build_StaticImage;
    std::string Build_ReadmeText;
    bool Back_Mode_UseColor = true;
    bool Back_Image_UseTiled = true;
    std::string Back_Image_Filename;
    std::string Back_Image_Path;
    bool MediaPlayerMp3 = false;
    bool TransparentMode = false;
    std::int32_t TransparentModeColor = 0;
    bool ShowSplash = false;
    std::string SplashImage;
    bool ImageSameMonitor = true;
    bool FlashSameMonitor = true;
    bool VideoSameMonitor = true;
    bool WebSameMonitor = true;

    MediaList PictureList;
    MediaList MusicList;
    MediaList FlashList;
    MediaList VideoList;
    MediaList WebList;

    // DefaultEffectList as a set.
    static std::set<int> DefaultEffects();
};

// Every field at its default, Back_Image_Path = builderFolder + "background\".
SaverSetting DefaultSettings(const std::string& builderFolder);

enum class SettingKind {
    Byte,      // integer kept in 8 bits (a wider number keeps its low 8 bits)
    Int32,     // 32-bit integer
    Bool,      // integer in the file: 0 false, any other number true; written "1" / "0"
    Text,      // the rest of the line, unchanged
    Position,  // caption position: a byte from 0 to 5, anything else becomes 0
    Effects,   // useeffects: a comma-terminated list of effect numbers 0..151
};

// One value of a key in a form that any report can print.
using SettingValue = std::variant<bool, std::int64_t, std::string, std::vector<int>>;

struct SettingKey {
    using Field = std::variant<std::uint8_t SaverSetting::*, std::int32_t SaverSetting::*,
                               bool SaverSetting::*, std::string SaverSetting::*,
                               std::set<int> SaverSetting::*>;

    const char* name;     // key name as the builder writes it
    const char* section;  // "Set" or "Caption"
    SettingKind kind;
    bool written;  // SaveSettings writes it back (the others keep what the file holds)
    Field field;

    // The field's value: Bool -> bool, Byte/Int32/Position -> std::int64_t, Text -> string,
    // Effects -> sorted vector.
    SettingValue value(const SaverSetting& s) const;
    // The field as the settings file stores it: "1"/"0", decimal numbers, text unchanged, effects
    // as "n,n,...," in ascending order.
    std::string toText(const SaverSetting& s) const;
    // Stores a value read from the settings file. False when it does not convert (an integer,
    // boolean or position that is not a number); the field is then unchanged.
    bool fromText(SaverSetting& s, const std::string& text) const;
    // Stores a number: Bool true when not 0, Byte the low 8 bits, Position 0..5 else 0, Int32
    // the low 32 bits. Text and Effects keys are left alone (false).
    bool setNumber(SaverSetting& s, std::int64_t number) const;
    // The number a Byte/Int32/Position/Bool field holds (Bool: 1 or 0); 0 for the others.
    std::int64_t number(const SaverSetting& s) const;
    // Copies this key's field from one record to another.
    void copy(const SaverSetting& from, SaverSetting& to) const;
};

// Every key of the settings file, in table (reading) order.
const std::vector<SettingKey>& SettingKeys();
// The key of that name (without regard to case), or nullptr.
const SettingKey* FindSettingKey(const std::string& name);

}  // namespace saver
