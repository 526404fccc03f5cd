// flash.geom.ColorTransform as data: eight numbers (four multipliers, four offsets) kept in
// the object itself, read and written through accessors on the prototype that convert what a
// script stores to a number. The accessors came with the player of SWF 8, so older code sees
// them undefined even when it unhides the package; the methods stay visible to it.
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kFields[8] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                    "alphaMultiplier", "redOffset",       "greenOffset",
                                    "blueOffset",      "alphaOffset"};

constexpr std::uint16_t kSwf8 = 0x1000;

constexpr const char* kTag = "ColorTransform";

// The numbers of a ColorTransform made by the constructor (eight, then the class tag), or null
// for any other object.
std::vector<Value>* Fields(const Value& v) {
    Object* o = v.asObject();
    if (!o || o->kind() != Object::Kind::Plain || o->elements.size() != 9 ||
        !o->elements[8].isString() || o->elements[8].asString() != kTag)
        return nullptr;
    return &o->elements;
}

std::size_t BoundIndex(CallInfo& c) {
    return c.callee && !c.callee->bound.empty()
               ? static_cast<std::size_t>(c.callee->bound[0].asNumber())
               : 0;
}

Value Ctor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    // Called as a function it changes nothing and makes nothing.
    if (!c.construct || !self) return Value{};
    std::vector<Value> v = {1.0, 1.0, 1.0, 1.0, 0.0, 0.0, 0.0, 0.0, kTag};
    if (c.args.size() >= 8)
        for (std::size_t i = 0; i < 8; ++i) v[i] = c.vm.toNumber(c.args[i]);
    self->elements = std::move(v);
    return Value{};
}

Value GetField(CallInfo& c) {
    std::vector<Value>* f = Fields(c.thisValue);
    return f ? (*f)[BoundIndex(c) % 8] : Value{};
}

Value SetField(CallInfo& c) {
    std::vector<Value>* f = Fields(c.thisValue);
    const double v = c.vm.toNumber(c.arg(0));
    if (f) (*f)[BoundIndex(c) % 8] = v;
    return Value{};
}

std::uint32_t Byte(double v) {
    return static_cast<std::uint32_t>(ToInt32(v)) & 0xFF;
}

Value GetRgb(CallInfo& c) {
    std::vector<Value>* f = Fields(c.thisValue);
    if (!f) return Value{};
    return static_cast<double>(Byte((*f)[4].asNumber()) << 16 | Byte((*f)[5].asNumber()) << 8 |
                               Byte((*f)[6].asNumber()));
}

// Setting the colour makes the object paint that colour: no multiplied part, the colour as
// offsets; alpha is left alone.
Value SetRgb(CallInfo& c) {
    std::vector<Value>* f = Fields(c.thisValue);
    const auto rgb = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.arg(0))));
    if (!f) return Value{};
    (*f)[0] = 0.0, (*f)[1] = 0.0, (*f)[2] = 0.0;
    (*f)[4] = static_cast<double>(rgb >> 16 & 0xFF);
    (*f)[5] = static_cast<double>(rgb >> 8 & 0xFF);
    (*f)[6] = static_cast<double>(rgb & 0xFF);
    return Value{};
}

// this = this followed by `second`: offsets are scaled by this object's multipliers.
Value Concat(CallInfo& c) {
    std::vector<Value>* f = Fields(c.thisValue);
    std::vector<Value>* s = Fields(c.arg(0));
    if (!f || !s) return Value{};
    for (std::size_t i = 0; i < 4; ++i) {
        const double mul = (*f)[i].asNumber();
        (*f)[4 + i] = (*f)[4 + i].asNumber() + mul * (*s)[4 + i].asNumber();
        (*f)[i] = mul * (*s)[i].asNumber();
    }
    return Value{};
}

Value ToStringFn(CallInfo& c) {
    Value out = std::string("(");
    for (std::size_t i = 0; i < 8; ++i) {
        const std::string label = std::string(i ? ", " : "") + kFields[i] + "=";
        out = c.vm.addValues(out, label);
        out = c.vm.addValues(out, Value(c.vm.toString(c.vm.getMember(c.thisValue, kFields[i]))));
    }
    return c.vm.addValues(out, std::string(")"));
}

}  // namespace

bool ColorTransformOf(const Value& v, ColorTransform& out) {
    const std::vector<Value>* f = Fields(v);
    if (!f) return false;
    auto n = [f](std::size_t i) { return (*f)[i].asNumber(); };
    out = {n(0), n(1), n(2), n(3), n(4), n(5), n(6), n(7)};
    return true;
}

void InstallColorTransformBuiltins(Interpreter& vm) {
    Object* geom = PackageObject(vm, "flash.geom");
    Object* proto = vm.newObject();
    Object* ctor = vm.newFunction(Ctor, proto);
    proto->findOwn("constructor")->flags = kDontEnum;
    geom->put("ColorTransform", ctor, kDontEnum);
    // Alpha first in each group, as the player makes them.
    for (std::size_t i : {3, 0, 1, 2, 7, 4, 5, 6})
        Accessor(vm, proto, kFields[i], GetField, SetField, {static_cast<double>(i)});
    Accessor(vm, proto, "rgb", GetRgb, SetRgb);
    vm.method(proto, "concat", Concat);
    vm.method(proto, "toString", ToStringFn);
    // The accessors are hidden from movies before SWF 8, yet enumerable and deletable.
    for (const char* name : kFields) proto->findOwn(name)->flags = kSwf8;
    proto->findOwn("rgb")->flags = kSwf8;
    for (const char* name : {"concat", "toString"}) proto->findOwn(name)->flags = 0;
}

}  // namespace saver::swf::avm1
