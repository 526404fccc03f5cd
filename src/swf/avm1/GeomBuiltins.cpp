// flash.geom.Point and flash.geom.Rectangle: plain objects with `x`, `y` (and `width`,
// `height`) properties, as the player keeps them. Every method reads those properties through
// the ordinary member lookup and converts them when it needs numbers, so a script that stores
// strings or objects in them sees its own values again (and its valueOf called), and the
// methods work on any object that has the properties.
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

double Num(Interpreter& vm, const Value& object, const char* name) {
    return vm.toNumber(vm.getMember(object, name));
}

// The class a method makes its results with (kept in the method's `bound` values).
Value Home(CallInfo& c, std::size_t i = 0) {
    return c.callee && c.callee->bound.size() > i ? c.callee->bound[i] : Value{};
}

// "a" + b + "c" + ... with the `+` operator, so objects give their valueOf first.
Value Cat(Interpreter& vm, std::initializer_list<Value> parts) {
    Value out = std::string();
    for (const Value& p : parts) out = vm.addValues(out, p);
    return out;
}

bool IsInstance(Object* o, const Value& ctor) {
    Object* f = ctor.asObject();
    Object* proto = nullptr;
    if (f) {
        const Property* p = f->findOwn("prototype");
        proto = p ? p->value.asObject() : nullptr;
    }
    int links = 0;
    for (Object* p = o ? o->proto() : nullptr; p && proto && links < 256; p = p->proto(), ++links)
        if (p == proto) return true;
    return false;
}

// ---- Point

Value PointCtor(CallInfo& c) {
    if (c.args.empty()) {
        c.vm.setMember(c.thisValue, "x", 0.0);
        c.vm.setMember(c.thisValue, "y", 0.0);
    } else {
        c.vm.setMember(c.thisValue, "x", c.arg(0));
        c.vm.setMember(c.thisValue, "y", c.arg(1));
    }
    return Value{};
}

Value NewPoint(CallInfo& c, const Value& x, const Value& y) {
    return c.vm.construct(Home(c), {x, y});
}

Value PointToString(CallInfo& c) {
    Interpreter& vm = c.vm;
    return Cat(
        vm, {"(x=", vm.getMember(c.thisValue, "x"), ", y=", vm.getMember(c.thisValue, "y"), ")"});
}

Value PointLength(CallInfo& c) {
    return std::hypot(Num(c.vm, c.thisValue, "x"), Num(c.vm, c.thisValue, "y"));
}

Value PointClone(CallInfo& c) {
    return NewPoint(c, c.vm.getMember(c.thisValue, "x"), c.vm.getMember(c.thisValue, "y"));
}

Value PointOffset(CallInfo& c) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "x", Num(vm, c.thisValue, "x") + vm.toNumber(c.arg(0)));
    vm.setMember(c.thisValue, "y", Num(vm, c.thisValue, "y") + vm.toNumber(c.arg(1)));
    return Value{};
}

Value PointAdd(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value other = c.arg(0);
    const Value x = vm.addValues(vm.getMember(c.thisValue, "x"), vm.getMember(other, "x"));
    const Value y = vm.addValues(vm.getMember(c.thisValue, "y"), vm.getMember(other, "y"));
    return NewPoint(c, x, y);
}
Value PointSubtract(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value other = c.arg(0);
    return NewPoint(c, Num(vm, c.thisValue, "x") - Num(vm, other, "x"),
                    Num(vm, c.thisValue, "y") - Num(vm, other, "y"));
}

Value PointEquals(CallInfo& c) {
    Object* other = c.arg(0).asObject();
    if (!other || !IsInstance(other, Home(c))) return false;
    Interpreter& vm = c.vm;
    return vm.looseEquals(vm.getMember(c.thisValue, "x"), vm.getMember(other, "x")) &&
           vm.looseEquals(vm.getMember(c.thisValue, "y"), vm.getMember(other, "y"));
}

Value PointNormalize(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double x = Num(vm, c.thisValue, "x"), y = Num(vm, c.thisValue, "y");
    const double length = std::hypot(x, y);
    if (length > 0) {
        const double scale = vm.toNumber(c.arg(0)) / length;
        vm.setMember(c.thisValue, "x", x * scale);
        vm.setMember(c.thisValue, "y", y * scale);
    }
    return Value{};
}

Value PointDistance(CallInfo& c) {
    const Value diff = c.vm.callMethod(c.arg(0), "subtract", {c.arg(1)});
    return c.vm.getMember(diff, "length");
}

Value PointInterpolate(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value a = c.arg(0), b = c.arg(1);
    const double f = vm.toNumber(c.arg(2));
    auto mix = [&](const char* n) {
        const Value bv = vm.getMember(b, n);
        return vm.addValues(bv, (vm.toNumber(vm.getMember(a, n)) - vm.toNumber(bv)) * f);
    };
    const Value y = mix("y");
    const Value x = mix("x");
    return NewPoint(c, x, y);
}

