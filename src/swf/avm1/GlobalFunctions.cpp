// The global functions: number parsing, escape/unescape, getTimer, the timers, getVersion.
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

namespace {

int DigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'Z') return ch - 'A' + 10;
    return 99;
}

bool IsSign(const std::string& s, std::size_t i) {
    return i < s.size() && (s[i] == '-' || s[i] == '+');
}

// The player's reading, faults included: a "0x" prefix is taken off at the very start whatever
// the radix (before blanks or a sign: "0x -10" is -16); a sign before "0x" gives NaN unless
// the radix makes 'x' a digit (then the sign is ignored); without a radix, a string of octal
// digits after a leading 0 (or sign) is octal. A radix outside 2..36 (an explicit undefined
// too) gives NaN; no argument at all gives undefined.
Value ParseInt(CallInfo& c) {
    if (c.args.empty()) return Value{};
    int radix = 0;
    const bool hasRadix = c.args.size() > 1;
    if (hasRadix) {
        radix = ToInt32(c.vm.toNumber(c.args[1]));
        if (radix < 2 || radix > 36) return std::nan("");
    }
    const std::string s = c.vm.toString(c.args[0]);
    const std::size_t signAt = IsSign(s, 0) ? 1 : 0;
    const bool zero = signAt < s.size() && s[signAt] == '0';
    const bool hex =
        zero && signAt + 1 < s.size() && (s[signAt + 1] == 'x' || s[signAt + 1] == 'X');
    std::size_t i = 0;
    bool ignoreSign = false;
    if (hex && signAt) {
        if (!hasRadix || radix < 34) return std::nan("");
        ignoreSign = true;
    } else if (hex) {
        if (!hasRadix) radix = 16;
        i = 2;
    } else if (zero && !hasRadix && s.find_first_not_of("01234567", 1) == std::string::npos) {
        radix = 8;
    } else if (!hasRadix) {
        radix = 10;
    }
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    bool negative = false;
    if (IsSign(s, i)) negative = s[i++] == '-' && !ignoreSign;
    double v = 0;
    std::size_t digits = 0;
    for (; i < s.size() && DigitValue(s[i]) < radix; ++i, ++digits)
        v = v * radix + DigitValue(s[i]);
    if (digits == 0) return std::nan("");
    return negative ? -v : v;
}

// value * 10^exp by repeated squaring of the base, dividing for negative exponents, as the
// player reckons it (so its rounding is the player's, not a correctly rounded conversion).
double DecimalShift(double value, std::int32_t exp) {
    double base = 10;
    std::uint32_t n =
        exp < 0 ? 0u - static_cast<std::uint32_t>(exp) : static_cast<std::uint32_t>(exp);
    for (; n; n >>= 1, base *= base) {
        if (n & 1) value = exp < 0 ? value / base : value * base;
    }
    return value;
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Blanks, a sign, digits with one fraction, then an exponent (wrapping at 32 bits). The value
// sums each digit scaled by its power of ten; a second '.' is skipped while summing (so
// "1.5.5" reads 1.55), though no exponent is read after it.
Value ParseFloat(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const std::string s = c.vm.toString(c.arg(0));
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    const std::size_t start = i;
    std::size_t j = i;
    while (j < s.size() && IsDigit(s[j])) ++j;
    std::uint32_t exp = static_cast<std::uint32_t>(j - start) - 1;
    std::size_t digits = j - start;
    if (j < s.size() && s[j] == '.') {
        const std::size_t fraction = ++j;
        while (j < s.size() && IsDigit(s[j])) ++j;
        digits += j - fraction;
    }
    if (!digits) return std::nan("");
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        bool minus = false;
        if (k < s.size() && (s[k] == '-' || s[k] == '+')) minus = s[k++] == '-';
        std::uint32_t e = 0;
        for (; k < s.size() && IsDigit(s[k]); ++k)
            e = e * 10u + static_cast<std::uint32_t>(s[k] - '0');
        exp += minus ? 0u - e : e;
    }
    double result = 0;
    for (std::size_t k = start; k < s.size(); ++k) {
        if (s[k] == '.') continue;
        if (!IsDigit(s[k])) break;
        // A zero adds nothing (and scaled past the double range it would give NaN).
        if (s[k] != '0') result += DecimalShift(s[k] - '0', static_cast<std::int32_t>(exp));
        --exp;
    }
    return negative ? -result : result;
}

