#include <gtest/gtest.h>

#include "TestDrive.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

using testing::TestDrive;

struct IntCase {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(TextTest, ToInt32) {
    const IntCase cases[] = {
        {"0", 0},
        {"42", 42},
        {" 7 ", 7},
        {"-1", -1},
        {"+5", 5},
        {"0x2", 2},
        {"0X1f", 31},
        {"$FF", 255},
        {"0xFFFFFFFF", -1},
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483648", INT32_MIN},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"0x", std::nullopt},
        {"12a", std::nullopt},
        {"0x100000000", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(text::toInt32(c.text), c.value) << c.text;
}

TEST(TextTest, ToInt64Decimal) {
    EXPECT_EQ(text::toInt64Decimal("4711"), 4711);
    EXPECT_EQ(text::toInt64Decimal("18446744073709551615"), std::nullopt);
    EXPECT_EQ(text::toInt64Decimal("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(text::toInt64Decimal("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(text::toInt64Decimal("xyz"), std::nullopt);
    EXPECT_EQ(text::toInt64Decimal("-"), std::nullopt);
}

TEST(TextTest, UpperAndSameTextFollowWindows1252) {
    EXPECT_EQ(text::upper("aquarium.scr"), "AQUARIUM.SCR");
    EXPECT_EQ(text::upper("\xE9t\xE9\x9A\xFF\xF7"), "\xC9T\xC9\x8A\x9F\xF7");
    EXPECT_TRUE(text::sameText("Set", "SET"));
    EXPECT_TRUE(text::sameText("caf\xE9", "CAF\xC9"));
    EXPECT_FALSE(text::sameText("a", "ab"));
}

TEST(TextTest, CodePageConversions) {
    EXPECT_EQ(text::cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(text::utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
    EXPECT_EQ(text::utf8ToCp1252("bad \xC3"), "bad ?");
    EXPECT_EQ(text::cp437ToCp1252("\x82t\x82 \x81\xB0"), "\xE9t\xE9 \xFC_");
}

TEST(WinPathTest, Parts) {
    EXPECT_EQ(winpath::folderOf("C:\\a\\b.scr"), "C:\\a\\");
    EXPECT_EQ(winpath::fileNameOf("C:\\a\\b.scr"), "b.scr");
    EXPECT_EQ(winpath::fileNameOf("C:b.swf"), "b.swf");
    EXPECT_EQ(winpath::fileNameOf("(URL) http://x/y"), "//x/y");  // "/" is no separator here
    EXPECT_EQ(winpath::bareNameOf("dir/sub/x.txt"), "x.txt");
    EXPECT_EQ(winpath::extensionOf("C:\\a.b\\name.tar.gz"), ".gz");
    EXPECT_EQ(winpath::extensionOf("C:\\a.b\\name"), "");
    EXPECT_EQ(winpath::withTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(winpath::withoutTrailingBackslash("C:\\a\\"), "C:\\a");
}

TEST(PosixFileSystemTest, NamesMatchWithoutRegardToCase) {
    TestDrive drive;
    drive.put("C:\\Savers\\Aquarium.SCR", "abc");
    EXPECT_TRUE(drive.fs.fileExists("c:\\SAVERS\\aquarium.scr"));
    EXPECT_TRUE(drive.fs.folderExists("C:\\savers\\"));
    EXPECT_FALSE(drive.fs.folderExists("C:\\savers\\aquarium.scr"));
    EXPECT_EQ(drive.fs.fileSize("C:\\savers\\AQUARIUM.scr"), 3u);
    EXPECT_EQ(drive.fs.hostPathOf("C:\\SAVERS\\x\\..\\Aquarium.scr"),
              drive.host("Savers/Aquarium.SCR"));
    EXPECT_EQ(drive.fs.hostPathOf("D:\\x"), std::nullopt);
    EXPECT_EQ(drive.fs.windowsPathOf(drive.host("Savers/a b")), "C:\\Savers\\a b");
    EXPECT_EQ(PosixFileSystem::withRootDrive().windowsPathOf("/tmp/x"), "Z:\\tmp\\x");
}

TEST(PosixFileSystemTest, ReadOnlyFilesBehaveAsOnWindows) {
    TestDrive drive;
    drive.put("C:\\ro.txt", "keep");
    drive.put("C:\\new.txt", "new");
    ASSERT_TRUE(drive.fs.setReadOnly("C:\\ro.txt", true));
    EXPECT_TRUE(drive.fs.isReadOnly("C:\\ro.txt"));
    EXPECT_EQ(drive.fs.createFile("C:\\ro.txt"), nullptr);
    EXPECT_FALSE(drive.fs.deleteFile("C:\\ro.txt"));
    EXPECT_FALSE(drive.fs.renameReplace("C:\\new.txt", "C:\\ro.txt"));
    EXPECT_EQ(drive.get("C:\\ro.txt"), "keep");
    ASSERT_TRUE(drive.fs.clearAttributes("C:\\ro.txt"));
    EXPECT_TRUE(drive.fs.renameReplace("C:\\new.txt", "C:\\RO.TXT"));
    EXPECT_EQ(drive.get("C:\\ro.txt"), "new");
    EXPECT_TRUE(drive.fs.deleteFile("C:\\ro.txt"));
    EXPECT_FALSE(drive.fs.fileExists("C:\\ro.txt"));
}

TEST(PosixFileSystemTest, ListsFilesAndFolders) {
    TestDrive drive;
    drive.put("C:\\w\\a.txt", "1");
    drive.put("C:\\w\\sub\\b.txt", "2");
    auto entries = drive.fs.listFolder("C:\\W\\");
    ASSERT_EQ(entries.size(), 2u);
    int folders = 0;
    for (const auto& e : entries) folders += e.isFolder ? 1 : 0;
    EXPECT_EQ(folders, 1);
    EXPECT_TRUE(drive.fs.listFolder("C:\\missing\\").empty());
    auto in = drive.fs.openRead("C:\\w\\a.txt");
    ASSERT_NE(in, nullptr);
    char buf[4];
    EXPECT_EQ(in->readAt(5, buf, 4), 0u);
    EXPECT_EQ(drive.fs.openRead("C:\\w\\sub"), nullptr);
}

}  // namespace
}  // namespace saver
