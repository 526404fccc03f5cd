#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "app/Startup.h"
#include "payload/MediaLists.h"
#include "payload/PayloadBuilder.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using testing::Filler;
using testing::SaverFixture;

// Bytes that deflate cannot shrink, so archive sizes are predictable.
std::string Noise(std::size_t size, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

// A movie-like item: "CWS" header then noise.
std::string Movie(std::size_t size, unsigned seed) {
    return "CWS" + Noise(size - 3, seed);
}

struct ItemCase {
    std::string name;     // item name ("**" kept)
    std::string entry;    // the media entry naming it in [Flash]
    std::string content;  // its bytes
    bool raw;
};

struct RoundTripCase {
    const char* label;
    std::vector<ItemCase> items;
};

// Builds the screensaver at `program`, then runs start-up on it as the real program would.
class BuiltSaver : public SaverFixture {
  public:
    PayloadBuildResult build(PayloadBuilder& b) {
        std::string bytes;
        PayloadBuildResult r = b.buildToString(bytes);
        writeProgram(bytes);
        return r;
    }
    void start() {
        LocatePayload(rt);
        LoadEverything(rt);
    }
    std::string workspaceFile(const std::string& name) { return drive.get(ws() + name); }
    bool inWorkspace(const std::string& name) { return drive.fs.fileExists(ws() + name); }
};

std::string FlashSection(const std::vector<ItemCase>& items) {
    std::string ini = "[Set]\r\nFlashSequence=0\r\n[Flash]\r\n";
    for (const auto& i : items) ini += i.entry + "=1\r\n";
    return ini;
}

TEST(PayloadBuilderTest, ItemsComeBackByteForByte) {
    const std::vector<RoundTripCase> cases = {
        {"raw movie", {{"sc2.swf", "sc2.swf", Movie(82145, 1), true}}},
        {"zipped movie", {{"clip.swf", "clip.swf", Movie(5000, 2), false}}},
        {"raw, entry with a full path", {{"m.swf", "(File) D:\\art\\m.swf", Movie(900, 3), true}}},
        {"raw name with **", {{"a**b.swf", "a**b.swf", Movie(1200, 4), true}}},
        {"brackets and blanks inside a name", {{"m [1].swf", "m [1].swf", Movie(700, 5), true}}},
        {"zipped name with **", {{"q**1.swf", "q**1.swf", Movie(1300, 5), false}}},
        {"several, mixed",
         {{"one.swf", "one.swf", Movie(3000, 6), true},
          {"two.swf", "two.swf", Movie(4000, 7), false},
          {"three.swf", "three.swf", "CWS", true}}},
        {"bigger than a copy chunk", {{"big.swf", "big.swf", Movie((3 << 20) + 17, 9), true}}},
        {"zipped, bigger than a copy chunk",
         {{"big.swf", "big.swf", Movie((3 << 20) + 17, 9) + std::string(1 << 20, 'z'), false}}},
        {"zipped, empty", {{"none.swf", "none.swf", "", false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BuiltSaver f;
        PayloadBuilder b(f.drive.fs);
        b.setRuntime(ByteSource::memory(Filler(50000)));
        b.setSettingsText(FlashSection(c.items));
        b.setMemberName("Aqua.002");
        for (const auto& i : c.items) b.addItem({i.name, ByteSource::memory(i.content), i.raw});
        f.build(b);
        f.start();
        ASSERT_TRUE(f.rt.PayloadPresent);
        ASSERT_EQ(f.rt.Setting.FlashList.size(), c.items.size());
        for (std::size_t n = 0; n < c.items.size(); ++n) {
            std::string entry = f.rt.Setting.FlashList[n];
            ASSERT_TRUE(ResolveMediaEntry(f.rt, entry)) << c.items[n].entry;
            EXPECT_TRUE(f.drive.get(entry) == c.items[n].content) << entry;
        }
    }
}

TEST(PayloadBuilderTest, AuxiliaryItemsAndExtraMembersAreUnpackedAtStartUp) {
    for (bool raw : {true, false}) {
        SCOPED_TRACE(raw ? "raw" : "zip");
        BuiltSaver f;
        PayloadBuilder b(f.drive.fs);
        b.setRuntime(ByteSource::memory(Filler(20000)));
        b.setSettingsText(
            "[Flash]\r\n(Resource) data**1.xml=1\r\n(External) lib.swf=1\r\nmain.swf=1\r\n");
        b.setMemberName("Aqua.002");
        b.addItem({"data**1.xml", ByteSource::memory("<x a=\"1\"/>"), raw});
        b.addItem({"lib.swf", ByteSource::memory(Movie(777, 1)), raw});
        b.addItem({"main.swf", ByteSource::memory(Movie(999, 2)), raw});
        b.addMember({"readme.txt", ByteSource::memory("Read me.\r\n")});
        b.addMember({"kestrobanner.jpg", ByteSource::memory(Noise(3000))});
        f.build(b);
        f.start();
        // Auxiliary files are there before anything resolves; they never enter the list.
        EXPECT_EQ(f.rt.Setting.FlashList, MediaList{"main.swf"});
        EXPECT_EQ(f.workspaceFile("data=1.xml"), "<x a=\"1\"/>");
        EXPECT_TRUE(f.workspaceFile("lib.swf") == Movie(777, 1));
        EXPECT_FALSE(f.inWorkspace("main.swf"));
        EXPECT_EQ(f.workspaceFile("readme.txt"), "Read me.\r\n");
        EXPECT_TRUE(f.workspaceFile("kestrobanner.jpg") == Noise(3000));
        EXPECT_EQ(f.rt.SettingsFilePath, f.ws() + "Aqua.002");
    }
}

TEST(PayloadBuilderTest, SettingsFileKeepsItsTextAndGainsPositions) {
    BuiltSaver f;
    PayloadBuilder b(f.drive.fs);
    b.setRuntime(ByteSource::memory(Filler(338432)));
    b.setSettingsText(
        "; made by hand\r\n[Set]\r\nzipscr=1\r\nScrName=Caf\xE9\r\n[Flash]\r\nsc2.swf=1\r\n"
        "z.swf=1\r\n[notzip]\r\nz.swf=1\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"sc2.swf", ByteSource::memory(Movie(82145, 1)), true});
    b.addItem({"z.swf", ByteSource::memory(Movie(100, 2)), false});
    const PayloadBuildResult r = f.build(b);

    const IniDocument packed = IniDocument::parse(r.settingsText);
    EXPECT_EQ(packed.read("zippos", "sc2.swf_1"), "338432");
    EXPECT_EQ(packed.read("zippos", "sc2.swf_2"), "420577");
    EXPECT_EQ(packed.read("zippos", "z.swf_1"), "420577");
    EXPECT_EQ(packed.read("notzip", "sc2.swf"), "1");
    EXPECT_EQ(packed.read("notzip", "z.swf"), "0");  // it is a ZIP now, whatever the file said
    EXPECT_EQ(packed.read("Set", "zipscr"), "1");
    EXPECT_EQ(packed.read("Set", "ScrName"), "Caf\xE9");
    EXPECT_NE(r.settingsText.find("; made by hand"), std::string::npos);

    f.start();
    EXPECT_EQ(f.drive.get(f.rt.SettingsFilePath), r.settingsText);
    EXPECT_EQ(f.rt.Setting.ScrName, "Caf\xE9");
}

TEST(PayloadBuilderTest, SourceFilesAreStreamedToTheOutputFile) {
    BuiltSaver f;
    const std::string movie = Movie((5 << 20) + 3, 4);
    f.drive.put("C:\\in\\runtime.scr", Filler(70000));
    f.drive.put("C:\\in\\set.ini", "");
    f.drive.put("C:\\in\\big.swf", movie);
    f.drive.put("C:\\in\\notes.txt", "notes");
    f.drive.fs.createFolders("C:\\Savers\\");
    PayloadBuilder b(f.drive.fs);
    b.setRuntime(ByteSource::file("C:\\in\\runtime.scr"));
    b.setSettingsText("[Flash]\r\nbig.swf=1\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"big.swf", ByteSource::file("C:\\in\\big.swf"), true});
    b.addMember({"notes.txt", ByteSource::file("C:\\in\\notes.txt")});
    const PayloadBuildResult r = b.build(f.sys.moduleName);
    EXPECT_EQ(f.drive.fs.fileSize(f.sys.moduleName), r.fileSize);
    EXPECT_EQ(r.items.at(0).begin, 70000u);
    EXPECT_EQ(r.items.at(0).end, 70000u + movie.size());

    f.start();
    std::string entry = "big.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_TRUE(f.drive.get(entry) == movie);
    EXPECT_EQ(f.workspaceFile("notes.txt"), "notes");
}

// Marker, name, "**" and archive must fit the 150000-byte window exactly: the largest accepted
// payload is found by start-up, one byte more is refused.
TEST(PayloadBuilderTest, SettingsArchiveLimitIsTheWindow) {
    // Noise sets the size roughly; each character of the extra member's name adds 2 bytes (local
    // and central header), each of the settings member's name 3 (and the tail itself).
    struct Layout {
        std::size_t noise = 140000, memberPad = 0, namePad = 0;
    };
    auto attempt = [](const Layout& l, std::string& out) -> std::uint64_t {
        testing::TestDrive drive;
        PayloadBuilder b(drive.fs);
        b.setRuntime(ByteSource::memory(Filler(200000)));
        b.setSettingsText("[Set]\r\n");
        b.setMemberName(std::string(l.namePad, 'A') + "Aqua.002");
        b.addMember(
            {std::string(l.memberPad, 'p') + "pad.bin", ByteSource::memory(Noise(l.noise))});
        try {
            const PayloadBuildResult r = b.buildToString(out);
            return r.fileSize - r.markerOffset;
        } catch (const PayloadBuildError&) {
            return 0;
        }
    };
    std::string out;
    Layout l;
    const std::uint64_t base = attempt(l, out);
    ASSERT_GT(base, 0u);
    l.noise += PayloadWindowSize - base - 100;
    std::uint64_t tail = attempt(l, out);
    ASSERT_GT(tail, PayloadWindowSize - 200);
    std::size_t missing = PayloadWindowSize - tail;
    if (missing % 2) l.namePad = 1, missing -= 3;
    l.memberPad = missing / 2;
    ASSERT_EQ(attempt(l, out), PayloadWindowSize);

    BuiltSaver f;
    f.writeProgram(out);
    f.start();
    EXPECT_TRUE(f.rt.PayloadPresent);
    EXPECT_TRUE(f.workspaceFile(std::string(l.memberPad, 'p') + "pad.bin") == Noise(l.noise));

    l.namePad += 1;  // three bytes more
    EXPECT_EQ(attempt(l, out), 0u);
    l.namePad -= 1;
    l.memberPad += 1;  // two bytes more
    EXPECT_EQ(attempt(l, out), 0u);
}

struct RefusalCase {
    const char* label;
    std::string runtime;
    std::vector<PackedItem> items;
    std::string memberName = "Aqua.002";
    std::vector<ExtraMember> members = {};
};

std::string WithMarkerAt(std::string bytes, std::size_t at) {
    return bytes.replace(at, PayloadMarker().size(), PayloadMarker());
}

TEST(PayloadBuilderTest, RefusesLayoutsStartUpWouldMisread) {
    auto item = [](const std::string& name, std::string bytes, bool raw = true) {
        return PackedItem{name, ByteSource::memory(std::move(bytes)), raw};
    };
    const std::vector<RefusalCase> cases = {
        {"marker at the runtime's end", WithMarkerAt(Filler(300000), 299992), {}},
        {"marker in the runtime's last window", WithMarkerAt(Filler(300000), 150000), {}},
        {"small runtime holding the marker", WithMarkerAt(Filler(1000), 0), {}},
        {"marker in a raw item near the end",
         Filler(1000),
         {item("m.swf", WithMarkerAt(Movie(5000, 1), 4000))}},
        {"marker across two items",
         Filler(1000),
         {item("a.swf", "CWS" + PayloadMarker().substr(0, 3)),
          item("b.swf", PayloadMarker().substr(3))}},
        {"empty runtime", "", {}},
        {"empty item name", Filler(1000), {item("", "x")}},
        {"item name with a folder", Filler(1000), {item("a\\b.swf", "x")}},
        {"item name with =", Filler(1000), {item("a=b.swf", "x")}},
        {"item name starting with ;", Filler(1000), {item(";a.swf", "x")}},
        {"item name ending in a blank", Filler(1000), {item("a.swf ", "x")}},
        {"same item twice", Filler(1000), {item("a.swf", "x"), item("A.SWF", "y")}},
        {"member name with **", Filler(1000), {}, "a**b.002"},
        {"member name with a folder", Filler(1000), {}, "x\\Aqua.002"},
        {"empty member name", Filler(1000), {}, ""},
        {"settings archive member far too big",
         Filler(1000),
         {},
         "Aqua.002",
         {{"big.bin", ByteSource::memory(Noise(400000))}}},
        {"extra member name with a folder",
         Filler(1000),
         {},
         "Aqua.002",
         {{"a/b.txt", ByteSource::memory("x")}}},
        {"zip member name without a code page 437 form",
         Filler(1000),
         {item("\x80uro.swf", "x", false)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        testing::TestDrive drive;
        PayloadBuilder b(drive.fs);
        b.setRuntime(ByteSource::memory(c.runtime));
        b.setSettingsText("[Flash]\r\n");
        b.setMemberName(c.memberName);
        for (const auto& i : c.items) b.addItem(i);
        for (const auto& m : c.members) b.addMember(m);
        EXPECT_THROW(b.build("C:\\out.scr"), PayloadBuildError);
        EXPECT_FALSE(drive.fs.fileExists("C:\\out.scr"));
    }
}

TEST(PayloadBuilderTest, MarkerOutsideTheFinalWindowIsHarmless) {
    // The runtime and the first item hold the marker, but later bytes push both out of the
    // window that start-up searches.
    BuiltSaver f;
    PayloadBuilder b(f.drive.fs);
    b.setRuntime(ByteSource::memory(WithMarkerAt(Filler(400000), 10)));
    b.setSettingsText("[Flash]\r\nm.swf=1\r\nlong.swf=1\r\n");
    b.setMemberName("Aqua.002");
    const std::string movie = WithMarkerAt(Movie(4000, 1), 100);
    b.addItem({"m.swf", ByteSource::memory(movie), true});
    b.addItem({"long.swf", ByteSource::memory(Movie(PayloadWindowSize, 2)), true});
    f.build(b);
    f.start();
    std::string entry = "m.swf";
    ASSERT_TRUE(ResolveMediaEntry(f.rt, entry));
    EXPECT_TRUE(f.drive.get(entry) == movie);
}

// A file system whose one "huge" file claims 3 GiB without taking the space, and which records
// the largest single read.
class HugeFileSystem : public PosixFileSystem {
  public:
    std::unique_ptr<InputFile> openRead(const std::string& path) override {
        if (path != "C:\\huge.swf") return track(PosixFileSystem::openRead(path));
        struct Huge : InputFile {
            std::uint64_t size() const override { return 3ull << 30; }
            std::size_t readAt(std::uint64_t, void* buffer, std::size_t count) override {
                std::fill_n(static_cast<char*>(buffer), count, 'h');
                return count;
            }
        };
        return std::make_unique<Huge>();
    }
    std::size_t largestRead = 0;

  private:
    std::unique_ptr<InputFile> track(std::unique_ptr<InputFile> inner) {
        if (!inner) return nullptr;
        struct Tracked : InputFile {
            Tracked(std::unique_ptr<InputFile> i, std::size_t& l) : in(std::move(i)), largest(l) {}
            std::uint64_t size() const override { return in->size(); }
            std::size_t readAt(std::uint64_t o, void* b, std::size_t c) override {
                largest = std::max(largest, c);
                return in->readAt(o, b, c);
            }
            std::unique_ptr<InputFile> in;
            std::size_t& largest;
        };
        return std::make_unique<Tracked>(std::move(inner), largestRead);
    }
};

TEST(PayloadBuilderTest, PositionsMustFitSigned32Bits) {
    testing::TestDrive drive;
    HugeFileSystem fs;
    fs.mapDrive('C', drive.root());
    PayloadBuilder b(fs);
    b.setRuntime(ByteSource::memory(Filler(1000)));
    b.setSettingsText("[Flash]\r\nhuge.swf=1\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"huge.swf", ByteSource::file("C:\\huge.swf"), true});
    EXPECT_THROW(b.build("C:\\out.scr"), PayloadBuildError);
    EXPECT_FALSE(fs.fileExists("C:\\out.scr"));
}

TEST(PayloadBuilderTest, CopiesInBoundedChunksAndNeverOverwritesAnInput) {
    testing::TestDrive drive;
    HugeFileSystem fs;
    fs.mapDrive('C', drive.root());
    drive.put("C:\\rt.scr", Filler(100000));
    drive.put("C:\\movie.swf", Movie(9 << 20, 1));
    drive.put("C:\\extra.swf", Movie(5 << 20, 2));
    PayloadBuilder b(fs);
    b.setRuntime(ByteSource::file("C:\\rt.scr"));
    b.setSettingsText("[Flash]\r\nmovie.swf=1\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"movie.swf", ByteSource::file("C:\\movie.swf"), true});
    b.addItem({"extra.swf", ByteSource::file("C:\\extra.swf"), false});
    b.build("C:\\out.scr");
    EXPECT_LE(fs.largestRead, std::size_t{1} << 20);

    EXPECT_THROW(b.build("c:\\RT.SCR"), PayloadBuildError);
    EXPECT_THROW(b.build("C:\\movie.swf"), PayloadBuildError);
    EXPECT_EQ(fs.fileSize("C:\\rt.scr"), 100000u);
}

// A file system on which writes to one file fail after it was created, as on a full disk.
class FullDiskFileSystem : public PosixFileSystem {
  public:
    explicit FullDiskFileSystem(std::string full) : full_(std::move(full)) {}
    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        auto file = PosixFileSystem::createFile(path);
        if (path != full_ || !file) return file;
        struct Full : OutputFile {
            explicit Full(std::unique_ptr<OutputFile> f) : real(std::move(f)) {}
            void write(const void*, std::size_t) override { throw IoError("disk full"); }
            void close() override { real->close(); }
            std::unique_ptr<OutputFile> real;
        };
        return std::make_unique<Full>(std::move(file));
    }

  private:
    std::string full_;
};

// Zip items are deflated into scratch files beside the output; none may stay behind, whether the
// build succeeds, is refused or fails.
TEST(PayloadBuilderTest, LeavesNoScratchFilesBehind) {
    struct Case {
        const char* label;
        std::vector<PackedItem> more;  // after two zip items
        std::string fullDisk;          // the file whose writes fail
        bool builds;
    };
    const std::vector<Case> cases = {
        {"built", {}, "", true},
        {"refused: marker in a raw item after them",
         {{"m.swf", ByteSource::memory(WithMarkerAt(Movie(5000, 1), 4000)), true}},
         "",
         false},
        {"failed: a later source is missing",
         {{"gone.swf", ByteSource::file("C:\\in\\gone.swf"), false}},
         "",
         false},
        {"failed: writing a scratch file", {}, "C:\\out.scr.item1~", false},
        {"failed: writing the output", {}, "C:\\out.scr", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        testing::TestDrive drive;
        FullDiskFileSystem fs(c.fullDisk);
        fs.mapDrive('C', drive.root());
        drive.put("C:\\in\\a.swf", Movie(300000, 1));
        PayloadBuilder b(fs);
        b.setRuntime(ByteSource::memory(Filler(1000)));
        b.setSettingsText("[Flash]\r\n");
        b.setMemberName("Aqua.002");
        b.addItem({"a.swf", ByteSource::file("C:\\in\\a.swf"), false});
        b.addItem({"b.swf", ByteSource::memory(Movie(2000, 2)), false});
        for (const auto& i : c.more) b.addItem(i);
        if (c.builds)
            EXPECT_NO_THROW(b.build("C:\\out.scr"));
        else
            EXPECT_THROW(b.build("C:\\out.scr"), PayloadBuildError);
        std::set<std::string> left;
        for (const auto& e : fs.listFolder("C:\\")) left.insert(e.name);
        EXPECT_EQ(left, (c.builds ? std::set<std::string>{"in", "out.scr"}
                                  : std::set<std::string>{"in"}));
    }

    // An input that has a scratch file's name is neither written over nor deleted.
    testing::TestDrive drive;
    drive.put("C:\\out.scr.item1~", "CWS1");
    PayloadBuilder b(drive.fs);
    b.setRuntime(ByteSource::memory(Filler(1000)));
    b.setSettingsText("[Flash]\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"a.swf", ByteSource::memory("CWS2"), true});
    b.addItem({"b.swf", ByteSource::file("C:\\out.scr.item1~"), false});
    EXPECT_THROW(b.build("C:\\out.scr"), PayloadBuildError);
    EXPECT_EQ(drive.get("C:\\out.scr.item1~"), "CWS1");
}

}  // namespace
}  // namespace saver
