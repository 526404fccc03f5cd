// String, Number and Boolean: the wrappers of the primitive types and their methods. String
// methods count characters (bytes in SWF 5 content).
#include <cmath>
#include <limits>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/StringUtil.h"
#include "swf/avm1/UnicodeCase.h"

namespace saver::swf::avm1 {

namespace {

std::string ThisString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (o && o->kind() == Object::Kind::String) return c.vm.toString(o->primitive);
    return c.vm.toString(c.thisValue);
}

Value StringCtor(CallInfo& c) {
    const std::string s = c.args.empty() ? "" : c.vm.toString(c.args[0]);
    if (!c.construct) return s;
    Object* o = c.thisValue.asObject();
    o->setKind(Object::Kind::String);
    o->primitive = s;
    o->put("length", static_cast<double>(StringLength(s, c.vm.version())),
           kDontEnum | kDontDelete);
    return o;
}

Value StringToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    if (o && o->kind() == Object::Kind::String) return o->primitive;
    return c.thisValue.isString() ? c.thisValue : Value{};
}

Value CharAt(CallInfo& c) {
    const std::string s = ThisString(c);
    const long i = ToInt32(c.vm.toNumber(c.arg(0)));
    if (i < 0) return "";
    return StringExtract(s, i, 1, c.vm.version());
}

Value CharCodeAt(CallInfo& c) {
    const auto chars = Decode(ThisString(c), c.vm.version());
    const long i = ToInt32(c.vm.toNumber(c.arg(0)));
    if (i < 0) return std::nan("");
    // Past the end SWF 5 reads 0 (the byte that ends the string), later versions NaN.
    if (i >= static_cast<long>(chars.size())) return c.vm.version() == 5 ? 0.0 : std::nan("");
    return static_cast<double>(chars[i]);
}

Value IndexOf(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const int v = c.vm.version();
    const auto s = Decode(ThisString(c), v), needle = Decode(c.vm.toString(c.arg(0)), v);
    long start = c.args.size() > 1 ? ToInt32(c.vm.toNumber(c.args[1])) : 0;
    start = std::max(0L, start);
    if (static_cast<std::size_t>(start) > s.size()) return -1;
    const auto it = std::search(s.begin() + start, s.end(), needle.begin(), needle.end());
    if (it == s.end() && !needle.empty()) return -1;
    return static_cast<double>(it - s.begin());
}

Value LastIndexOf(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const int v = c.vm.version();
    const auto s = Decode(ThisString(c), v), needle = Decode(c.vm.toString(c.arg(0)), v);
    // An undefined start searches from the end, as a missing one does.
    long from =
        !c.arg(1).isUndefined() ? ToInt32(c.vm.toNumber(c.args[1])) : static_cast<long>(s.size());
    if (from < 0) return -1;
    for (long i =
             std::min<long>(from, static_cast<long>(s.size()) - static_cast<long>(needle.size()));
         i >= 0; --i)
        if (std::equal(needle.begin(), needle.end(), s.begin() + i)) return static_cast<double>(i);
    return -1;
}

Value Substr(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const std::string s = ThisString(c);
    const long n = static_cast<long>(StringLength(s, c.vm.version()));
    long start = c.args.empty() ? 0 : ToInt32(c.vm.toNumber(c.args[0]));
    if (start < 0) start = std::max(0L, n + start);
    long count = c.arg(1).isUndefined() ? n : ToInt32(c.vm.toNumber(c.args[1]));
    if (count < 0) {
        // A negative length counts back from the end, and the player gives nothing when the
        // part so measured would reach the end of the string.
        count += n;
        if (count < 0 || start + count >= n) return "";
    }
    return StringExtract(s, start, count, c.vm.version());
}

Value Substring(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const std::string s = ThisString(c);
    const long n = static_cast<long>(StringLength(s, c.vm.version()));
    long a = c.args.empty() ? 0 : ToInt32(c.vm.toNumber(c.args[0]));
    long b = c.arg(1).isUndefined() ? n : ToInt32(c.vm.toNumber(c.args[1]));
    a = std::clamp(a, 0L, n);
    b = std::clamp(b, 0L, n);
    if (a > b) std::swap(a, b);
    return StringExtract(s, a, b - a, c.vm.version());
}

Value Slice(CallInfo& c) {
    if (c.args.empty()) return Value{};
    const std::string s = ThisString(c);
    const long n = static_cast<long>(StringLength(s, c.vm.version()));
    long a = c.args.empty() ? 0 : ToInt32(c.vm.toNumber(c.args[0]));
    long b = c.arg(1).isUndefined() ? n : ToInt32(c.vm.toNumber(c.args[1]));
    if (a < 0) a += n;
    if (b < 0) b += n;
    a = std::clamp(a, 0L, n);
    b = std::clamp(b, 0L, n);
    if (b <= a) return "";
    return StringExtract(s, a, b - a, c.vm.version());
}

