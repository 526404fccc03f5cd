// The drawing methods of MovieClip. Scripts give pixels; the clip's Drawing keeps twips.
// Arguments are read as the player reads them: a missing colour is black, a missing alpha
// 100, a coordinate that is no number 0; a gradient call the player rejects (see GradientArgs)
// leaves the fill as it was.
#include <algorithm>
#include <cmath>

#include "swf/avm1/DisplayBuiltins.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr double kMaxTwips = 1 << 30;       // keeps far-out coordinates within integer range
constexpr double kGradientSquare = 1638.4;  // the gradient square's side in pixels
constexpr std::size_t kMaxGradientStops = 15;
constexpr double kMaxGradientList = 256;  // list entries read (the ratios all checked)
constexpr std::uint16_t kSwf6 = 0x80;     // hidden from SWF 5: most drawing methods came with 6
constexpr std::uint16_t kSwf8 = 0x1000;   // lineGradientStyle with 8

std::int32_t Twips(CallInfo& c, std::size_t i) {
    const double px = c.vm.toNumber(c.arg(i));
    if (std::isnan(px)) return 0;
    return static_cast<std::int32_t>(std::clamp(px * 20, -kMaxTwips, kMaxTwips));
}

Rgba ColorArg(CallInfo& c, std::size_t rgbIndex, std::size_t alphaIndex) {
    const auto rgb = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.arg(rgbIndex))));
    double alpha = 100;
    if (!c.arg(alphaIndex).isUndefined()) alpha = c.vm.toNumber(c.arg(alphaIndex));
    if (std::isnan(alpha)) alpha = 0;
    const auto a = static_cast<std::uint8_t>(std::lround(std::clamp(alpha, 0.0, 100.0) * 2.55));
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb), a};
}

double Num(Interpreter& vm, Object* o, const char* name, double fallback) {
    const Value v = vm.getMember(o, name);
    if (v.isUndefined()) return fallback;
    const double n = vm.toNumber(v);
    return std::isnan(n) ? fallback : n;
}

// The gradient matrix: {matrixType: "box", x, y, w, h, r}, {a, b, c, d, tx, ty}, or the old
// 3x3 form {a, b, d, e, g, h}. Maps the gradient square (twips) into the clip (twips).
Matrix GradientMatrix(Interpreter& vm, Object* m) {
    if (!m) return {};
    if (vm.toString(vm.getMember(m, "matrixType")) == "box") {
        const double w = Num(vm, m, "w", 0), h = Num(vm, m, "h", 0), r = Num(vm, m, "r", 0);
        const double x = Num(vm, m, "x", 0), y = Num(vm, m, "y", 0);
        const double sx = w / kGradientSquare, sy = h / kGradientSquare;
        // Rotated, then scaled: the sine terms take the scale of the axis they end on.
        return {std::cos(r) * sx, std::sin(r) * sy, -std::sin(r) * sx,
                std::cos(r) * sy, (x + w / 2) * 20, (y + h / 2) * 20};
    }
    if (!vm.getMember(m, "tx").isUndefined() || !vm.getMember(m, "c").isUndefined())
        return {Num(vm, m, "a", 1), Num(vm, m, "b", 0),       Num(vm, m, "c", 0),
                Num(vm, m, "d", 1), Num(vm, m, "tx", 0) * 20, Num(vm, m, "ty", 0) * 20};
    // The 3x3 form maps a square of one pixel's side, not the gradient square.
    constexpr double k = 1 / kGradientSquare;
    return {Num(vm, m, "a", 1) * k, Num(vm, m, "b", 0) * k,  Num(vm, m, "d", 0) * k,
            Num(vm, m, "e", 1) * k, Num(vm, m, "g", 0) * 20, Num(vm, m, "h", 0) * 20};
}

// The length of an array or of an object that has one (its `length` converted to a number),
// capped at what a gradient can use.
std::size_t LengthOf(Interpreter& vm, Object* list) {
    const double n = vm.toNumber(vm.getMember(list, "length"));
    return std::isnan(n) || n < 1 ? 0 : static_cast<std::size_t>(std::min(n, kMaxGradientList));
}

Value ElementOf(Interpreter& vm, Object* list, std::size_t i) {
    return vm.getMember(list, std::to_string(i));
}

