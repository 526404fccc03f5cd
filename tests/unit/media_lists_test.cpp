#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "archive/ZipError.h"
#include "payload/MediaLists.h"
#include "payload_test_support.h"
#include "platform/Text.h"

namespace saver {
namespace {

using testing::CountingInputFile;
using testing::Filler;
using testing::SaverFixture;
using testing::ZipOf;

struct Packed {
    std::string itemName;  // [zippos] key stem
    std::string bytes;     // the file's bytes
    bool raw = true;       // false: stored as a ZIP holding `member`
    std::string member;
};

// A program file of `runtimeSize` filler bytes followed by the items, and the [zippos]/[notzip]
// text that describes them. The Runtime is put into the state LocatePayload leaves behind.
class PackedSaver : public SaverFixture {
  public:
    void pack(const std::vector<Packed>& items, const std::string& extraIni = "",
              std::size_t runtimeSize = 4096) {
        std::string program = Filler(runtimeSize);
        std::string zippos = "[zippos]\r\n", notzip = "[notzip]\r\n";
        for (const Packed& item : items) {
            const std::string data = item.raw ? item.bytes : ZipOf({{item.member, item.bytes}});
            zippos += item.itemName + "_1=" + std::to_string(program.size()) + "\r\n";
            program += data;
            zippos += item.itemName + "_2=" + std::to_string(program.size()) + "\r\n";
            if (item.raw) notzip += item.itemName + "=1\r\n";
        }
        writeProgram(program);
        useSettings(extraIni + zippos + notzip);
        rt.PayloadPresent = true;
        rt.ProgramFileStream =
            std::make_unique<CountingInputFile>(drive.fs.openRead(sys.moduleName), reads);
    }
    void useSettings(const std::string& ini) { rt.SettingsFile = IniDocument::parse(ini); }

    int reads = 0;
};

TEST(MediaListTest, SwitchValuesAndFileOrder) {
    PackedSaver f;
    f.useSettings(
        "[Flash]\r\nz.swf=1\r\noff.swf=0\r\nempty.swf=\r\nword.swf=abc\r\nneg.swf=-3\r\n"
        "two.swf=2\r\nhex0.swf=0x0\r\nspaced.swf= 0 \r\n");
    MediaList list{"stale"};
    BuildMediaList(f.rt, "flash", list);
    EXPECT_EQ(list, (MediaList{"z.swf", "empty.swf", "word.swf", "neg.swf", "two.swf"}));
}

TEST(MediaListTest, KeysStartingWithABracketKeepTheirListsWhole) {
    PackedSaver f;
    f.pack({{"[HD] Ocean.swf", "FWSocean", true, ""}, {"b.swf", "FWSb", true, ""}},
           "[Flash]\r\n[HD] Ocean.swf=1\r\nb.swf=1\r\n");
    BuildMediaList(f.rt, "Flash", f.rt.Setting.FlashList);
    EXPECT_EQ(f.rt.Setting.FlashList, (MediaList{"[HD] Ocean.swf", "b.swf"}));
    for (const auto& [name, bytes] : {std::pair{"[HD] Ocean.swf", "FWSocean"}, {"b.swf", "FWSb"}}) {
        std::string entry = name;
        ASSERT_TRUE(ResolveMediaEntry(f.rt, entry)) << name;
        EXPECT_EQ(f.drive.get(entry), bytes);
    }
}

TEST(MediaListTest, AuxiliaryEntriesExtractedOnlyWithPayload) {
    const std::string ini =
        "[Flash]\r\n(Resource) data.xml=1\r\n(External) lib**v.swf=1\r\n(Resource) off.txt=0\r\n";
    const std::vector<Packed> items = {{"data.xml", "<d/>", true, ""},
                                       {"lib**v.swf", "LIB", false, "lib=v.swf"},
                                       {"off.txt", "never", true, ""}};
    {
        PackedSaver f;
        f.pack(items, ini);
        BuildMediaList(f.rt, "Flash", f.rt.Setting.FlashList);
        EXPECT_TRUE(f.rt.Setting.FlashList.empty());
        EXPECT_EQ(f.drive.get(f.ws() + "data.xml"), "<d/>");
        EXPECT_EQ(f.drive.get(f.ws() + "lib=v.swf"), "LIB");
        EXPECT_FALSE(f.drive.fs.fileExists(f.ws() + "off.txt"));
    }
    {
        PackedSaver f;
        f.pack(items, ini);
        f.rt.PayloadPresent = false;
        BuildMediaList(f.rt, "Flash", f.rt.Setting.FlashList);
        EXPECT_TRUE(f.rt.Setting.FlashList.empty());
        EXPECT_TRUE(ListFiles(f.drive.fs, f.ws(), "*.*", true).empty());
    }
}

TEST(MediaListTest, AuxiliaryErrorsPropagateAndStayInWorkspace) {
    PackedSaver f;
    f.pack({{"bad.bin", "this is not an archive at all", false, "bad.bin"}},
           "[Flash]\r\n(Resource) bad.bin=1\r\n");
    // Corrupt the archive: point the range at filler bytes instead.
    f.rt.SettingsFile.write("zippos", "bad.bin_1", "100");
    f.rt.SettingsFile.write("zippos", "bad.bin_2", "200");
    EXPECT_THROW(BuildMediaList(f.rt, "Flash", f.rt.Setting.FlashList), ZipError);

    PackedSaver g;
    g.pack({{"..\\escape.txt", "x", true, ""}}, "[Flash]\r\n(Resource) ..\\escape.txt=1\r\n");
    BuildMediaList(g.rt, "Flash", g.rt.Setting.FlashList);
    EXPECT_TRUE(g.drive.fs.fileExists(g.ws() + "escape.txt"));
    EXPECT_FALSE(g.drive.fs.fileExists("C:\\TEMP\\escape.txt"));
}

TEST(MediaListTest, PackedMovieCopiedOnce) {
    PackedSaver f;
    const std::string movie = "CWS" + Filler(200000);
    f.pack({{"sc2.swf", movie, true, ""}});

    std::string entry = "sc2.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_EQ(entry, f.ws() + "sc2.swf");
    EXPECT_EQ(f.drive.get(entry), movie);
    EXPECT_GT(f.reads, 1);  // streamed in chunks, not read whole
    const int readsAfterFirst = f.reads;

    ASSERT_TRUE(f.drive.fs.deleteFile(f.ws() + "sc2.swf~"));
    entry = "sc2.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_EQ(f.reads, readsAfterFirst);
    EXPECT_FALSE(f.drive.fs.fileExists(f.ws() + "sc2.swf~"));

    // Emptied by another instance: extracted again.
    ASSERT_TRUE(f.drive.fs.deleteFile(f.ws() + "sc2.swf"));
    entry = "sc2.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_GT(f.reads, readsAfterFirst);
}

// A drive with room for `room` more bytes, after which every write fails as on a full disk.
class FillingDisk : public PosixFileSystem {
  public:
    FillingDisk(const std::string& root, std::uint64_t room) : room_(room) { mapDrive('C', root); }
    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        std::unique_ptr<OutputFile> real = PosixFileSystem::createFile(path);
        if (!real) return real;
        return std::make_unique<Limited>(std::move(real), room_);
    }

