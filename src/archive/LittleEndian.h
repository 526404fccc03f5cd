// Little-endian integers as ZIP records (PKWARE APPNOTE) store them: appended to a byte string
// when writing, taken from a byte buffer when reading. The readers expect the bytes to be there;
// callers check lengths first.
#pragma once

#include <cstdint>
#include <string>

namespace saver {

inline void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(le16(p)) | static_cast<std::uint32_t>(le16(p + 2)) << 16;
}

}  // namespace saver
