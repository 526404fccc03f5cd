// Every decoder, fed real members with a wrong declared size or cut-short data: output never
// goes past the declared size, and short data is reported instead of being made up.
#include <gtest/gtest.h>
#include <zlib.h>

#include "TestDrive.h"
#include "archive/MemberDecoders.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipWriter.h"

namespace saver {
namespace {

class MemoryOutput : public OutputFile {
  public:
    void write(const void* data, std::size_t count) override {
        bytes.append(static_cast<const char*>(data), count);
    }
    void close() override {}
    std::string bytes;
};

struct Sample {
    const char* archive;
    int member;
};

// One member of each method.
const Sample kSamples[] = {
    {"multizip.zip", 0},          {"multizip.zip", 1}, {"multizip.zip", 2},
    {"multizip.zip", 3},          {"multizip.zip", 4}, {"multizip.zip", 5},
    {"multizip.zip", 6},          {"multizip.zip", 7}, {"multizip.zip", 8},
    {"Zip.reduce4.zip", 1},       {"SHRUNK.ZIP", 0},   {"imploding-8Kdict-3trees.zip", 0},
    {"pkzip_raw_streams.zip", 1},
};

class Decoders : public ::testing::TestWithParam<Sample> {
  protected:
    void SetUp() override {
        drive.fs.mapDrive('D', SAVER_TESTDATA "/zip/legacy");
        file = drive.fs.openRead(std::string("D:\\") + GetParam().archive);
        ASSERT_TRUE(file);
        entry = ZipDirectory::read(*file).at(GetParam().member);
        offset = ZipDirectory::dataOffset(*file, entry).value();
    }
    // Decodes with the given declared size and compressed length; true when no error.
    bool Run(std::uint64_t declared, std::uint64_t compressed, MemoryOutput& out) {
        MemberReader in(*file, offset, compressed);
        MemberWriter writer(out, declared);
        try {
            decodeMember(in, writer, entry.method, entry.flags);
        } catch (const ZipDataError&) {
            return false;
        }
        return writer.written() == declared;
    }

    testing::TestDrive drive;
    std::unique_ptr<InputFile> file;
    ZipEntry entry;
    std::uint64_t offset = 0;
};

TEST_P(Decoders, WholeMemberMatchesItsCrc) {
    MemoryOutput out;
    ASSERT_TRUE(Run(entry.size, entry.compressedSize, out));
    EXPECT_EQ(crc32_z(0, reinterpret_cast<const Bytef*>(out.bytes.data()), out.bytes.size()),
              entry.crc);
}

TEST_P(Decoders, NeverWritesPastTheDeclaredSize) {
    const std::uint64_t declared = entry.size / 2;
    MemoryOutput out;
    Run(declared, entry.compressedSize, out);
    EXPECT_LE(out.bytes.size(), declared);
}

TEST_P(Decoders, CutShortDataIsAnError) {
    MemoryOutput out;
    EXPECT_FALSE(Run(entry.size, entry.compressedSize / 2, out));
    EXPECT_LT(out.bytes.size(), entry.size);
}

INSTANTIATE_TEST_SUITE_P(Archive, Decoders, ::testing::ValuesIn(kSamples), [](const auto& info) {
    std::string n = info.param.archive;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n + "_" + std::to_string(info.param.member);
});

}  // namespace
}  // namespace saver
