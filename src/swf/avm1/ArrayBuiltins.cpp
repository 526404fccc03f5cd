// Array: the constructor and its methods, sort and sortOn with their option flags.
#include <algorithm>
#include <cmath>

#include "swf/avm1/ArraySort.h"
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr int kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8,
              kNumeric = 16;
constexpr std::size_t kMaxLength = 1 << 24;

// The array behind `this` (arrays only; other objects act as empty).
std::vector<Value>* Elements(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->kind() == Object::Kind::Array ? &o->elements : nullptr;
}

long Clamp(CallInfo& c, const Value& v, long length, long fallback) {
    if (v.isUndefined()) return fallback;
    long i = ToInt32(c.vm.toNumber(v));
    if (i < 0) i += length;
    return std::clamp(i, 0L, length);
}

Value ArrayCtor(CallInfo& c) {
    Object* a = c.construct ? c.thisValue.asObject() : c.vm.newArray();
    if (!a) return Value{};
    a->setKind(Object::Kind::Array);
    if (c.args.size() == 1 && c.args[0].isNumber()) {
        const std::int32_t n = ToInt32(c.args[0].asNumber());
        if (n >= 0 && static_cast<std::size_t>(n) <= kMaxLength) {
            c.vm.chargeElements(static_cast<std::size_t>(n));
            a->elements.resize(n);
        }
    } else {
        a->elements = c.args;
    }
    return a;
}

Value Push(CallInfo& c) {
    auto* e = Elements(c);
    if (!e) return Value{};
    c.vm.chargeElements(c.args.size());
    for (const Value& v : c.args)
        if (e->size() < kMaxLength) e->push_back(v);
    return static_cast<double>(e->size());
}

Value Pop(CallInfo& c) {
    auto* e = Elements(c);
    if (!e || e->empty()) return Value{};
    Value v = e->back();
    e->pop_back();
    return v;
}

Value Shift(CallInfo& c) {
    auto* e = Elements(c);
    if (!e || e->empty()) return Value{};
    Value v = e->front();
    e->erase(e->begin());
    return v;
}

Value Unshift(CallInfo& c) {
    auto* e = Elements(c);
    if (!e) return Value{};
    e->insert(e->begin(), c.args.begin(), c.args.end());
    return static_cast<double>(e->size());
}

Value Slice(CallInfo& c) {
    auto* e = Elements(c);
    if (!e) return c.vm.newArray();
    const long n = static_cast<long>(e->size());
    const long from = Clamp(c, c.arg(0), n, 0), to = Clamp(c, c.arg(1), n, n);
    if (to <= from) return c.vm.newArray();
    return c.vm.newArray({e->begin() + from, e->begin() + to});
}

Value Splice(CallInfo& c) {
    auto* e = Elements(c);
    if (!e || c.args.empty()) return Value{};
    const long n = static_cast<long>(e->size());
    const long from = Clamp(c, c.args[0], n, 0);
    long count = c.args.size() > 1 ? ToInt32(c.vm.toNumber(c.args[1])) : n - from;
    count = std::clamp(count, 0L, n - from);
    std::vector<Value> removed(e->begin() + from, e->begin() + from + count);
    e->erase(e->begin() + from, e->begin() + from + count);
    if (c.args.size() > 2) e->insert(e->begin() + from, c.args.begin() + 2, c.args.end());
    return c.vm.newArray(std::move(removed));
}

Value Concat(CallInfo& c) {
    auto* e = Elements(c);
    std::vector<Value> out = e ? *e : std::vector<Value>{};
    for (const Value& v : c.args) {
        Object* o = v.asObject();
        if (o && o->kind() == Object::Kind::Array)
            out.insert(out.end(), o->elements.begin(), o->elements.end());
        else
            out.push_back(v);
        if (out.size() > kMaxLength) break;
    }
    c.vm.chargeElements(out.size());
    return c.vm.newArray(std::move(out));
}

std::string JoinWith(CallInfo& c, const std::string& sep) {
    auto* e = Elements(c);
    if (!e) return "";
    std::string out;
    const std::vector<Value> items = *e;  // a toString may change the array
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += sep;
        out += c.vm.toString(items[i]);
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
    if (auto* e = Elements(c)) std::reverse(e->begin(), e->end());
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
