// Color and flash.geom.Transform: views onto the matrix and colour transform a clip is placed
// with. Both keep their target clip (Color: the clip or path given, resolved at each call, as
// the player does) in the object's `bound` slots; a target that is gone makes every method do
// nothing and every getter return undefined.
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

ScriptRunner* Runner(CallInfo& c) {
    return dynamic_cast<ScriptRunner*>(&c.vm.host());
}

// A clip given as a clip object or as a path from the root ("_root.a.b", "a.b", "/a/b").
std::shared_ptr<TimelineInstance> ResolveTarget(CallInfo& c, const Value& target) {
    if (auto t = TimelineOfValue(target)) return t;
    ScriptRunner* runner = Runner(c);
    // An empty path names no clip.
    if (!target.isString() || target.asString().empty() || !runner || !runner->rootTimeline())
        return nullptr;
    Value at = runner->clipFor(*runner->rootTimeline());
    const std::string& path = target.asString();
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find_first_of("./", from);
        if (to == std::string::npos) to = path.size();
        const std::string part = path.substr(from, to - from);
        if (!part.empty() && part != "_root" && part != "_level0") at = c.vm.getMember(at, part);
        from = to + 1;
    }
    return TimelineOfValue(at);
}

// The root answers with its own transform, which scripts may change too.
DisplayObject* Placement(CallInfo& c, const Value& target) {
    auto t = ResolveTarget(c, target);
    return t ? t->placement() : nullptr;
}

std::int32_t Wrap16(std::int32_t n) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(n));
}

// `outer` applied after `inner` as the player does it: in 16-bit fields, the multipliers in
// 8.8 fixed point, every step wrapped.
ColorTransform Concat16(const ColorTransform& outer, const ColorTransform& inner) {
    const auto bits = [](double mul) { return Wrap16(ToInt32(mul * 256)); };
    const auto channel = [&](double outerMul, double outerAdd, double innerMul, double innerAdd,
                             double& mul, double& add) {
        const std::int32_t om = bits(outerMul), im = bits(innerMul);
        mul = Wrap16((om * im) >> 8) / 256.0;
        add = Wrap16(Wrap16(ToInt32(outerAdd)) + Wrap16((om * Wrap16(ToInt32(innerAdd))) >> 8));
    };
    ColorTransform out;
    channel(outer.mulR, outer.addR, inner.mulR, inner.addR, out.mulR, out.addR);
    channel(outer.mulG, outer.addG, inner.mulG, inner.addG, out.mulG, out.addG);
    channel(outer.mulB, outer.addB, inner.mulB, inner.addB, out.mulB, out.addB);
    channel(outer.mulA, outer.addA, inner.mulA, inner.addA, out.mulA, out.addA);
    return out;
}

// The clip's matrix and colour transform with its parents' (the root's included) applied
// after them; false when the clip has left the stage.
bool Concatenated(TimelineInstance& target, Matrix& matrix, ColorTransform& color) {
    matrix = {};
    color = {};
    std::shared_ptr<TimelineInstance> at = target.shared_from_this();
    for (int guard = 0; at && guard <= kMaxSpriteNesting + 1; ++guard) {
        const DisplayObject* placed = at->placement();
        if (!placed) return false;
        matrix = placed->matrix * matrix;
        color = Concat16(placed->colorTransform, color);
        at = at->parent();
    }
    return true;
}

Value BoundTarget(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    return self && !self->bound.empty() ? self->bound[0] : Value{};
}

double NumOr(Interpreter& vm, Object* o, const char* name, double fallback) {
    if (!vm.hasProperty(o, name)) return fallback;
    const double n = vm.toNumber(vm.getMember(o, name));
    return std::isnan(n) ? fallback : n;
}

// --- Color ---

// The target is kept as given, also as the read-only `target` member scripts may read.
Value ColorCtor(CallInfo& c) {
    if (Object* self = c.thisValue.asObject()) {
        self->bound = {c.arg(0)};
        self->put("target", c.arg(0), kDontEnum | kDontDelete | kReadOnly);
    }
    return Value{};
}

