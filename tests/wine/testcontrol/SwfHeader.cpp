// Only the first bytes of the body are needed, so a compressed file is inflated just far
// enough to cover the largest possible RECT plus the two 16-bit fields.
#include "SwfHeader.h"

#include <zlib.h>

namespace testcontrol {

namespace {

// 64 bytes cover the largest RECT (5 + 4 x 31 bits = 17 bytes) plus rate and count.
std::string inflatePrefix(const std::string& bytes) {
    std::string out(64, '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + 8));
    z.avail_in = static_cast<uInt>(bytes.size() - 8);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_SYNC_FLUSH);
    size_t produced = out.size() - z.avail_out;
    inflateEnd(&z);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return {};
    out.resize(produced);
    return out;
}

}  // namespace

std::optional<SwfHeader> ParseSwfHeader(const std::string& bytes) {
    if (bytes.size() < 9) return std::nullopt;
    std::string body;
    if (bytes.compare(0, 3, "FWS") == 0) {
        body = bytes.substr(8);
    } else if (bytes.compare(0, 3, "CWS") == 0) {
        body = inflatePrefix(bytes);
    } else {
        return std::nullopt;
    }
    if (body.empty()) return std::nullopt;
    unsigned bits = static_cast<unsigned char>(body[0]) >> 3;
    size_t rectBytes = (5 + 4 * bits + 7) / 8;
    if (body.size() < rectBytes + 4) return std::nullopt;
    auto u16 = [&](size_t at) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(body[at]) |
                                          static_cast<unsigned char>(body[at + 1]) << 8);
    };
    return SwfHeader{u16(rectBytes), u16(rectBytes + 2)};
}

}  // namespace testcontrol
