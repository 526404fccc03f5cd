// Number <-> string rules. The player prints 15 significant digits and switches to exponent
// form below 1e-5 and from 1e15 on; it reads numbers strictly from SWF 5 on (any leftover
// text makes NaN) and leniently in SWF 4 (the numeric prefix, or 0).
#include "swf/avm1/Value.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace saver::swf::avm1 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Length of the decimal number at the start of `s` (sign, digits, fraction, exponent), 0 when
// there is none.
std::size_t DecimalPrefix(const std::string& s, std::size_t pos) {
    std::size_t i = pos;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > expStart) i = j;
    }
    return i - pos;
}

double HexNumber(const std::string& s) {
    std::size_t i = 2;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i >= s.size()) return std::numeric_limits<double>::quiet_NaN();
    std::uint32_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::numeric_limits<double>::quiet_NaN();
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    const double n = static_cast<std::int32_t>(v);
    return negative ? -n : n;
}

bool IsOctal(const std::string& s) {
    if (s.size() < 2 || s[0] != '0') return false;
    for (char c : s)
        if (c < '0' || c > '7') return false;
    return true;
}

}  // namespace

double Value::FreshNaN(double n) {
    // Quiet NaN with a counter in the payload; the sign is kept. 2^51 NaNs before a repeat.
    // Atomic, so that players on different threads never race on it.
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t bits;
    std::memcpy(&bits, &n, sizeof bits);
    bits = (bits & 0xFFF8000000000000ULL) | 0x7FF8000000000000ULL |
           (++counter & 0x0007FFFFFFFFFFFFULL);
    double out;
    std::memcpy(&out, &bits, sizeof out);
    return out;
}

bool Value::sameNaN(const Value& other) const {
    if (!isNumber() || !other.isNumber()) return false;
    const double a = asNumber(), b = other.asNumber();
    return a != a && b != b && std::memcmp(&a, &b, sizeof a) == 0;
}

bool Value::sameAs(const Value& other) const {
    if (v_.index() != other.v_.index()) return false;
    switch (v_.index()) {
        case 0:
        case 1:
            return true;
        case 2:
            return asBool() == other.asBool();
        case 3:
            return asNumber() == other.asNumber();
        case 4:
            return asString() == other.asString();
        default:
            return asObject() == other.asObject();
    }
}

std::string NumberToString(double n) {
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0) return "0";
    if (std::fabs(n) < 2147483648.0 && n == std::trunc(n)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", n);
        return buf;
    }
    // The player rounds the exact decimal value to 15 digits, halves away from zero; printf
    // would round a tie (4096.000244140625) to even, so round by hand from more digits.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.30e", n);
    std::string text = buf;
    const auto e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    const bool up = digits[15] >= '5';
    digits.resize(15);
    for (std::size_t i = 15; up && i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            break;
        }
        digits[i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const std::size_t intLen = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + "." + digits.substr(intLen);
        }
    }
    return out;
}

std::string NumberToRadixString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) return NumberToString(n);
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    std::int64_t v = ToInt32(n);
    const bool negative = v < 0;
    std::uint64_t u = static_cast<std::uint64_t>(negative ? -v : v);
    std::string out;
    do {
        const int d = static_cast<int>(u % static_cast<std::uint64_t>(radix));
        out.insert(out.begin(), static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10));
        u /= static_cast<std::uint64_t>(radix);
    } while (u);
    return negative ? "-" + out : out;
}

double StringToNumber(const std::string& s, int version) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    if (version >= 6) {
        if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) return HexNumber(s);
        // Octal: a leading 0 right at the start (a sign may come first), summed in 32 bits.
        const bool sign = !s.empty() && (s[0] == '-' || s[0] == '+');
        if (IsOctal(sign ? s.substr(1) : s)) {
            std::uint32_t v = 0;
            for (std::size_t i = sign ? 1 : 0; i < s.size(); ++i)
                v = v * 8u + static_cast<std::uint32_t>(s[i] - '0');
            const double n = static_cast<std::int32_t>(v);
            return s[0] == '-' ? -n : n;
        }
    }
    std::size_t pos = 0;
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    const std::size_t len = DecimalPrefix(s, pos);
    if (len == 0) return version <= 4 ? 0 : kNaN;
    if (version >= 5 && pos + len != s.size()) return kNaN;
    return std::strtod(s.substr(pos, len).c_str(), nullptr);
}

std::int32_t ToInt32(double n) {
    if (!std::isfinite(n)) return 0;
    const double t = std::trunc(n);
    const double m = std::fmod(t, 4294967296.0);
    const double w = m < 0 ? m + 4294967296.0 : m;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(w));
}

std::string PrimitiveToString(const Value& v, int version) {
    if (v.isUndefined()) return version >= 7 ? "undefined" : "";
    if (v.isNull()) return "null";
    if (v.isBool())
        return version <= 4 ? (v.asBool() ? "1" : "0") : (v.asBool() ? "true" : "false");
    if (v.isNumber()) return NumberToString(v.asNumber());
    if (v.isString()) return v.asString();
    return "[object Object]";
}

}  // namespace saver::swf::avm1
