#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestDrive.h"
#include "app/Workspace.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"

namespace saver {
namespace {

using testing::TestDrive;

class WorkspaceTest : public ::testing::Test {
  protected:
    WorkspaceTest() { sys.temp = "C:\\Users\\me\\Temp\\"; }
    TestDrive drive;
    FakeServices sys;
    Runtime rt{drive.fs, sys};
};

TEST_F(WorkspaceTest, PrepareCreatesFolderAndTmpWithParents) {
    PrepareWorkspace(rt);
    EXPECT_EQ(rt.WorkspaceFolder, "C:\\Users\\me\\Temp\\Kestro\\");
    EXPECT_TRUE(drive.fs.folderExists("C:\\Users\\me\\Temp\\Kestro\\tmp\\"));
    PrepareWorkspace(rt);  // a second run finds everything in place
    EXPECT_TRUE(drive.fs.folderExists(rt.WorkspaceFolder + "tmp"));
}

TEST_F(WorkspaceTest, PrepareSwallowsFailure) {
    sys.temp = "Q:\\nowhere\\";  // unmapped drive: cannot be created
    PrepareWorkspace(rt);
    EXPECT_EQ(rt.WorkspaceFolder, "Q:\\nowhere\\Kestro\\");
    EXPECT_FALSE(drive.fs.folderExists(rt.WorkspaceFolder));
}

TEST_F(WorkspaceTest, ClearDeletesFilesOnlyIncludingReadOnly) {
    PrepareWorkspace(rt);
    const std::string ws = rt.WorkspaceFolder;
    drive.put(ws + "settings.002", "x");
    drive.put(ws + "NoExtension", "x");
    drive.put(ws + "locked.swf", "x");
    ASSERT_TRUE(drive.fs.setReadOnly(ws + "locked.swf", true));
    drive.put(ws + "tmp\\scratch.bin", "x");
    drive.put(ws + "keep\\inner.txt", "x");
    drive.put(ws + "tmp\\deeper\\inner.txt", "x");

    ClearWorkspace(rt);

    for (const char* gone : {"settings.002", "NoExtension", "locked.swf", "tmp\\scratch.bin"})
        EXPECT_FALSE(drive.fs.fileExists(ws + gone)) << gone;
    for (const char* kept : {"keep\\inner.txt", "tmp\\deeper\\inner.txt"})
        EXPECT_TRUE(drive.fs.fileExists(ws + kept)) << kept;
    EXPECT_TRUE(drive.fs.folderExists(ws));
    EXPECT_TRUE(drive.fs.folderExists(ws + "tmp\\"));
}

TEST_F(WorkspaceTest, ClearWithoutFolderDoesNothing) {
    PrepareWorkspace(rt);
    drive.put("C:\\Users\\me\\Temp\\other.txt", "x");
    rt.WorkspaceFolder = "C:\\Users\\me\\Temp\\Missing\\";
    ClearWorkspace(rt);
    rt.WorkspaceFolder.clear();
    ClearWorkspace(rt);
    EXPECT_TRUE(drive.fs.fileExists("C:\\Users\\me\\Temp\\other.txt"));
}

struct ListCase {
    const char* mask;
    bool withExtension;
    std::vector<std::string> expected;  // sorted
};

class ListFilesTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListFilesTest, MatchesMaskSkipsFolders) {
    const ListCase& c = GetParam();
    TestDrive drive;
    for (const char* name : {"Movie.SWF", "readme.txt", "NoExt", "a.b.c", "x.swf~"})
        drive.put(std::string("C:\\w\\") + name, "data");
    drive.put("C:\\w\\sub.swf\\inside.swf", "data");

    std::vector<std::string> names = ListFiles(drive.fs, "C:\\w", c.mask, c.withExtension);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.expected) << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ListFilesTest,
    ::testing::Values(
        ListCase{"*.*", true, {"Movie.SWF", "NoExt", "a.b.c", "readme.txt", "x.swf~"}},
        ListCase{"*", true, {"Movie.SWF", "NoExt", "a.b.c", "readme.txt", "x.swf~"}},
        ListCase{"*.*", false, {"Movie", "NoExt", "a.b", "readme", "x"}},
        ListCase{"*.swf", true, {"Movie.SWF"}}, ListCase{"*.Swf", false, {"Movie"}},
        ListCase{"?OVIE.*", true, {"Movie.SWF"}}, ListCase{"*.swf?", true, {"x.swf~"}},
        ListCase{"n*", true, {"NoExt"}}, ListCase{"noext.*", true, {"NoExt"}},
        ListCase{"*.b.*", true, {"a.b.c"}}, ListCase{"*.gif", true, {}}));

TEST(ListFilesMissingFolderTest, GivesNothing) {
    TestDrive drive;
    EXPECT_TRUE(ListFiles(drive.fs, "C:\\absent\\", "*.*", true).empty());
}

struct WildcardCase {
    const char* name;
    const char* mask;
    bool matches;
};

TEST(WildcardTest, WindowsRules) {
    const WildcardCase cases[] = {
        {"abc", "abc", true},        {"ABC", "abc", true},        {"abc", "ab", false},
        {"abc", "a?c", true},        {"ac", "a?c", false},        {"abc", "*c", true},
        {"abc", "*b", false},        {"a.b", "*.*", true},        {"ab", "*.*", true},
        {"ab", "a*.*", true},        {"ab", "b*.*", false},       {"", "*", true},
        {"aaaa", "*a*a*a*a*", true}, {"aaa", "*a*a*a*a*", false}, {"\xE9t\xE9", "\xC9T*", true},
    };
    for (const WildcardCase& c : cases)
        EXPECT_EQ(MatchesWildcard(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
}

}  // namespace
}  // namespace saver
