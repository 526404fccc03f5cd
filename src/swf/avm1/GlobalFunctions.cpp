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

// Digits of `radix` from `i` on, NaN when there is none.
double ParseDigits(const std::string& s, std::size_t i, int radix, bool negative) {
    double v = 0;
    std::size_t digits = 0;
    for (; i < s.size() && DigitValue(s[i]) < radix; ++i, ++digits)
        v = v * radix + DigitValue(s[i]);
    if (digits == 0) return std::nan("");
    return negative ? -v : v;
}

bool HexPrefix(const std::string& s, std::size_t i) {
    return i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
}

// The player reads a "0x" at the very start as hex whatever the radix (a sign may follow
// the prefix); otherwise blanks and a sign, then digits of the radix.
Value ParseInt(CallInfo& c) {
    const std::string s = c.vm.toString(c.arg(0));
    // Without a radix, a string of octal digits with a leading 0 is octal.
    const bool octal =
        s.size() > 1 && s[0] == '0' && s.find_first_not_of("01234567") == std::string::npos;
    const int radix = c.arg(1).isUndefined() ? (octal ? 8 : 10) : ToInt32(c.vm.toNumber(c.args[1]));
    if (HexPrefix(s, 0)) {
        std::size_t i = 2;
        bool negative = false;
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
        return ParseDigits(s, i, 16, negative);
    }
    if (radix < 2 || radix > 36) return std::nan("");
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    const bool blanks = i > 0;
    bool negative = false;
    const bool sign = i < s.size() && (s[i] == '-' || s[i] == '+');
    if (sign) negative = s[i++] == '-';
    if (sign && !blanks && HexPrefix(s, i)) return std::nan("");
    return ParseDigits(s, i, radix, negative);
}

Value ParseFloat(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const std::string s = c.vm.toString(c.arg(0));
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    std::size_t j = i;
    if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
    std::size_t digits = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++digits;
    if (j < s.size() && s[j] == '.') {
        ++j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++digits;
    }
    if (!digits) return std::nan("");
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '-' || s[k] == '+')) ++k;
        const std::size_t e = k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
        if (k > e) j = k;
    }
    return std::strtod(s.substr(i, j - i).c_str(), nullptr);
}

Value IsNaN(CallInfo& c) {
    return std::isnan(c.vm.toNumber(c.arg(0)));
}
Value IsFinite(CallInfo& c) {
    return std::isfinite(c.vm.toNumber(c.arg(0)));
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
    if (next >= c.args.size()) return Value{};
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
