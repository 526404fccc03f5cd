// One pair of natives serves every property: each getter and setter carries its slot number
// in `bound`. The values are stored converted, so a getter only hands them back.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/avm1/TextFormatObject.h"
#include "swf/player/EditTextLayout.h"
#include "swf/player/HtmlText.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

enum Slot : std::size_t {
    kFont,
    kSize,
    kColor,
    kUrl,
    kTarget,
    kBold,
    kItalic,
    kUnderline,
    kAlign,
    kLeftMargin,
    kRightMargin,
    kIndent,
    kLeading,
    kBlockIndent,
    kTabStops,
    kBullet,
    kDisplay,
    kKerning,
    kLetterSpacing,
    kSlotCount
};

// How a setter converts its value.
enum class Conv {
    Font,
    String,
    Size,
    Color,
    Bool,
    Align,
    Margin,
    Indent,
    TabStops,
    Display,
    Number
};

struct SlotInfo {
    const char* name;
    Conv conv;
    bool since8;
};

constexpr SlotInfo kSlots[kSlotCount] = {
    {"font", Conv::Font, false},          {"size", Conv::Size, false},
    {"color", Conv::Color, false},        {"url", Conv::String, false},
    {"target", Conv::String, false},      {"bold", Conv::Bool, false},
    {"italic", Conv::Bool, false},        {"underline", Conv::Bool, false},
    {"align", Conv::Align, false},        {"leftMargin", Conv::Margin, false},
    {"rightMargin", Conv::Margin, false}, {"indent", Conv::Indent, false},
    {"leading", Conv::Indent, false},     {"blockIndent", Conv::Indent, false},
    {"tabStops", Conv::TabStops, false},  {"bullet", Conv::Bool, false},
    {"display", Conv::Display, false},    {"kerning", Conv::Bool, true},
    {"letterSpacing", Conv::Number, true}};

constexpr std::uint16_t kSince8 = 0x1000;

// Half to even; anything outside 32 bits (NaN and the infinities too) is -2147483648.
double RoundEven(double n) {
    const double r = std::nearbyint(n);
    if (!std::isfinite(r) || r > 2147483647.0 || r < -2147483648.0) return -2147483648.0;
    return r;
}

// A whole number of pixels as the movie's version converts one.
double WholeNumber(Interpreter& vm, const Value& v, bool nonNegative) {
    const double n = vm.toNumber(v);
    if (vm.version() >= 8) return RoundEven(nonNegative ? std::fmax(0.0, n) : n);
    const double i = ToInt32(n);
    return nonNegative ? std::max(0.0, i) : i;
}

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

void Store(Interpreter& vm, TextFormatData& d, std::size_t slot, const Value& v) {
    const Conv conv = kSlots[slot].conv;
    Value& out = d.values[slot];
    if (conv == Conv::TabStops) {
        Object* a = v.asObject();
        if (!a) return void(d.tabStops.reset());
        std::vector<double> stops;
        const double length = vm.toNumber(vm.getMember(a, "length"));
        for (std::size_t i = 0; std::isfinite(length) && i < length && i < 10000; ++i)
            stops.push_back(RoundEven(vm.toNumber(vm.getMember(a, std::to_string(i)))));
        d.tabStops = std::move(stops);
        return;
    }
    if (v.isNullish()) {
        if (conv == Conv::Display)
            out = "block";
        else if (conv != Conv::Align)
            out = Null{};
        return;
    }
    switch (conv) {
        case Conv::Font: {
            // The player keeps at most 64 characters of a face name.
            const std::u32string name = DecodeText(vm.toString(v), vm.version() >= 6);
            out = vm.version() >= 6 ? EncodeUtf8(name.substr(0, 64)) : vm.toString(v).substr(0, 64);
            break;
        }
        case Conv::String:
            out = vm.toString(v);
            break;
        case Conv::Size:
            out = vm.version() >= 8 ? RoundEven(vm.toNumber(v)) : double(ToInt32(vm.toNumber(v)));
            break;
        case Conv::Color:
            out = double(static_cast<std::uint32_t>(ToInt32(vm.toNumber(v))));
            break;
        case Conv::Bool:
            out = vm.toBool(v);
            break;
        case Conv::Align: {
            const std::string a = FoldCase(vm.toString(v));
            if (a == "left" || a == "center" || a == "right" || a == "justify") out = a;
            break;
        }
        case Conv::Margin:
        case Conv::Indent:
            out = WholeNumber(vm, v, conv == Conv::Margin || vm.version() < 8);
            break;
        case Conv::Display: {
            const std::string s = vm.toString(v);
            out = s == "inline" || s == "none" ? s : "block";
            break;
        }
        default:
            out = vm.toNumber(v);
            break;
    }
}

