// MemberWriter: receives a member's decoded bytes, writes them to the output file, and keeps
// the running CRC-32 and byte count.
//
// Contract: write() throws ZipDataError, having written nothing of that call, when the bytes
// would take the member past its declared uncompressed size, so no member ever grows a file
// beyond what the archive announced. Output failures propagate as IoError.
#pragma once

#include <cstddef>
#include <cstdint>

namespace saver {

class OutputFile;

class MemberWriter {
  public:
    MemberWriter(OutputFile& file, std::uint64_t declaredSize);

    void write(const std::uint8_t* data, std::size_t count);

    std::uint64_t written() const { return written_; }
    std::uint64_t declaredSize() const { return declared_; }
    std::uint32_t crc() const { return crc_; }

  private:
    OutputFile& file_;
    std::uint64_t declared_;
    std::uint64_t written_ = 0;
    std::uint32_t crc_ = 0;
};

}  // namespace saver
