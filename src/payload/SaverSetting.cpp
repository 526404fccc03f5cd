#include "payload/SaverSetting.h"

#include "payload/SettingsFile.h"
#include "platform/Text.h"

namespace saver {

const char* const DefaultEffectList =
    "59,58,70,69,82,83,81,80,84,85,6,5,23,22,7,8,14,15,31,32,113,112,111,110,114,115,116,65,66,"
    "76,77,100,102,101,103,106,107,104,105,67,68,78,79,108,109,86,88,87,89,93,91,92,90,96,97,94,"
    "95,98,99,16,17,33,34,123,124,125,126,60,61,71,72,63,62,73,74,75,64,11,12,28,29,53,54,55,57,"
    "24,25,45,44,46,43,117,118,127,129,128,133,132,131,130,135,134,142,143,144,";

std::set<int> SaverSetting::DefaultEffects() {
    static const std::set<int> defaults = ParseEffectList(DefaultEffectList);
    return defaults;
}

SaverSetting DefaultSettings(const std::string& builderFolder) {
    SaverSetting s;
    s.Back_Image_Path = builderFolder + "background\\";
    return s;
}

namespace {

// Stores a number into a byte field the way a wider integer is narrowed: the low 8 bits.
std::uint8_t lowByte(std::int64_t n) {
    return static_cast<std::uint8_t>(n & 0xFF);
}

std::uint8_t positionOf(std::int64_t n) {
    return n >= 0 && n <= 5 ? lowByte(n) : 0;
}

}  // namespace

SettingValue SettingKey::value(const SaverSetting& s) const {
    switch (kind) {
        case SettingKind::Bool:
            return s.*std::get<bool SaverSetting::*>(field);
        case SettingKind::Text:
            return s.*std::get<std::string SaverSetting::*>(field);
        case SettingKind::Effects: {
            const std::set<int>& set = s.*std::get<std::set<int> SaverSetting::*>(field);
            return std::vector<int>(set.begin(), set.end());
        }
        default:
            return number(s);
    }
}

std::int64_t SettingKey::number(const SaverSetting& s) const {
    switch (kind) {
        case SettingKind::Byte:
        case SettingKind::Position:
            return s.*std::get<std::uint8_t SaverSetting::*>(field);
        case SettingKind::Int32:
            return s.*std::get<std::int32_t SaverSetting::*>(field);
        case SettingKind::Bool:
            return s.*std::get<bool SaverSetting::*>(field) ? 1 : 0;
        default:
            return 0;
    }
}

std::string SettingKey::toText(const SaverSetting& s) const {
    switch (kind) {
        case SettingKind::Text:
            return s.*std::get<std::string SaverSetting::*>(field);
        case SettingKind::Effects: {
            std::string out;
            for (int effect : s.*std::get<std::set<int> SaverSetting::*>(field))
                out += std::to_string(effect) + ",";
            return out;
        }
        default:
            return std::to_string(number(s));
    }
}

bool SettingKey::setNumber(SaverSetting& s, std::int64_t n) const {
    switch (kind) {
        case SettingKind::Byte:
            s.*std::get<std::uint8_t SaverSetting::*>(field) = lowByte(n);
            return true;
        case SettingKind::Position:
            s.*std::get<std::uint8_t SaverSetting::*>(field) = positionOf(n);
            return true;
        case SettingKind::Int32:
            s.*std::get<std::int32_t SaverSetting::*>(field) =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(n & 0xFFFFFFFF));
            return true;
        case SettingKind::Bool:
            s.*std::get<bool SaverSetting::*>(field) = n != 0;
            return true;
        default:
            return false;
    }
}

bool SettingKey::fromText(SaverSetting& s, const std::string& text) const {
    switch (kind) {
        case SettingKind::Text:
            s.*std::get<std::string SaverSetting::*>(field) = text;
            return true;
        case SettingKind::Effects:
            s.*std::get<std::set<int> SaverSetting::*>(field) = ParseEffectList(text);
            return true;
        default: {
            const std::optional<std::int32_t> n = text::toInt32(text);
            return n && setNumber(s, *n);
        }
    }
}

void SettingKey::copy(const SaverSetting& from, SaverSetting& to) const {
    std::visit([&](auto member) { to.*member = from.*member; }, field);
}

