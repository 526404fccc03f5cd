#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestDrive.h"
#include "payload/IniDocument.h"

namespace saver {
namespace {

using testing::TestDrive;

struct ReadCase {
    const char* name;
    std::string text;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, ReadsValueAndKeepsItThroughAWriteBack) {
    const ReadCase& c = GetParam();
    const IniDocument doc = IniDocument::parse(c.text);
    EXPECT_EQ(doc.read(c.section, c.key), c.expected);
    EXPECT_EQ(IniDocument::parse(doc.text()).read(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniRead,
    ::testing::Values(
        ReadCase{"SectionAndKeyIgnoreCase", "[Set]\r\nFlashSize=2\r\n", "sET", "flashsize", "2"},
        ReadCase{"ValueIsRestOfLineUnchanged", "[Set]\r\nScrName= My = Saver  \r\n", "Set",
                 "ScrName", " My = Saver  "},
        ReadCase{"KeyNameTrimmed", "[Set]\r\n  \tFontName \t=Arial\r\n", "Set", "FontName",
                 "Arial"},
        ReadCase{"HeaderTrimmed", "  [ Caption ]  \r\nX=5\r\n", "caption", "X", "5"},
        ReadCase{"EmptyValue", "[Set]\nAuthor=\n", "Set", "Author", ""},
        ReadCase{"LfOnly", "[Set]\nA=1\nB=2", "Set", "B", "2"},
        ReadCase{"LoneCr", "[Set]\rA=1\rB=2\r", "Set", "B", "2"},
        ReadCase{"MixedLineEnds", "[Set]\r\nA=1\n\rB=2\r\r\n", "Set", "B", "2"},
        ReadCase{"NoLineEndAtAll", "[Set]", "Set", "A", std::nullopt},
        ReadCase{"FirstDuplicateKeyWins", "[Set]\r\nA=1\r\nA=2\r\n", "Set", "A", "1"},
        ReadCase{"DuplicateSectionsMerge", "[Set]\r\nA=1\r\n[Flash]\r\nf=x\r\n[SET]\r\nB=2\r\n",
                 "Set", "B", "2"},
        ReadCase{"EarlierSectionPartWins", "[Set]\r\nA=1\r\n[set]\r\nA=2\r\n", "Set", "A", "1"},
        ReadCase{"KeysBeforeAnyHeaderUnreadable", "A=1\r\n[Set]\r\n", "", "A", std::nullopt},
        ReadCase{"CommentIsNoKey", "[Set]\r\n;A=1\r\n", "Set", ";A", std::nullopt},
        ReadCase{"LineWithoutEqualsIsNoKey", "[Set]\r\nA\r\n", "Set", "A", std::nullopt},
        ReadCase{"EmptyKeyNameIsNoKey", "[Set]\r\n =1\r\n", "Set", "", std::nullopt},
        ReadCase{"BracketWithoutCloseIsAKey", "[Set]\r\n[odd=1\r\n", "Set", "[odd", "1"},
        ReadCase{"BracketedKeyIsAKey", "[Flash]\r\n[HD] Ocean.swf=1\r\n", "Flash", "[HD] Ocean.swf",
                 "1"},
        ReadCase{"BracketedKeyKeepsTheSectionOpen", "[Flash]\r\n [HD] a.swf=1\r\nb.swf=2\r\n",
                 "Flash", "b.swf", "2"},
        ReadCase{"HeaderMustEndWithBracket", "[Set]\r\nA=1\r\n[Other] x\r\nB=2\r\n", "Set", "B",
                 "2"},
        ReadCase{"ZeroBytesAreData", std::string("[Set]\r\nA=x\0y\r\n", 14), "Set", "A",
                 std::string("x\0y", 3)},
        ReadCase{"MissingSection", "[Set]\r\nA=1\r\n", "Flash", "A", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocumentTest, UntouchedLinesSurviveByteForByteWithCrlf) {
    const std::string original =
        "; made by the builder\n[Set]\nStetchImage = 1 \nzipscr=abc\n\ngarbage line\n[Flash]\n"
        "C:\\movies\\a.swf=1\n";
    IniDocument doc = IniDocument::parse(original);
    doc.write("Set", "FlashSize", "2");
    EXPECT_EQ(doc.text(),
              "; made by the builder\r\n[Set]\r\nStetchImage = 1 \r\nzipscr=abc\r\nFlashSize=2\r\n"
              "\r\ngarbage line\r\n[Flash]\r\nC:\\movies\\a.swf=1\r\n");
}

TEST(IniDocumentTest, WriteReplacesFirstOccurrenceInPlaceKeepingKeySpelling) {
    IniDocument doc = IniDocument::parse("[set]\r\n  mouseMOVE = 0\r\nMouseMove=7\r\n");
    doc.write("Set", "MouseMove", "1");
    EXPECT_EQ(doc.text(), "[set]\r\n  mouseMOVE =1\r\nMouseMove=7\r\n");
    EXPECT_EQ(doc.read("SET", "mousemove"), "1");
}

TEST(IniDocumentTest, WriteAddsMissingSectionAfterABlankLine) {
    IniDocument doc = IniDocument::parse("[Set]\r\nA=1");
    doc.write("Caption", "X", "10");
    doc.write("Caption", "Y", "11");
    EXPECT_EQ(doc.text(), "[Set]\r\nA=1\r\n\r\n[Caption]\r\nX=10\r\nY=11\r\n");
    IniDocument commented = IniDocument::parse("[Set]\r\n; none yet\r\n\r\n[Flash]\r\n");
    commented.write("Set", "A", "1");
    EXPECT_EQ(commented.text(), "[Set]\r\n; none yet\r\nA=1\r\n\r\n[Flash]\r\n");
    IniDocument empty;
    empty.write("Set", "A", "1");
    EXPECT_EQ(empty.text(), "[Set]\r\nA=1\r\n");
}

TEST(IniDocumentTest, KeysAreListedOnceInFileOrderAcrossDuplicateSections) {
    const IniDocument doc =
        IniDocument::parse("[Flash]\r\nb=1\r\na=2\r\n[Set]\r\n[FLASH]\r\nB=3\r\nc=4\r\n");
    EXPECT_EQ(doc.keys("flash"), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_TRUE(doc.keys("Music").empty());
    EXPECT_TRUE(doc.hasSection("set"));
    EXPECT_FALSE(doc.hasSection("Music"));
}

TEST(IniDocumentTest, RefusesWritesThatWouldReadBackDifferently) {
    struct Case {
        std::string section, key, value;
    };
    const std::vector<Case> refused = {
        {"Set", "A", "two\r\nlines"}, {"Set", "A=B", "1"}, {"Set", " A", "1"}, {"Set", "[A", "x]"},
        {"Set", ";A", "1"},           {"Set", "", "1"},    {"Se]t", "A", "1"}, {"", "A", "1"},
        {" Set", "A", "1"},           {"Set", "A\nB", "1"}};
    for (const Case& c : refused) {
        IniDocument doc = IniDocument::parse("[Set]\r\nA=old\r\n");
        doc.write(c.section, c.key, c.value);
        EXPECT_EQ(doc.text(), "[Set]\r\nA=old\r\n") << c.section << "/" << c.key;
    }
}

// A file system whose renames, or writes, always fail, to see what a failed save leaves behind.
class FailingFileSystem : public PosixFileSystem {
  public:
    FailingFileSystem(const std::string& root, bool failWrites) : failWrites_(failWrites) {
        mapDrive('C', root);
    }
    bool renameReplace(const std::string& from, const std::string& to) override {
        return failWrites_ && PosixFileSystem::renameReplace(from, to);
    }
    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        std::unique_ptr<OutputFile> real = PosixFileSystem::createFile(path);
        if (!real || !failWrites_) return real;
        return std::make_unique<FullDisk>(std::move(real));
    }

  private:
    struct FullDisk : OutputFile {
        explicit FullDisk(std::unique_ptr<OutputFile> file) : real(std::move(file)) {}
        void write(const void*, std::size_t) override { throw IoError("disk full"); }
        void close() override { real->close(); }
        std::unique_ptr<OutputFile> real;
    };
    bool failWrites_;
};

TEST(IniDocumentTest, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
    TestDrive drive;
    drive.put("C:\\s\\a.002", "[Set]\r\nA=1\r\n");
    IniDocument doc = IniDocument::loadFile(drive.fs, "C:\\s\\a.002");
    doc.write("Set", "A", "2");
    ASSERT_TRUE(doc.saveAtomically(drive.fs, "C:\\s\\a.002"));
    EXPECT_EQ(drive.get("C:\\s\\a.002"), "[Set]\r\nA=2\r\n");
    EXPECT_EQ(drive.fs.listFolder("C:\\s\\").size(), 1u);
}

TEST(IniDocumentTest, FailedSaveLeavesOriginalIntactAndNoTemporaryFile) {
    TestDrive drive;
    drive.put("C:\\s\\ro.002", "[Set]\r\nA=1\r\n");
    drive.fs.setReadOnly("C:\\s\\ro.002", true);
    IniDocument doc = IniDocument::parse("[Set]\r\nA=2\r\n");
    EXPECT_FALSE(doc.saveAtomically(drive.fs, "C:\\s\\ro.002"));
    EXPECT_EQ(drive.get("C:\\s\\ro.002"), "[Set]\r\nA=1\r\n");

    drive.put("C:\\s\\rw.002", "[Set]\r\nA=1\r\n");
    for (bool failWrites : {false, true}) {
        FailingFileSystem failing(drive.root(), failWrites);
        EXPECT_FALSE(doc.saveAtomically(failing, "C:\\s\\rw.002"));
        EXPECT_EQ(drive.get("C:\\s\\rw.002"), "[Set]\r\nA=1\r\n");
    }

    EXPECT_FALSE(doc.saveAtomically(drive.fs, "C:\\missing\\x.002"));
    EXPECT_EQ(drive.fs.listFolder("C:\\s\\").size(), 2u);  // no temporary file left behind
    EXPECT_FALSE(drive.fs.folderExists("C:\\missing\\"));
}

}  // namespace
}  // namespace saver