  private:
    struct Limited : OutputFile {
        Limited(std::unique_ptr<OutputFile> file, std::uint64_t& left)
            : real(std::move(file)), room(left) {}
        void write(const void* data, std::size_t count) override {
            if (count > room) throw IoError("There is not enough space on the disk");
            room -= count;
            real->write(data, count);
        }
        void close() override { real->close(); }
        std::unique_ptr<OutputFile> real;
        std::uint64_t& room;
    };
    std::uint64_t room_;
};

TEST(MediaListTest, CopyFailingMidwayLeavesNoFileAndResolvesFalse) {
    const std::string movie = "FWS" + Filler(200000);
    for (bool raw : {true, false}) {
        PackedSaver f;
        f.pack({{"m.swf", movie, raw, "m.swf"}});
        // Room for the packed copy but not for the movie beside it.
        FillingDisk full(f.drive.root(), movie.size() + 10);
        Runtime rt{full, f.sys};
        rt.WorkspaceFolder = f.ws();
        rt.PayloadPresent = true;
        rt.SettingsFile = f.rt.SettingsFile;
        rt.ProgramFileStream = std::move(f.rt.ProgramFileStream);

        std::string entry = "m.swf";
        EXPECT_FALSE(ResolveMediaEntry(rt, entry)) << raw;
        EXPECT_FALSE(f.drive.fs.fileExists(f.ws() + "m.swf")) << raw;
        for (const FolderEntry& e : f.drive.fs.listFolder(f.ws()))
            EXPECT_FALSE(text::endsWith(e.name, ".part~")) << e.name;

        // With room again the next resolution extracts the whole movie.
        f.rt.ProgramFileStream = std::move(rt.ProgramFileStream);
        entry = "m.swf";
        ASSERT_TRUE(ResolveMediaEntry(f.rt, entry)) << raw;
        EXPECT_EQ(f.drive.get(entry), movie);
    }
}

TEST(MediaListTest, ZippedAndReadOnlyItems) {
    PackedSaver f;
    f.pack({{"z.swf", "FWSzipped", false, "z.swf"}, {"ro.swf", "FWSraw", true, ""}});
    std::string entry = "C:\\Builder\\movies\\z.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_EQ(f.drive.get(f.ws() + "z.swf"), "FWSzipped");

    f.drive.put(f.ws() + "ro.swf", "FWSraw");
    ASSERT_TRUE(f.drive.fs.setReadOnly(f.ws() + "ro.swf", true));
    entry = "ro.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_FALSE(f.drive.fs.isReadOnly(f.ws() + "ro.swf"));
}

TEST(MediaListTest, UnusableRangesLeaveItemMissing) {
    struct Case {
        const char* start;
        const char* end;
    };
    const Case cases[] = {{"0", "5000"},     {"4096", "0"},
                          {nullptr, "5000"}, {"-10", "5000"},
                          {"5000", "4096"},  {"4096", "4096"},
                          {"4096", "99999"}, {"4096", "2147483647"},
                          {"abc", "5000"},   {"-2147483648", "-2147483647"}};
    for (const Case& c : cases) {
        PackedSaver f;
        f.pack({});
        std::string ini = "[zippos]\r\n";
        if (c.start) ini += std::string("m.swf_1=") + c.start + "\r\n";
        ini += std::string("m.swf_2=") + c.end + "\r\n[notzip]\r\nm.swf=1\r\n";
        f.useSettings(ini);
        EXPECT_NO_THROW(ExtractPayloadItem(f.rt, "m.swf", f.ws() + "m.swf"));
        std::string entry = "m.swf";
        EXPECT_FALSE(ResolveMediaEntry(f.rt, entry)) << (c.start ? c.start : "-") << ".." << c.end;
        EXPECT_TRUE(ListFiles(f.drive.fs, f.ws(), "*.*", true).empty());
    }
}

TEST(MediaListTest, DamagedItemResolvesFalseWithoutThrowing) {
    PackedSaver f;
    f.pack({{"m.swf", "not a zip", true, ""}});
    f.rt.SettingsFile.write("notzip", "m.swf", "0");
    std::string entry = "m.swf";
    EXPECT_FALSE(ResolveMediaEntry(f.rt, entry));
    EXPECT_EQ(entry, f.ws() + "m.swf");
}

struct ResolveCase {
    std::string entry;
    bool payload;
    std::string expectedEntry;  // "~\" stands for the workspace folder
    bool expected;
};

class ResolveTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveTest, Prefixes) {
    const ResolveCase& c = GetParam();
    PackedSaver f;
    f.pack({{"m.swf", "FWS", true, ""},
            {"q**1.swf", "FWSq", true, ""},
            {"../../t.swf", "T", true, ""},
            {"nul.swf", "FWSn", true, ""}});
    f.rt.PayloadPresent = c.payload;
    f.rt.ProgramFolder = "C:\\Savers\\";
    f.rt.BuilderFolder = "C:\\Builder\\";
    f.drive.put("C:\\pages\\index.htm", "<html/>");
    f.drive.put("C:\\movies\\m.swf", "FWS");
    f.drive.put("C:\\res.xml", "<r/>");
    ASSERT_TRUE(f.drive.fs.createFolders("C:\\Fav\\"));