Value SetRgb(CallInfo& c) {
    DisplayObject* o = Placement(c, BoundTarget(c));
    if (!o || c.args.empty()) return Value{};
    const auto rgb = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.arg(0))));
    o->scripted = true;  // a colour a script set keeps the timeline's moves off the clip
    ColorTransform& ct = o->colorTransform;
    ct.mulR = ct.mulG = ct.mulB = 0;
    ct.addR = (rgb >> 16) & 0xFF;
    ct.addG = (rgb >> 8) & 0xFF;
    ct.addB = rgb & 0xFF;
    return Value{};
}

Value GetRgb(CallInfo& c) {
    const DisplayObject* o = Placement(c, BoundTarget(c));
    if (!o) return Value{};
    // The offsets are signed 16-bit numbers; the player ORs them together shifted into
    // place, so a negative offset spreads its sign over the channels above it.
    const ColorTransform& ct = o->colorTransform;
    const auto add = [](double v) { return static_cast<std::uint32_t>(ToInt32(v)); };
    return static_cast<double>(
        static_cast<std::int32_t>(add(ct.addR) << 16 | add(ct.addG) << 8 | add(ct.addB)));
}

// The player keeps a transform in 16-bit fields: multipliers as 8.8 fixed point, offsets as
// integers, each wrapped (NaN and infinities are 0). Only the object's own members count.
bool OwnNumber(Interpreter& vm, Object* o, const char* name, double& out) {
    if (!o->findOwn(name)) return false;
    out = vm.toNumber(vm.getMember(o, name));
    return true;
}
void SetMultiplier(Interpreter& vm, Object* o, const char* name, double& out) {
    double n = 0;
    if (!OwnNumber(vm, o, name, n)) return;
    out = static_cast<std::int16_t>(static_cast<std::uint16_t>(ToInt32(n * 256 / 100))) / 256.0;
}
void SetOffset(Interpreter& vm, Object* o, const char* name, double& out) {
    double n = 0;
    if (!OwnNumber(vm, o, name, n)) return;
    out = static_cast<std::int16_t>(static_cast<std::uint16_t>(ToInt32(n)));
}

Value SetColorTransform(CallInfo& c) {
    DisplayObject* o = Placement(c, BoundTarget(c));
    Object* t = c.arg(0).asObject();
    if (!o || !t) return Value{};
    o->scripted = true;
    ColorTransform& ct = o->colorTransform;
    SetMultiplier(c.vm, t, "ra", ct.mulR);
    SetMultiplier(c.vm, t, "ga", ct.mulG);
    SetMultiplier(c.vm, t, "ba", ct.mulB);
    SetMultiplier(c.vm, t, "aa", ct.mulA);
    SetOffset(c.vm, t, "rb", ct.addR);
    SetOffset(c.vm, t, "gb", ct.addG);
    SetOffset(c.vm, t, "bb", ct.addB);
    SetOffset(c.vm, t, "ab", ct.addA);
    return Value{};
}

Value GetColorTransform(CallInfo& c) {
    const DisplayObject* o = Placement(c, BoundTarget(c));
    if (!o) return Value{};
    const ColorTransform& ct = o->colorTransform;
    Object* out = c.vm.newObject();
    out->put("ra", ct.mulR * 100);
    out->put("rb", ct.addR);
    out->put("ga", ct.mulG * 100);
    out->put("gb", ct.addG);
    out->put("ba", ct.mulB * 100);
    out->put("bb", ct.addB);
    out->put("aa", ct.mulA * 100);
    out->put("ab", ct.addA);
    return out;
}

// --- flash.geom.Transform ---

// A flash.geom class when the movie's player has it, else a plain object with its fields.
Object* NewGeom(CallInfo& c, const char* name, const std::vector<Value>& args,
                const std::vector<const char*>& fields) {
    const Value geom = c.vm.getMember(c.vm.getMember(c.vm.global(), "flash"), "geom");
    const Value ctor = geom.isObject() ? c.vm.getMember(geom, name) : Value{};
    if (ctor.asObject() && ctor.asObject()->isFunction())
        if (Object* made = c.vm.construct(ctor, args).asObject()) return made;
    Object* out = c.vm.newObject();
    for (std::size_t i = 0; i < fields.size() && i < args.size(); ++i) out->put(fields[i], args[i]);
    return out;
}

