// flash.geom.Matrix: a plain object with the six members `a`, `b`, `c`, `d`, `tx` and `ty`,
// as the player keeps it. Methods read the members through the ordinary lookup (so they work
// on any object that has them), reckon in doubles and write all six back. Transforms a method
// adds (scale, rotate, translate, concat) apply after the matrix's own.
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// `after` applied to the result of `first`.
Affine Then(const Affine& first, const Affine& after) {
    Affine r;
    r.a = after.a * first.a + after.c * first.b;
    r.b = after.b * first.a + after.d * first.b;
    r.c = after.a * first.c + after.c * first.d;
    r.d = after.b * first.c + after.d * first.d;
    r.tx = after.a * first.tx + after.c * first.ty + after.tx;
    r.ty = after.b * first.tx + after.d * first.ty + after.ty;
    return r;
}

Affine Read(Interpreter& vm, const Value& object) {
    auto num = [&](const char* n) { return vm.toNumber(vm.getMember(object, n)); };
    Affine m;
    m.a = num("a");
    m.b = num("b");
    m.c = num("c");
    m.d = num("d");
    m.tx = num("tx");
    m.ty = num("ty");
    return m;
}

void Write(Interpreter& vm, const Value& object, const Affine& m) {
    vm.setMember(object, "a", m.a);
    vm.setMember(object, "b", m.b);
    vm.setMember(object, "c", m.c);
    vm.setMember(object, "d", m.d);
    vm.setMember(object, "tx", m.tx);
    vm.setMember(object, "ty", m.ty);
}

// Bound values of every method: the Matrix class, then the Point class.
Value Home(CallInfo& c, std::size_t i) {
    return c.callee && c.callee->bound.size() > i ? c.callee->bound[i] : Value{};
}

// An argument as a number; a missing one is `fallback` (an explicit undefined is NaN).
double OptionalNumber(CallInfo& c, std::size_t i, double fallback) {
    return i < c.args.size() ? c.vm.toNumber(c.args[i]) : fallback;
}

Value Identity(CallInfo& c) {
    Interpreter& vm = c.vm;
    vm.setMember(c.thisValue, "d", 1.0);
    vm.setMember(c.thisValue, "a", 1.0);
    vm.setMember(c.thisValue, "c", 0.0);
    vm.setMember(c.thisValue, "b", 0.0);
    vm.setMember(c.thisValue, "ty", 0.0);
    vm.setMember(c.thisValue, "tx", 0.0);
    return Value{};
}

// Without arguments the identity; otherwise each given argument as it is, the rest unset.
Value MatrixCtor(CallInfo& c) {
    if (c.args.empty()) return Identity(c);
    static const char* const kNames[] = {"a", "b", "c", "d", "tx", "ty"};
    for (std::size_t i = 0; i < c.args.size() && i < 6; ++i)
        c.vm.setMember(c.thisValue, kNames[i], c.args[i]);
    return Value{};
}

Value Clone(CallInfo& c) {
    Interpreter& vm = c.vm;
    std::vector<Value> members;
    for (const char* n : {"a", "b", "c", "d", "tx", "ty"})
        members.push_back(vm.getMember(c.thisValue, n));
    return vm.construct(Home(c, 0), members);
}

Value Concat(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Affine self = Read(vm, c.thisValue);
    Write(vm, c.thisValue, Then(self, Read(vm, c.arg(0))));
    return Value{};
}

Value Scale(CallInfo& c) {
    Interpreter& vm = c.vm;
    Affine s;
    s.a = vm.toNumber(c.arg(0));
    s.d = vm.toNumber(c.arg(1));
    Write(vm, c.thisValue, Then(Read(vm, c.thisValue), s));
    return Value{};
}

Value Rotate(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double angle = vm.toNumber(c.arg(0));
    Affine r;
    r.a = r.d = std::cos(angle);
    r.b = std::sin(angle);
    r.c = -r.b;
    Write(vm, c.thisValue, Then(Read(vm, c.thisValue), r));
    return Value{};
}

Value Translate(CallInfo& c) {
    Interpreter& vm = c.vm;
    Affine t;
    t.tx = vm.toNumber(c.arg(0));
    t.ty = vm.toNumber(c.arg(1));
    Write(vm, c.thisValue, Then(Read(vm, c.thisValue), t));
    return Value{};
}

