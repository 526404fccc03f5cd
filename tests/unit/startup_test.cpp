#include <gtest/gtest.h>

#include "app/Startup.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using testing::Filler;
using testing::PayloadTail;
using testing::SaverFixture;
using testing::ZipOf;

const std::string kSettings =
    "[Set]\r\nFlashSequence=0\r\nMouseMove=0\r\n[Flash]\r\na.swf=1\r\nb.swf=0\r\nc.swf=1\r\n";

TEST(StartupTest, FinishedSaverReachesReady) {
    SaverFixture f;
    f.sys.foreground = 99;
    f.writeProgram(Filler(200000) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));

    const StartupResult result = RunStartup(f.rt, {"/s"});

    EXPECT_EQ(result.outcome, StartupOutcome::Ready);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(f.sys.mutexes, (std::set<std::string>{"orvantascreensaverflash"}));
    EXPECT_EQ(f.rt.RunMode, 3);
    EXPECT_EQ(f.rt.ReturnWindow, 99);
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.rt.ProgramFilePath, "C:\\Savers\\Aqua.scr");
    EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + "Aqua.002");
    EXPECT_EQ(f.rt.Setting.FlashList, (MediaList{"a.swf", "c.swf"}));
}

TEST(StartupTest, SettingsMemberNamedInTheSystemsOemCodePageIsFound) {
    // The builder writes the member name in the OEM code page of the machine it ran on, and the
    // name behind the marker in its ANSI code page.
    struct Case {
        CodePages pages;
        std::string zipName, ansiName;
    };
    const Case cases[] = {
        {{850, 1252}, "A\x87\xC6o.002", "A\xE7\xE3o.002"},              // Ação
        {{866, 1251}, "\x91\xA0\xE8\xA0.002", "\xD1\xE0\xF8\xE0.002"},  // Саша
        {{437, 1252}, "Caf\x82.002", "Caf\xE9.002"},                    // Café
    };
    for (const Case& c : cases) {
        SaverFixture f;
        f.sys.pages = c.pages;
        f.writeProgram(Filler(1000) + PayloadTail(c.ansiName, ZipOf({{c.zipName, kSettings}})));
        const StartupResult result = RunStartup(f.rt, {"/s"});
        ASSERT_EQ(result.outcome, StartupOutcome::Ready) << result.error;
        EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + c.ansiName);
        EXPECT_EQ(f.rt.Setting.FlashList, (MediaList{"a.swf", "c.swf"})) << c.pages.oem;
    }
}

TEST(StartupTest, UserOverridesOnlyWithPayload) {
    struct Case {
        bool payload;
        int flashSequence;
    };
    for (const Case& c : {Case{true, 1}, Case{false, 0}}) {
        SaverFixture f;
        f.sys.setDword("Software\\Orvanta\\Aqua.scr", "FlashSequence", 1);
        if (c.payload) {
            f.writeProgram(Filler(1000) +
                           PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
        } else {
            f.writeProgram(Filler(1000));
            f.drive.put("C:\\Savers\\Aqua.002", kSettings);
        }
        const StartupResult result = RunStartup(f.rt, {});
        ASSERT_EQ(result.outcome, StartupOutcome::Ready) << result.error;
        EXPECT_EQ(f.rt.RunMode, 1);
        EXPECT_EQ(f.rt.Setting.FlashSequence, c.flashSequence) << c.payload;
        EXPECT_EQ(f.rt.Setting.FlashList, (MediaList{"a.swf", "c.swf"}));
    }
}

TEST(StartupTest, SecondInstanceStopsBeforeAnythingElse) {
    SaverFixture f;
    f.writeProgram(Filler(1000) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
    ASSERT_TRUE(f.sys.createGuardMutex("orvantascreensaverflash"));

    const StartupResult result = RunStartup(f.rt, {"/s"});

    EXPECT_EQ(result.outcome, StartupOutcome::SecondInstance);
    EXPECT_EQ(f.rt.RunMode, 1);
    EXPECT_FALSE(f.rt.PayloadPresent);
    EXPECT_TRUE(ListFiles(f.drive.fs, f.ws(), "*.*", true).empty());
}

TEST(StartupTest, OnlyTheExactGuardNameMeansASecondInstance) {
    // Names of kernel objects are case-sensitive on Windows: a mutex that differs only in case
    // belongs to some other program.
    for (const char* held : {"OrvantaScreensaverFlash", "ORVANTASCREENSAVERFLASH"}) {
        SaverFixture f;
        f.writeProgram(Filler(1000) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
        ASSERT_TRUE(f.sys.createGuardMutex(held));
        EXPECT_EQ(RunStartup(f.rt, {"/s"}).outcome, StartupOutcome::Ready) << held;
        EXPECT_FALSE(f.sys.createGuardMutex("orvantascreensaverflash")) << held;
    }
}

TEST(StartupTest, ErrorsBecomeFailedWithTheirText) {
    struct Case {
        const char* what;
        std::string program;  // empty: no program file
        std::string error;    // expected text ("" = any non-empty text)
    };
    const std::string archive = ZipOf({{"Aqua.002", kSettings}});
    const std::string badResource =
        "[Flash]\r\n(Resource) r.bin=1\r\n[zippos]\r\nr.bin_1=10\r\nr.bin_2=200\r\n";
    const Case cases[] = {
        {"archive cut short",
         Filler(1000) + PayloadTail("Aqua.002", archive.substr(0, archive.size() - 30)),
         "Incomplete Zip File"},
        {"no archive", Filler(1000) + PayloadTail("Aqua.002", ""), ""},
        {"no program file", "", ""},
        {"resource range not an archive",
         Filler(1000) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", badResource}})), ""},
    };
    for (const Case& c : cases) {
        SaverFixture f;
        if (!c.program.empty()) f.writeProgram(c.program);
        const StartupResult result = RunStartup(f.rt, {"/s"});
        EXPECT_EQ(result.outcome, StartupOutcome::Failed) << c.what;
        if (c.error.empty())
            EXPECT_FALSE(result.error.empty()) << c.what;
        else
            EXPECT_EQ(result.error, c.error) << c.what;
    }
}

}  // namespace
}  // namespace saver