Value PointPolar(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double length = vm.toNumber(c.arg(0)), angle = vm.toNumber(c.arg(1));
    return NewPoint(c, length * std::cos(angle), length * std::sin(angle));
}

// ---- Rectangle

struct Box {
    double x, y, w, h;
};

Box ReadBox(Interpreter& vm, const Value& r) {
    return {Num(vm, r, "x"), Num(vm, r, "y"), Num(vm, r, "width"), Num(vm, r, "height")};
}

void WriteBox(Interpreter& vm, const Value& r, const Box& b) {
    vm.setMember(r, "x", b.x);
    vm.setMember(r, "y", b.y);
    vm.setMember(r, "width", b.w);
    vm.setMember(r, "height", b.h);
}

Value RectCtor(CallInfo& c) {
    if (c.args.empty()) {
        c.vm.callMethod(c.thisValue, "setEmpty", {});
        return Value{};
    }
    static const char* const kNames[] = {"x", "y", "width", "height"};
    for (std::size_t i = 0; i < 4; ++i) c.vm.setMember(c.thisValue, kNames[i], c.arg(i));
    return Value{};
}

Value NewRect(CallInfo& c, const Box& b) {
    return c.vm.construct(Home(c), {b.x, b.y, b.w, b.h});
}

Value RectToString(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value& t = c.thisValue;
    return Cat(vm, {"(x=", vm.getMember(t, "x"), ", y=", vm.getMember(t, "y"),
                    ", w=", vm.getMember(t, "width"), ", h=", vm.getMember(t, "height"), ")"});
}

Value RectSetEmpty(CallInfo& c) {
    WriteBox(c.vm, c.thisValue, {0, 0, 0, 0});
    return Value{};
}

Value RectIsEmpty(CallInfo& c) {
    const Box b = ReadBox(c.vm, c.thisValue);
    return !(b.w > 0) || !(b.h > 0);
}

Value RectClone(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value& t = c.thisValue;
    return vm.construct(Home(c), {vm.getMember(t, "x"), vm.getMember(t, "y"),
                                  vm.getMember(t, "width"), vm.getMember(t, "height")});
}

// Comparisons in the player's order: the first one that fails decides, and one that meets
// NaN makes the answer undefined.
struct Test {
    double a, b;
    bool less;  // a < b, else a >= b
};
Value Compare(std::initializer_list<Test> tests) {
    for (const Test& t : tests) {
        if (std::isnan(t.a) || std::isnan(t.b)) return Value{};
        if (t.less ? !(t.a < t.b) : !(t.a >= t.b)) return false;
    }
    return true;
}

Value Inside(const Box& r, double x, double y) {
    return Compare({{x, r.x, false}, {x, r.x + r.w, true}, {y, r.y, false}, {y, r.y + r.h, true}});
}

Value RectContains(CallInfo& c) {
    return Inside(ReadBox(c.vm, c.thisValue), c.vm.toNumber(c.arg(0)), c.vm.toNumber(c.arg(1)));
}

Value RectContainsPoint(CallInfo& c) {
    const Value p = c.arg(0);
    return Inside(ReadBox(c.vm, c.thisValue), Num(c.vm, p, "x"), Num(c.vm, p, "y"));
}

Value RectContainsRectangle(CallInfo& c) {
    if (!c.arg(0).isObject()) return Value{};
    const Box r = ReadBox(c.vm, c.thisValue);
    const Box o = ReadBox(c.vm, c.arg(0));
    return Compare({{o.x, r.x, false},
                    {o.y, r.y, false},
                    {r.x + r.w, o.x + o.w, false},
                    {r.y + r.h, o.y + o.h, false}});
}

// Math.min and Math.max: NaN wins.
double Min(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::min(a, b);
}
double Max(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::max(a, b);
}

bool Empty(Interpreter& vm, const Value& r) {
    return vm.toBool(vm.callMethod(r, "isEmpty", {}));
}

Value RectIntersection(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value result = NewRect(c, {0, 0, 0, 0});
    if (Empty(vm, c.thisValue) || Empty(vm, c.arg(0))) return result;
    const Box r = ReadBox(vm, c.thisValue);
    const Box o = ReadBox(vm, c.arg(0));
    const double left = Max(r.x, o.x), top = Max(r.y, o.y);
    const double w = Min(r.x + r.w, o.x + o.w) - left;
    const double h = Min(r.y + r.h, o.y + o.h) - top;
    if (!(w > 0) || !(h > 0)) return result;
    WriteBox(vm, result, {left, top, w, h});
    return result;
}

Value RectIntersects(CallInfo& c) {
    const Value i = RectIntersection(c);
    return !Empty(c.vm, i);
}

