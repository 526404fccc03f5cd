// Arrays keep their elements as ordinary properties, so a sparse array costs only what it
// holds and every property rule (flags, holes, enumeration order) applies to elements too.
// The methods copy values in and out through here without asking accessors, as the player's
// native array code does.
#include "swf/avm1/ArrayElements.h"

#include <algorithm>
#include <string>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/Object.h"

namespace saver::swf::avm1 {

namespace {

std::string IndexName(std::int32_t i) {
    return std::to_string(i);
}

// Writes a data slot the way a native store does: a read-only slot keeps its value, and the
// slot loses what hid it from older movies.
void StoreData(Object* o, const std::string& name, const Value& v) {
    if (Property* p = o->findOwn(name)) {
        if (p->flags & kReadOnly) return;
        p->value = v;
        p->flags &= static_cast<std::uint16_t>(~kVersionFlags);
        return;
    }
    o->put(name, v);
}

}  // namespace

std::optional<std::int32_t> ParseArrayIndex(std::string_view name) {
    std::size_t i = 0;
    while (i < name.size() && (name[i] == ' ' || (name[i] >= '\t' && name[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < name.size() && (name[i] == '+' || name[i] == '-')) negative = name[i++] == '-';
    if (i == name.size()) return std::nullopt;
    std::uint32_t v = 0;  // digits past 32 bits wrap round
    for (; i < name.size(); ++i) {
        const char c = name[i];
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (negative) v = 0u - v;
    return static_cast<std::int32_t>(v);
}

std::int32_t ArrayLength(Interpreter& vm, Object* o) {
    const Property* p = o ? o->findOwn("length") : nullptr;
    if (!p) return 0;
    return p->value.isNumber() ? ToInt32(p->value.asNumber()) : ToInt32(vm.toNumber(p->value));
}

void TrimArrayElements(Interpreter& vm, Object* o, std::int32_t newLength) {
    if (!o || o->kind() != Object::Kind::Array) return;
    const Property* p = o->findOwn("length");
    if (!p || !p->value.isNumber()) return;
    const std::int32_t from = std::max(newLength, 0);
    const std::int32_t to = ToInt32(p->value.asNumber());
    if (from >= to) return;
    if (static_cast<std::size_t>(to - from) <= o->ownCount() * 2) {
        for (std::int32_t i = from; i < to; ++i) DeleteElement(o, i);
        return;
    }
    // A long stretch of a sparse array: look only at what the array holds.
    std::vector<std::string> doomed;
    o->forEachOwn([&](const Property& prop) {
        const auto i = ParseArrayIndex(prop.name);
        if (i && *i >= from && *i < to && IndexName(*i) == prop.name) doomed.push_back(prop.name);
    });
    for (const std::string& name : doomed) o->remove(name);
    (void)vm;
}

void SetArrayLength(Interpreter& vm, Object* o, std::int32_t length) {
    if (!o || o->kind() == Object::Kind::Super) return;
    TrimArrayElements(vm, o, length);
    StoreData(o, "length", static_cast<double>(length));
}

bool HasElement(Object* o, std::int32_t i) {
    return o && o->kind() != Object::Kind::Super && o->findOwn(IndexName(i)) != nullptr;
}

Value GetElement(Object* o, std::int32_t i) {
    const Property* p = o && o->kind() != Object::Kind::Super ? o->findOwn(IndexName(i)) : nullptr;
    return p ? p->value : Value{};
}

void SetElement(Interpreter& vm, Object* o, std::int32_t i, const Value& v) {
    if (!o || o->kind() == Object::Kind::Super) return;
    if (o->kind() == Object::Kind::Array && i >= ArrayLength(vm, o))
        SetArrayLength(vm, o, static_cast<std::int32_t>(static_cast<std::uint32_t>(i) + 1u));
    StoreData(o, IndexName(i), v);
}

void DeleteElement(Object* o, std::int32_t i) {
    if (o && o->kind() != Object::Kind::Super) o->remove(IndexName(i));
}

std::vector<Value> ArrayValues(Interpreter& vm, Object* o) {
    const std::int32_t n = std::min(ArrayLength(vm, o), kMaxArrayWalk);
    std::vector<Value> out;
    if (n <= 0) return out;
    out.reserve(static_cast<std::size_t>(std::min<std::int32_t>(n, 1 << 16)));
    for (std::int32_t i = 0; i < n; ++i) out.push_back(GetElement(o, i));
    return out;
}

void SetArrayValues(Interpreter& vm, Object* o, const std::vector<Value>& values) {
    const auto n =
        static_cast<std::int32_t>(std::min(values.size(), static_cast<std::size_t>(kMaxArrayWalk)));
    for (std::int32_t i = 0; i < n; ++i) SetElement(vm, o, i, values[static_cast<std::size_t>(i)]);
    SetArrayLength(vm, o, n);
}

void ReplaceArrayValues(Object* o, const std::vector<Value>& values) {
    std::vector<std::string> old;
    o->forEachOwn([&](const Property& p) {
        if (const auto i = ParseArrayIndex(p.name); i && IndexName(*i) == p.name)
            old.push_back(p.name);
    });
    for (const std::string& name : old)
        if (Property* p = o->findOwn(name)) p->flags = 0;
    for (const std::string& name : old) o->remove(name);
    InitArray(o, values);
}

void InitArray(Object* o, const std::vector<Value>& values) {
    o->setKind(Object::Kind::Array);
    const std::size_t n = std::min(values.size(), static_cast<std::size_t>(kMaxArrayWalk));
    for (std::size_t i = 0; i < n; ++i) o->put(IndexName(static_cast<std::int32_t>(i)), values[i]);
    if (Property* len = o->findOwn("length"))
        len->value = static_cast<double>(n);
    else
        o->put("length", static_cast<double>(n), kDontEnum | kDontDelete);
}

}  // namespace saver::swf::avm1
