#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "archive/ZipError.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using testing::Filler;
using testing::PayloadTail;
using testing::SaverFixture;
using testing::ZipOf;

const std::string kSettings = "[Set]\r\nFlashSequence=2\r\n";

TEST(PayloadMarkerTest, IsTheEightMarkerBytes) {
    EXPECT_EQ(PayloadMarker(), std::string("#kes") + "tro#");
}

// The built core must not carry the marker's bytes anywhere, or a bare runtime linked from it
// could be taken for a finished screensaver.
TEST(PayloadMarkerTest, CoreLibraryDoesNotContainMarker) {
    namespace fs = std::filesystem;
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    fs::path library;
    for (fs::path dir = exe.parent_path(); !dir.empty() && dir != dir.root_path();
         dir = dir.parent_path()) {
        if (fs::exists(dir / "libsavercore.a")) {
            library = dir / "libsavercore.a";
            break;
        }
    }
    if (library.empty()) GTEST_SKIP() << "libsavercore.a not found near " << exe;
    std::ifstream in(library, std::ios::binary);
    std::string bytes(fs::file_size(library), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find(PayloadMarker()), std::string::npos) << library;
}

TEST(PayloadLocatorTest, BareRuntimeHasNoPayloadAndWritesNothing) {
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{400000}}) {
        SaverFixture f;
        f.writeProgram(Filler(size));
        LocatePayload(f.rt);
        EXPECT_FALSE(f.rt.PayloadPresent) << size;
        EXPECT_FALSE(f.rt.RunAsExe);
        EXPECT_EQ(f.rt.ProgramFileStream, nullptr);
        EXPECT_EQ(f.rt.SettingsMemberName, "");
        EXPECT_EQ(f.rt.SettingsFilePath, "");
        EXPECT_EQ(f.rt.ProgramFilePath, "C:\\Savers\\Aqua.scr");
        EXPECT_TRUE(ListFiles(f.drive.fs, f.ws(), "*.*", true).empty());
    }
}

TEST(PayloadLocatorTest, RunAsExeOnlyForExeExtensionWithPayload) {
    struct Case {
        const char* path;
        bool payload;
        bool runAsExe;
    };
    const Case cases[] = {
        {"C:\\Savers\\Aqua.scr", true, false}, {"C:\\Savers\\Aqua.SCR", true, false},
        {"C:\\Savers\\Aqua.exe", true, true},  {"C:\\Savers\\Aqua.EXE", true, true},
        {"C:\\Savers\\Aqua.Exe", true, true},  {"C:\\Savers\\Aqua.exe.scr", true, false},
        {"C:\\Savers.exe\\Aqua", true, false}, {"C:\\Savers\\Aqua.exe", false, false},
    };
    for (const Case& c : cases) {
        SaverFixture f(c.path);
        std::string program = Filler(5000);
        if (c.payload) program += PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}}));
        f.writeProgram(program);
        LocatePayload(f.rt);
        EXPECT_EQ(f.rt.PayloadPresent, c.payload) << c.path;
        EXPECT_EQ(f.rt.RunAsExe, c.runAsExe) << c.path;
    }
}

TEST(PayloadLocatorTest, ExtractsEveryMemberFlatIntoWorkspace) {
    SaverFixture f;
    const std::string archive = ZipOf({{"Aqua.002", kSettings},
                                       {"readme.txt", "read me"},
                                       {"pics/banner.jpg", "JPEG"},
                                       {"deep\\er\\x.xml", "<x/>"}});
    f.writeProgram(Filler(300000) + PayloadTail("Aqua.002", archive));

    LocatePayload(f.rt);

    ASSERT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.rt.SettingsMemberName, "Aqua.002");
    EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + "Aqua.002");
    EXPECT_EQ(f.drive.get(f.ws() + "Aqua.002"), kSettings);
    EXPECT_EQ(f.drive.get(f.ws() + "readme.txt"), "read me");
    EXPECT_EQ(f.drive.get(f.ws() + "banner.jpg"), "JPEG");
    EXPECT_EQ(f.drive.get(f.ws() + "x.xml"), "<x/>");
    EXPECT_EQ(f.drive.get(f.ws() + "Aqua.002~"), archive);
    EXPECT_FALSE(f.drive.fs.folderExists(f.ws() + "pics"));
    ASSERT_NE(f.rt.ProgramFileStream, nullptr);
    EXPECT_EQ(f.rt.ProgramFileStream->size(), 300000 + PayloadTail("Aqua.002", archive).size());
}

