#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDrive.h"
#include "payload/Runtime.h"
#include "payload/SaverSetting.h"
#include "payload/UserOverrides.h"
#include "platform/FakeServices.h"

namespace saver {
namespace {

using testing::TestDrive;

const char* const kKey = "Software\\Orvanta\\Aquarium.scr";

struct OverrideFixture {
    TestDrive drive;
    FakeServices sys;
    Runtime rt{drive.fs, sys};

    OverrideFixture() {
        rt.ProgramFilePath = "C:\\Savers\\Aquarium.scr";
        rt.PayloadPresent = true;
    }
};

// The fields the registry can override, with the values a settings file might have given.
struct Fields {
    bool MouseMove, MousePress, KeyboardPress, ShowCursor, OnlyEscKeyExit;
    int FlashSequence, FlashSize, FlashQuality, FlashColor, FlashDownloadTime;
    bool FlashMute;
    bool operator==(const Fields&) const = default;
};

Fields fieldsOf(const SaverSetting& s) {
    return {s.MouseMove,      s.MousePress,        s.KeyboardPress, s.ShowCursor,
            s.OnlyEscKeyExit, s.FlashSequence,     s.FlashSize,     s.FlashQuality,
            s.FlashColor,     s.FlashDownloadTime, s.FlashMute};
}

const Fields kDefaults = {false, true, true, false, false, 0, 0, 1, 0, 20, false};

struct ApplyCase {
    const char* name;
    bool keyExists;
    std::vector<std::pair<std::string, RegValue>> values;
    Fields expected;
};

RegValue dword(std::uint32_t n) {
    return RegValue{RegType::Dword, n, ""};
}

class ApplyOverrides : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyOverrides, ReplacesFieldsFromTheRegistry) {
    const ApplyCase& c = GetParam();
    OverrideFixture f;
    if (c.keyExists) f.sys.createKey(kKey);
    for (const auto& [name, value] : c.values) f.sys.setValue(kKey, name, value);
    ApplyUserOverrides(f.rt);
    EXPECT_EQ(fieldsOf(f.rt.Setting), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ApplyOverrides,
    ::testing::Values(ApplyCase{"NoKey", false, {}, kDefaults},
                      ApplyCase{"EmptyKey", true, {}, kDefaults},
                      ApplyCase{"OnlyFlashMute",
                                true,
                                {{"FlashMute", dword(1)}},
                                {false, true, true, false, false, 0, 0, 1, 0, 20, true}},
                      ApplyCase{"AllValues",
                                true,
                                {{"MouseMoveExit", dword(7)},
                                 {"MousePressExit", dword(0)},
                                 {"KeyboardPressExit", dword(0)},
                                 {"ShowCursor", dword(1)},
                                 {"OnlyEscKeyExit", dword(1)},
                                 {"FlashSequence", dword(0x102)},
                                 {"FlashSize", dword(2)},
                                 {"FlashQuality", dword(3)},
                                 {"FlashColor", dword(0xFFFFFFFF)},
                                 {"FlashDownloadTime", dword(45)},
                                 {"FlashMute", dword(1)}},
                                {true, false, false, true, true, 2, 2, 3, -1, 45, true}},
                      ApplyCase{"StringValueStopsTheRest",
                                true,
                                {{"MouseMoveExit", dword(1)},
                                 {"MousePressExit", RegValue{RegType::String, 0, "0"}},
                                 {"KeyboardPressExit", dword(0)},
                                 {"FlashMute", dword(1)}},
                                {true, true, true, false, false, 0, 0, 1, 0, 20, false}},
                      ApplyCase{"MissingValuesAreSkipped",
                                true,
                                {{"ShowCursor", dword(1)}, {"FlashQuality", dword(0)}},
                                {false, true, true, true, false, 0, 0, 0, 0, 20, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserOverridesTest, StoreWritesAllElevenValuesAsDwords) {
    OverrideFixture f;
    f.rt.Setting.MousePress = false;
    f.rt.Setting.FlashSequence = 2;
    f.rt.Setting.FlashColor = -1;
    StoreUserOverrides(f.rt);
    const std::vector<std::pair<const char*, std::uint32_t>> expected = {
        {"MouseMoveExit", 0},      {"MousePressExit", 0}, {"KeyboardPressExit", 1},
        {"ShowCursor", 0},         {"OnlyEscKeyExit", 0}, {"FlashSequence", 2},
        {"FlashSize", 0},          {"FlashQuality", 1},   {"FlashColor", 0xFFFFFFFF},
        {"FlashDownloadTime", 20}, {"FlashMute", 0}};
    for (const auto& [name, number] : expected) {
        const RegValue v = f.sys.value(kKey, name);
        EXPECT_EQ(v.type, RegType::Dword) << name;
        EXPECT_EQ(v.dword, number) << name;
    }
}

TEST(UserOverridesTest, TwoFileNamesKeepSeparateOverrides) {
    OverrideFixture f;
    const std::vector<std::pair<std::string, std::int32_t>> copies = {
        {"C:\\Savers\\Aquarium.scr", 1}, {"D:\\Other\\Aquarium Copy.scr", 2}};
    for (const auto& [program, size] : copies) {
        Runtime rt{f.drive.fs, f.sys};
        rt.PayloadPresent = true;
        rt.ProgramFilePath = program;
        rt.Setting.FlashSize = size;
        StoreUserOverrides(rt);
    }
    for (const auto& [program, size] : copies) {
        Runtime rt{f.drive.fs, f.sys};
        rt.PayloadPresent = true;
        rt.ProgramFilePath = program;
        ApplyUserOverrides(rt);
        EXPECT_EQ(rt.Setting.FlashSize, size) << program;
    }
}

TEST(UserOverridesTest, WithoutPayloadTheRegistryIsNotTouched) {
    OverrideFixture f;
    f.rt.PayloadPresent = false;
    f.sys.setDword(kKey, "FlashMute", 1);
    ApplyUserOverrides(f.rt);
    EXPECT_FALSE(f.rt.Setting.FlashMute);
    StoreUserOverrides(f.rt);
    EXPECT_EQ(f.sys.value(kKey, "MouseMoveExit").type, RegType::Missing);
}

}  // namespace
}  // namespace saver
