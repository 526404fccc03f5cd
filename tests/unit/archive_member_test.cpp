// Per-member behaviour: a damaged, oversized, encrypted or unknown member is skipped without
// leaving a file while its neighbours are still written; names land in the destination folder
// only; existing files are replaced unless read-only; calls do not leak into each other.
#include <gtest/gtest.h>

#include <functional>

#include "archive_test_support.h"
#include "payload/Runtime.h"

namespace saver {
namespace {

using testing::ArchiveFixture;
using testing::CentralEntryAt;
using testing::DataAt;
using testing::Get32;
using testing::LocalHeaderAt;
using testing::Put16;
using testing::Put32;
using testing::SampleText;
using Method = ZipWriter::Method;

// first.txt, middle.bin (the one each case damages), last.txt.
std::string ThreeMembers(Method middleMethod) {
    ZipWriter w;
    w.add("first.txt", "first member");
    w.add("middle.bin", SampleText(20000, 7), middleMethod);
    w.add("last.txt", "last member", Method::Stored);
    return w.finish();
}

struct MemberFault {
    const char* name;
    Method method;
    std::function<void(std::string&)> damage;
    int messages;  // message boxes expected
};

void SetCentral16(std::string& z, std::size_t field, std::uint16_t v) {
    Put16(z, CentralEntryAt(z, 1) + field, v);
}
void SetCentral32(std::string& z, std::size_t field, std::uint32_t v) {
    Put32(z, CentralEntryAt(z, 1) + field, v);
}
void AddToCentral32(std::string& z, std::size_t field, std::int64_t delta) {
    SetCentral32(z, field,
                 static_cast<std::uint32_t>(Get32(z, CentralEntryAt(z, 1) + field) + delta));
}

const MemberFault kFaults[] = {
    {"CrcMismatchStored", Method::Stored, [](std::string& z) { AddToCentral32(z, 16, 1); }, 0},
    {"CrcMismatchDeflated", Method::Deflated, [](std::string& z) { AddToCentral32(z, 16, 1); }, 0},
    {"StoredDataFlipped", Method::Stored, [](std::string& z) { z[DataAt(z, 1) + 100] ^= 0x20; }, 0},
    {"DeflateDataGarbled", Method::Deflated,
     [](std::string& z) {
         for (int i = 0; i < 40; ++i) z[DataAt(z, 1) + 20 + i] = static_cast<char>(0xFF);
     },
     0},
    // Declared smaller than the data really is: the writer must stop at the declared size.
    {"OversizeDeflated", Method::Deflated, [](std::string& z) { AddToCentral32(z, 24, -1000); }, 0},
    {"OversizeStored", Method::Stored, [](std::string& z) { AddToCentral32(z, 24, -1000); }, 0},
    {"UndersizeDeflated", Method::Deflated, [](std::string& z) { AddToCentral32(z, 24, 5); }, 0},
    {"DeflateCutShort", Method::Deflated, [](std::string& z) { AddToCentral32(z, 20, -50); }, 0},
    {"CompressedSizePastFile", Method::Deflated,
     [](std::string& z) { SetCentral32(z, 20, 0x7FFFFFF0); }, 0},
    {"LocalHeaderMissing", Method::Deflated, [](std::string& z) { z[LocalHeaderAt(z, 1)] = 'X'; },
     0},
    {"LocalOffsetPastFile", Method::Deflated,
     [](std::string& z) { SetCentral32(z, 42, 0xFFFFFFF0); }, 0},
    {"Encrypted", Method::Deflated, [](std::string& z) { SetCentral16(z, 8, 1); }, 0},
    {"UnknownMethod", Method::Deflated, [](std::string& z) { SetCentral16(z, 10, 99); }, 1},
    {"Deflate64IsUnknown", Method::Deflated, [](std::string& z) { SetCentral16(z, 10, 9); }, 1},
    // Deflated bytes given to the legacy decoders: whatever they make of it must not survive.
    {"WrongMethodShrink", Method::Deflated, [](std::string& z) { SetCentral16(z, 10, 1); }, 0},
    {"WrongMethodReduce", Method::Deflated, [](std::string& z) { SetCentral16(z, 10, 5); }, 0},
    {"WrongMethodImplode", Method::Deflated, [](std::string& z) { SetCentral16(z, 10, 6); }, 0},
    // Flags for which a second decoding attempt with early PKZIP match lengths is made.
    {"WrongMethodImplodeRetried", Method::Deflated,
     [](std::string& z) {
         SetCentral16(z, 10, 6);
         SetCentral16(z, 8, 4);
     },
     0},
};

class MemberFaults : public ::testing::TestWithParam<MemberFault> {};

TEST_P(MemberFaults, DamagedMemberLeavesNoFileOthersAreWritten) {
    const MemberFault& c = GetParam();
    std::string zip = ThreeMembers(c.method);
    c.damage(zip);
    ArchiveFixture f;
    ASSERT_EQ(f.extract(zip), "");
    EXPECT_FALSE(f.has("middle.bin"));
    EXPECT_EQ(f.content("first.txt"), "first member");
    EXPECT_EQ(f.content("last.txt"), "last member");
    ASSERT_EQ(f.sys.messages.size(), static_cast<std::size_t>(c.messages));
    for (const auto& m : f.sys.messages) {
        EXPECT_EQ(m.text, "Unknown Compression Method");
        EXPECT_EQ(m.caption, "Zip Error");
        EXPECT_EQ(m.kind, MessageBoxKind::Ok);
    }
}

INSTANTIATE_TEST_SUITE_P(Archive, MemberFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveMembers, DamagedMemberLeavesAnOlderFileOfItsNameAsItWas) {
    // CRC-32 and uncompressed size of the middle member, each one off.
    for (std::size_t field : {16u, 24u}) {
        std::string zip = ThreeMembers(Method::Deflated);
        AddToCentral32(zip, field, 1);
        ArchiveFixture f;
        f.drive.put(std::string(ArchiveFixture::kOut) + "middle.bin", "old");
        ASSERT_EQ(f.extract(zip), "");
        EXPECT_EQ(f.content("middle.bin"), "old") << field;
        EXPECT_EQ(f.outputCount(), 3u) << field;  // no partly written file left behind
    }
}

TEST(ArchiveMembers, EveryUnknownMemberShowsOneMessage) {
    ZipWriter w;
    w.add("a.txt", "a");
    w.add("b.txt", "b");
    w.add("c.txt", "c");
    std::string zip = w.finish();
    Put16(zip, CentralEntryAt(zip, 0) + 10, 14);
    Put16(zip, CentralEntryAt(zip, 2) + 10, 12);
    ArchiveFixture f;
    ASSERT_EQ(f.extract(zip), "");
    EXPECT_EQ(f.sys.messages.size(), 2u);
    EXPECT_EQ(f.outputCount(), 1u);
    EXPECT_EQ(f.content("b.txt"), "b");
}

TEST(ArchiveMembers, FolderPathsAreDroppedAndNothingLandsOutside) {
    ZipWriter w;
    w.add("deep/er/inner.txt", "inner");
    w.add("back\\slash.txt", "slash", Method::Stored);
    w.add("../../escape.txt", "escape");
    w.add("folder/", "", Method::Stored);
    w.add("C:evil.txt", "evil");
    w.add("nul.txt", "device");
    ArchiveFixture f;
    ASSERT_EQ(f.extract(w.finish()), "");
    EXPECT_EQ(f.content("inner.txt"), "inner");
    EXPECT_EQ(f.content("slash.txt"), "slash");
    EXPECT_EQ(f.content("escape.txt"), "escape");
    EXPECT_EQ(f.outputCount(), 3u);
    // Only the archive's folder and the output folder exist on the drive.
    EXPECT_EQ(f.drive.fs.listFolder("C:\\").size(), 2u);
    EXPECT_FALSE(f.drive.fs.fileExists("C:\\escape.txt"));
    EXPECT_FALSE(f.drive.fs.folderExists("C:\\out\\deep"));
}

TEST(ArchiveMembers, ExistingFileIsReplacedReadOnlyFileIsKept) {
    ArchiveFixture f;
    const std::string out = ArchiveFixture::kOut;
    f.drive.put(out + "plain.txt", "old plain, longer than the new content");
    f.drive.put(out + "locked.txt", "old locked");
    ASSERT_TRUE(f.drive.fs.setReadOnly(out + "locked.txt", true));
    ZipWriter w;
    w.add("plain.txt", "new plain");
    w.add("locked.txt", "new locked");
    w.add("after.txt", "after");
    ASSERT_EQ(f.extract(w.finish()), "");
    EXPECT_EQ(f.content("plain.txt"), "new plain");
    EXPECT_EQ(f.content("locked.txt"), "old locked");
    EXPECT_EQ(f.content("after.txt"), "after");
    EXPECT_TRUE(f.sys.messages.empty());
}

TEST(ArchiveMembers, MemberNamedLikeTheArchiveDoesNotOverwriteIt) {
    testing::TestDrive drive;
    FakeServices sys;
    ZipWriter w;
    w.add("Settings.ZIP", "would truncate the archive");
    w.add("after.txt", "after");
    const std::string zip = w.finish();
    drive.put("C:\\ws\\settings.zip", zip);
    ZipExtractor(drive.fs, sys).extractAll("C:\\ws\\settings.zip", "C:\\ws\\");
    EXPECT_EQ(drive.get("C:\\ws\\settings.zip"), zip);
    EXPECT_EQ(drive.get("C:\\ws\\after.txt"), "after");
}

TEST(ArchiveMembers, Utf8FlaggedNameIsConverted) {
    ZipWriter w;
    w.add("caf\xC3\xA9.txt", "utf8");
    w.add("\x82t\x82.txt", "oem");
    std::string zip = w.finish();
    Put16(zip, CentralEntryAt(zip, 0) + 8, 1 << 11);
    ArchiveFixture f;
    ASSERT_EQ(f.extract(zip), "");
    EXPECT_EQ(f.content("caf\xE9.txt"), "utf8");
    EXPECT_EQ(f.content("\xE9t\xE9.txt"), "oem");
}

TEST(ArchiveMembers, LargeMemberRoundTrips) {
    const std::string big = SampleText(3 * 1024 * 1024 + 17, 3);
    ZipWriter w;
    w.add("big.txt", big);
    w.add("big.raw", big, Method::Stored);
    ArchiveFixture f;
    ASSERT_EQ(f.extract(w.finish()), "");
    EXPECT_EQ(f.content("big.txt"), big);
    EXPECT_EQ(f.content("big.raw"), big);
}

TEST(ArchiveMembers, TwoCallsInARowKeepTheirOwnArchiveAndFolder) {
    testing::TestDrive drive;
    FakeServices sys;
    Runtime rt(drive.fs, sys);
    ZipWriter w;
    w.add("from-one.txt", "1");
    drive.put("C:\\a\\one.zip", w.finish());
    w.add("from-two.txt", "2");
    drive.put("C:\\b\\two.zip", w.finish());
    drive.fs.createFolders("C:\\x");
    drive.fs.createFolders("C:\\y");

    UnzipArchive(rt, "C:\\a\\one.zip", "C:\\x\\");
    UnzipArchive(rt, "C:\\b\\two.zip", "C:\\y");  // no trailing "\" this time
    EXPECT_EQ(drive.get("C:\\x\\from-one.txt"), "1");
    EXPECT_EQ(drive.get("C:\\y\\from-two.txt"), "2");
    EXPECT_EQ(drive.fs.listFolder("C:\\x").size(), 1u);
    EXPECT_EQ(drive.fs.listFolder("C:\\y").size(), 1u);

    // A failing call in between leaves nothing behind for the next one either.
    drive.put("C:\\a\\bad.zip", "not an archive at all, not even close");
    EXPECT_THROW(UnzipArchive(rt, "C:\\a\\bad.zip", "C:\\x"), ZipError);
    UnzipArchive(rt, "C:\\a\\one.zip", "C:\\y");
    EXPECT_EQ(drive.get("C:\\y\\from-one.txt"), "1");
    EXPECT_EQ(drive.fs.listFolder("C:\\x").size(), 1u);
}

}  // namespace
}  // namespace saver