TEST(PayloadLocatorTest, ProgramPathFallsBackToModuleAndKeepsGivenPath) {
    SaverFixture f;
    f.writeProgram(Filler(100) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
    f.drive.put("C:\\Other\\Copy.exe", Filler(100));
    f.rt.ProgramFilePath = "C:\\Other\\Copy.exe";
    LocatePayload(f.rt);
    EXPECT_FALSE(f.rt.PayloadPresent);

    SaverFixture g;
    g.writeProgram(Filler(100) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
    LocatePayload(g.rt);
    EXPECT_EQ(g.rt.ProgramFilePath, "C:\\Savers\\Aqua.scr");
    EXPECT_TRUE(g.rt.PayloadPresent);
}

TEST(PayloadLocatorTest, StaleWorkspaceFilesAreReplaced) {
    SaverFixture f;
    f.drive.put(f.ws() + "Aqua.002", "[Set]\r\nFlashSequence=0\r\nLeftOver=yes, much longer\r\n");
    f.drive.put(f.ws() + "Aqua.002~", std::string(5000, 'z'));
    const std::string archive = ZipOf({{"Aqua.002", kSettings}});
    f.writeProgram(Filler(1000) + PayloadTail("Aqua.002", archive));
    LocatePayload(f.rt);
    EXPECT_EQ(f.drive.get(f.ws() + "Aqua.002"), kSettings);
    EXPECT_EQ(f.drive.get(f.ws() + "Aqua.002~"), archive);
}

// Builds a tail of exactly `tailSize` bytes by padding a stored member.
std::string TailOfSize(std::size_t tailSize) {
    const std::string member = "Edge.002";
    const std::size_t overhead =
        PayloadTail(member, ZipOf({{member, ""}}, ZipWriter::Method::Stored)).size();
    const std::string settings = "[Set]\r\n;" + std::string(tailSize - overhead - 10, 'p') + "\r\n";
    return PayloadTail(member, ZipOf({{member, settings}}, ZipWriter::Method::Stored));
}

TEST(PayloadLocatorTest, WindowBoundary) {
    struct Case {
        std::size_t tailSize;
        bool found;
    };
    for (const Case& c : {Case{PayloadWindowSize - 1, true}, Case{PayloadWindowSize, true},
                          Case{PayloadWindowSize + 1, false}}) {
        SaverFixture f;
        const std::string tail = TailOfSize(c.tailSize);
        ASSERT_EQ(tail.size(), c.tailSize);
        f.writeProgram(Filler(70000) + tail);
        LocatePayload(f.rt);
        EXPECT_EQ(f.rt.PayloadPresent, c.found) << c.tailSize;
        EXPECT_EQ(f.drive.fs.fileExists(f.ws() + "Edge.002"), c.found) << c.tailSize;
    }
}

TEST(PayloadLocatorTest, ShortFileIsSearchedWhole) {
    SaverFixture f;
    f.writeProgram(PayloadTail("Tiny.002", ZipOf({{"Tiny.002", kSettings}})));
    LocatePayload(f.rt);
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.drive.get(f.ws() + "Tiny.002"), kSettings);
}

TEST(PayloadLocatorTest, FirstMarkerInWindowWins) {
    SaverFixture f;
    const std::string movie = "FWS" + Filler(2000) + PayloadMarker() + "Fake.002**" + Filler(500);
    f.writeProgram(Filler(1000) + movie +
                   PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
    try {
        LocatePayload(f.rt);
    } catch (const std::exception&) {
        // What follows the false marker is no archive; the point is which marker counted.
    }
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.rt.SettingsMemberName, "Fake.002");
    EXPECT_FALSE(f.drive.fs.fileExists(f.ws() + "Aqua.002"));
}

TEST(PayloadLocatorTest, MissingSeparatorTakesArchiveFromSecondByte) {
    SaverFixture f;
    const std::string archive = ZipOf({{"Lost.002", kSettings}});
    f.writeProgram(Filler(1000) + PayloadMarker() + "N" + archive);
    LocatePayload(f.rt);
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_EQ(f.rt.SettingsMemberName, "");
    EXPECT_EQ(f.rt.SettingsFilePath, f.ws());
    EXPECT_EQ(f.drive.get(f.ws() + "~"), archive);
    EXPECT_EQ(f.drive.get(f.ws() + "Lost.002"), kSettings);
}

TEST(PayloadLocatorTest, MemberNameCannotLeaveWorkspace) {
    SaverFixture f;
    f.writeProgram(Filler(100) + PayloadTail("..\\..\\Evil.002", ZipOf({{"Evil.002", kSettings}})));
    LocatePayload(f.rt);
    EXPECT_EQ(f.rt.SettingsMemberName, "Evil.002");
    EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + "Evil.002");
    EXPECT_FALSE(f.drive.fs.fileExists("C:\\Evil.002~"));
    EXPECT_TRUE(f.drive.fs.fileExists(f.ws() + "Evil.002~"));
}

TEST(PayloadLocatorTest, ErrorsPropagate) {
    {
        SaverFixture f;  // no program file at all
        EXPECT_THROW(LocatePayload(f.rt), IoError);
    }
    {
        SaverFixture f;
        const std::string archive = ZipOf({{"Aqua.002", kSettings}});
        f.writeProgram(Filler(100) +
                       PayloadTail("Aqua.002", archive.substr(0, archive.size() / 2)));
        EXPECT_THROW(LocatePayload(f.rt), ZipError);
    }
    {
        SaverFixture f;  // the workspace cannot take the archive copy
        f.sys.temp = "Q:\\";
        PrepareWorkspace(f.rt);
        f.writeProgram(Filler(100) + PayloadTail("Aqua.002", ZipOf({{"Aqua.002", kSettings}})));
        EXPECT_THROW(LocatePayload(f.rt), IoError);
    }
}

TEST(SaveBytesToFileTest, CreatesReplacesAndIgnoresEmpty) {
    testing::TestDrive drive;
    SaveBytesToFile(drive.fs, "C:\\a.bin", "");
    EXPECT_FALSE(drive.fs.fileExists("C:\\a.bin"));
    SaveBytesToFile(drive.fs, "C:\\a.bin", std::string("x\0y", 3));
    EXPECT_EQ(drive.get("C:\\a.bin"), std::string("x\0y", 3));
    SaveBytesToFile(drive.fs, "C:\\a.bin", "z");
    EXPECT_EQ(drive.get("C:\\a.bin"), "z");
    SaveBytesToFile(drive.fs, "C:\\a.bin", "");
    EXPECT_EQ(drive.get("C:\\a.bin"), "z");
    EXPECT_THROW(SaveBytesToFile(drive.fs, "C:\\missing\\a.bin", "z"), IoError);
}

}  // namespace
}  // namespace saver
