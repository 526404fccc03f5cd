// Bit fields are read a byte-sized chunk at a time; `bitPos_` counts the bits of the current
// byte already used so that byte reads can realign cheaply.
#include "swf/format/SwfBitReader.h"

#include "swf/format/SwfReader.h"

namespace saver::swf {

SwfBitReader::SwfBitReader(std::span<const std::uint8_t> data, const char* what)
    : data_(data), what_(what) {}

void SwfBitReader::fail() const {
    throw SwfError(std::string("truncated ") + what_);
}

void SwfBitReader::need(std::size_t count) const {
    if (count > remaining()) fail();
}

void SwfBitReader::align() {
    if (bitPos_ != 0) {
        ++pos_;
        bitPos_ = 0;
    }
}

std::uint8_t SwfBitReader::u8() {
    align();
    need(1);
    return data_[pos_++];
}

std::uint16_t SwfBitReader::u16() {
    align();
    need(2);
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t SwfBitReader::u32() {
    align();
    need(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return v;
}

std::span<const std::uint8_t> SwfBitReader::bytes(std::size_t count) {
    align();
    need(count);
    const auto out = data_.subspan(pos_, count);
    pos_ += count;
    return out;
}

void SwfBitReader::skip(std::size_t count) {
    bytes(count);
}

std::string SwfBitReader::string() {
    align();
    for (std::size_t end = pos_; end < data_.size(); ++end) {
        if (data_[end] == 0) {
            std::string out(reinterpret_cast<const char*>(data_.data() + pos_), end - pos_);
            pos_ = end + 1;
            return out;
        }
    }
    throw SwfError(std::string("unterminated string in ") + what_);
}

SwfBitReader SwfBitReader::sub(std::size_t count, const char* what) {
    return SwfBitReader(bytes(count), what);
}

std::uint32_t SwfBitReader::ub(unsigned bits) {
    if (bits > 32) throw SwfError("bit field wider than 32 bits");
    // Whole bits left: checked once so the loop below never reads past the end.
    if (bits > (data_.size() - pos_) * 8 - bitPos_) fail();
    std::uint64_t v = 0;
    while (bits > 0) {
        const unsigned avail = 8 - bitPos_;
        const unsigned take = bits < avail ? bits : avail;
        const unsigned shift = avail - take;
        const unsigned chunk = (data_[pos_] >> shift) & ((1u << take) - 1);
        v = (v << take) | chunk;
        bits -= take;
        bitPos_ += take;
        if (bitPos_ == 8) {
            bitPos_ = 0;
            ++pos_;
        }
    }
    return static_cast<std::uint32_t>(v);
}

std::int32_t SwfBitReader::sb(unsigned bits) {
    const std::uint32_t raw = ub(bits);
    if (bits == 0) return 0;
    std::int64_t v = raw;
    if (bits < 64 && ((raw >> (bits - 1)) & 1u)) v -= std::int64_t{1} << bits;
    return static_cast<std::int32_t>(v);
}

double SwfBitReader::fb(unsigned bits) {
    return sb(bits) / 65536.0;
}

}  // namespace saver::swf
