// Each TextFormat property is a plain data property, null until set, as the player makes them;
// the conversions read and write them by name.
#include <algorithm>
#include <cmath>
#include <functional>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/TextFormatObject.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kNames[] = {
    "font",    "size",        "color",  "bold",       "italic",      "underline",
    "url",     "target",      "align",  "leftMargin", "rightMargin", "indent",
    "leading", "blockIndent", "bullet", "tabStops",   "kerning",     "letterSpacing"};

const char* AlignName(TextAlign a) {
    switch (a) {
        case TextAlign::Right:
            return "right";
        case TextAlign::Center:
            return "center";
        case TextAlign::Justify:
            return "justify";
        default:
            return "left";
    }
}

double ColorNumber(Rgba c) {
    return double((std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b);
}

Value TextFormatCtor(CallInfo& c) {
    Object* o = c.construct ? c.thisValue.asObject() : c.vm.newObject();
    if (!o) return Value{};
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        o->put(kNames[i], i < 13 && i < c.args.size() ? c.args[i] : Value(Null{}));
    return o;
}

}  // namespace

void InstallTextFormatBuiltins(Interpreter& vm) {
    MakeClass(vm, "TextFormat", TextFormatCtor, nullptr);
}

Object* NewTextFormatObject(Interpreter& vm, const std::vector<const TextFormat*>& formats) {
    Object* ctor = vm.getMember(vm.global(), "TextFormat").asObject();
    Object* proto = ctor ? vm.getMember(ctor, "prototype").asObject() : nullptr;
    Object* o = vm.newObject(proto);
    // One value per property: the formats' common one, else null.
    auto common = [&](const char* name, const std::function<Value(const TextFormat&)>& get) {
        Value v = formats.empty() ? Value(Null{}) : get(*formats.front());
        for (const TextFormat* f : formats) {
            const Value w = get(*f);
            if (!(w.isString() && v.isString() && w.asString() == v.asString()) &&
                !(w.isNumber() && v.isNumber() && w.asNumber() == v.asNumber()) &&
                !(w.isBool() && v.isBool() && w.asBool() == v.asBool()))
                v = Null{};
        }
        o->put(name, v);
    };
    common("font", [](const TextFormat& f) { return Value(f.font); });
    common("size", [](const TextFormat& f) { return Value(f.size / 20); });
    common("color", [](const TextFormat& f) { return Value(ColorNumber(f.color)); });
    common("bold", [](const TextFormat& f) { return Value(f.bold); });
    common("italic", [](const TextFormat& f) { return Value(f.italic); });
    common("underline", [](const TextFormat& f) { return Value(f.underline); });
    common("url", [](const TextFormat& f) { return Value(f.url); });
    common("target", [](const TextFormat& f) { return Value(f.target); });
    common("align", [](const TextFormat& f) { return Value(AlignName(f.align)); });
    common("leftMargin", [](const TextFormat& f) { return Value(f.leftMargin / 20); });
    common("rightMargin", [](const TextFormat& f) { return Value(f.rightMargin / 20); });
    common("indent", [](const TextFormat& f) { return Value(f.indent / 20); });
    common("leading", [](const TextFormat& f) { return Value(f.leading / 20); });
    common("blockIndent", [](const TextFormat& f) { return Value(f.blockIndent / 20); });
    common("bullet", [](const TextFormat& f) { return Value(f.bullet); });
    common("kerning", [](const TextFormat& f) { return Value(f.kerning); });
    common("letterSpacing", [](const TextFormat& f) { return Value(f.letterSpacing / 20); });
    std::vector<Value> stops;
    if (!formats.empty())
        for (double t : formats.front()->tabStops) stops.push_back(t / 20);
    o->put("tabStops", vm.newArray(stops));
    return o;
}

void ApplyTextFormatObject(Interpreter& vm, Object* object, TextFormat& f) {
    if (!object) return;
    auto get = [&](const char* name, auto&& apply) {
        const Value v = vm.getMember(object, name);
        if (!v.isNullish()) apply(v);
    };
    auto pixels = [&](const Value& v) {
        const double n = vm.toNumber(v);
        return std::isfinite(n) ? n * 20 : 0.0;
    };
    get("font", [&](const Value& v) { f.font = vm.toString(v); });
    get("size", [&](const Value& v) { f.size = std::clamp(pixels(v), 20.0, 2540.0); });
    get("color", [&](const Value& v) {
        const auto rgb = static_cast<std::uint32_t>(ToInt32(vm.toNumber(v)));
        f.color = {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
    });
    get("bold", [&](const Value& v) { f.bold = vm.toBool(v); });
    get("italic", [&](const Value& v) { f.italic = vm.toBool(v); });
    get("underline", [&](const Value& v) { f.underline = vm.toBool(v); });
    get("url", [&](const Value& v) { f.url = vm.toString(v); });
    get("target", [&](const Value& v) { f.target = vm.toString(v); });
    get("align", [&](const Value& v) {
        const std::string a = vm.toString(v);
        if (a == "left") f.align = TextAlign::Left;
        if (a == "right") f.align = TextAlign::Right;
        if (a == "center") f.align = TextAlign::Center;
        if (a == "justify") f.align = TextAlign::Justify;
    });
    get("leftMargin", [&](const Value& v) { f.leftMargin = std::max(0.0, pixels(v)); });
    get("rightMargin", [&](const Value& v) { f.rightMargin = std::max(0.0, pixels(v)); });
    get("indent", [&](const Value& v) { f.indent = pixels(v); });
    get("leading", [&](const Value& v) { f.leading = pixels(v); });
    get("blockIndent", [&](const Value& v) { f.blockIndent = std::max(0.0, pixels(v)); });
    get("bullet", [&](const Value& v) { f.bullet = vm.toBool(v); });
    get("kerning", [&](const Value& v) { f.kerning = vm.toBool(v); });
    get("letterSpacing", [&](const Value& v) { f.letterSpacing = pixels(v); });
    get("tabStops", [&](const Value& v) {
        Object* a = v.asObject();
        if (!a || a->kind() != Object::Kind::Array) return;
        f.tabStops.clear();
        for (const Value& e : ArrayValues(vm, a)) f.tabStops.push_back(pixels(e));
    });
}

}  // namespace saver::swf::avm1