Value Load(Interpreter& vm, const TextFormatData& d, std::size_t slot) {
    if (slot != kTabStops) return d.values[slot];
    if (!d.tabStops) return Null{};
    std::vector<Value> stops(d.tabStops->begin(), d.tabStops->end());
    return vm.newArray(std::move(stops));
}

TextFormatData* DataOf(const Value& v) {
    Object* o = v.asObject();
    return o ? o->textFormat.get() : nullptr;
}

Value FormatGet(CallInfo& c) {
    TextFormatData* d = DataOf(c.thisValue);
    if (!d || !c.callee || c.callee->bound.empty()) return Value{};
    return Load(c.vm, *d, static_cast<std::size_t>(c.callee->bound[0].asNumber()));
}

Value FormatSet(CallInfo& c) {
    TextFormatData* d = DataOf(c.thisValue);
    if (d && c.callee && !c.callee->bound.empty())
        Store(c.vm, *d, static_cast<std::size_t>(c.callee->bound[0].asNumber()), c.arg(0));
    return Value{};
}

Object* Prototype(Interpreter& vm) {
    Object* ctor = vm.getMember(vm.global(), "TextFormat").asObject();
    return ctor ? vm.getMember(ctor, "prototype").asObject() : nullptr;
}

// The player puts the accessors on whatever object is TextFormat.prototype when it first makes
// a TextFormat with it.
void InstallAccessors(Interpreter& vm, Object* proto) {
    if (!proto || proto->findOwn("font")) return;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        Object* getter = vm.newFunction(FormatGet);
        getter->bound = {Value(double(i))};
        Object* setter = vm.newFunction(FormatSet);
        setter->bound = {Value(double(i))};
        Property& p = proto->put(kSlots[i].name, Value{}, kSlots[i].since8 ? kSince8 : 0);
        p.getter = getter;
        p.setter = setter;
    }
}

// A fresh object of the class with every property null (display "block").
Object* MakeFormat(Interpreter& vm, Object* self) {
    Object* proto = Prototype(vm);
    InstallAccessors(vm, proto);
    Object* o = self ? self : vm.newObject(proto);
    o->textFormat = std::make_shared<TextFormatData>();
    o->textFormat->values.assign(kSlotCount, Value(Null{}));
    o->textFormat->values[kDisplay] = "block";
    return o;
}

Value GetTextExtent(CallInfo& c);

Value TextFormatCtor(CallInfo& c) {
    Object* o = MakeFormat(c.vm, c.construct ? c.thisValue.asObject() : nullptr);
    TextFormatData& d = *o->textFormat;
    // The constructor takes sizes, margins, indent and leading as 32-bit integers.
    constexpr std::size_t kArgs[] = {kFont,        kSize,   kColor,  kBold,  kItalic,
                                     kUnderline,   kUrl,    kTarget, kAlign, kLeftMargin,
                                     kRightMargin, kIndent, kLeading};
    for (std::size_t i = 0; i < std::size(kArgs) && i < c.args.size(); ++i) {
        const std::size_t slot = kArgs[i];
        const Conv conv = kSlots[slot].conv;
        if ((conv == Conv::Size || conv == Conv::Margin || conv == Conv::Indent) &&
            !c.args[i].isNullish())
            d.values[slot] = double(ToInt32(c.vm.toNumber(c.args[i])));
        else
            Store(c.vm, d, slot, c.args[i]);
    }
    // The player gives each object its own, enumerable getTextExtent.
    o->put("getTextExtent", c.vm.newFunction(GetTextExtent));
    return o;
}