Value MatrixValue(CallInfo& c, const Matrix& m) {
    return NewGeom(c, "Matrix", {m.a, m.b, m.c, m.d, m.tx / 20, m.ty / 20},
                   {"a", "b", "c", "d", "tx", "ty"});
}

// A Transform needs a clip: `new Transform()` of anything else gives undefined.
Value TransformCtor(CallInfo& c) {
    if (!TimelineOfValue(c.arg(0))) {
        c.vm.constructRefused = true;
        return Value{};
    }
    if (Object* self = c.thisValue.asObject()) self->bound = {c.arg(0)};
    return Value{};
}

Value GetMatrix(CallInfo& c) {
    const DisplayObject* o = Placement(c, BoundTarget(c));
    return o ? MatrixValue(c, o->matrix) : Value{};
}

// Only an object holding all six members of a matrix as its own is taken.
Value SetMatrix(CallInfo& c) {
    DisplayObject* o = Placement(c, BoundTarget(c));
    Object* m = c.arg(0).asObject();
    if (!o || !m) return Value{};
    for (const char* member : {"a", "b", "c", "d", "tx", "ty"})
        if (!m->findOwn(member)) return Value{};
    o->matrix = {NumOr(c.vm, m, "a", 1),       NumOr(c.vm, m, "b", 0),
                 NumOr(c.vm, m, "c", 0),       NumOr(c.vm, m, "d", 1),
                 NumOr(c.vm, m, "tx", 0) * 20, NumOr(c.vm, m, "ty", 0) * 20};
    return Value{};
}

Value GetConcatenatedMatrix(CallInfo& c) {
    auto t = ResolveTarget(c, BoundTarget(c));
    Matrix m;
    ColorTransform ct;
    return t && Concatenated(*t, m, ct) ? MatrixValue(c, m) : Value{};
}

Value GetGeomColorTransform(CallInfo& c) {
    // Movies before SWF 8 have no ColorTransform class to answer with.
    if (c.vm.version() < 8) return Value{};
    const DisplayObject* o = Placement(c, BoundTarget(c));
    if (!o) return Value{};
    const ColorTransform& ct = o->colorTransform;
    return NewGeom(c, "ColorTransform",
                   {ct.mulR, ct.mulG, ct.mulB, ct.mulA, ct.addR, ct.addG, ct.addB, ct.addA},
                   {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                    "redOffset", "greenOffset", "blueOffset", "alphaOffset"});
}

Value SetGeomColorTransform(CallInfo& c) {
    DisplayObject* o = Placement(c, BoundTarget(c));
    Object* t = c.arg(0).asObject();
    if (!o || !t) return Value{};
    o->colorTransform = {NumOr(c.vm, t, "redMultiplier", 1),  NumOr(c.vm, t, "greenMultiplier", 1),
                         NumOr(c.vm, t, "blueMultiplier", 1), NumOr(c.vm, t, "alphaMultiplier", 1),
                         NumOr(c.vm, t, "redOffset", 0),      NumOr(c.vm, t, "greenOffset", 0),
                         NumOr(c.vm, t, "blueOffset", 0),     NumOr(c.vm, t, "alphaOffset", 0)};
    return Value{};
}

// The clip's colour transform with its parents' applied after it.
Value GetConcatenatedColorTransform(CallInfo& c) {
    // A Transform made by SWF 7 or older code answers nothing, as its colorTransform does.
    if (c.vm.version() < 8) return Value{};
    auto t = ResolveTarget(c, BoundTarget(c));
    Matrix m;
    ColorTransform ct;
    if (!t || !Concatenated(*t, m, ct)) return Value{};
    return NewGeom(c, "ColorTransform",
                   {ct.mulR, ct.mulG, ct.mulB, ct.mulA, ct.addR, ct.addG, ct.addB, ct.addA},
                   {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                    "redOffset", "greenOffset", "blueOffset", "alphaOffset"});
}

