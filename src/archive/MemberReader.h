// MemberReader: the compressed bytes of one archive member, read from the archive file in
// fixed-size chunks so memory does not depend on the member's size.
//
// Contract: delivers exactly `length` bytes starting at `offset` of the file, then reports the
// end (nextByte() returns -1, read() returns 0). The caller has checked that the range lies
// inside the file; a file that turns out shorter ends the data early. Read failures of the
// system propagate as IoError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace saver {

class InputFile;

class MemberReader {
  public:
    MemberReader(InputFile& file, std::uint64_t offset, std::uint64_t length);

    // Copies up to `max` bytes into `out`; 0 at the end.
    std::size_t read(std::uint8_t* out, std::size_t max);

    // The next byte, or -1 at the end.
    int nextByte() {
        if (pos_ == end_ && !fill()) return -1;
        return buffer_[pos_++];
    }

    std::uint64_t remaining() const { return left_ + (end_ - pos_); }

  private:
    bool fill();

    InputFile& file_;
    std::uint64_t offset_;  // next file position to read
    std::uint64_t left_;    // bytes of the member not yet read from the file
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

}  // namespace saver
