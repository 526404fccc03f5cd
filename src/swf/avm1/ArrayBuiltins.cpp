// Array: the constructor and its methods, sort and sortOn with their option flags.
#include <algorithm>
#include <cmath>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/ArraySort.h"
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr int kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8,
              kNumeric = 16;

Object* Self(CallInfo& c) {
    return c.thisValue.asObject();
}

// A start or end argument: negative counts from the end; the result lies in [0, length].
std::int32_t Absolute(std::int32_t i, std::int32_t length) {
    return i < 0 ? std::max(i + length, 0) : std::min(i, length);
}

std::int32_t IntArg(CallInfo& c, std::size_t i) {
    return ToInt32(c.vm.toNumber(c.arg(i)));
}

Value ArrayCtor(CallInfo& c) {
    Object* a = c.construct ? c.thisValue.asObject() : c.vm.newArray();
    if (!a) return Value{};
    if (c.args.size() == 1 && c.args[0].isNumber()) {
        InitArray(a, {});
        const double n = c.args[0].asNumber();
        // A length out of 32-bit range is clamped, NaN counts as 0.
        const std::int32_t len = n != n               ? 0
                                 : n >= 2147483647.0  ? 2147483647
                                 : n <= -2147483648.0 ? static_cast<std::int32_t>(-2147483647 - 1)
                                                      : static_cast<std::int32_t>(n);
        SetArrayLength(c.vm, a, len);
    } else {
        c.vm.chargeElements(c.args.size());
        InitArray(a, c.args);
    }
    return a;
}

Value Push(CallInfo& c) {
    Object* o = Self(c);
    if (!o) return Value{};
    const std::int32_t old = ArrayLength(c.vm, o);
    c.vm.chargeElements(c.args.size());
    for (std::size_t i = 0; i < c.args.size(); ++i)
        SetElement(c.vm, o, static_cast<std::int32_t>(old + static_cast<std::int32_t>(i)),
                   c.args[i]);
    const std::int32_t length = old + static_cast<std::int32_t>(c.args.size());
    SetArrayLength(c.vm, o, length);
    return static_cast<double>(length);
}

Value Pop(CallInfo& c) {
    Object* o = Self(c);
    const std::int32_t length = o ? ArrayLength(c.vm, o) : 0;
    if (length == 0) return Value{};
    const Value last = GetElement(o, length - 1);
    DeleteElement(o, length - 1);
    if (o->kind() == Object::Kind::Array) SetArrayLength(c.vm, o, length - 1);
    return last;
}

// Moves element `from` to `to` as shift and unshift do: the target slot is made afresh (it
// goes to the end of the enumeration order) and a hole becomes undefined.
void Move(Interpreter& vm, Object* o, std::int32_t from, std::int32_t to) {
    const Value v = GetElement(o, from);
    DeleteElement(o, to);
    SetElement(vm, o, to, v);
}

// Moves element `from` to `to` as splice does: the target slot keeps its place and a hole
// stays a hole.
void SpliceMove(Interpreter& vm, Object* o, std::int32_t from, std::int32_t to) {
    if (HasElement(o, from))
        SetElement(vm, o, to, GetElement(o, from));
    else
        DeleteElement(o, to);
}

Value Shift(CallInfo& c) {
    Object* o = Self(c);
    const std::int32_t length = o ? std::min(ArrayLength(c.vm, o), kMaxArrayWalk) : 0;
    if (length == 0) return Value{};
    const Value first = GetElement(o, 0);
    for (std::int32_t i = 1; i < length; ++i) Move(c.vm, o, i, i - 1);
    if (o->kind() == Object::Kind::Array) SetArrayLength(c.vm, o, length - 1);
    return first;
}

Value Unshift(CallInfo& c) {
    Object* o = Self(c);
    if (!o) return Value{};
    const std::int32_t old = std::min(ArrayLength(c.vm, o), kMaxArrayWalk);
    const auto added = static_cast<std::int32_t>(c.args.size());
    const std::int32_t length = old + added;
    for (std::int32_t i = 0; i < old; ++i) Move(c.vm, o, old - i - 1, length - i - 1);
    for (std::int32_t i = 0; i < added; ++i) {
        DeleteElement(o, i);
        SetElement(c.vm, o, i, c.args[static_cast<std::size_t>(i)]);
    }
    if (o->kind() == Object::Kind::Array) SetArrayLength(c.vm, o, length);
    return static_cast<double>(length);
}

Value Slice(CallInfo& c) {
    Object* o = Self(c);
    if (!o) return c.vm.newArray();
    const std::int32_t n = std::min(ArrayLength(c.vm, o), kMaxArrayWalk);
    const std::int32_t from = Absolute(IntArg(c, 0), n);
    const std::int32_t to = c.arg(1).isUndefined() ? n : Absolute(IntArg(c, 1), n);
    std::vector<Value> out;
    for (std::int32_t i = from; i < to; ++i) out.push_back(GetElement(o, i));
    c.vm.chargeElements(out.size());
    return c.vm.newArray(std::move(out));
}