Value RectUnion(CallInfo& c) {
    Interpreter& vm = c.vm;
    if (Empty(vm, c.thisValue)) return vm.callMethod(c.arg(0), "clone", {});
    if (Empty(vm, c.arg(0))) return vm.callMethod(c.thisValue, "clone", {});
    const Box r = ReadBox(vm, c.thisValue);
    const Box o = ReadBox(vm, c.arg(0));
    const double left = Min(r.x, o.x), top = Min(r.y, o.y);
    return NewRect(c,
                   {left, top, Max(r.x + r.w, o.x + o.w) - left, Max(r.y + r.h, o.y + o.h) - top});
}

void Grow(CallInfo& c, double dx, double dy) {
    Box b = ReadBox(c.vm, c.thisValue);
    WriteBox(c.vm, c.thisValue, {b.x - dx, b.y - dy, b.w + 2 * dx, b.h + 2 * dy});
}
Value RectInflate(CallInfo& c) {
    Grow(c, c.vm.toNumber(c.arg(0)), c.vm.toNumber(c.arg(1)));
    return Value{};
}
Value RectInflatePoint(CallInfo& c) {
    Grow(c, Num(c.vm, c.arg(0), "x"), Num(c.vm, c.arg(0), "y"));
    return Value{};
}

void Move(CallInfo& c, double dx, double dy) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "x", Num(vm, c.thisValue, "x") + dx);
    vm.setMember(c.thisValue, "y", Num(vm, c.thisValue, "y") + dy);
}
Value RectOffset(CallInfo& c) {
    Move(c, c.vm.toNumber(c.arg(0)), c.vm.toNumber(c.arg(1)));
    return Value{};
}
Value RectOffsetPoint(CallInfo& c) {
    Move(c, Num(c.vm, c.arg(0), "x"), Num(c.vm, c.arg(0), "y"));
    return Value{};
}

Value RectEquals(CallInfo& c) {
    Object* other = c.arg(0).asObject();
    if (!other || !IsInstance(other, Home(c))) return false;
    Interpreter& vm = c.vm;
    for (const char* n : {"x", "y", "width", "height"})
        if (!vm.looseEquals(vm.getMember(c.thisValue, n), vm.getMember(other, n))) return false;
    return true;
}

// Edges and corners: getters and setters over x, y, width and height.
Value GetLeft(CallInfo& c) {
    return c.vm.getMember(c.thisValue, "x");
}
Value GetTop(CallInfo& c) {
    return c.vm.getMember(c.thisValue, "y");
}
Value GetRight(CallInfo& c) {
    return Num(c.vm, c.thisValue, "x") + Num(c.vm, c.thisValue, "width");
}
Value GetBottom(CallInfo& c) {
    return Num(c.vm, c.thisValue, "y") + Num(c.vm, c.thisValue, "height");
}
Value SetLeft(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double v = vm.toNumber(c.arg(0));
    vm.setMember(c.thisValue, "width",
                 Num(vm, c.thisValue, "width") + Num(vm, c.thisValue, "x") - v);
    vm.setMember(c.thisValue, "x", c.arg(0));
    return Value{};
}
Value SetTop(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double v = vm.toNumber(c.arg(0));
    vm.setMember(c.thisValue, "height",
                 Num(vm, c.thisValue, "height") + Num(vm, c.thisValue, "y") - v);
    vm.setMember(c.thisValue, "y", c.arg(0));
    return Value{};
}
Value SetRight(CallInfo& c) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "width", vm.toNumber(c.arg(0)) - Num(vm, c.thisValue, "x"));
    return Value{};
}
Value SetBottom(CallInfo& c) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "height", vm.toNumber(c.arg(0)) - Num(vm, c.thisValue, "y"));
    return Value{};
}
Value GetSize(CallInfo& c) {
    return c.vm.construct(
        Home(c, 1), {c.vm.getMember(c.thisValue, "width"), c.vm.getMember(c.thisValue, "height")});
}
Value SetSize(CallInfo& c) {
    c.vm.setMember(c.thisValue, "width", c.vm.getMember(c.arg(0), "x"));
    c.vm.setMember(c.thisValue, "height", c.vm.getMember(c.arg(0), "y"));
    return Value{};
}
Value GetTopLeft(CallInfo& c) {
    return c.vm.construct(Home(c, 1),
                          {c.vm.getMember(c.thisValue, "x"), c.vm.getMember(c.thisValue, "y")});
}
Value SetTopLeft(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Value& t = c.thisValue;
    const Value p = c.arg(0);
    vm.setMember(t, "width", Num(vm, t, "width") + Num(vm, t, "x") - Num(vm, p, "x"));
    vm.setMember(t, "height", Num(vm, t, "height") + Num(vm, t, "y") - Num(vm, p, "y"));
    vm.setMember(t, "x", vm.getMember(p, "x"));
    vm.setMember(t, "y", vm.getMember(p, "y"));
    return Value{};
}
Value GetBottomRight(CallInfo& c) {
    return c.vm.construct(Home(c, 1), {GetRight(c), GetBottom(c)});
}
Value SetBottomRight(CallInfo& c) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "width", Num(vm, c.arg(0), "x") - Num(vm, c.thisValue, "x"));
    vm.setMember(c.thisValue, "height", Num(vm, c.arg(0), "y") - Num(vm, c.thisValue, "y"));
    return Value{};
}

