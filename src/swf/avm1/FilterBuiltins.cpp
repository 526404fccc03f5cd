// flash.filters as data: BlurFilter, DropShadowFilter, GlowFilter and BevelFilter keep their
// settings in the object (the class tag first, then one value per property) and show them
// through accessors on the prototype. Every write, by the constructor or a script, converts
// and clamps the value the way the player does: distances and blur to their ranges (NaN is
// kept), quality to a whole number 0..15, colours to 24 bits, flags to booleans.
//
// The constructor reads as many arguments as it is given, undefined ones included (they become
// NaN or 0 like any other bad value); called without `new` it does nothing.
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

enum class Type { Number, Quality, Color, Alpha, Bool, BevelType };

struct Field {
    const char* name;
    Type type;
    double lo, hi;  // the range of a Number
    Value initial;
};

struct FilterClass {
    const char* name;
    std::vector<Field> fields;
};

const Field kBlurX{"blurX", Type::Number, 0, 255, 4.0};
const Field kBlurY{"blurY", Type::Number, 0, 255, 4.0};
const Field kQuality{"quality", Type::Quality, 0, 15, 1.0};
const Field kDistance{"distance", Type::Number, -INFINITY, INFINITY, 4.0};
const Field kAngle{"angle", Type::Number, -INFINITY, INFINITY, 45.0};
const Field kStrength{"strength", Type::Number, 0, 255, 1.0};
const Field kKnockout{"knockout", Type::Bool, 0, 0, false};
const Field kInner{"inner", Type::Bool, 0, 0, false};

const std::vector<FilterClass>& Classes() {
    static const std::vector<FilterClass> classes = {
        {"BlurFilter", {kBlurX, kBlurY, kQuality}},
        {"DropShadowFilter",
         {kDistance,
          kAngle,
          {"color", Type::Color, 0, 0, 0.0},
          {"alpha", Type::Alpha, 0, 1, 1.0},
          kBlurX,
          kBlurY,
          kStrength,
          kQuality,
          kInner,
          kKnockout,
          {"hideObject", Type::Bool, 0, 0, false}}},
        {"GlowFilter",
         {{"color", Type::Color, 0, 0, 16711680.0},
          {"alpha", Type::Alpha, 0, 1, 1.0},
          {"blurX", Type::Number, 0, 255, 6.0},
          {"blurY", Type::Number, 0, 255, 6.0},
          {"strength", Type::Number, 0, 255, 2.0},
          kQuality,
          kInner,
          kKnockout}},
        {"BevelFilter",
         {kDistance,
          kAngle,
          {"highlightColor", Type::Color, 0, 0, 16777215.0},
          {"highlightAlpha", Type::Alpha, 0, 1, 1.0},
          {"shadowColor", Type::Color, 0, 0, 0.0},
          {"shadowAlpha", Type::Alpha, 0, 1, 1.0},
          kBlurX,
          kBlurY,
          kStrength,
          kQuality,
          {"type", Type::BevelType, 0, 0, "inner"},
          kKnockout}},
    };
    return classes;
}

Value Convert(Interpreter& vm, const Field& f, const Value& v) {
    switch (f.type) {
        case Type::Number:
        case Type::Alpha: {
            const double n = vm.toNumber(v);
            return std::isnan(n) ? n : std::clamp(n, f.lo, f.hi);
        }
        case Type::Quality:
            return static_cast<double>(std::clamp(ToInt32(vm.toNumber(v)), 0, 15));
        case Type::Color:
            return static_cast<double>(static_cast<std::uint32_t>(ToInt32(vm.toNumber(v))) &
                                       0xFFFFFF);
        case Type::Bool:
            return vm.toBool(v);
        case Type::BevelType: {
            const std::string s = vm.toString(v);
            return s == "outer" || s == "full" ? s : std::string("inner");
        }
    }
    return Value{};
}

// The class index a method or accessor was made for (its first bound value).
std::size_t ClassOf(CallInfo& c) {
    return c.callee && !c.callee->bound.empty()
               ? static_cast<std::size_t>(c.callee->bound[0].asNumber())
               : 0;
}

// The stored values of a filter of class `k`, or null for any other object.
std::vector<Value>* Data(const Value& v, std::size_t k) {
    Object* o = v.asObject();
    const FilterClass& cls = Classes()[k];
    if (!o || o->kind() != Object::Kind::Plain || o->elements.size() != cls.fields.size() + 1 ||
        !o->elements[0].isString() || o->elements[0].asString() != cls.name)
        return nullptr;
    return &o->elements;
}

Value Ctor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    // `new`, or super() from the constructor of a subclass.
    if (!self || !(c.construct || c.vm.callerConstructs())) return Value{};
    const FilterClass& cls = Classes()[ClassOf(c)];
    const bool made = Data(self, ClassOf(c)) != nullptr;
    std::vector<Value> data{std::string(cls.name)};
    for (std::size_t i = 0; i < cls.fields.size(); ++i)
        data.push_back(i < c.args.size() ? Convert(c.vm, cls.fields[i], c.args[i])
                                         : cls.fields[i].initial);
    // A filter is made once: constructing it again converts the arguments and keeps it.
    if (!made) self->elements = std::move(data);
    return Value{};
}

Value Get(CallInfo& c) {
    std::vector<Value>* d = Data(c.thisValue, ClassOf(c));
    const auto i = static_cast<std::size_t>(c.callee->bound[1].asNumber());
    return d ? (*d)[i + 1] : Value{};
}

Value Set(CallInfo& c) {
    const std::size_t k = ClassOf(c);
    std::vector<Value>* d = Data(c.thisValue, k);
    const auto i = static_cast<std::size_t>(c.callee->bound[1].asNumber());
    if (d) (*d)[i + 1] = Convert(c.vm, Classes()[k].fields[i], c.arg(0));
    return Value{};
}

Value Clone(CallInfo& c) {
    const std::size_t k = ClassOf(c);
    std::vector<Value>* d = Data(c.thisValue, k);
    if (!d) return Value{};
    const Value ctor = c.callee->bound[1];
    const std::vector<Value> args(d->begin() + 1, d->end());
    return c.vm.construct(ctor, args);
}

}  // namespace

void InstallFilterBuiltins(Interpreter& vm) {
    Object* filters = PackageObject(vm, "flash.filters");
    Object* base = vm.newObject();
    Object* bitmapFilter = vm.newFunction([](CallInfo&) { return Value{}; }, base);
    base->findOwn("constructor")->flags = kDontEnum;
    filters->put("BitmapFilter", bitmapFilter, kDontEnum);
    const auto& classes = Classes();
    for (std::size_t k = 0; k < classes.size(); ++k) {
        Object* proto = vm.newObject(base);
        Object* ctor = vm.newFunction(Ctor, proto);
        ctor->bound = {static_cast<double>(k)};
        proto->findOwn("constructor")->flags = kDontEnum;
        filters->put(classes[k].name, ctor, kDontEnum);
        for (std::size_t i = 0; i < classes[k].fields.size(); ++i)
            Accessor(vm, proto, classes[k].fields[i].name, Get, Set,
                     {static_cast<double>(k), static_cast<double>(i)});
        Object* clone = vm.method(proto, "clone", Clone);
        clone->bound = {static_cast<double>(k), ctor};
    }
}

}  // namespace saver::swf::avm1
