// BitReader: least-significant-bit-first reading of a member's compressed data, as the legacy
// methods (shrink, reduce, implode) pack their codes.
//
// Contract: peek(n) may look past the end of the data (those bits read as 0), but consuming a
// bit that is not there throws ZipDataError, so a truncated stream cannot make a decoder run on
// invented input. n is at most 32.
#pragma once

#include <cstdint>

#include "archive/MemberReader.h"
#include "archive/ZipDataError.h"

namespace saver {

class BitReader {
  public:
    explicit BitReader(MemberReader& in) : in_(in) {}

    std::uint32_t peek(unsigned n) {
        if (count_ < n) refill();
        return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    }

    void skip(unsigned n) {
        bits_ >>= n;
        count_ -= n;
        // Padding zeros sit above the real bits; eating into them means the data ran out.
        if (count_ < padBits_) throw ZipDataError("compressed data ends early");
    }

    std::uint32_t read(unsigned n) {
        const std::uint32_t v = peek(n);
        skip(n);
        return v;
    }

  private:
    void refill() {
        while (count_ <= 56) {
            int b = in_.nextByte();
            if (b < 0) {
                b = 0;
                padBits_ += 8;
            }
            bits_ |= static_cast<std::uint64_t>(b) << count_;
            count_ += 8;
        }
    }

    MemberReader& in_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;    // bits held in bits_, padding included
    unsigned padBits_ = 0;  // zero bits added after the end of the data
};

}  // namespace saver