    std::string entry = c.entry;
    EXPECT_EQ(ResolveMediaEntry(f.rt, entry), c.expected) << c.entry;
    std::string expected = c.expectedEntry;
    if (text::startsWith(expected, "~\\")) expected = f.ws() + expected.substr(2);
    EXPECT_EQ(entry, expected) << c.entry;
    EXPECT_FALSE(f.drive.fs.fileExists("C:\\t.swf"));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ResolveTest,
    ::testing::Values(
        ResolveCase{"(URL) http://example.com/a?b**1&c**2", true, "http://example.com/a?b=1&c=2",
                    true},
        ResolveCase{"(URL) http://example.com/", false, "http://example.com/", true},
        ResolveCase{"ftp://host/x.swf", true, "ftp://host/x.swf", true},
        ResolveCase{"(URL) C:\\pages\\index.htm", true, "C:\\pages\\index.htm", true},
        ResolveCase{"(URL) C:\\pages\\gone.htm", false, "C:\\pages\\gone.htm", false},
        ResolveCase{"(Favorites) C:\\Fav\\", true, "C:\\Fav\\", true},
        ResolveCase{"(Favorites) C:\\NoFav\\", true, "C:\\NoFav\\", false},
        ResolveCase{"C:\\Fav\\", false, "C:\\Fav\\", true},
        ResolveCase{"(File) C:\\movies\\m.swf", false, "C:\\movies\\m.swf", true},
        ResolveCase{"(File) C:\\elsewhere\\m.swf", true, "~\\m.swf", true},
        ResolveCase{"(File) C:\\elsewhere\\gone.swf", true, "~\\gone.swf", false},
        ResolveCase{"(Resource) C:\\res.xml", true, "(Resource) C:\\res.xml", true},
        ResolveCase{"(External) C:\\gone.xml", false, "(External) C:\\gone.xml", false},
        ResolveCase{"q**1.swf", true, "~\\q=1.swf", true},
        ResolveCase{"../../t.swf", true, "~\\t.swf", true}, ResolveCase{"..", true, "~\\..", false},
        ResolveCase{"m.swf", true, "~\\m.swf", true},
        ResolveCase{"nul.swf", true, "~\\nul.swf", false},
        ResolveCase{"(file) C:\\movies\\m.swf", false, "(file) C:\\movies\\m.swf", false},
        ResolveCase{"", true, "", false}));