struct Member {
    const char* name;
    NativeFn fn;
};

// The player writes these classes in ActionScript: their methods are ordinary enumerable
// members, each a function with its own `prototype`.
void Methods(Interpreter& vm, Object* target, std::initializer_list<Member> members,
             std::vector<Value> bound) {
    for (const Member& m : members) {
        Object* f = vm.newFunction(m.fn, vm.newObject());
        f->bound = bound;
        target->put(m.name, f);
    }
}

// A getter (and setter) declared by the class: enumerable and deletable like a script's.
void ScriptAccessor(Interpreter& vm, Object* target, const std::string& name, NativeFn get,
                    NativeFn set, const std::vector<Value>& bound) {
    Accessor(vm, target, name, get, set, bound);
    target->findOwn(name)->flags = 0;
}

}  // namespace

Object* PackageObject(Interpreter& vm, const std::string& path) {
    Object* at = vm.global();
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        const std::string name = path.substr(start, dot - start);
        Property* p = at->findOwn(name);
        Object* next = p ? p->value.asObject() : nullptr;
        if (!next) {
            next = vm.newObject();
            // The packages came with the player of SWF 8.
            at->put(name, next, at == vm.global() ? kDontEnum | 0x1000 : kDontEnum);
        }
        at = next;
        start = dot + 1;
    }
    return at;
}

void Accessor(Interpreter& vm, Object* target, const std::string& name, NativeFn get, NativeFn set,
              const std::vector<Value>& bound) {
    Property& p = target->put(name, Value{}, kDontEnum | kDontDelete);
    p.getter = vm.newFunction(get);
    p.getter->bound = bound;
    if (set) {
        p.setter = vm.newFunction(set);
        p.setter->bound = bound;
    }
}

void InstallGeomBuiltins(Interpreter& vm) {
    Object* geom = PackageObject(vm, "flash.geom");

    Object* pointProto = vm.newObject();
    Object* point = vm.newFunction(PointCtor, pointProto);
    geom->put("Point", point, kDontEnum);
    const std::vector<Value> pointHome{point};
    Methods(vm, pointProto,
            {{"toString", PointToString},
             {"clone", PointClone},
             {"offset", PointOffset},
             {"add", PointAdd},
             {"subtract", PointSubtract},
             {"equals", PointEquals},
             {"normalize", PointNormalize}},
            pointHome);
    ScriptAccessor(vm, pointProto, "length", PointLength, nullptr, pointHome);
    Methods(vm, point,
            {{"distance", PointDistance}, {"interpolate", PointInterpolate}, {"polar", PointPolar}},
            pointHome);

    Object* rectProto = vm.newObject();
    Object* rect = vm.newFunction(RectCtor, rectProto);
    geom->put("Rectangle", rect, kDontEnum);
    const std::vector<Value> rectHome{rect, point};
    Methods(vm, rectProto,
            {{"toString", RectToString},
             {"setEmpty", RectSetEmpty},
             {"isEmpty", RectIsEmpty},
             {"clone", RectClone},
             {"contains", RectContains},
             {"containsPoint", RectContainsPoint},
             {"containsRectangle", RectContainsRectangle},
             {"intersects", RectIntersects},
             {"intersection", RectIntersection},
             {"union", RectUnion},
             {"inflate", RectInflate},
             {"inflatePoint", RectInflatePoint},
             {"offset", RectOffset},
             {"offsetPoint", RectOffsetPoint},
             {"equals", RectEquals}},
            rectHome);
    ScriptAccessor(vm, rectProto, "left", GetLeft, SetLeft, rectHome);
    ScriptAccessor(vm, rectProto, "top", GetTop, SetTop, rectHome);
    ScriptAccessor(vm, rectProto, "right", GetRight, SetRight, rectHome);
    ScriptAccessor(vm, rectProto, "bottom", GetBottom, SetBottom, rectHome);
    ScriptAccessor(vm, rectProto, "size", GetSize, SetSize, rectHome);
    ScriptAccessor(vm, rectProto, "topLeft", GetTopLeft, SetTopLeft, rectHome);
    ScriptAccessor(vm, rectProto, "bottomRight", GetBottomRight, SetBottomRight, rectHome);
}

}  // namespace saver::swf::avm1
