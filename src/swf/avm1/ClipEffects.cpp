// Filter objects are read through their public properties, not their storage, so any class
// of flash.filters that is installed works here, and a script's own subclass of one too. The
// class is told by the prototype chain, as `instanceof` would.
#include "swf/avm1/ClipEffects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::uint16_t kSwf8Member = kDontEnum | kDontDelete | 0x1000;
constexpr double kRadians = std::numbers::pi / 180;
constexpr int kMaxPrototypeDepth = 64;
constexpr std::size_t kMaxFilters = 64;
constexpr std::size_t kMaxKernel = 15 * 15;

// Class names by FilterKind.
constexpr std::array<const char*, 8> kClassNames = {
    "DropShadowFilter",   "BlurFilter",        "GlowFilter",        "BevelFilter",
    "GradientGlowFilter", "ConvolutionFilter", "ColorMatrixFilter", "GradientBevelFilter"};

// Blend mode names, 1 (normal) to 14 (hardlight).
constexpr std::array<const char*, 14> kBlendModes = {
    "normal", "layer",    "multiply", "screen", "lighten", "darken",  "difference",
    "add",    "subtract", "invert",   "alpha",  "erase",   "overlay", "hardlight"};

Value ClassConstructor(Interpreter& vm, FilterKind kind) {
    Object* package = PackageObject(vm, "flash.filters");
    return vm.getMember(package, kClassNames[static_cast<std::size_t>(kind)]);
}

std::optional<FilterKind> KindOf(Interpreter& vm, Object* o) {
    for (std::size_t k = 0; k < kClassNames.size(); ++k) {
        const auto kind = static_cast<FilterKind>(k);
        Object* proto = vm.getMember(ClassConstructor(vm, kind), "prototype").asObject();
        if (!proto) continue;
        Object* at = o->proto();
        for (int depth = 0; at && depth < kMaxPrototypeDepth; ++depth, at = at->proto())
            if (at == proto) return kind;
    }
    return std::nullopt;
}

double Number(Interpreter& vm, Object* o, const char* name, double lo, double hi) {
    const double n = vm.toNumber(vm.getMember(o, name));
    return std::isnan(n) ? lo : std::clamp(n, lo, hi);
}

Rgba Color(Interpreter& vm, Object* o, const char* color, const char* alpha) {
    const auto rgb = static_cast<std::uint32_t>(ToInt32(vm.toNumber(vm.getMember(o, color))));
    const double a = Number(vm, o, alpha, 0, 1);
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(std::lround(a * 255))};
}

// The numbers of an array member, at most `limit` of them.
std::vector<double> Numbers(Interpreter& vm, Object* o, const char* name, std::size_t limit) {
    std::vector<double> out;
    Object* array = vm.getMember(o, name).asObject();
    if (!array) return out;
    const std::vector<Value> values = ArrayValues(vm, array);
    for (std::size_t i = 0; i < std::min(values.size(), limit); ++i)
        out.push_back(vm.toNumber(values[i]));
    return out;
}

void ReadGradient(Interpreter& vm, Object* o, Filter& f) {
    const std::vector<double> colors = Numbers(vm, o, "colors", 16);
    const std::vector<double> alphas = Numbers(vm, o, "alphas", 16);
    const std::vector<double> ratios = Numbers(vm, o, "ratios", 16);
    const std::size_t n = std::min({colors.size(), alphas.size(), ratios.size()});
    for (std::size_t i = 0; i < n; ++i) {
        const auto rgb = static_cast<std::uint32_t>(ToInt32(colors[i]));
        const double a = std::isnan(alphas[i]) ? 0 : std::clamp(alphas[i], 0.0, 1.0);
        const double r = std::isnan(ratios[i]) ? 0 : std::clamp(ratios[i], 0.0, 255.0);
        f.gradient.push_back(
            {{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
              static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(std::lround(a * 255))},
             static_cast<std::uint8_t>(r)});
    }
}

// The side a bevel or gradient filter lights: "inner", "outer" or "full".
void ReadType(Interpreter& vm, Object* o, Filter& f) {
    const std::string type = vm.toString(vm.getMember(o, "type"));
    f.onTop = type == "full";
    f.inner = type != "outer" && type != "full";
}

void ReadBlurAndOffset(Interpreter& vm, Object* o, Filter& f) {
    f.blurX = Number(vm, o, "blurX", 0, 255);
    f.blurY = Number(vm, o, "blurY", 0, 255);
    f.passes = static_cast<int>(Number(vm, o, "quality", 0, 15));
    f.strength = Number(vm, o, "strength", 0, 255);
    f.knockout = vm.toBool(vm.getMember(o, "knockout"));
    if (f.kind == FilterKind::Glow) return;
    f.angle = Number(vm, o, "angle", -1e9, 1e9) * kRadians;
    f.distance = Number(vm, o, "distance", -1e9, 1e9);
}