Value Splice(CallInfo& c) {
    Object* o = Self(c);
    if (!o || c.args.empty() || c.args[0].isUndefined()) return Value{};
    const std::int32_t length = std::min(ArrayLength(c.vm, o), kMaxArrayWalk);
    const std::int32_t start = Absolute(IntArg(c, 0), length);
    std::int32_t count = length - start;
    if (c.args.size() > 1) {
        if (c.args[1].isUndefined()) return Value{};
        count = std::min(IntArg(c, 1), length - start);
    }
    if (count < 0) return Value{};
    std::vector<Value> removed;
    for (std::int32_t i = 0; i < count; ++i) removed.push_back(GetElement(o, start + i));
    Object* result = c.vm.newArray(std::move(removed));
    const std::vector<Value> items(c.args.begin() + std::min<std::size_t>(c.args.size(), 2),
                                   c.args.end());
    const auto added = static_cast<std::int32_t>(items.size());
    const std::int32_t shift = added - count;
    if (shift > 0) {
        for (std::int32_t i = length - 1; i >= start + count; --i)
            SpliceMove(c.vm, o, i, i + shift);
    } else {
        for (std::int32_t i = start + count; i < length; ++i) SpliceMove(c.vm, o, i, i + shift);
    }
    for (std::int32_t i = 0; i < added; ++i) SetElement(c.vm, o, start + i, items[i]);
    c.vm.chargeElements(items.size());
    SetArrayLength(c.vm, o, length + shift);
    return result;
}

Value Concat(CallInfo& c) {
    Object* self = Self(c);
    std::vector<Value> out = self ? ArrayValues(c.vm, self) : std::vector<Value>{};
    for (const Value& v : c.args) {
        Object* o = v.asObject();
        if (o && o->kind() == Object::Kind::Array) {
            const std::vector<Value> more = ArrayValues(c.vm, o);
            out.insert(out.end(), more.begin(), more.end());
        } else {
            out.push_back(v);
        }
        if (out.size() > static_cast<std::size_t>(kMaxArrayWalk)) break;
    }
    c.vm.chargeElements(out.size());
    return c.vm.newArray(std::move(out));
}

std::string JoinWith(CallInfo& c, const std::string& sep) {
    Object* o = Self(c);
    if (!o) return "";
    std::string out;
    const std::int32_t n = std::min(ArrayLength(c.vm, o), kMaxArrayWalk);
    for (std::int32_t i = 0; i < n; ++i) {
        if (i) out += sep;
        out += c.vm.toString(GetElement(o, i));
        if (out.size() > (1u << 26)) break;
    }
    return out;
}

Value Join(CallInfo& c) {
    return JoinWith(c, c.arg(0).isUndefined() ? "," : c.vm.toString(c.arg(0)));
}

Value ToStringFn(CallInfo& c) {
    return JoinWith(c, ",");
}

Value Reverse(CallInfo& c) {
    Object* o = Self(c);
    if (!o) return c.thisValue;
    const std::int32_t n = std::min(ArrayLength(c.vm, o), kMaxArrayWalk);
    for (std::int32_t lo = 0; lo < n / 2; ++lo) {
        const std::int32_t hi = n - lo - 1;
        const Value a = GetElement(o, lo), b = GetElement(o, hi);
        DeleteElement(o, lo);
        DeleteElement(o, hi);
        SetElement(c.vm, o, lo, b);
        SetElement(c.vm, o, hi, a);
    }
    return c.thisValue;
}

}  // namespace

void InstallArrayBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    vm.protos.array = proto;
    Object* array = MakeClass(vm, "Array", ArrayCtor, proto);
    const std::pair<const char*, NativeFn> methods[] = {{"push", Push},
                                                        {"pop", Pop},
                                                        {"shift", Shift},
                                                        {"unshift", Unshift},
                                                        {"slice", Slice},
                                                        {"splice", Splice},
                                                        {"concat", Concat},
                                                        {"join", Join},
                                                        {"toString", ToStringFn},
                                                        {"reverse", Reverse},
                                                        {"sort", ArraySortMethod},
                                                        {"sortOn", ArraySortOnMethod}};
    for (const auto& [name, fn] : methods) vm.method(proto, name, fn);
    const std::pair<const char*, int> constants[] = {{"CASEINSENSITIVE", kCaseInsensitive},
                                                     {"DESCENDING", kDescending},
                                                     {"UNIQUESORT", kUniqueSort},
                                                     {"RETURNINDEXEDARRAY", kReturnIndexedArray},
                                                     {"NUMERIC", kNumeric}};
    for (const auto& [name, v] : constants)
        array->put(name, v, kDontEnum | kDontDelete | kReadOnly);
}

}  // namespace saver::swf::avm1
