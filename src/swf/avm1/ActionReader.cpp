#include "swf/avm1/ActionReader.h"

#include <cstring>

namespace saver::swf::avm1 {

std::optional<ActionRecord> ReadAction(std::span<const std::uint8_t> code, std::size_t offset) {
    if (offset >= code.size()) return std::nullopt;
    ActionRecord r;
    r.code = code[offset];
    r.offset = offset;
    if (r.code < 0x80) {
        r.next = offset + 1;
        return r;
    }
    if (offset + 3 > code.size()) return std::nullopt;
    const std::size_t length = code[offset + 1] | (code[offset + 2] << 8);
    if (offset + 3 + length > code.size()) return std::nullopt;
    r.payload = code.subspan(offset + 3, length);
    r.next = offset + 3 + length;
    return r;
}

std::uint8_t PayloadReader::u8() {
    if (pos_ >= bytes_.size()) {
        ok_ = false;
        return 0;
    }
    return bytes_[pos_++];
}

std::uint16_t PayloadReader::u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t PayloadReader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

float PayloadReader::f32() {
    const std::uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double PayloadReader::f64() {
    const std::uint64_t hi = u32();
    const std::uint64_t lo = u32();
    const std::uint64_t bits = (hi << 32) | lo;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::string PayloadReader::string() {
    std::string s;
    while (pos_ < bytes_.size() && bytes_[pos_] != 0) s += static_cast<char>(bytes_[pos_++]);
    if (pos_ < bytes_.size())
        ++pos_;
    else
        ok_ = false;
    return s;
}

}  // namespace saver::swf::avm1
