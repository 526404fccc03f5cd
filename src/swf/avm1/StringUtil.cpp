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
        // Scripts see UTF-16 code units: a character past 0xFFFF is a surrogate pair.
        if (cp > 0xFFFF) {
            out.push_back(0xD800 + ((cp - 0x10000) >> 10));
            out.push_back(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out.push_back(cp);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

namespace {
bool IsHighSurrogate(std::uint32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
}  // namespace

void AppendChar(std::string& out, std::uint32_t c, int version) {
    if (version < 6)
        out += static_cast<char>(c & 0xFF);
    else
        AppendUtf8(out, c);
}

std::string Encode(const std::vector<std::uint32_t>& chars, int version) {
    std::string out;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        // A surrogate pair is written as the one character it makes; a lone surrogate stays
        // a unit of its own (three bytes), so the string keeps its length.
        if (version >= 6 && IsHighSurrogate(chars[i]) && i + 1 < chars.size() &&
            IsLowSurrogate(chars[i + 1])) {
            AppendUtf8(out, 0x10000 + ((chars[i] - 0xD800) << 10) + (chars[i + 1] - 0xDC00));
            ++i;
            continue;
        }
        AppendChar(out, chars[i], version);
    }
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
    std::vector<std::uint32_t> part(chars.begin() + start, chars.begin() + end);
    // Half of a surrogate pair cut off from its partner reads as U+FFFD.
    if (version >= 6 && IsLowSurrogate(part.front()) && start > 0 &&
        IsHighSurrogate(chars[start - 1]))
        part.front() = 0xFFFD;
    if (version >= 6 && IsHighSurrogate(part.back()) && end < n && IsLowSurrogate(chars[end]))
        part.back() = 0xFFFD;
    return Encode(part, version);
}

int CharCode(const std::string& s, int version) {
    const auto chars = Decode(s, version);
    if (chars.empty()) return 0;
    // A character past 0xFFFF has no single code here: the replacement character stands in.
    if (version >= 6 && chars[0] >= 0xD800 && chars[0] <= 0xDFFF) return 0xFFFD;
    return static_cast<int>(chars[0]);
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