// The arguments of beginGradientFill and lineGradientStyle: type, colours, alphas, ratios and
// matrix, then optionally spread, interpolation and focal point. Nothing when the player
// ignores the call: fewer than five or more than eight arguments, a type other than "linear"
// or "radial", lists of different lengths, or a ratio outside -1 < r < 256 (others are cut to
// whole numbers, alphas to 0..100 and then to whole 255ths).
std::optional<FillStyle> GradientArgs(CallInfo& c) {
    if (c.args.size() < 5 || c.args.size() > 8) return {};
    const std::string type = c.vm.toString(c.arg(0));
    Object* colors = c.arg(1).asObject();
    Object* alphas = c.arg(2).asObject();
    Object* ratios = c.arg(3).asObject();
    if (!colors || !alphas || !ratios || (type != "linear" && type != "radial")) return {};
    const std::size_t n = LengthOf(c.vm, colors);
    if (LengthOf(c.vm, alphas) != n || LengthOf(c.vm, ratios) != n) return {};
    FillStyle fill;
    fill.type = type == "linear" ? FillType::LinearGradient : FillType::RadialGradient;
    for (std::size_t i = 0; i < n; ++i) {
        const double ratio = c.vm.toNumber(ElementOf(c.vm, ratios, i));
        if (ratio <= -1 || ratio >= 256) return {};
        if (i >= kMaxGradientStops) continue;
        // A colour that is no number is black (a string or an object is not converted).
        const Value color = ElementOf(c.vm, colors, i);
        const auto rgb =
            color.isNumber() ? static_cast<std::uint32_t>(ToInt32(color.asNumber())) : 0u;
        const double alpha = c.vm.toNumber(ElementOf(c.vm, alphas, i));
        GradientStop stop;
        stop.ratio = static_cast<std::uint8_t>(std::isnan(ratio) ? 0 : std::max(ratio, 0.0));
        stop.color = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                      static_cast<std::uint8_t>(rgb),
                      static_cast<std::uint8_t>(
                          std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0, 100.0) / 100 * 255)};
        fill.gradient.stops.push_back(stop);
    }
    // Empty lists are accepted and fill in opaque black.
    if (fill.gradient.stops.empty()) fill.gradient.stops.push_back({0, {0, 0, 0, 255}});
    fill.matrix = GradientMatrix(c.vm, c.arg(4).asObject());
    const std::string spread = c.vm.toString(c.arg(5));
    if (spread == "reflect") fill.gradient.spread = SpreadMode::Reflect;
    if (spread == "repeat") fill.gradient.spread = SpreadMode::Repeat;
    if (c.vm.toString(c.arg(6)) == "linearRGB")
        fill.gradient.interpolation = InterpolationMode::Linear;
    if (type == "radial" && c.args.size() > 7) {
        // The focal point is kept in 8.8 fixed point.
        const double focal = std::trunc(c.vm.toNumber(c.arg(7)) * 256) / 256;
        if (!std::isnan(focal) && focal != 0) {
            fill.type = FillType::FocalRadialGradient;
            fill.gradient.focalPoint = std::clamp(focal, -1.0, 1.0);
        }
    }
    return fill;
}

Drawing* ThisDrawing(CallInfo& c) {
    auto t = TimelineOfValue(c.thisValue);
    return t ? &t->drawing() : nullptr;
}

Value Clear(CallInfo& c) {
    if (Drawing* d = ThisDrawing(c)) d->clear();
    return Value{};
}

CapStyle Cap(const std::string& s) {
    return s == "none" ? CapStyle::None : s == "square" ? CapStyle::Square : CapStyle::Round;
}

Value LineStyleMethod(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (!d) return Value{};
    if (c.arg(0).isNullish()) {
        d->noLineStyle();
        return Value{};
    }
    const double width = c.vm.toNumber(c.arg(0));
    LineStyle style;
    style.width =
        static_cast<std::uint16_t>(std::isnan(width) ? 0 : std::clamp(width, 0.0, 255.0) * 20);
    style.color = ColorArg(c, 1, 2);
    style.pixelHinting = c.vm.toBool(c.arg(3));
    const std::string scale = c.vm.toString(c.arg(4));
    style.noHScale = scale == "none" || scale == "vertical";
    style.noVScale = scale == "none" || scale == "horizontal";
    if (!c.arg(5).isUndefined()) style.startCap = style.endCap = Cap(c.vm.toString(c.arg(5)));
    const std::string join = c.vm.toString(c.arg(6));
    style.join = join == "bevel"   ? JoinStyle::Bevel
                 : join == "miter" ? JoinStyle::Miter
                                   : JoinStyle::Round;
    if (!c.arg(7).isUndefined()) {
        const double limit = c.vm.toNumber(c.arg(7));
        style.miterLimit = std::isnan(limit) ? 3 : std::clamp(limit, 1.0, 255.0);
    }
    d->lineStyle(style);
    return Value{};
}

Value LineGradientStyle(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (!d) return Value{};
    if (auto fill = GradientArgs(c)) d->lineFill(*fill);
    return Value{};
}

Value BeginFill(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (!d) return Value{};
    if (c.arg(0).isNullish()) {
        d->endFill();
        return Value{};
    }
    FillStyle fill;
    fill.color = ColorArg(c, 0, 1);
    d->beginFill(fill);
    return Value{};
}

Value BeginGradientFill(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (!d) return Value{};
    // No type (or no arguments) ends the fill; a call the player rejects changes nothing,
    // and before SWF 8 only the first five arguments may be given.
    if (c.arg(0).isUndefined()) {
        d->endFill();
        return Value{};
    }
    if (c.args.size() > 5 && c.vm.version() < 8) return Value{};
    if (auto fill = GradientArgs(c)) d->beginFill(*fill);
    return Value{};
}

Value EndFill(CallInfo& c) {
    if (Drawing* d = ThisDrawing(c)) d->endFill();
    return Value{};
}

Value MoveTo(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (d && c.args.size() >= 2) d->moveTo({Twips(c, 0), Twips(c, 1)});
    return Value{};
}

Value LineTo(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (d && c.args.size() >= 2) d->lineTo({Twips(c, 0), Twips(c, 1)});
    return Value{};
}

Value CurveTo(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (d && c.args.size() >= 4) d->curveTo({Twips(c, 0), Twips(c, 1)}, {Twips(c, 2), Twips(c, 3)});
    return Value{};
}

}  // namespace

void InstallDrawingMethods(Interpreter& vm) {
    Object* proto = vm.protos.clip;
    vm.method(proto, "clear", Clear, kSwf6);
    vm.method(proto, "lineStyle", LineStyleMethod, kSwf6);
    vm.method(proto, "lineGradientStyle", LineGradientStyle, kSwf8);
    vm.method(proto, "beginFill", BeginFill, kSwf6);
    vm.method(proto, "beginGradientFill", BeginGradientFill, kSwf6);
    vm.method(proto, "endFill", EndFill, kSwf6);
    vm.method(proto, "moveTo", MoveTo, kSwf6);
    vm.method(proto, "lineTo", LineTo, kSwf6);
    vm.method(proto, "curveTo", CurveTo, kSwf6);
}

}  // namespace saver::swf::avm1