// The size `text` takes in this format: laid out as in a new field that sizes itself to the
// text, wrapped at the width in pixels given as second argument (undefined: not wrapped). The
// answer is a bare object (no prototype): the first line's ascent and descent, the text's
// width and height, and the field's size around it.
Value GetTextExtent(CallInfo& c) {
    const std::string text = c.vm.toString(c.arg(0));
    std::optional<double> width;
    if (c.args.size() > 1 && !c.args[1].isUndefined()) width = c.vm.toNumber(c.args[1]);
    auto* runner = dynamic_cast<ScriptRunner*>(&c.vm.host());
    if (!runner || !runner->root()) return Value{};
    TextFormat format;
    ApplyTextFormatObject(c.vm, c.thisValue.asObject(), format);
    TextFieldBox box;
    box.autoSize = AutoSize::Left;
    box.wordWrap = width.has_value();
    const double w = width && std::isfinite(*width) ? std::clamp(*width, 0.0, 1e6) : 0;
    box.bounds = {0, static_cast<std::int32_t>(std::lround(w * 20)), 0, 0};
    std::u32string chars = DecodeText(text, c.vm.version() >= 6);
    std::replace(chars.begin(), chars.end(), U'\n', U'\r');
    StyledText styled;
    if (!chars.empty()) styled.push_back({std::move(chars), format});
    const EditTextLayout layout =
        LayOutTextField(box, styled, runner->movie(), runner->root()->context().fonts);
    Object* o = c.vm.heap().make(Object::Kind::Plain);
    const LineMetrics first = layout.lines.empty() ? LineMetrics{} : layout.lines.front();
    o->put("ascent", first.ascent / 20);
    o->put("descent", first.descent / 20);
    o->put("width", layout.textWidth / 20);
    o->put("height", layout.textHeight / 20);
    o->put("textFieldHeight", layout.bounds.height() / 20.0);
    o->put("textFieldWidth", layout.bounds.width() / 20.0);
    return o;
}

double ColorNumber(Rgba c) {
    return double((std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b);
}

}  // namespace

void InstallTextFormatBuiltins(Interpreter& vm) {
    MakeClass(vm, "TextFormat", TextFormatCtor, nullptr);
}

