// A field's display properties live on the object in its parent's list, which the field's
// state finds through the timeline that owns it. Positions are whole twips and scale and
// rotation are remembered as written, as for clips (ClipProperties).
#include "swf/avm1/TextFieldDisplay.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipMethods.h"
#include "swf/avm1/ClipProperties.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/avm1/TextFieldObject.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kDisplayProperties[] = {"_x",        "_y",     "_xscale",  "_yscale",
                                              "_rotation", "_alpha", "_visible", "_name",
                                              "_parent",   "_target"};

constexpr std::uint16_t kSince6 = 0x80;

ScriptRunner& Runner(CallInfo& c) {
    return static_cast<ScriptRunner&>(c.vm.host());
}

struct Placed {
    std::shared_ptr<TextFieldState> field;
    std::shared_ptr<TimelineInstance> owner;
    DisplayObject* object = nullptr;
    int depth = 0;
};

Placed Find(CallInfo& c) {
    Placed p;
    Object* o = c.thisValue.asObject();
    p.field = o ? o->textField.lock() : nullptr;
    p.owner = p.field ? p.field->owner() : nullptr;
    if (p.owner) p.object = FindTextFieldObject(*p.owner, *p.field, &p.depth);
    return p;
}

double Twips(double pixels) {
    if (!std::isfinite(pixels)) return -2147483648.0;
    return std::clamp(std::trunc(pixels * 20), -2147483648.0, 2147483647.0);
}

// A field's position is that of its box's corner: the placement's origin moved by the box's
// offset at the field's scale (twips). The box of a field a script made starts at its origin
// (one of negative size too, which it keeps reaching left of or above the origin).
double BoxOffset(const Placed& p, bool vertical) {
    if (IsScriptTextField(*p.object)) return 0;
    DisplayObject scratch = *p.object;
    CacheScaleRotation(scratch);
    const Rect& box = p.field->currentLayout().bounds;
    return std::trunc((vertical ? scratch.yScale * box.yMin : scratch.xScale * box.xMin));
}

Value Get(CallInfo& c, const Placed& p, const std::string& n) {
    DisplayObject& o = *p.object;
    if (n == "_x") return (o.matrix.tx + BoxOffset(p, false)) / 20.0;
    if (n == "_y") return (o.matrix.ty + BoxOffset(p, true)) / 20.0;
    if (n == "_alpha") return o.colorTransform.mulA * 100.0;
    if (n == "_visible") return o.visible;
    if (n == "_name") return o.name;
    if (n == "_parent") return Runner(c).clipFor(*p.owner);
    if (n == "_target") {
        const Value parent = c.vm.getMember(Runner(c).clipFor(*p.owner), "_target");
        const std::string path = parent.isString() ? parent.asString() : "";
        return (path == "/" ? "" : path) + "/" + o.name;
    }
    DisplayObject scratch = o;
    CacheScaleRotation(scratch);
    if (n == "_rotation") return scratch.rotation;
    return (n == "_xscale" ? scratch.xScale : scratch.yScale) * 100.0;
}

void Set(CallInfo& c, const Placed& p, const std::string& n, const Value& v) {
    DisplayObject& o = *p.object;
    if (n == "_parent" || n == "_target") return;
    if (n == "_name") {
        o.name = c.vm.toString(v);
        return;
    }
    if (v.isNullish()) return;
    double num = c.vm.toNumber(v);
    if (std::isnan(num)) return;
    if (n == "_visible") {
        o.visible = num != 0;
        if (!o.visible) ReleaseLostFocus(c.vm);
        return;
    }
    o.scripted = true;
    if (n == "_x") return void(o.matrix.tx = Twips(num) - BoxOffset(p, false));
    if (n == "_y") return void(o.matrix.ty = Twips(num) - BoxOffset(p, true));
    if (n == "_alpha") {
        o.colorTransform.mulA =
            std::isfinite(num) ? std::clamp(std::trunc(num * 2.56), -32768.0, 32767.0) / 256 : 0;
        return;
    }
    CacheScaleRotation(o);
    if (n == "_rotation") {
        num = std::fmod(num, 360.0);
        if (num > 180) num -= 360;
        if (num < -180) num += 360;
        o.rotation = num;
    } else {
        (n == "_xscale" ? o.xScale : o.yScale) = num / 100;
    }
    RebuildMatrix(o);
}

Value DisplayGet(CallInfo& c) {
    const Placed p = Find(c);
    if (!p.object || !c.callee || c.callee->bound.empty()) return Value{};
    return Get(c, p, c.callee->bound[0].asString());
}

Value DisplaySet(CallInfo& c) {
    const Placed p = Find(c);
    if (p.object && c.callee && !c.callee->bound.empty())
        Set(c, p, c.callee->bound[0].asString(), c.arg(0));
    return Value{};
}

// A field prints as its path in dot notation, as a clip does ("_level0.form.name").
Value FieldToString(CallInfo& c) {
    const Placed p = Find(c);
    if (!p.object) return "[object Object]";
    const Value parent = Runner(c).clipProperty(Runner(c).clipFor(*p.owner), "\x01path");
    return (parent.isString() ? parent.asString() : std::string("_level0")) + "." + p.object->name;
}

Value RemoveTextField(CallInfo& c) {
    const Placed p = Find(c);
    const int depth = p.depth - kScriptDepthOffset;
    if (p.object && depth >= 0 && depth < 2130690032) {
        ReleaseFocusInside(c.vm, *p.owner, p.depth);
        p.owner->removeAt(p.depth);
    }
    return Value{};
}

// A field's depth as scripts number them; undefined once it left the stage.
Value GetDepth(CallInfo& c) {
    const Placed p = Find(c);
    return p.object ? Value(static_cast<double>(p.depth - kScriptDepthOffset)) : Value{};
}

double Number(CallInfo& c, std::size_t i) {
    const double n = c.vm.toNumber(c.arg(i));
    return std::isfinite(n) ? n : 0;
}

Value CreateTextField(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    auto t = self ? Runner(c).timelineOf(self) : nullptr;
    if (!t || c.args.size() < 6) return Value{};
    const std::int64_t d = ToInt32(c.vm.toNumber(c.arg(1)));
    const int depth =
        static_cast<int>(std::clamp<std::int64_t>(d + kScriptDepthOffset, INT32_MIN, INT32_MAX));
    // Position and size are whole pixels.
    auto pixels = [&](std::size_t i) { return std::trunc(Number(c, i)) * 20; };
    auto field = AddScriptTextField(*t, depth, c.vm.toString(c.arg(0)), pixels(2), pixels(3),
                                    pixels(4), pixels(5));
    if (c.vm.version() < 8) return Value{};
    return Runner(c).textFieldObject(field);
}

}  // namespace

void InstallTextFieldClipMethods(Interpreter& vm) {
    vm.method(vm.protos.clip, "createTextField", CreateTextField, kSince6);
}

void InstallTextFieldDisplay(Interpreter& vm, Object* proto) {
    NamedAccessors(vm, proto, kDisplayProperties, DisplayGet, DisplaySet);
    vm.method(proto, "removeTextField", RemoveTextField, kSince6);
    vm.method(proto, "getDepth", GetDepth, kSince6 | kReadOnly);
    vm.method(proto, "toString", FieldToString);
}

}  // namespace saver::swf::avm1
