// The drawing methods of MovieClip. Scripts give pixels; the clip's Drawing keeps twips.
// Arguments are read as the player reads them: a missing line colour is black, a missing alpha
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

struct GradientLists {
    Object* colors = nullptr;
    Object* alphas = nullptr;
    Object* ratios = nullptr;

    // The lists' common length (each `length` read and made a whole number again on every
    // call, as the player does), or -1 when they differ.
    int length(Interpreter& vm) const {
        auto one = [&](Object* list) {
            return std::max(0, ToInt32(vm.toNumber(vm.getMember(list, "length"))));
        };
        const int c = one(colors);
        const int a = one(alphas);
        const int r = one(ratios);
        return c == a && a == r ? c : -1;
    }
};

// Entry `i` of a list as a whole number: `absent` when the list has no such member, 0 when it
// holds no number (a string or an object is not converted).
int Entry(Interpreter& vm, Object* list, int i, int absent) {
    const std::string key = std::to_string(i);
    if (!vm.hasProperty(list, key)) return absent;
    const Value v = vm.getMember(list, key);
    return v.isNumber() ? ToInt32(v.asNumber()) : 0;
}

// The stops as the player reads them: the lists' length is asked again before each stop, and
// a stop past it is transparent black at ratio 0. A missing alpha is the colour's number, a
// missing ratio the alpha (cut to 0..255). Nothing when a ratio lies outside 0..255.
std::optional<std::vector<GradientStop>> GradientStops(Interpreter& vm, const GradientLists& lists,
                                                       int n) {
    std::vector<GradientStop> stops;
    for (int i = 0; i < std::min<int>(n, kMaxGradientStops); ++i) {
        int rgb = 0, alpha = 0, ratio = 0;
        if (lists.length(vm) > i) {
            rgb = Entry(vm, lists.colors, i, 0);
            alpha = Entry(vm, lists.alphas, i, rgb);
            ratio = Entry(vm, lists.ratios, i, std::clamp(alpha, 0, 255));
        }
        if (ratio < 0 || ratio > 255) return {};
        const auto bits = static_cast<std::uint32_t>(rgb);
        stops.push_back({static_cast<std::uint8_t>(ratio),
                         {static_cast<std::uint8_t>(bits >> 16),
                          static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits),
                          static_cast<std::uint8_t>(std::clamp(alpha, 0, 100) * 255 / 100)}});
    }
    return stops;
}

// The arguments of beginGradientFill and lineGradientStyle: type, colours, alphas, ratios and
// matrix, then optionally spread, interpolation and focal point. Nothing when the player
// ignores the call: fewer than five or more than eight arguments, a type other than "linear"
// or "radial", lists or a matrix that are no objects, lists of different lengths, or a stop's
// ratio outside 0..255 once cut to a whole number.
std::optional<FillStyle> GradientArgs(CallInfo& c) {
    if (c.args.size() < 5 || c.args.size() > 8) return {};
    const std::string type = c.vm.toString(c.arg(0));
    const GradientLists lists{c.arg(1).asObject(), c.arg(2).asObject(), c.arg(3).asObject()};
    Object* matrix = c.arg(4).asObject();
    if (!lists.colors || !lists.alphas || !lists.ratios || !matrix ||
        (type != "linear" && type != "radial"))
        return {};
    const int n = lists.length(c.vm);
    if (n < 0) return {};
    auto stops = GradientStops(c.vm, lists, n);
    if (!stops) return {};
    FillStyle fill;
    fill.type = type == "linear" ? FillType::LinearGradient : FillType::RadialGradient;
    fill.gradient.stops = std::move(*stops);
    // Empty lists are accepted and fill in opaque black.
    if (fill.gradient.stops.empty()) fill.gradient.stops.push_back({0, {0, 0, 0, 255}});
    fill.matrix = GradientMatrix(c.vm, matrix);
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

// Both arguments are whole numbers (null is black). No colour, or undefined, still begins a
// fill, an invisible one; an alpha given as undefined is 0.
Value BeginFill(CallInfo& c) {
    Drawing* d = ThisDrawing(c);
    if (!d) return Value{};
    const auto rgb = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.arg(0))));
    const int alpha = c.args.size() > 1 ? ToInt32(c.vm.toNumber(c.arg(1))) : 100;
    FillStyle fill;
    fill.color = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                  static_cast<std::uint8_t>(rgb),
                  static_cast<std::uint8_t>(std::clamp(alpha, 0, 100) * 255 / 100)};
    if (c.arg(0).isUndefined()) fill.color = {0, 0, 0, 0};
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
