#include "swf/avm1/StringUtil.h"

#include <algorithm>
#include <cstdint>

#include "swf/format/Utf8.h"

namespace saver::swf::avm1 {

std::vector<std::uint32_t> Decode(const std::string& s, int version) {
    std::vector<std::uint32_t> out;
    out.reserve(s.size());
    if (version < 6) {
        for (unsigned char c : s) out.push_back(c);
        return out;
    }
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0) extra = 0;
        if (i + extra >= s.size() + (extra ? 0 : 1)) extra = 0;
        std::uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

void AppendChar(std::string& out, std::uint32_t c, int version) {
    if (version < 6)
        out += static_cast<char>(c & 0xFF);
    else
        AppendUtf8(out, c);
}

std::string Encode(const std::vector<std::uint32_t>& chars, int version) {
    std::string out;
    for (std::uint32_t c : chars) AppendChar(out, c, version);
    return out;
}

std::size_t StringLength(const std::string& s, int version) {
    return version < 6 ? s.size() : Decode(s, version).size();
}

std::string StringExtract(const std::string& s, long start, long count, int version) {
    const auto chars = Decode(s, version);
    const long n = static_cast<long>(chars.size());
    start = std::clamp(start, 0L, n);
    const long end = count < 0 ? n : std::min(n, start + count);
    if (end <= start) return "";
    return Encode({chars.begin() + start, chars.begin() + end}, version);
}

int CharCode(const std::string& s, int version) {
    const auto chars = Decode(s, version);
    return chars.empty() ? 0 : static_cast<int>(chars[0]);
}

std::string CharFromCode(int code, int version) {
    const std::uint32_t c = static_cast<std::uint32_t>(code) & (version < 6 ? 0xFF : 0xFFFF);
    if (c == 0) return "";  // a zero character would end the string
    std::string out;
    AppendChar(out, c, version);
    return out;
}

std::string MbCharFromCode(int code, int version) {
    if (version >= 6) return CharFromCode(code, version);
    const auto u = static_cast<std::uint32_t>(code);
    if (u > 0xFFFF || u == 0) return "";
    if (u <= 0xFF) return std::string(1, static_cast<char>(u));
    std::string out(1, static_cast<char>(u >> 8));
    if (u & 0xFF) out += static_cast<char>(u & 0xFF);
    return out;
}

}  // namespace saver::swf::avm1
