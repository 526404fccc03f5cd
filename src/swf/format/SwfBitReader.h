// SwfBitReader: a bounded little-endian byte and MSB-first bit reader over one span of an SWF
// file, as the format's records need it (UI8/16/32, UB/SB/FB bit fields, STRING).
//
// Byte reads first drop any partly read byte, which is the format's byte alignment after bit
// fields. Nothing is read past the end of the span: a read that would go beyond it throws
// SwfError("truncated <what>"), with <what> naming the part being read ("header", "tag", ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace saver::swf {

class SwfBitReader {
  public:
    SwfBitReader(std::span<const std::uint8_t> data, const char* what);

    std::size_t position() const { return pos_; }
    // Whole bytes left after the next alignment; atEnd() when there are none.
    std::size_t remaining() const { return data_.size() - pos_ - (bitPos_ != 0 ? 1 : 0); }
    bool atEnd() const { return remaining() == 0; }

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // The next `count` bytes, after aligning; they stay owned by the caller's buffer.
    std::span<const std::uint8_t> bytes(std::size_t count);
    void skip(std::size_t count);
    // A NUL-terminated string; throws when the terminator is missing.
    std::string string();
    // A reader over the next `count` bytes (a tag body); this one moves past them.
    SwfBitReader sub(std::size_t count, const char* what);

    std::uint32_t ub(unsigned bits);  // 0..32 bits, unsigned
    std::int32_t sb(unsigned bits);   // 0..32 bits, sign-extended
    double fb(unsigned bits);         // 16.16 fixed point in 0..32 bits
    bool flag() { return ub(1) != 0; }
    // Drops the rest of a partly read byte.
    void align();

    [[noreturn]] void fail() const;

  private:
    void need(std::size_t count) const;

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    unsigned bitPos_ = 0;  // bits of data_[pos_] already used, 0..7
    const char* what_;
};

}  // namespace saver::swf
