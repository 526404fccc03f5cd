// Number <-> string rules. The player prints 15 significant digits and switches to exponent
// form below 1e-5 and from 1e15 on; it reads numbers strictly from SWF 5 on (any leftover
// text makes NaN) and leniently in SWF 4 (the numeric prefix, or 0).
#include "swf/avm1/Value.h"

#include <atomic>
#include <cmath>
#include <cstdint>
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

namespace {

// n * 10^exp by squaring the power, multiplying or dividing as the player does. The player
// works in the x87's extended precision but takes its powers of ten as doubles: both show in
// the last digit (DBL_MAX prints as 1.79769313486231e+308, 1.0622118484416...e-11 rounds up).
long double DecimalShift(long double n, int exp) {
    double base = 10;
    if (exp > 0) {
        for (; exp > 0; exp >>= 1, base *= base)
            if (exp & 1) n *= base;
    } else {
        for (std::uint32_t e = 0u - static_cast<std::uint32_t>(exp); e > 0; e >>= 1, base *= base)
            if (e & 1) n /= base;
    }
    return n;
}

// The decimal exponent of a positive finite n, and n shifted into [1, 10).
int DecimalExponent(double n, long double& mantissa) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &n, sizeof bits);
    int exp2 = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    if (exp2 == -1023) {  // subnormal: scaled by 2^54 to read its exponent
        const double scaled = n * 18014398509481984.0;
        std::memcpy(&bits, &scaled, sizeof bits);
        exp2 = static_cast<int>((bits >> 52) & 0x7FF) - 1023 - 54;
    }
    int exp = static_cast<int>(std::round(exp2 * 0.301029995663981));
    mantissa = DecimalShift(n, -exp);
    if (static_cast<int>(mantissa) == 0) mantissa = DecimalShift(n, -(--exp));
    if (static_cast<int>(mantissa) >= 10) mantissa = DecimalShift(n, -(++exp));
    return exp;
}

// The exponent form's clean-up: leading zeros go, digits all carried away make "1" of the next
// power, and "100" becomes "1" with the power raised. A minus sign counts as a digit here, as
// it does in the player (so "-9.99...e+15" loses its digits: "-e+16").
void FixExponentDigits(std::string& buf, int& exp) {
    const std::size_t first = buf.find_first_not_of('0');
    buf.erase(0, first == std::string::npos ? buf.size() : first);
    if (buf.empty()) {
        buf = "1";
        ++exp;
        return;
    }
    const std::size_t last = buf.find_last_not_of('0');
    if (last == 0 || last == std::string::npos) {
        exp += static_cast<int>(buf.size()) - 1;
        buf.resize(1);
    }
}

}  // namespace

std::string NumberToString(double n) {
    if (std::isnan(n)) return "NaN";
    if (std::isinf(n)) return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0) return "0";
    if (std::fabs(n) < 2147483648.0 && n == std::trunc(n)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", n);
        return buf;
    }
    // The player's own loop, not an exact conversion: n is shifted into [1, 10) in extended
    // precision, digits are taken off by multiplying by ten, and the 16th digit rounds the 15
    // before it half away from zero. Its carry has faults (9.99...e+N) that recorded traces show,
    // so they are kept: a leading "0" leaves room for a carry only in some forms.
    const bool negative = n < 0;
    std::string buf = negative ? "-" : "";
    long double mantissa = 0;
    int exp = DecimalExponent(std::fabs(n), mantissa);
    const auto digit = [&mantissa] {
        const int d = static_cast<int>(mantissa);
        mantissa = (mantissa - d) * 10;
        return static_cast<char>('0' + d);
    };
    constexpr int kDigits = 15;
    if (exp >= kDigits) {
        buf += digit();
        buf += '.';
        for (int i = 0; i < kDigits - 1; ++i) buf += digit();
    } else if (exp >= 0) {
        buf += '0';
        for (int i = 0; i <= exp; ++i) buf += digit();
        buf += '.';
        for (int i = 0; i < kDigits - exp - 1; ++i) buf += digit();
        exp = 0;
    } else if (exp >= -5) {
        buf += "00.";
        buf.append(static_cast<std::size_t>(-exp - 1), '0');
        for (int i = 0; i < kDigits; ++i) buf += digit();
        exp = 0;
    } else {
        buf += '0';
        if (const char d = digit(); d != '0') buf += d;
        buf += '.';
        for (int i = 0; i < kDigits - 1; ++i) buf += digit();
    }
    if (digit() >= '5') {
        for (auto it = buf.rbegin(); it != buf.rend(); ++it) {
            if (*it == '9') {
                *it = '0';
            } else if (*it >= '0') {
                ++*it;
                break;
            }
        }
    }
    while (!buf.empty() && buf.back() == '0') buf.pop_back();
    if (!buf.empty() && buf.back() == '.') buf.pop_back();
    if (exp != 0) {
        FixExponentDigits(buf, exp);
        buf += exp < 0 ? "e-" : "e+";
        buf += std::to_string(std::abs(exp));
    }
    // A leading zero left from the room for a carry goes.
    const std::size_t i = negative ? 1 : 0;
    if (i + 1 < buf.size() && buf[i] == '0' && buf[i + 1] != '.') buf.erase(i, 1);
    return buf;
}

std::string NumberToRadixString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) return NumberToString(n);
    // The player converts with the processor's truncation: NaN, the infinities and anything
    // outside 32 bits become INT32_MIN, which stays negative when negated, so its digits come
    // out of the signed remainder as characters below '0'.
    const bool inRange = n >= -2147483648.0 && n <= 2147483647.0;
    const std::int32_t v = inRange ? static_cast<std::int32_t>(n) : INT32_MIN;
    if (v == 0) return "0";
    std::int32_t rest = v == INT32_MIN ? v : (v < 0 ? -v : v);
    std::string out;
    while (rest != 0) {
        const int d = rest % radix;
        rest /= radix;
        out += static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
    }
    if (v < 0) out += '-';
    return {out.rbegin(), out.rend()};
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
