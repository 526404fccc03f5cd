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
    EXPECT_EQ(f.sys.mutexes, (std::set<std::string>{"ORVANTASCREENSAVERFLASH"}));
    EXPECT_EQ(f.rt.RunMode, 3);
    EXPECT_EQ(f.rt.ReturnWindow, 99);
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.rt.ProgramFilePath, "C:\\Savers\\Aqua.scr");
    EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + "Aqua.002");
    EXPECT_EQ(f.rt.Setting.FlashList, (MediaList{"a.swf", "c.swf"}));
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
    ASSERT_TRUE(f.sys.createGuardMutex("OrvantaScreensaverFlash"));

    const StartupResult result = RunStartup(f.rt, {"/s"});

    EXPECT_EQ(result.outcome, StartupOutcome::SecondInstance);
    EXPECT_EQ(f.rt.RunMode, 1);
    EXPECT_FALSE(f.rt.PayloadPresent);
    EXPECT_TRUE(ListFiles(f.drive.fs, f.ws(), "*.*", true).empty());
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