// A matrix that cannot be inverted becomes the identity.
Value Invert(CallInfo& c) {
    Interpreter& vm = c.vm;
    const Affine m = Read(vm, c.thisValue);
    const double det = m.a * m.d - m.b * m.c;
    Affine r;
    if (det != 0 && std::isfinite(det)) {
        r.a = m.d / det;
        r.b = -m.b / det;
        r.c = -m.c / det;
        r.d = m.a / det;
        r.tx = (m.c * m.ty - m.d * m.tx) / det;
        r.ty = (m.b * m.tx - m.a * m.ty) / det;
    }
    Write(vm, c.thisValue, r);
    return Value{};
}

// Scale, then rotation, then translation; the rotation is required (undefined gives NaN).
Affine Box(double sx, double sy, double angle, double tx, double ty) {
    Affine m;
    m.a = std::cos(angle) * sx;
    m.b = std::sin(angle) * sy;
    m.c = -std::sin(angle) * sx;
    m.d = std::cos(angle) * sy;
    m.tx = tx;
    m.ty = ty;
    return m;
}

Value CreateBox(CallInfo& c) {
    Interpreter& vm = c.vm;
    Write(vm, c.thisValue,
          Box(vm.toNumber(c.arg(0)), vm.toNumber(c.arg(1)), vm.toNumber(c.arg(2)),
              OptionalNumber(c, 3, 0), OptionalNumber(c, 4, 0)));
    return Value{};
}

// A gradient's square is 1638.4 pixels (32768 twips) wide, centred on the origin.
Value CreateGradientBox(CallInfo& c) {
    Interpreter& vm = c.vm;
    const double w = vm.toNumber(c.arg(0)), h = vm.toNumber(c.arg(1));
    Write(vm, c.thisValue,
          Box(w / 1638.4, h / 1638.4, OptionalNumber(c, 2, 0), OptionalNumber(c, 3, 0) + w / 2,
              OptionalNumber(c, 4, 0) + h / 2));
    return Value{};
}

Value TransformPointWith(CallInfo& c, bool translate) {
    Interpreter& vm = c.vm;
    const Affine m = Read(vm, c.thisValue);
    const double x = vm.toNumber(vm.getMember(c.arg(0), "x"));
    const double y = vm.toNumber(vm.getMember(c.arg(0), "y"));
    const double ox = x * m.a + y * m.c + (translate ? m.tx : 0);
    const double oy = x * m.b + y * m.d + (translate ? m.ty : 0);
    return vm.construct(Home(c, 1), {ox, oy});
}
Value TransformPoint(CallInfo& c) {
    return TransformPointWith(c, true);
}
Value DeltaTransformPoint(CallInfo& c) {
    return TransformPointWith(c, false);
}

Value ToString(CallInfo& c) {
    Interpreter& vm = c.vm;
    std::string out = "(";
    const char* sep = "";
    for (const char* n : {"a", "b", "c", "d", "tx", "ty"}) {
        out += sep;
        out += n;
        out += '=';
        out += vm.toString(vm.getMember(c.thisValue, n));
        sep = ", ";
    }
    return out + ")";
}

}  // namespace

void InstallMatrixBuiltins(Interpreter& vm) {
    Object* geom = PackageObject(vm, "flash.geom");
    Object* proto = vm.newObject();
    Object* matrix = vm.newFunction(MatrixCtor, proto);
    geom->put("Matrix", matrix, kDontEnum);
    const Property* point = geom->findOwn("Point");
    const std::vector<Value> home{matrix, point ? point->value : Value{}};
    static const struct {
        const char* name;
        NativeFn fn;
    } kMethods[] = {{"concat", Concat},
                    {"invert", Invert},
                    {"createBox", CreateBox},
                    {"createGradientBox", CreateGradientBox},
                    {"clone", Clone},
                    {"identity", Identity},
                    {"rotate", Rotate},
                    {"translate", Translate},
                    {"scale", Scale},
                    {"deltaTransformPoint", DeltaTransformPoint},
                    {"transformPoint", TransformPoint},
                    {"toString", ToString}};
    // Written in ActionScript in the player: enumerable methods with their own prototypes.
    for (const auto& m : kMethods) {
        Object* f = vm.newFunction(m.fn, vm.newObject());
        f->bound = home;
        proto->put(m.name, f);
    }
}

}  // namespace saver::swf::avm1
