// flash.filters.ColorMatrixFilter as data: twenty numbers (four rows of red, green, blue,
// alpha and offset) kept in the object, in single precision as the player keeps them, read
// and written as an array through `matrix` (a copy each time). Writing null or undefined
// changes nothing; any other value sets every entry it does not give to NaN, as the current
// player does.
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kTag = "ColorMatrixFilter";
constexpr std::size_t kEntries = 20;
constexpr std::uint16_t kSwf8 = 0x1000;

std::vector<Value>* Entries(const Value& v) {
    Object* o = v.asObject();
    if (!o || o->kind() != Object::Kind::Plain || o->elements.size() != kEntries + 1 ||
        !o->elements[0].isString() || o->elements[0].asString() != kTag)
        return nullptr;
    return &o->elements;
}

void SetEntries(Interpreter& vm, std::vector<Value>& e, const Value& v) {
    if (v.isNullish()) return;
    Object* list = v.asObject();
    double length = list ? vm.toNumber(vm.getMember(list, "length")) : 0;
    if (std::isnan(length)) length = 0;
    for (std::size_t i = 0; i < kEntries; ++i) {
        double n = NAN;
        if (static_cast<double>(i) < length) n = vm.toNumber(vm.getMember(list, std::to_string(i)));
        e[i + 1] = static_cast<double>(static_cast<float>(n));
    }
}

Value Ctor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    if (!self || !(c.construct || c.vm.callerConstructs())) return Value{};
    std::vector<Value> e(kEntries + 1, 0.0);
    e[0] = std::string(kTag);
    for (std::size_t i = 0; i < 4; ++i) e[1 + i * 6] = 1.0;
    SetEntries(c.vm, e, c.arg(0));
    self->elements = std::move(e);
    return Value{};
}

Value GetMatrix(CallInfo& c) {
    std::vector<Value>* e = Entries(c.thisValue);
    if (!e) return Value{};
    return c.vm.newArray(std::vector<Value>(e->begin() + 1, e->end()));
}

Value SetMatrix(CallInfo& c) {
    if (std::vector<Value>* e = Entries(c.thisValue)) SetEntries(c.vm, *e, c.arg(0));
    return Value{};
}

Value Clone(CallInfo& c) {
    std::vector<Value>* e = Entries(c.thisValue);
    if (!e) return Value{};
    const Value matrix = c.vm.newArray(std::vector<Value>(e->begin() + 1, e->end()));
    return c.vm.construct(c.callee->bound[0], {matrix});
}

}  // namespace

void InstallColorMatrixFilterBuiltins(Interpreter& vm) {
    Object* filters = PackageObject(vm, "flash.filters");
    Object* base = vm.getMember(vm.getMember(filters, "BitmapFilter"), "prototype").asObject();
    Object* proto = vm.newObject(base);
    Object* ctor = vm.newFunction(Ctor, proto);
    proto->findOwn("constructor")->flags = kDontEnum;
    filters->put(kTag, ctor, kDontEnum);
    Accessor(vm, proto, "matrix", GetMatrix, SetMatrix);
    proto->findOwn("matrix")->flags |= kSwf8;
    Object* clone = vm.method(proto, "clone", Clone);
    clone->bound = {ctor};
}

}  // namespace saver::swf::avm1
