// The historical compression methods (shrink, reduce 1-4, implode) against archives written by
// the original tools: every member must come out whole with its stored CRC-32.
#include <gtest/gtest.h>
#include <zlib.h>

#include "TestDrive.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipExtractor.h"
#include "platform/FakeServices.h"

namespace saver {
namespace {

struct LegacyCase {
    const char* archive;
    std::size_t members;
};

const LegacyCase kLegacy[] = {
    {"SHRUNK.ZIP", 2},
    {"Zip.reduce1.zip", 3},
    {"Zip.reduce2.zip", 3},
    {"Zip.reduce3.zip", 3},
    {"Zip.reduce4.zip", 3},
    {"imploding-4Kdict-2trees.zip", 1},
    {"imploding-8Kdict-3trees.zip", 1},
    // All four window/tree combinations; f and g were written with the minimum match lengths
    // of PKZIP 1.01/1.02.
    {"legacy_implode.zip", 8},
    {"multizip.zip", 9},
    {"pkzip_raw_streams.zip", 5},
};

class LegacyArchives : public ::testing::TestWithParam<LegacyCase> {};

std::uint32_t crcOf(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

TEST_P(LegacyArchives, EveryMemberExtractsWithItsCrc) {
    const LegacyCase& c = GetParam();
    testing::TestDrive drive;
    drive.fs.mapDrive('D', SAVER_TESTDATA "/zip/legacy");
    FakeServices sys;
    drive.fs.createFolders("C:\\out");
    const std::string archive = std::string("D:\\") + c.archive;
    ZipExtractor(drive.fs, sys).extractAll(archive, "C:\\out\\");

    auto in = drive.fs.openRead(archive);
    ASSERT_TRUE(in);
    const auto entries = ZipDirectory::read(*in);
    ASSERT_EQ(entries.size(), c.members);
    for (const ZipEntry& e : entries) {
        const std::string path = "C:\\out\\" + e.rawName;
        ASSERT_TRUE(drive.fs.fileExists(path)) << e.rawName << " (method " << e.method << ")";
        const std::string bytes = drive.get(path);
        EXPECT_EQ(bytes.size(), e.size) << e.rawName;
        EXPECT_EQ(crcOf(bytes), e.crc) << e.rawName;
    }
    EXPECT_TRUE(sys.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Archive, LegacyArchives, ::testing::ValuesIn(kLegacy),
                         [](const auto& info) {
                             std::string n = info.param.archive;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

}  // namespace
}  // namespace saver