void ReadConvolution(Interpreter& vm, Object* o, Filter& f) {
    f.matrixX = static_cast<int>(Number(vm, o, "matrixX", 0, 15));
    f.matrixY = static_cast<int>(Number(vm, o, "matrixY", 0, 15));
    const std::vector<double> kernel = Numbers(vm, o, "matrix", kMaxKernel);
    const auto size = static_cast<std::size_t>(f.matrixX) * f.matrixY;
    if (kernel.size() < size) return;  // an empty kernel: the filter is skipped
    for (std::size_t i = 0; i < size; ++i)
        f.kernel.push_back(std::isnan(kernel[i]) ? 0.0f : static_cast<float>(kernel[i]));
    f.divisor = static_cast<float>(vm.toNumber(vm.getMember(o, "divisor")));
    const double bias = vm.toNumber(vm.getMember(o, "bias"));
    f.bias = std::isfinite(bias) ? static_cast<float>(bias) : 0.0f;
    f.preserveAlpha = vm.toBool(vm.getMember(o, "preserveAlpha"));
    f.clamp = vm.toBool(vm.getMember(o, "clamp"));
    f.color = Color(vm, o, "color", "alpha");
}

}  // namespace

std::optional<Filter> FilterFromObject(Interpreter& vm, const Value& v) {
    Object* o = v.asObject();
    if (!o) return std::nullopt;
    const std::optional<FilterKind> kind = KindOf(vm, o);
    if (!kind) return std::nullopt;
    Filter f;
    f.kind = *kind;
    switch (f.kind) {
        case FilterKind::Blur:
            f.blurX = Number(vm, o, "blurX", 0, 255);
            f.blurY = Number(vm, o, "blurY", 0, 255);
            f.passes = static_cast<int>(Number(vm, o, "quality", 0, 15));
            break;
        case FilterKind::DropShadow:
        case FilterKind::Glow:
            ReadBlurAndOffset(vm, o, f);
            f.color = Color(vm, o, "color", "alpha");
            f.inner = vm.toBool(vm.getMember(o, "inner"));
            if (f.kind == FilterKind::DropShadow)
                f.compositeSource = !vm.toBool(vm.getMember(o, "hideObject"));
            break;
        case FilterKind::Bevel:
            ReadBlurAndOffset(vm, o, f);
            f.highlight = Color(vm, o, "highlightColor", "highlightAlpha");
            f.color = Color(vm, o, "shadowColor", "shadowAlpha");
            ReadType(vm, o, f);
            break;
        case FilterKind::GradientGlow:
        case FilterKind::GradientBevel:
            ReadBlurAndOffset(vm, o, f);
            ReadGradient(vm, o, f);
            ReadType(vm, o, f);
            break;
        case FilterKind::ColorMatrix: {
            const std::vector<double> m = Numbers(vm, o, "matrix", 20);
            for (std::size_t i = 0; i < m.size(); ++i)
                f.colorMatrix[i] = std::isfinite(m[i]) ? static_cast<float>(m[i]) : 0.0f;
            break;
        }
        case FilterKind::Convolution:
            ReadConvolution(vm, o, f);
            break;
    }
    return f;
}

namespace {

double ColorNumber(Rgba c) {
    return static_cast<double>((c.r << 16) | (c.g << 8) | c.b);
}

double Alpha(Rgba c) {
    return c.a / 255.0;
}

std::vector<Value> GradientArrays(Interpreter& vm, const Filter& f) {
    std::vector<Value> colors, alphas, ratios;
    for (const FilterGradientStop& s : f.gradient) {
        colors.emplace_back(ColorNumber(s.color));
        alphas.emplace_back(Alpha(s.color));
        ratios.emplace_back(static_cast<double>(s.ratio));
    }
    return {vm.newArray(colors), vm.newArray(alphas), vm.newArray(ratios)};
}

Value TypeName(const Filter& f) {
    return std::string(f.onTop ? "full" : f.inner ? "inner" : "outer");
}

}  // namespace

