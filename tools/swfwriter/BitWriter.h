// A growing byte buffer written the way SWF files are: bit fields most significant bit first,
// packed across byte boundaries, and whole-byte integers little-endian. Every whole-byte write
// first pads the current partial byte with zero bits, as the format requires before any
// byte-aligned field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace saver::swfwriter {

class BitWriter {
  public:
    // Bit fields. `bits` is 0..32; the value must fit (UB: 0 <= value < 2^bits, SB:
    // -2^(bits-1) <= value < 2^(bits-1)); a value that does not fit throws std::out_of_range,
    // so a wrong bit count never silently truncates a coordinate.
    void WriteUB(std::uint32_t value, int bits);
    void WriteSB(std::int32_t value, int bits);
    // A 16.16 fixed-point value stored as a signed bit field (FB) of `bits` bits.
    void WriteFB(std::int32_t fixed1616, int bits);
    void WriteFlag(bool flag) { WriteUB(flag ? 1 : 0, 1); }

    // Pads the partial byte, if any, with zero bits.
    void Align();

    // Byte-aligned fields (little-endian).
    void WriteU8(std::uint8_t value);
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void WriteBytes(std::span<const std::uint8_t> bytes);
    // A STRING: the bytes followed by a terminating zero. Text holding a zero byte throws
    // std::invalid_argument (it would end the string early).
    void WriteString(std::string_view text);

    // Overwrites a little-endian UI16 at a byte offset already written.
    void PatchU16(std::size_t offset, std::uint16_t value);
    void PatchU32(std::size_t offset, std::uint32_t value);

    // The bytes written so far, the partial byte included (padded with zeros).
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

    // Fewest bits an unsigned / signed bit field needs for `value` (0 needs 0 bits).
    static int UnsignedBits(std::uint32_t value);
    static int SignedBits(std::int32_t value);

  private:
    std::vector<std::uint8_t> bytes_;
    int bitPos_ = 0;  // bits used in the last byte; 0 when aligned
};

}  // namespace saver::swfwriter