const std::vector<SettingKey>& SettingKeys() {
    static const std::vector<SettingKey> keys = {
        {"useeffects", "Set", SettingKind::Effects, false, &SaverSetting::useeffects},
        {"ImageSize", "Set", SettingKind::Byte, true, &SaverSetting::ImageSize},
        {"ImageSequence", "Set", SettingKind::Byte, true, &SaverSetting::ImageSequence},
        {"FlashSequence", "Set", SettingKind::Byte, true, &SaverSetting::FlashSequence},
        {"VideoSequence", "Set", SettingKind::Byte, true, &SaverSetting::VideoSequence},
        {"WebSequence", "Set", SettingKind::Byte, true, &SaverSetting::WebSequence},
        {"AllowReverseTransition", "Set", SettingKind::Bool, true,
         &SaverSetting::AllowReverseTransition},
        {"ClearOldImage", "Set", SettingKind::Bool, true, &SaverSetting::ClearOldImage},
        {"PlayMusic", "Set", SettingKind::Bool, true, &SaverSetting::PlayMusic},
        {"RandomMusic", "Set", SettingKind::Bool, true, &SaverSetting::RandomMusic},
        {"LoopMusic", "Set", SettingKind::Bool, true, &SaverSetting::LoopMusic},
        {"ImageInterval", "Set", SettingKind::Int32, true, &SaverSetting::ImageInterval},
        {"BackgroundColor", "Set", SettingKind::Int32, true, &SaverSetting::BackgroundColor},
        {"EffectSpeed2", "Set", SettingKind::Int32, true, &SaverSetting::EffectSpeed2},
        {"PicturePath", "Set", SettingKind::Text, true, &SaverSetting::PicturePath},
        {"MusicPath", "Set", SettingKind::Text, true, &SaverSetting::MusicPath},
        {"Author", "Set", SettingKind::Text, false, &SaverSetting::Author},
        {"Website", "Set", SettingKind::Text, false, &SaverSetting::Website},
        {"ScrEmail", "Set", SettingKind::Text, false, &SaverSetting::ScrEmail},
        {"Position", "Caption", SettingKind::Position, true, &SaverSetting::Position},
        {"ForceHide", "Caption", SettingKind::Bool, true, &SaverSetting::ForceHide},
        {"X", "Caption", SettingKind::Int32, true, &SaverSetting::X},
        {"Y", "Caption", SettingKind::Int32, true, &SaverSetting::Y},
        {"FontName", "Caption", SettingKind::Text, true, &SaverSetting::FontName},
        {"FontSize", "Caption", SettingKind::Int32, true, &SaverSetting::FontSize},
        {"FontColor", "Caption", SettingKind::Int32, true, &SaverSetting::FontColor},
        {"FontBold", "Caption", SettingKind::Bool, true, &SaverSetting::FontBold},
        {"FontItalic", "Caption", SettingKind::Bool, true, &SaverSetting::FontItalic},
        {"FontUnderline", "Caption", SettingKind::Bool, true, &SaverSetting::FontUnderline},
        {"FontStrikeout", "Caption", SettingKind::Bool, true, &SaverSetting::FontStrikeout},
        {"MouseMove", "Set", SettingKind::Bool, true, &SaverSetting::MouseMove},
        {"MousePress", "Set", SettingKind::Bool, true, &SaverSetting::MousePress},
        {"KeyboardPress", "Set", SettingKind::Bool, true, &SaverSetting::KeyboardPress},
        {"ShowCursor", "Set", SettingKind::Bool, true, &SaverSetting::ShowCursor},
        {"OnlyEscKeyExit", "Set", SettingKind::Bool, true, &SaverSetting::OnlyEscKeyExit},
        {"FlashMute", "Set", SettingKind::Bool, true, &SaverSetting::FlashMute},
        {"FlashSize", "Set", SettingKind::Int32, true, &SaverSetting::FlashSize},
        {"FlashQuality", "Set", SettingKind::Int32, true, &SaverSetting::FlashQuality},
        {"FlashColor", "Set", SettingKind::Int32, true, &SaverSetting::FlashColor},
        {"FlashStopTime", "Set", SettingKind::Int32, true, &SaverSetting::FlashStopTime},
        {"FlashDownloadTime", "Set", SettingKind::Int32, true, &SaverSetting::FlashDownloadTime},
        {"FlashPreview", "Set", SettingKind::Bool, true, &SaverSetting::FlashPreview},
        {"VideoMute", "Set", SettingKind::Bool, true, &SaverSetting::VideoMute},
        {"VideoSize", "Set", SettingKind::Int32, true, &SaverSetting::VideoSize},
        {"VideoDownloadTime", "Set", SettingKind::Int32, true, &SaverSetting::VideoDownloadTime},
        {"VideoShowStatus", "Set", SettingKind::Bool, true, &SaverSetting::VideoShowStatus},
        {"VideoPreview", "Set", SettingKind::Bool, true, &SaverSetting::VideoPreview},
        {"WebImage", "Set", SettingKind::Bool, true, &SaverSetting::WebImage},
        {"WebSound", "Set", SettingKind::Bool, true, &SaverSetting::WebSound},
        {"WebVideo", "Set", SettingKind::Bool, true, &SaverSetting::WebVideo},
        {"WebScript", "Set", SettingKind::Bool, true, &SaverSetting::WebScript},
        {"WebActiveX", "Set", SettingKind::Bool, true, &SaverSetting::WebActiveX},
        {"WebOffline", "Set", SettingKind::Bool, true, &SaverSetting::WebOffline},
        {"WebHideScrollBar", "Set", SettingKind::Bool, true, &SaverSetting::WebHideScrollBar},
        {"WebFlatBorder", "Set", SettingKind::Bool, true, &SaverSetting::WebFlatBorder},
        {"WebStopPopup", "Set", SettingKind::Bool, true, &SaverSetting::WebStopPopup},
        {"WebInterval", "Set", SettingKind::Int32, true, &SaverSetting::WebInterval},
        {"WebMaxInterval", "Set", SettingKind::Int32, true, &SaverSetting::WebMaxInterval},
        {"WebShowStatus", "Set", SettingKind::Bool, true, &SaverSetting::WebShowStatus},
        {"WebLastPage", "Set", SettingKind::Bool, true, &SaverSetting::WebLastPage},
        {"ScrName", "Set", SettingKind::Text, true, &SaverSetting::ScrName},
        {"RandomPosition", "Set", SettingKind::Bool, true, &SaverSetting::RandomPosition},
        {"BuildName", "Set", SettingKind::Text, true, &SaverSetting::BuildName},
        {"BuildAuthor", "Set", SettingKind::Text, true, &SaverSetting::BuildAuthor},
        {"BuildWebsite", "Set", SettingKind::Text, true, &SaverSetting::BuildWebsite},
        {"BuildEmail", "Set", SettingKind::Text, true, &SaverSetting::BuildEmail},
        {"IconFile", "Set", SettingKind::Text, true, &SaverSetting::IconFile},
        {"ImageEncrypt", "Set", SettingKind::Bool, true, &SaverSetting::ImageEncrypt},
        {"HideKestroText", "Set", SettingKind::Bool, true, &SaverSetting::HideKestroText},
        {"Build_NotCreateIcons", "Set", SettingKind::Bool, true,
         &SaverSetting::Build_NotCreateIcons},
        {"Build_DisableSetupPrompt", "Set", SettingKind::Bool, true,
         &SaverSetting::Build_DisableSetupPrompt},
        {"NoUserSetting", "Set", SettingKind::Bool, true, &SaverSetting::NoUserSetting},
        {"Build_UseBanner", "Set", SettingKind::Bool, false, &SaverSetting::Build_UseBanner},
        {"Build_HideTitle", "Set", SettingKind::Bool, false, &SaverSetting::Build_HideTitle},
        {"Build_BannerTips", "Set", SettingKind::Text, false, &SaverSetting::Build_BannerTips},
        {"Build_BannerURL", "Set", SettingKind::Text, false, &SaverSetting::Build_BannerURL},
        {"Build_BannerImage", "Set", SettingKind::Text, false, &SaverSetting::Build_BannerImage},
        {"Build_UseStaticPreview", "Set", SettingKind::Bool, false,
         &SaverSetting::Build_UseStaticPreview},
        {"Build_StaticImage", "Set", SettingKind::Text, false, &SaverSetting::Build_StaticImage},
        {"Build_ReadmeText", "Set", SettingKind::Text, true, &SaverSetting::Build_ReadmeText},
        {"Back_Mode_UseColor", "Set", SettingKind::Bool, true, &SaverSetting::Back_Mode_UseColor},
        {"Back_Image_UseTiled", "Set", SettingKind::Bool, true, &SaverSetting::Back_Image_UseTiled},
        {"Back_Image_Filename", "Set", SettingKind::Text, true, &SaverSetting::Back_Image_Filename},
        {"Back_Image_Path", "Set", SettingKind::Text, true, &SaverSetting::Back_Image_Path},
        {"MediaPlayerMp3", "Set", SettingKind::Bool, true, &SaverSetting::MediaPlayerMp3},
        {"TransparentMode", "Set", SettingKind::Bool, true, &SaverSetting::TransparentMode},
        {"TransparentModeColor", "Set", SettingKind::Int32, true,
         &SaverSetting::TransparentModeColor},
        {"ShowSplash", "Set", SettingKind::Bool, true, &SaverSetting::ShowSplash},
        {"SplashImage", "Set", SettingKind::Text, true, &SaverSetting::SplashImage},
        {"ImageSameMonitor", "Set", SettingKind::Bool, true, &SaverSetting::ImageSameMonitor},
        {"FlashSameMonitor", "Set", SettingKind::Bool, true, &SaverSetting::FlashSameMonitor},
        {"VideoSameMonitor", "Set", SettingKind::Bool, true, &SaverSetting::VideoSameMonitor},
        {"WebSameMonitor", "Set", SettingKind::Bool, true, &SaverSetting::WebSameMonitor},
    };
    return keys;
}

const SettingKey* FindSettingKey(const std::string& name) {
    for (const SettingKey& key : SettingKeys())
        if (text::sameText(key.name, name)) return &key;
    return nullptr;
}

}  // namespace saver
