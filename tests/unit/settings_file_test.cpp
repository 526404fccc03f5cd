#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TestDrive.h"
#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "payload/SettingsFile.h"
#include "platform/FakeServices.h"

namespace saver {
namespace {

using testing::TestDrive;

const char* const kProgram = "C:\\Savers\\Aquarium.scr";
const char* const kSettings = "C:\\Savers\\Aquarium.002";

// A runtime without a payload, started as C:\Savers\Aquarium.scr on a scratch drive.
struct SettingsFixture {
    TestDrive drive;
    FakeServices sys;
    Runtime rt{drive.fs, sys};

    SettingsFixture() {
        rt.ProgramFilePath = kProgram;
        drive.fs.createFolders("C:\\Savers\\");
    }
    void load(const std::string* fileText = nullptr) {
        if (fileText) drive.put(kSettings, *fileText);
        SettlePaths(rt);
        LoadSettings(rt);
    }
    SettingValue valueOf(const std::string& key) { return FindSettingKey(key)->value(rt.Setting); }
};

SettingValue num(std::int64_t n) {
    return n;
}
SettingValue text(const char* s) {
    return std::string(s);
}

struct ValueCase {
    const char* key;
    const char* section;
    const char* line;  // the key's line in the file; nullptr: the key is missing
    SettingValue expected;
};

class SettingValueRules : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValueRules, LoadsTheExpectedValue) {
    const ValueCase& c = GetParam();
    SettingsFixture f;
    std::string file = "[Set]\r\nOther=1\r\n[Caption]\r\nOther=1\r\n";
    if (c.line) file += std::string("[") + c.section + "]\r\n" + c.line + "\r\n";
    f.load(&file);
    EXPECT_EQ(f.valueOf(c.key), c.expected) << (c.line ? c.line : "(missing)");
}

INSTANTIATE_TEST_SUITE_P(
    FileRules, SettingValueRules,
    ::testing::Values(
        ValueCase{"FlashQuality", "Set", "FlashQuality=0x2", num(2)},
        ValueCase{"FlashQuality", "Set", "FlashQuality=$1F", num(31)},
        ValueCase{"FlashQuality", "Set", "FlashQuality=abc", num(1)},
        ValueCase{"FlashQuality", "Set", "FlashQuality=", num(1)},
        ValueCase{"FlashQuality", "Set", "FlashQuality=99999999999", num(1)},
        ValueCase{"FlashQuality", "Set", nullptr, num(1)},
        ValueCase{"FlashColor", "set", "flashcolor=-5", num(-5)},
        ValueCase{"FontColor", "Caption", "FontColor=0xFFFFFFFF", num(-1)},
        ValueCase{"X", "Set", "X=99", num(10)},  // caption keys live in [Caption] only
        ValueCase{"ImageSequence", "Set", "ImageSequence=258", num(2)},
        ValueCase{"ImageSequence", "Set", "ImageSequence=-1", num(255)},
        ValueCase{"ImageSequence", "Set", "ImageSequence=x", num(1)},
        ValueCase{"Position", "Caption", "Position=9", num(0)},
        ValueCase{"Position", "Caption", "Position=-1", num(0)},
        ValueCase{"Position", "Caption", "Position=5", num(5)},
        ValueCase{"Position", "Caption", "Position=261", num(0)},
        ValueCase{"MouseMove", "Set", "MouseMove=2", SettingValue(true)},
        ValueCase{"MouseMove", "Set", "MouseMove=-1", SettingValue(true)},
        ValueCase{"MousePress", "Set", "MousePress=0", SettingValue(false)},
        ValueCase{"MousePress", "Set", "MousePress=false", SettingValue(true)},
        ValueCase{"PlayMusic", "Set", "PlayMusic=yes", SettingValue(true)},
        ValueCase{"FontName", "Caption", "FontName= Arial ;x", text(" Arial ;x")},
        ValueCase{"FontName", "Caption", "FontName=", text("")},
        ValueCase{"FontName", "Caption", nullptr, text("MS Sans Serif")},
        ValueCase{"Build_BannerImage", "Set", nullptr, text("kestrobanner.jpg")},
        ValueCase{"useeffects", "set", "useeffects=1,2,3", SettingValue(std::vector<int>{1, 2})},
        ValueCase{"useeffects", "Set", "useeffects=5,x,200,7,",
                  SettingValue(std::vector<int>{5, 7})},
        ValueCase{"useeffects", "Set", "useeffects=151,0,-1,152,,",
                  SettingValue(std::vector<int>{0, 151})},
        ValueCase{"useeffects", "Set", "useeffects=", SettingValue(std::vector<int>{})}),
    [](const auto& info) { return std::to_string(info.index) + "_" + info.param.key; });

TEST(SettingsFileTest, MissingKeysTakeDefaultsIncludingBuilderRelativePaths) {
    SettingsFixture f;
    f.sys.setString("Software\\Orvanta\\KestroPro", "", "D:\\Kit");
    f.load();
    EXPECT_EQ(f.rt.Setting.Back_Image_Path, "D:\\Kit\\background\\");
    EXPECT_EQ(f.rt.Setting.useeffects, SaverSetting::DefaultEffects());
    EXPECT_EQ(f.rt.Setting.useeffects.size(), 105u);
    EXPECT_EQ(f.rt.Setting.ScrName, "Screensaver Setting");
    EXPECT_EQ(f.rt.Setting.FontColor, 16777215);
}

// A value unlike the default for every key, as text the way the file stores it.
std::string otherValue(const SettingKey& key, const SaverSetting& defaults) {
    switch (key.kind) {
        case SettingKind::Bool:
            return key.number(defaults) ? "0" : "1";
        case SettingKind::Position:
            return "3";
        case SettingKind::Byte:
            return std::to_string(key.number(defaults) + 2);
        case SettingKind::Int32:
            return std::to_string(key.number(defaults) * 3 + 7);
        case SettingKind::Effects:
            return "4,9,";
        case SettingKind::Text:
            return std::string("file ") + key.name;
    }
    return "";
}

TEST(SettingsFileTest, SaveWritesEveryStoredKeyAndKeepsTheRest) {
    SettingsFixture f;
    const SaverSetting defaults = DefaultSettings("C:\\Builder\\");
    std::map<std::string, std::string> sections;
    for (const SettingKey& key : SettingKeys())
        sections[key.section] += std::string(key.name) + "=" + otherValue(key, defaults) + "\r\n";
    const std::string file = "[Set]\r\nStetchImage=1\r\n" + sections["Set"] + "zipscr=abc\r\n\r\n" +
                             "[Caption]\r\n" + sections["Caption"] + "\r\n[Flash]\r\nm.swf=1\r\n";
    f.load(&file);

    // Change every field in memory; only the stored keys may reach the file.
    SaverSetting changed = DefaultSettings("C:\\Elsewhere\\");
    changed.useeffects = {77};
    for (const SettingKey& key : SettingKeys()) key.copy(changed, f.rt.Setting);
    SaveSettings(f.rt);

    SettingsFixture reread;
    const std::string saved = f.drive.get(kSettings);
    reread.load(&saved);
    for (const SettingKey& key : SettingKeys()) {
        if (key.written) {
            EXPECT_EQ(key.value(reread.rt.Setting), key.value(changed)) << key.name;
        } else {
            EXPECT_EQ(reread.rt.SettingsFile.read(key.section, key.name), otherValue(key, defaults))
                << key.name;
        }
    }
    EXPECT_EQ(reread.rt.SettingsFile.read("Set", "StetchImage"), "1");
    EXPECT_EQ(reread.rt.SettingsFile.read("Set", "zipscr"), "abc");
    EXPECT_EQ(reread.rt.SettingsFile.read("Flash", "m.swf"), "1");
    EXPECT_EQ(saved.find("ForceHide"), saved.rfind("ForceHide"));  // replaced in place, not added
}

TEST(SettingsFileTest, NoSettingsFileGivesDefaultsAndSaveCreatesACompleteFile) {
    SettingsFixture f;
    f.load();
    EXPECT_EQ(f.rt.SettingsFilePath, kSettings);
    f.rt.Setting.MouseMove = true;
    SaveSettings(f.rt);
    const std::string saved = f.drive.get(kSettings);
    EXPECT_EQ(saved.rfind("[Set]\r\nImageSize=0\r\nImageSequence=1\r\nFlashSequence=0\r\n", 0), 0u);
    EXPECT_NE(saved.find("[Caption]\r\nForceHide=0\r\nPosition=0\r\nX=10\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nMouseMove=1\r\n"), std::string::npos);

    const IniDocument doc = IniDocument::parse(saved);
    for (const SettingKey& key : SettingKeys())
        EXPECT_EQ(doc.read(key.section, key.name).has_value(), key.written) << key.name;
}

TEST(SettingsFileTest, MouseMoveTwoIsSavedAsOne) {
    SettingsFixture f;
    const std::string file = "[Set]\r\nMouseMove=2\r\n";
    f.load(&file);
    SaveSettings(f.rt);
    EXPECT_EQ(IniDocument::parse(f.drive.get(kSettings)).read("Set", "MouseMove"), "1");
}

TEST(SettingsFileTest, SaveErrorsAreSwallowedAndLeaveTheFileAlone) {
    SettingsFixture f;
    const std::string file = "[Set]\r\nFlashSize=1\r\n";
    f.load(&file);
    f.drive.fs.setReadOnly(kSettings, true);
    f.rt.Setting.FlashSize = 2;
    SaveSettings(f.rt);
    EXPECT_EQ(f.drive.get(kSettings), file);
    EXPECT_EQ(f.drive.fs.listFolder("C:\\Savers\\").size(), 1u);
}

struct PathCase {
    const char* name;
    const char* program;
    const char* displayName;  // what the shell shows for the program file; "" none
    const char* baseName;
    const char* settingsFile;
};

class ProgramNames : public ::testing::TestWithParam<PathCase> {};

TEST_P(ProgramNames, SettleBaseNameAndSettingsFile) {
    const PathCase& c = GetParam();
    SettingsFixture f;
    f.rt.ProgramFilePath = c.program;
    if (*c.displayName) f.sys.displayNames[c.program] = c.displayName;
    f.rt.Setting.FlashList = {"stale"};
    SettlePaths(f.rt);
    EXPECT_EQ(f.rt.ProgramFolder, "C:\\SAVERS\\");
    EXPECT_EQ(f.rt.ProgramBaseName, c.baseName);
    EXPECT_EQ(f.rt.SettingsFilePath, c.settingsFile);
    EXPECT_EQ(f.rt.MouseMoveBudget, 20);
    EXPECT_TRUE(f.rt.Setting.FlashList.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProgramNames,
    ::testing::Values(
        PathCase{"Plain", "C:\\SAVERS\\Aquarium.scr", "Other.scr", "Aquarium",
                 "C:\\SAVERS\\Aquarium.002"},
        PathCase{"ShortNameShowsLongName", "C:\\SAVERS\\AQUARI~1.SCR", "Aquarium Deluxe.scr",
                 "Aquarium Deluxe", "C:\\SAVERS\\Aquarium Deluxe.002"},
        PathCase{"ShortNameShellFails", "C:\\SAVERS\\AQUARI~1.SCR", "", "AQUARI~1",
                 "C:\\SAVERS\\AQUARI~1.002"},
        PathCase{"CutAtFirstOccurrenceOfExtension", "C:\\SAVERS\\a.scr.scr", "", "a",
                 "C:\\SAVERS\\a.002"},
        PathCase{"ExtensionMatchedWithCase", "C:\\SAVERS\\a.SCR.scr", "", "a.SCR",
                 "C:\\SAVERS\\a.SCR.002"},
        PathCase{"NoExtension", "C:\\SAVERS\\saver", "", "saver", "C:\\SAVERS\\saver.002"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFileTest, PayloadKeepsTheLocatorsSettingsFile) {
    SettingsFixture f;
    f.rt.PayloadPresent = true;
    f.rt.SettingsFilePath = "C:\\Work\\Aquarium.002";
    f.drive.put("C:\\Work\\Aquarium.002", "[Set]\r\nFlashSize=2\r\n");
    f.load();
    EXPECT_EQ(f.rt.SettingsFilePath, "C:\\Work\\Aquarium.002");
    EXPECT_EQ(f.rt.Setting.FlashSize, 2);
}

struct BuilderCase {
    const char* name;
    std::vector<std::pair<std::string, RegValue>> keys;  // registry keys and default values
    bool proFolderExists;
    const char* expected;
};

RegValue str(const char* s) {
    return RegValue{RegType::String, 0, s};
}

class BuilderFolderRules : public ::testing::TestWithParam<BuilderCase> {};

TEST_P(BuilderFolderRules, SettlesTheBuilderFolder) {
    const BuilderCase& c = GetParam();
    SettingsFixture f;
    for (const auto& [key, value] : c.keys) {
        f.sys.createKey(key);
        if (value.type != RegType::Missing) f.sys.setValue(key, "", value);
    }
    if (c.proFolderExists) f.drive.fs.createFolders("C:\\Program Files\\kestro\\Screensaver Pro\\");
    f.load();
    EXPECT_EQ(f.rt.BuilderFolder, c.expected);
}

const char* const kOwnKey = "Software\\Orvanta\\Aquarium";
const char* const kProKey = "Software\\Orvanta\\KestroPro";

INSTANTIATE_TEST_SUITE_P(
    Rules, BuilderFolderRules,
    ::testing::Values(
        BuilderCase{"OwnKeyFirst",
                    {{kOwnKey, str("D:\\Own")}, {kProKey, str("E:\\Pro")}},
                    false,
                    "D:\\Own\\"},
        BuilderCase{"ProKeyWhenOwnMissing", {{kProKey, str("E:\\Pro")}}, true, "E:\\Pro\\"},
        BuilderCase{"DriveRootIsLongEnough", {{kProKey, str("E:")}}, false, "E:\\"},
        BuilderCase{"OwnKeyWithoutValueFallsBackToInstallFolder",
                    {{kOwnKey, RegValue{}}, {kProKey, str("E:\\Pro")}},
                    false,
                    "C:\\Program Files\\kestro\\Screensaver\\"},
        BuilderCase{"NonStringValueCountsAsMissing",
                    {{kOwnKey, RegValue{RegType::Dword, 5, ""}}},
                    true,
                    "C:\\Program Files\\kestro\\Screensaver Pro\\"},
        BuilderCase{
            "NoKeysProFolderPresent", {}, true, "C:\\Program Files\\kestro\\Screensaver Pro\\"},
        BuilderCase{"NoKeysNoFolder", {}, false, "C:\\Program Files\\kestro\\Screensaver\\"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace saver
