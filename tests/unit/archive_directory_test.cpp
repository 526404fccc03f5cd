// Finding the end record and reading the central directory: what counts as an archive, which
// error a damaged one raises, and that a failed directory writes nothing.
#include <gtest/gtest.h>

#include <functional>

#include "archive_test_support.h"

namespace saver {
namespace {

using testing::ArchiveFixture;
using testing::CentralEntryAt;
using testing::EndRecordAt;
using testing::Put16;
using testing::Put32;

constexpr char kIncomplete[] = "Incomplete Zip File";
constexpr char kNotValid[] = "Not a valid zip file!";

// Two members, optionally with an archive comment.
std::string TwoMembers(const std::string& comment = "") {
    ZipWriter w;
    w.add("one.txt", testing::SampleText(3000, 1));
    w.add("two.txt", "second", ZipWriter::Method::Stored);
    w.setComment(comment);
    return w.finish();
}

// An end record (22 bytes) whose comment length says `commentLength`.
std::string FakeEndRecord(std::uint32_t cdOffset, std::uint16_t commentLength) {
    std::string r(22, '\0');
    Put32(r, 0, 0x06054b50);
    Put16(r, 8, 1);
    Put16(r, 10, 1);
    Put32(r, 12, 46);
    Put32(r, 16, cdOffset);
    Put16(r, 20, commentLength);
    return r;
}

struct DirectoryCase {
    const char* name;
    std::function<std::string()> archive;
    const char* error;  // "" when the archive must extract
};

const DirectoryCase kDirectoryCases[] = {
    {"Plain", [] { return TwoMembers(); }, ""},
    {"LongestComment", [] { return TwoMembers(std::string(65535, 'c')); }, ""},
    {"CommentHoldsSignature", [] { return TwoMembers("PK\x05\x06 not a record PK\x05\x06"); }, ""},
    // A whole record inside the comment whose own comment reaches the end, but whose
    // directory offset points at member data: passed over, the real record is found.
    {"CommentHoldsPlausibleRecord",
     [] {
         const std::string tail = "xyz";
         return TwoMembers(FakeEndRecord(10, static_cast<std::uint16_t>(tail.size())) + tail);
     },
     ""},
    // Bytes after the archive, as a code signature appended to a finished screensaver.
    {"TrailingBytes", [] { return TwoMembers() + testing::SampleText(3000, 7); }, ""},
    {"CommentAndTrailingZeros", [] { return TwoMembers("note") + std::string(5000, '\0'); }, ""},
    {"TrailingBytesHoldImplausibleRecord",
     [] { return TwoMembers() + FakeEndRecord(10, 0) + "tail"; }, ""},
    {"CommentRunsPastEnd",
     [] {
         std::string z = TwoMembers("abc");
         Put16(z, z.size() - 3 - 2, 4);
         return z;
     },
     kIncomplete},
    {"CutShort",
     [] {
         std::string z = TwoMembers();
         return z.substr(0, z.size() - 5);
     },
     kIncomplete},
    {"CutInsideData", [] { return TwoMembers().substr(0, 200); }, kIncomplete},
    {"TooShortForRecord", [] { return std::string(21, 'P'); }, kIncomplete},
    {"NotAnArchive", [] { return testing::SampleText(5000); }, kIncomplete},
    {"OnlyEndRecordEmpty", [] { return FakeEndRecord(0, 0).replace(8, 8, 8, '\0'); }, ""},
    {"DirectoryOffsetWrong",
     [] {
         std::string z = TwoMembers();
         Put32(z, EndRecordAt(z) + 16, 7);
         return z;
     },
     kNotValid},
    {"DirectoryPastRecord",
     [] {
         std::string z = TwoMembers();
         Put32(z, EndRecordAt(z) + 12, 0x7FFFFFFF);
         return z;
     },
     kNotValid},
    {"SecondEntryDamaged",
     [] {
         std::string z = TwoMembers();
         z[CentralEntryAt(z, 1)] = 'X';
         return z;
     },
     kNotValid},
    {"MoreEntriesThanDirectory",
     [] {
         std::string z = TwoMembers();
         Put16(z, EndRecordAt(z) + 10, 3);
         return z;
     },
     kNotValid},
    {"NameRunsPastDirectory",
     [] {
         std::string z = TwoMembers();
         Put16(z, CentralEntryAt(z, 1) + 28, 0xFFFF);
         return z;
     },
     kNotValid},
};

class DirectoryCases : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryCases, ExtractOrRaise) {
    const DirectoryCase& c = GetParam();
    ArchiveFixture f;
    EXPECT_EQ(f.extract(c.archive()), c.error);
    if (*c.error != '\0') {
        EXPECT_EQ(f.outputCount(), 0u) << "a damaged directory must write nothing";
    } else if (std::string(c.name) != "OnlyEndRecordEmpty") {
        EXPECT_EQ(f.content("one.txt"), testing::SampleText(3000, 1));
        EXPECT_EQ(f.content("two.txt"), "second");
    }
    EXPECT_TRUE(f.sys.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Archive, DirectoryCases, ::testing::ValuesIn(kDirectoryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveDirectory, EmptyFileIsAnEmptyArchive) {
    ArchiveFixture f;
    EXPECT_EQ(f.extract(""), "");
    EXPECT_EQ(f.outputCount(), 0u);
}

TEST(ArchiveDirectory, MissingArchiveRaisesIncomplete) {
    ArchiveFixture f;
    EXPECT_THROW(f.extractor.extractAll("C:\\in\\none.zip", ArchiveFixture::kOut), ZipError);
}

}  // namespace
}  // namespace saver