// The clip's drawn area on the stage, in whole pixels.
Value GetPixelBounds(CallInfo& c) {
    auto t = ResolveTarget(c, BoundTarget(c));
    Matrix m;
    ColorTransform ct;
    if (!t || !Concatenated(*t, m, ct)) return Value{};
    std::vector<RenderItem> items;
    t->collect(m, {}, items);
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool any = false;
    for (const RenderItem& item : items) {
        if (!item.shape || item.role != ClipRole::Draw) continue;
        const Rect& r = item.shape->bounds;
        for (const auto& [px, py] : {std::pair{r.xMin, r.yMin}, std::pair{r.xMax, r.yMin},
                                     std::pair{r.xMin, r.yMax}, std::pair{r.xMax, r.yMax}}) {
            double x = 0, y = 0;
            item.matrix.apply(px, py, x, y);
            x0 = any ? std::min(x0, x) : x;
            x1 = any ? std::max(x1, x) : x;
            y0 = any ? std::min(y0, y) : y;
            y1 = any ? std::max(y1, y) : y;
            any = true;
        }
    }
    const double left = std::floor(x0 / 20), top = std::floor(y0 / 20);
    return NewGeom(c, "Rectangle", {left, top, std::ceil(x1 / 20) - left, std::ceil(y1 / 20) - top},
                   {"x", "y", "width", "height"});
}

// --- MovieClip.transform ---

// A new Transform on the clip at each read.
Value GetClipTransform(CallInfo& c) {
    if (!TimelineOfValue(c.thisValue)) return Value{};
    return NewGeom(c, "Transform", {c.thisValue}, {});
}

// Given a Transform, the clip takes the matrix and colour transform of that Transform's clip;
// anything else changes nothing.
Value SetClipTransform(CallInfo& c) {
    Object* given = c.arg(0).asObject();
    const Value geom = PackageObject(c.vm, "flash.geom");
    const Value ctor = geom.isObject() ? c.vm.getMember(geom, "Transform") : Value{};
    const Value proto = ctor.isObject() ? c.vm.getMember(ctor, "prototype") : Value{};
    if (!given || !proto.isObject() || given->proto() != proto.asObject() || given->bound.empty())
        return Value{};
    const DisplayObject* from = Placement(c, given->bound[0]);
    DisplayObject* to = Placement(c, c.thisValue);
    if (!from || !to) return Value{};
    to->matrix = from->matrix;
    to->colorTransform = from->colorTransform;
    return Value{};
}

void Accessor(Interpreter& vm, Object* proto, const char* name, NativeFn get, NativeFn set) {
    // Declared by the player's ActionScript class: enumerable and deletable.
    Property& p = proto->put(name, Value{});
    p.getter = vm.newFunction(get);
    p.setter = set ? vm.newFunction(set) : nullptr;
}

Value ReadOnly(CallInfo&) {
    return Value{};
}

}  // namespace

void InstallColorBuiltins(Interpreter& vm) {
    Object* color = MakeClass(vm, "Color", ColorCtor, nullptr);
    Object* proto = vm.getMember(color, "prototype").asObject();
    vm.method(proto, "setRGB", SetRgb);
    vm.method(proto, "getRGB", GetRgb);
    vm.method(proto, "setTransform", SetColorTransform);
    vm.method(proto, "getTransform", GetColorTransform);

    // flash.geom.Transform (Flash 8), next to whatever flash.geom already holds. The package is
    // found by its own properties: a member lookup would miss it in movies older than SWF 8,
    // where it is hidden, and replace it with an empty one.
    Value geom = PackageObject(vm, "flash.geom");
    Object* tproto = vm.newObject();
    Object* transform = vm.newFunction(TransformCtor, tproto);
    geom.asObject()->put("Transform", transform, kDontEnum);
    Accessor(vm, tproto, "matrix", GetMatrix, SetMatrix);
    Accessor(vm, tproto, "concatenatedMatrix", GetConcatenatedMatrix, ReadOnly);
    Accessor(vm, tproto, "colorTransform", GetGeomColorTransform, SetGeomColorTransform);
    Accessor(vm, tproto, "pixelBounds", GetPixelBounds, ReadOnly);
    Accessor(vm, tproto, "concatenatedColorTransform", GetConcatenatedColorTransform, ReadOnly);
    // A Flash 8 member of MovieClip: hidden from older movies.
    Property& clipTransform =
        vm.protos.clip->put("transform", Value{}, kDontEnum | kDontDelete | 0x1000);
    clipTransform.getter = vm.newFunction(GetClipTransform);
    clipTransform.setter = vm.newFunction(SetClipTransform);
}

}  // namespace saver::swf::avm1
