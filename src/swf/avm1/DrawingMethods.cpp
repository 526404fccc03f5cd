// The drawing methods of MovieClip. Scripts give pixels; the clip's Drawing keeps twips.
// Arguments are read as the player reads them: a missing colour is black, a missing alpha
// 100, a coordinate that is no number 0; a gradient whose colour, alpha and ratio lists
// differ in length, or that has none, fills nothing.
#include <algorithm>
#include <cmath>

#include "swf/avm1/DisplayBuiltins.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr double kMaxTwips = 1 << 30;       // keeps far-out coordinates within integer range
constexpr double kGradientSquare = 1638.4;  // the gradient square's side in pixels
constexpr std::size_t kMaxGradientStops = 15;
constexpr std::uint16_t kSwf6 = 0x80;    // hidden from SWF 5: most drawing methods came with 6
constexpr std::uint16_t kSwf8 = 0x1000;  // lineGradientStyle with 8

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
        return {std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy,
                std::cos(r) * sy, (x + w / 2) * 20, (y + h / 2) * 20};
    }
    if (!vm.getMember(m, "tx").isUndefined() || !vm.getMember(m, "c").isUndefined())
        return {Num(vm, m, "a", 1), Num(vm, m, "b", 0),       Num(vm, m, "c", 0),
                Num(vm, m, "d", 1), Num(vm, m, "tx", 0) * 20, Num(vm, m, "ty", 0) * 20};
    return {Num(vm, m, "a", 1), Num(vm, m, "b", 0),      Num(vm, m, "d", 0),
            Num(vm, m, "e", 1), Num(vm, m, "g", 0) * 20, Num(vm, m, "h", 0) * 20};
}

// The arguments of beginGradientFill and lineGradientStyle from `first` on.
std::optional<FillStyle> GradientArgs(CallInfo& c, std::size_t first) {
    const std::string type = c.vm.toString(c.arg(first));
    Object* colors = c.arg(first + 1).asObject();
    Object* alphas = c.arg(first + 2).asObject();
    Object* ratios = c.arg(first + 3).asObject();
    if (!colors || !alphas || !ratios || (type != "linear" && type != "radial")) return {};
    const std::size_t n = colors->elements.size();
    if (n == 0 || alphas->elements.size() != n || ratios->elements.size() != n) return {};
    FillStyle fill;
    fill.type = type == "linear" ? FillType::LinearGradient : FillType::RadialGradient;
    for (std::size_t i = 0; i < std::min(n, kMaxGradientStops); ++i) {
        const auto rgb = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(colors->elements[i])));
        const double alpha = c.vm.toNumber(alphas->elements[i]);
        const double ratio = c.vm.toNumber(ratios->elements[i]);
        GradientStop stop;
        stop.ratio =
            static_cast<std::uint8_t>(std::isnan(ratio) ? 0 : std::clamp(ratio, 0.0, 255.0));
        stop.color = {
            static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb),
            static_cast<std::uint8_t>(
                std::isnan(alpha) ? 0 : std::lround(std::clamp(alpha, 0.0, 100.0) * 2.55))};
        fill.gradient.stops.push_back(stop);
    }
    fill.matrix = GradientMatrix(c.vm, c.arg(first + 4).asObject());
    const std::string spread = c.vm.toString(c.arg(first + 5));
    if (spread == "reflect") fill.gradient.spread = SpreadMode::Reflect;
    if (spread == "repeat") fill.gradient.spread = SpreadMode::Repeat;
    if (c.vm.toString(c.arg(first + 6)) == "linearRGB")
        fill.gradient.interpolation = InterpolationMode::Linear;
    if (type == "radial" && !c.arg(first + 7).isUndefined()) {
        const double focal = c.vm.toNumber(c.arg(first + 7));
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
    if (auto fill = GradientArgs(c, 0)) d->lineFill(*fill);
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
    if (auto fill = GradientArgs(c, 0))
        d->beginFill(*fill);
    else
        d->endFill();
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