struct DiskCase {
    std::string entry;
    std::vector<std::string> files;
    std::string expectedEntry;
    bool expected;
};

class DiskLookupTest : public ::testing::TestWithParam<DiskCase> {};

TEST_P(DiskLookupTest, WithoutPayload) {
    const DiskCase& c = GetParam();
    SaverFixture f;
    f.rt.ProgramFolder = "C:\\Savers\\";
    f.rt.BuilderFolder = "C:\\Builder\\";
    for (const std::string& file : c.files) f.drive.put(file, "FWS");
    std::string entry = c.entry;
    EXPECT_EQ(ResolveMediaEntry(f.rt, entry), c.expected) << c.entry;
    EXPECT_EQ(entry, c.expectedEntry);
}

INSTANTIATE_TEST_SUITE_P(
    Order, DiskLookupTest,
    ::testing::Values(
        DiskCase{"a.swf",
                 {"C:\\Savers\\sample\\a.swf", "C:\\Builder\\a.swf", "C:\\Savers\\a.swf"},
                 "C:\\Savers\\sample\\a.swf",
                 true},
        DiskCase{"a.swf",
                 {"C:\\Builder\\a.swf", "C:\\Builder\\sample\\a.swf", "C:\\Savers\\a.swf"},
                 "C:\\Builder\\a.swf",
                 true},
        DiskCase{"a.swf",
                 {"C:\\Builder\\sample\\a.swf", "C:\\Savers\\a.swf"},
                 "C:\\Builder\\sample\\a.swf",
                 true},
        DiskCase{"A.SWF", {"C:\\Savers\\a.swf"}, "C:\\Savers\\A.SWF", true},
        DiskCase{"a.swf", {}, "C:\\Savers\\sample\\a.swf", false},
        DiskCase{"sub\\a.swf", {"C:\\Savers\\a.swf"}, "C:\\Savers\\a.swf", true},
        DiskCase{"C:\\m\\a.swf", {"C:\\m\\a.swf", "C:\\Builder\\a.swf"}, "C:\\m\\a.swf", true},
        DiskCase{
            "C:\\m\\a.swf", {"C:\\Builder\\sample\\a.swf"}, "C:\\Builder\\sample\\a.swf", true},
        DiskCase{"C:\\m\\a.swf", {}, "C:\\m\\a.swf", false},
        DiskCase{
            "x**y.swf", {"C:\\Savers\\sample\\x=y.swf"}, "C:\\Savers\\sample\\x=y.swf", true}));

TEST(ShuffleTest, OrderSettings) {
    struct Case {
        int flashSequence;
        bool shuffled;
    };
    for (const Case& c : {Case{0, false}, Case{1, false}, Case{2, true}}) {
        std::set<MediaList> seen;
        PackedSaver f;
        f.useSettings("[Flash]\r\na.swf=1\r\nb.swf=1\r\nc.swf=1\r\n[Web]\r\nw1=1\r\nw2=1\r\n");
        for (std::uint64_t seed = 1; seed <= 300; ++seed) {
            f.sys.seed = seed;
            f.rt.Setting.FlashSequence = static_cast<std::uint8_t>(c.flashSequence);
            f.rt.Setting.WebSequence = 0;
            BuildMediaLists(f.rt);
            MediaList sorted = f.rt.Setting.FlashList;
            std::sort(sorted.begin(), sorted.end());
            ASSERT_EQ(sorted, (MediaList{"a.swf", "b.swf", "c.swf"}));
            EXPECT_EQ(f.rt.Setting.WebList, (MediaList{"w1", "w2"}));
            seen.insert(f.rt.Setting.FlashList);
        }
        // Uniform picks reach all six orders; the kept order is the file's.
        EXPECT_EQ(seen.size(), c.shuffled ? 6u : 1u) << c.flashSequence;
        if (!c.shuffled) EXPECT_EQ(*seen.begin(), (MediaList{"a.swf", "b.swf", "c.swf"}));
    }
}

}  // namespace
}  // namespace saver