Value FilterToObject(Interpreter& vm, const Filter& f) {
    const double degrees = f.angle / kRadians, quality = f.passes;
    std::vector<Value> args;
    switch (f.kind) {
        case FilterKind::Blur:
            args = {f.blurX, f.blurY, quality};
            break;
        case FilterKind::DropShadow:
            args = {f.distance, degrees,    ColorNumber(f.color), Alpha(f.color),
                    f.blurX,    f.blurY,    f.strength,           quality,
                    f.inner,    f.knockout, !f.compositeSource};
            break;
        case FilterKind::Glow:
            args = {ColorNumber(f.color), Alpha(f.color), f.blurX, f.blurY,
                    f.strength,           quality,        f.inner, f.knockout};
            break;
        case FilterKind::Bevel:
            args = {f.distance,
                    degrees,
                    ColorNumber(f.highlight),
                    Alpha(f.highlight),
                    ColorNumber(f.color),
                    Alpha(f.color),
                    f.blurX,
                    f.blurY,
                    f.strength,
                    quality,
                    TypeName(f),
                    f.knockout};
            break;
        case FilterKind::GradientGlow:
        case FilterKind::GradientBevel: {
            const std::vector<Value> g = GradientArrays(vm, f);
            args = {f.distance, degrees,    g[0],    g[1],        g[2],      f.blurX,
                    f.blurY,    f.strength, quality, TypeName(f), f.knockout};
            break;
        }
        case FilterKind::ColorMatrix: {
            std::vector<Value> m;
            for (float x : f.colorMatrix) m.emplace_back(static_cast<double>(x));
            args = {vm.newArray(std::move(m))};
            break;
        }
        case FilterKind::Convolution: {
            std::vector<Value> kernel;
            for (float x : f.kernel) kernel.emplace_back(static_cast<double>(x));
            args = {static_cast<double>(f.matrixX),
                    static_cast<double>(f.matrixY),
                    vm.newArray(kernel),
                    static_cast<double>(f.divisor),
                    static_cast<double>(f.bias),
                    f.preserveAlpha,
                    f.clamp,
                    ColorNumber(f.color),
                    Alpha(f.color)};
            break;
        }
    }
    const Value ctor = ClassConstructor(vm, f.kind);
    if (!ctor.asObject()) return Value{};
    return vm.construct(ctor, args);
}

namespace {

DisplayObject* ThisPlacement(CallInfo& c) {
    auto t = TimelineOfValue(c.thisValue);
    return t ? t->placement() : nullptr;
}

Value GetFilters(CallInfo& c) {
    DisplayObject* o = ThisPlacement(c);
    if (!o) return Value{};
    std::vector<Value> out;
    if (o->filters)
        for (const Filter& f : *o->filters)
            if (Value v = FilterToObject(c.vm, f); !v.isUndefined()) out.push_back(v);
    return c.vm.newArray(std::move(out));
}

Value SetFilters(CallInfo& c) {
    DisplayObject* o = ThisPlacement(c);
    if (!o) return Value{};
    auto list = std::make_shared<std::vector<Filter>>();
    if (Object* array = c.arg(0).asObject())
        for (const Value& v : ArrayValues(c.vm, array))
            if (list->size() < kMaxFilters)
                if (auto f = FilterFromObject(c.vm, v)) list->push_back(*f);
    o->scriptFilters = list->empty() ? nullptr : std::move(list);
    o->filters = o->scriptFilters.get();
    return Value{};
}

Value GetBlendMode(CallInfo& c) {
    DisplayObject* o = ThisPlacement(c);
    if (!o) return Value{};
    const int mode = o->blendMode >= 1 && o->blendMode <= 14 ? o->blendMode : 1;
    return std::string(kBlendModes[static_cast<std::size_t>(mode - 1)]);
}

Value SetBlendMode(CallInfo& c) {
    DisplayObject* o = ThisPlacement(c);
    if (!o) return Value{};
    const Value& v = c.arg(0);
    if (v.isNumber()) {
        const double n = v.asNumber();
        if (n >= 1 && n <= 14) o->blendMode = static_cast<std::uint8_t>(n);
        return Value{};
    }
    const std::string name = c.vm.toString(v);
    for (std::size_t i = 0; i < kBlendModes.size(); ++i)
        if (name == kBlendModes[i]) o->blendMode = static_cast<std::uint8_t>(i + 1);
    return Value{};
}

Value GetCacheAsBitmap(CallInfo& c) {
    DisplayObject* o = ThisPlacement(c);
    return o ? Value(o->cacheAsBitmap) : Value{};
}

Value SetCacheAsBitmap(CallInfo& c) {
    if (DisplayObject* o = ThisPlacement(c)) o->cacheAsBitmap = c.vm.toBool(c.arg(0));
    return Value{};
}

void Member(Interpreter& vm, Object* proto, const char* name, NativeFn get, NativeFn set) {
    Property& p = proto->put(name, Value{}, kSwf8Member);
    p.getter = vm.newFunction(get);
    p.setter = vm.newFunction(set);
}

}  // namespace

void InstallClipEffects(Interpreter& vm) {
    Object* proto = vm.protos.clip;
    Member(vm, proto, "filters", GetFilters, SetFilters);
    Member(vm, proto, "blendMode", GetBlendMode, SetBlendMode);
    Member(vm, proto, "cacheAsBitmap", GetCacheAsBitmap, SetCacheAsBitmap);
}

}  // namespace saver::swf::avm1
