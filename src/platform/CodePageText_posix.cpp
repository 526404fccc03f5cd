#include "platform/CodePageText.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace saver::text {
namespace {

std::string iconvName(unsigned codePage) {
    return codePage == kCodePageUtf8 ? "UTF-8" : "CP" + std::to_string(codePage);
}

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
  public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts as much of [in, in + inLeft) as it can; returns false on a byte sequence it
    // cannot take (in then points at it).
    bool run(char*& in, std::size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* o = buffer;
            std::size_t oLeft = sizeof buffer;
            const std::size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buffer, static_cast<std::size_t>(o - buffer));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
                return false;
            }
        }
        return true;
    }

  private:
    iconv_t cd_;
};

// Code points of `s`; a byte that starts no character of `from` becomes 0xFFFFFFFF.
std::vector<std::uint32_t> decode(const std::string& s, unsigned from) {
    std::vector<std::uint32_t> points;
    Converter in("UTF-32LE", iconvName(from));
    std::string bytes = s;
    char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        std::string utf32;
        const bool whole = in.ok() && in.run(p, left, utf32);
        for (std::size_t i = 0; i + 4 <= utf32.size(); i += 4) {
            std::uint32_t c = 0;
            for (int b = 3; b >= 0; --b) c = c << 8 | static_cast<unsigned char>(utf32[i + b]);
            points.push_back(c);
        }
        if (whole) break;
        // Not text in `from` (or no converter at all): ASCII stays, anything else is lost.
        const auto c = static_cast<unsigned char>(*p);
        points.push_back(!in.ok() && c < 0x80 ? c : 0xFFFFFFFFu);
        ++p;
        --left;
    }
    return points;
}

}  // namespace

std::string convertCodePage(const std::string& s, unsigned from, unsigned to, char fallback) {
    std::string out;
    Converter encoder(iconvName(to), "UTF-32LE");
    for (std::uint32_t c : decode(s, from)) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char unit[4];
        for (int b = 0; b < 4; ++b) unit[b] = static_cast<char>(c >> (8 * b));
        char* p = unit;
        std::size_t left = sizeof unit;
        std::string encoded;
        if (c != 0xFFFFFFFFu && encoder.ok() && encoder.run(p, left, encoded) && !encoded.empty())
            out += encoded;
        else
            out.push_back(fallback);
    }
    return out;
}

}  // namespace saver::text