Object* NewTextFormatObject(Interpreter& vm, const std::vector<const TextFormat*>& formats) {
    Object* o = MakeFormat(vm, nullptr);
    TextFormatData& d = *o->textFormat;
    // One value per property: the formats' common one, else null.
    auto common = [&](std::size_t slot, const std::function<Value(const TextFormat&)>& get) {
        Value v = formats.empty() ? Value(Null{}) : get(*formats.front());
        for (const TextFormat* f : formats) {
            const Value w = get(*f);
            if (!(w.isString() && v.isString() && w.asString() == v.asString()) &&
                !(w.isNumber() && v.isNumber() && w.asNumber() == v.asNumber()) &&
                !(w.isBool() && v.isBool() && w.asBool() == v.asBool()))
                v = Null{};
        }
        d.values[slot] = v;
    };
    common(kFont, [](const TextFormat& f) { return Value(f.font); });
    common(kSize, [](const TextFormat& f) { return Value(f.size / 20); });
    common(kColor, [](const TextFormat& f) { return Value(ColorNumber(f.color)); });
    common(kBold, [](const TextFormat& f) { return Value(f.bold); });
    common(kItalic, [](const TextFormat& f) { return Value(f.italic); });
    common(kUnderline, [](const TextFormat& f) { return Value(f.underline); });
    common(kUrl, [](const TextFormat& f) { return Value(f.url); });
    common(kTarget, [](const TextFormat& f) { return Value(f.target); });
    common(kAlign, [](const TextFormat& f) { return Value(AlignName(f.align)); });
    common(kLeftMargin, [](const TextFormat& f) { return Value(f.leftMargin / 20); });
    common(kRightMargin, [](const TextFormat& f) { return Value(f.rightMargin / 20); });
    common(kIndent, [](const TextFormat& f) { return Value(f.indent / 20); });
    common(kLeading, [](const TextFormat& f) { return Value(f.leading / 20); });
    common(kBlockIndent, [](const TextFormat& f) { return Value(f.blockIndent / 20); });
    common(kBullet, [](const TextFormat& f) { return Value(f.bullet); });
    common(kKerning, [](const TextFormat& f) { return Value(f.kerning); });
    common(kLetterSpacing, [](const TextFormat& f) { return Value(f.letterSpacing / 20); });
    if (!formats.empty()) {
        std::vector<double> stops;
        for (double t : formats.front()->tabStops) stops.push_back(t / 20);
        const bool same = std::all_of(formats.begin(), formats.end(), [&](const TextFormat* f) {
            return f->tabStops == formats.front()->tabStops;
        });
        if (same) d.tabStops = std::move(stops);
    }
    return o;
}

void ApplyTextFormatObject(Interpreter& vm, Object* object, TextFormat& f) {
    (void)vm;
    const TextFormatData* d = object ? object->textFormat.get() : nullptr;
    if (!d) return;
    auto get = [&](std::size_t slot, auto&& apply) {
        const Value& v = d->values[slot];
        if (!v.isNullish()) apply(v);
    };
    auto pixels = [](const Value& v) {
        const double n = v.isNumber() ? v.asNumber() : 0;
        return std::isfinite(n) ? std::clamp(n, -1e7, 1e7) * 20 : 0.0;
    };
    get(kFont, [&](const Value& v) { f.font = v.asString(); });
    get(kSize, [&](const Value& v) { f.size = std::clamp(pixels(v), 20.0, 2540.0); });
    get(kColor, [&](const Value& v) {
        const auto rgb = static_cast<std::uint32_t>(v.asNumber());
        f.color = {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
    });
    get(kBold, [&](const Value& v) { f.bold = v.asBool(); });
    get(kItalic, [&](const Value& v) { f.italic = v.asBool(); });
    get(kUnderline, [&](const Value& v) { f.underline = v.asBool(); });
    get(kUrl, [&](const Value& v) { f.url = v.asString(); });
    get(kTarget, [&](const Value& v) { f.target = v.asString(); });
    get(kAlign, [&](const Value& v) {
        const std::string& a = v.asString();
        if (a == "left") f.align = TextAlign::Left;
        if (a == "right") f.align = TextAlign::Right;
        if (a == "center") f.align = TextAlign::Center;
        if (a == "justify") f.align = TextAlign::Justify;
    });
    get(kLeftMargin, [&](const Value& v) { f.leftMargin = std::max(0.0, pixels(v)); });
    get(kRightMargin, [&](const Value& v) { f.rightMargin = std::max(0.0, pixels(v)); });
    get(kIndent, [&](const Value& v) { f.indent = pixels(v); });
    get(kLeading, [&](const Value& v) { f.leading = pixels(v); });
    get(kBlockIndent, [&](const Value& v) { f.blockIndent = std::max(0.0, pixels(v)); });
    get(kBullet, [&](const Value& v) { f.bullet = v.asBool(); });
    get(kKerning, [&](const Value& v) { f.kerning = v.asBool(); });
    get(kLetterSpacing, [&](const Value& v) { f.letterSpacing = pixels(v); });
    if (d->tabStops) {
        f.tabStops.clear();
        for (double t : *d->tabStops) f.tabStops.push_back(pixels(Value(t)));
    }
}

}  // namespace saver::swf::avm1
