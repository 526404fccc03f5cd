#include "BitWriter.h"

#include <stdexcept>

namespace saver::swfwriter {

void BitWriter::WriteUB(std::uint32_t value, int bits) {
    if (bits < 0 || bits > 32) throw std::out_of_range("bit field wider than 32 bits");
    if (bits < 32 && (static_cast<std::uint64_t>(value) >> bits) != 0)
        throw std::out_of_range("value does not fit its unsigned bit field");
    for (int i = bits - 1; i >= 0; --i) {
        if (bitPos_ == 0) bytes_.push_back(0);
        if ((value >> i) & 1u) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> bitPos_);
        bitPos_ = (bitPos_ + 1) & 7;
    }
}

void BitWriter::WriteSB(std::int32_t value, int bits) {
    if (bits < 0 || bits > 32) throw std::out_of_range("bit field wider than 32 bits");
    if (SignedBits(value) > bits)
        throw std::out_of_range("value does not fit its signed bit field");
    // Two's complement, cut to `bits` bits; the range check above makes the cut lossless.
    const auto raw = static_cast<std::uint32_t>(value);
    WriteUB(bits == 32 ? raw : raw & ((1u << bits) - 1u), bits);
}

void BitWriter::WriteFB(std::int32_t fixed1616, int bits) {
    WriteSB(fixed1616, bits);
}

void BitWriter::Align() {
    bitPos_ = 0;
}

void BitWriter::WriteU8(std::uint8_t value) {
    Align();
    bytes_.push_back(value);
}

void BitWriter::WriteU16(std::uint16_t value) {
    WriteU8(static_cast<std::uint8_t>(value));
    WriteU8(static_cast<std::uint8_t>(value >> 8));
}

void BitWriter::WriteU32(std::uint32_t value) {
    WriteU16(static_cast<std::uint16_t>(value));
    WriteU16(static_cast<std::uint16_t>(value >> 16));
}

void BitWriter::WriteBytes(std::span<const std::uint8_t> bytes) {
    Align();
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void BitWriter::WriteString(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        throw std::invalid_argument("string holds a zero byte");
    Align();
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
}

void BitWriter::PatchU16(std::size_t offset, std::uint16_t value) {
    if (offset + 2 > bytes_.size()) throw std::out_of_range("patch past the end");
    bytes_[offset] = static_cast<std::uint8_t>(value);
    bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void BitWriter::PatchU32(std::size_t offset, std::uint32_t value) {
    PatchU16(offset, static_cast<std::uint16_t>(value));
    PatchU16(offset + 2, static_cast<std::uint16_t>(value >> 16));
}

int BitWriter::UnsignedBits(std::uint32_t value) {
    int bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

int BitWriter::SignedBits(std::int32_t value) {
    if (value == 0) return 0;
    // A negative value needs as many magnitude bits as its one's complement, plus the sign.
    const auto magnitude = static_cast<std::uint32_t>(value < 0 ? ~value : value);
    return UnsignedBits(magnitude) + 1;
}

}  // namespace saver::swfwriter