Value Split(CallInfo& c) {
    const int v = c.vm.version();
    const std::string s = ThisString(c);
    std::vector<Value> parts;
    // SWF 5 splits at commas when no separator is given, and takes an empty one as none.
    const std::string sep = c.arg(0).isUndefined() ? (v == 5 ? "," : "") : c.vm.toString(c.args[0]);
    if ((c.arg(0).isUndefined() && v != 5) || (v == 5 && sep.empty())) {
        parts.push_back(s);
        return c.vm.newArray(std::move(parts));
    }
    const long limit = c.arg(1).isUndefined() ? 0x7FFFFFFF : ToInt32(c.vm.toNumber(c.args[1]));
    if (sep.empty()) {
        const auto chars = Decode(s, v);
        for (std::uint32_t ch : chars) {
            if (static_cast<long>(parts.size()) >= limit) break;
            std::string one;
            AppendChar(one, ch, v);
            parts.push_back(one);
        }
        return c.vm.newArray(std::move(parts));
    }
    if (s.empty() && v >= 6) return c.vm.newArray({Value("")});
    std::size_t pos = 0;
    while (static_cast<long>(parts.size()) < limit) {
        const std::size_t hit = s.find(sep, pos);
        parts.push_back(s.substr(pos, hit == std::string::npos ? std::string::npos : hit - pos));
        if (hit == std::string::npos) break;
        pos = hit + sep.size();
    }
    return c.vm.newArray(std::move(parts));
}

Value Case(CallInfo& c, bool upper) {
    std::string s = ThisString(c);
    if (c.vm.version() >= 6) return MapUtf8Case(s, upper);
    for (char& ch : s) {
        if (upper && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (!upper && ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return s;
}
Value ToUpper(CallInfo& c) {
    return Case(c, true);
}
Value ToLower(CallInfo& c) {
    return Case(c, false);
}

Value Concat(CallInfo& c) {
    std::string s = ThisString(c);
    for (const Value& v : c.args) s = c.vm.concat(s, c.vm.toString(v));
    return s;
}

Value FromCharCode(CallInfo& c) {
    std::string s;
    for (const Value& v : c.args) {
        const int code = ToInt32(c.vm.toNumber(v)) & 0xFFFF;
        if (!code) break;  // the player's strings end at a NUL: later codes are lost
        AppendChar(s, static_cast<std::uint32_t>(code), c.vm.version());
    }
    return s;
}

// --- Number and Boolean --------------------------------------------------------------------

Value NumberCtor(CallInfo& c) {
    const double n = c.args.empty() ? 0 : c.vm.toNumber(c.args[0]);
    if (!c.construct) return n;
    Object* o = c.thisValue.asObject();
    o->setKind(Object::Kind::Number);
    o->primitive = n;
    return o;
}

Value NumberToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    const Value v = o && o->kind() == Object::Kind::Number ? o->primitive : c.thisValue;
    if (!v.isNumber()) return Value{};  // not a number: no text (the caller prints its type)
    const int radix = c.arg(0).isUndefined() ? 10 : ToInt32(c.vm.toNumber(c.args[0]));
    return NumberToRadixString(v.asNumber(), radix);
}

Value PrimitiveValueOf(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && (o->kind() == Object::Kind::Number || o->kind() == Object::Kind::Boolean ||
                 o->kind() == Object::Kind::String)
               ? o->primitive
               : c.thisValue;
}

Value BooleanCtor(CallInfo& c) {
    const bool b = !c.args.empty() && c.vm.toBool(c.args[0]);
    if (!c.construct) return c.args.empty() ? Value{} : Value(b);  // Boolean() gives undefined
    Object* o = c.thisValue.asObject();
    o->setKind(Object::Kind::Boolean);
    o->primitive = b;
    return o;
}

Value BooleanToString(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    const Value v = o && o->kind() == Object::Kind::Boolean ? o->primitive : c.thisValue;
    return v.isBool() ? Value(v.asBool() ? "true" : "false") : Value{};
}

}  // namespace

void InstallStringBuiltins(Interpreter& vm) {
    Object* sp = vm.newObject();
    vm.protos.string = sp;
    Object* string = MakeClass(vm, "String", StringCtor, sp);
    const std::pair<const char*, NativeFn> methods[] = {{"toString", StringToString},
                                                        {"valueOf", StringToString},
                                                        {"charAt", CharAt},
                                                        {"charCodeAt", CharCodeAt},
                                                        {"indexOf", IndexOf},
                                                        {"lastIndexOf", LastIndexOf},
                                                        {"substr", Substr},
                                                        {"substring", Substring},
                                                        {"slice", Slice},
                                                        {"split", Split},
                                                        {"toUpperCase", ToUpper},
                                                        {"toLowerCase", ToLower},
                                                        {"concat", Concat}};
    for (const auto& [name, fn] : methods) vm.method(sp, name, fn);
    vm.method(string, "fromCharCode", FromCharCode);

    Object* np = vm.newObject();
    vm.protos.number = np;
    Object* number = MakeClass(vm, "Number", NumberCtor, np);
    vm.method(np, "toString", NumberToString);
    vm.method(np, "valueOf", PrimitiveValueOf);
    const std::pair<const char*, double> constants[] = {
        {"MAX_VALUE", std::numeric_limits<double>::max()},
        {"MIN_VALUE", std::numeric_limits<double>::denorm_min()},
        {"NaN", std::numeric_limits<double>::quiet_NaN()},
        {"NEGATIVE_INFINITY", -std::numeric_limits<double>::infinity()},
        {"POSITIVE_INFINITY", std::numeric_limits<double>::infinity()}};
    for (const auto& [name, v] : constants)
        number->put(name, v, kDontEnum | kDontDelete | kReadOnly);
    // The player locks all of Number's own members.
    SetPropFlags(number, "", kDontEnum | kDontDelete | kReadOnly, 0);

    Object* bp = vm.newObject();
    vm.protos.boolean = bp;
    MakeClass(vm, "Boolean", BooleanCtor, bp);
    vm.method(bp, "toString", BooleanToString);
    vm.method(bp, "valueOf", PrimitiveValueOf);
}

}  // namespace saver::swf::avm1