Value IsNaN(CallInfo& c) {
    if (c.args.empty()) return true;  // nothing to convert is not a number
    return std::isnan(c.vm.toNumber(c.arg(0)));
}
Value IsFinite(CallInfo& c) {
    if (c.args.empty()) return false;  // nothing to convert (undefined would read 0 in SWF 6)
    return std::isfinite(c.vm.toNumber(c.args[0]));
}

Value Escape(CallInfo& c) {
    const std::string s = c.vm.toString(c.arg(0));
    std::string out;
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char ch : s) {
        if (std::isalnum(ch)) {
            out += static_cast<char>(ch);
        } else {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 15];
        }
    }
    return out;
}

int HexValue(char ch) {
    return ch >= '0' && ch <= '9'   ? ch - '0'
           : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
           : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                    : -1;
}

// The bytes an unescape made, read as UTF-8 text the player's way: a NUL, a byte that can
// start nothing (F8..FF) or a sequence cut off by the end stops the text; a bad sequence
// becomes U+FFFD and swallows the bytes its lead claimed; a stray continuation byte is
// taken as the Latin-1 character of that value.
std::string PlayerUtf8(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0 || b >= 0xF8) break;
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (b < 0xC0) {
            AppendChar(out, b, 6);
            ++i;
            continue;
        }
        const std::size_t len = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (i + len > bytes.size()) break;
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k)
            ok = ok && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (ok)
            out.append(bytes, i, len);
        else
            AppendChar(out, 0xFFFD, 6);
        i += len;
    }
    return out;
}

Value Unescape(CallInfo& c) {
    const std::string s = c.vm.toString(c.arg(0));
    std::string out;
    // '+' is a space; a '%' not followed by two hex digits is dropped with what it took.
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] != '%') {
            out += s[i];
        } else if (i + 1 >= s.size() || HexValue(s[i + 1]) < 0) {
            ++i;
        } else if (i + 2 >= s.size() || HexValue(s[i + 2]) < 0) {
            i += 2;
        } else {
            out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        }
    }
    if (c.vm.version() >= 6) return PlayerUtf8(out);
    const auto nul = out.find('\0');
    return nul == std::string::npos ? out : out.substr(0, nul);
}

Value GetTimer(CallInfo& c) {
    return std::floor(c.vm.host().timerMs());
}

Value AddTimer(CallInfo& c, bool repeat) {
    Interpreter::Timer t;
    std::size_t next = 0;
    Object* first = c.arg(0).asObject();
    if (!first) return Value{};
    if (first->isFunction()) {
        t.function = first;
        next = 1;
    } else {
        t.function = first;
        t.method = c.vm.toString(c.arg(1));
        next = 2;
    }
    // An undefined interval makes no timer (null reads 0).
    if (next >= c.args.size() || c.args[next].isUndefined()) return Value{};
    t.interval = c.vm.toNumber(c.args[next]);
    if (std::isnan(t.interval) || t.interval < 0) t.interval = 0;
    t.args.assign(c.args.begin() + static_cast<long>(next) + 1, c.args.end());
    t.repeat = repeat;
    t.id = c.vm.nextTimerId++;
    t.due = c.vm.host().timerMs() + std::max(t.interval, repeat ? 10.0 : 0.0);
    if (c.vm.timers.size() < 10000) c.vm.timers.push_back(std::move(t));
    return static_cast<double>(c.vm.nextTimerId - 1);
}

Value SetInterval(CallInfo& c) {
    return AddTimer(c, true);
}
Value SetTimeout(CallInfo& c) {
    return AddTimer(c, false);
}

Value ClearTimer(CallInfo& c) {
    const double id = c.vm.toNumber(c.arg(0));
    std::erase_if(c.vm.timers, [&](const Interpreter::Timer& t) { return t.id == id; });
    return Value{};
}

Value GetVersion(CallInfo&) {
    return kPlayerVersion;
}

}  // namespace

void InstallGlobalFunctions(Interpreter& vm) {
    Object* g = vm.global();
    const std::pair<const char*, NativeFn> fns[] = {
        {"parseInt", ParseInt},     {"parseFloat", ParseFloat},   {"isNaN", IsNaN},
        {"isFinite", IsFinite},     {"escape", Escape},           {"unescape", Unescape},
        {"getTimer", GetTimer},     {"setInterval", SetInterval}, {"clearInterval", ClearTimer},
        {"setTimeout", SetTimeout}, {"clearTimeout", ClearTimer}, {"getVersion", GetVersion}};
    for (const auto& [name, fn] : fns) vm.method(g, name, fn);
    g->put("NaN", std::nan(""), kDontEnum | kDontDelete);
    g->put("Infinity", INFINITY, kDontEnum | kDontDelete);
}

}  // namespace saver::swf::avm1
