// Bitmaps meeting the display: BitmapData.draw renders a clip (or another bitmap) through the
// player's renderer into the surface, and the clip methods attachBitmap and beginBitmapFill
// show a surface. Drawing goes through a group so the picture is blended onto the surface's
// own transparency with the blend mode and colour transform the script gives.
#include <cmath>
#include <utility>

#include "swf/avm1/BitmapDataObject.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/BitmapShape.h"
#include "swf/player/TimelineInstance.h"
#include "swf/render/BitmapLibrary.h"
#include "swf/render/BitmapSurface.h"
#include "swf/render/LayerBlend.h"
#include "swf/render/Renderer.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::uint16_t kSwf8 = 0x1000;

ScriptRunner& Runner(CallInfo& c) {
    return static_cast<ScriptRunner&>(c.vm.host());
}

// A field of an object: `fallback` when missing, 0 when it is no number (NaN).
double NumberOr(CallInfo& c, const Value& o, const char* name, double fallback) {
    const Value v = c.vm.getMember(o, name);
    if (v.isUndefined()) return fallback;
    const double n = c.vm.toNumber(v);
    return std::isnan(n) ? 0 : n;
}

// A flash.geom.Matrix (or any object with its fields) in pixels, as a matrix in twips.
Matrix MatrixArg(CallInfo& c, const Value& v) {
    if (!v.asObject()) return {};
    return {NumberOr(c, v, "a", 1), NumberOr(c, v, "b", 0),       NumberOr(c, v, "c", 0),
            NumberOr(c, v, "d", 1), NumberOr(c, v, "tx", 0) * 20, NumberOr(c, v, "ty", 0) * 20};
}

std::uint8_t BlendModeArg(CallInfo& c, const Value& v) {
    static const char* const kNames[] = {"normal", "layer",      "multiply", "screen",   "lighten",
                                         "darken", "difference", "add",      "subtract", "invert",
                                         "alpha",  "erase",      "overlay",  "hardlight"};
    if (v.isNumber()) {
        const double n = v.asNumber();
        return n >= 1 && n <= 14 ? static_cast<std::uint8_t>(n) : kBlendNormal;
    }
    if (!v.isString()) return kBlendNormal;
    const std::string name = c.vm.toString(v);
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        if (name == kNames[i]) return static_cast<std::uint8_t>(i + 1);
    return kBlendNormal;
}

// Only a ColorTransform counts; anything else leaves the colours alone.
ColorTransform ColorArg(const Value& v) {
    ColorTransform cx;
    return ColorTransformOf(v, cx) ? cx : ColorTransform{};
}

// The clip rectangle in whole pixels of the surface, cut to it; the whole surface without
// one.
void ClipArea(CallInfo& c, const Value& v, const BitmapSurface& s, int& x0, int& y0, int& x1,
              int& y1) {
    x0 = 0, y0 = 0, x1 = s.width(), y1 = s.height();
    if (!v.asObject()) return;
    const double x = NumberOr(c, v, "x", 0), y = NumberOr(c, v, "y", 0);
    const double w = NumberOr(c, v, "width", 0), h = NumberOr(c, v, "height", 0);
    auto clampTo = [](double n, int hi) {
        return std::isnan(n) ? 0 : static_cast<int>(std::clamp(std::round(n), 0.0, double(hi)));
    };
    x0 = clampTo(x, s.width()), y0 = clampTo(y, s.height());
    x1 = std::max(x0, clampTo(x + w, s.width())), y1 = std::max(y0, clampTo(y + h, s.height()));
}

// Renders `items` over the surface's pixels, keeping only the clip area.
void RenderInto(CallInfo& c, BitmapSurface& s, std::vector<RenderItem>& items, int x0, int y0,
                int x1, int y1) {
    DecodedBitmap& pixels = *s.mutablePixels();
    BgraImage image;
    image.width = s.width(), image.height = s.height();
    const bool whole = x0 == 0 && y0 == 0 && x1 == s.width() && y1 == s.height();
    if (whole)
        image.pixels = std::move(pixels.pixels);
    else
        image.pixels = pixels.pixels;
    const Quality quality = Runner(c).settings().quality == "LOW" ? Quality::Low : Quality::High;
    Renderer renderer;
    renderer.renderOver(items, {1.0 / 20, 0, 0, 1.0 / 20, 0, 0}, quality, image);
    if (whole) {
        pixels.pixels = std::move(image.pixels);
    } else {
        const std::size_t row = static_cast<std::size_t>(s.width()) * 4;
        for (int y = y0; y < y1; ++y)
            std::copy(image.pixels.begin() + y * row + x0 * 4,
                      image.pixels.begin() + y * row + x1 * 4,
                      pixels.pixels.begin() + y * row + x0 * 4);
    }
    if (!s.transparent())  // blending keeps opaque pixels opaque; make sure of it
        for (std::size_t i = 3; i < pixels.pixels.size(); i += 4) pixels.pixels[i] = 255;
}

}  // namespace

Value BitmapDataDraw(CallInfo& c) {
    const std::shared_ptr<BitmapSurface> self = SurfaceOf(c.thisValue);
    if (!self) return -1.0;
    TimelineInstance* root = Runner(c).rootTimeline();
    BitmapLibrary* library = root ? root->context().bitmaps : nullptr;
    Object* sourceObject = c.arg(0).asObject();
    const std::shared_ptr<BitmapSurface> sourceBitmap = SurfaceOf(c.arg(0));
    if (sourceObject && sourceObject->bitmap && !sourceBitmap) return -3.0;
    const auto clip = TimelineOfValue(c.arg(0));
    if (!sourceBitmap && !clip) return -2.0;
    if (!library) return Value{};

    const Matrix matrix = MatrixArg(c, c.arg(1));
    const bool smooth = c.vm.toBool(c.arg(5));
    RenderItem begin{nullptr, {}, ColorArg(c.arg(2)), ClipRole::BeginGroup};
    begin.blendMode = BlendModeArg(c, c.arg(3));
    std::vector<RenderItem> items{begin};
    Shape shape;
    if (sourceBitmap) {
        shape =
            BitmapShape(sourceBitmap->id(), sourceBitmap->width(), sourceBitmap->height(), smooth);
        items.push_back({&shape, matrix, {}});
    } else {
        clip->collectAlone(matrix, items);
    }
    items.push_back({nullptr, {}, {}, ClipRole::EndGroup});
    for (RenderItem& item : items) item.bitmaps = library;
    int x0, y0, x1, y1;
    ClipArea(c, c.arg(4), *self, x0, y0, x1, y1);
    if (x1 > x0 && y1 > y0) RenderInto(c, *self, items, x0, y0, x1, y1);
    return Value{};
}

namespace {

Value AttachBitmap(CallInfo& c) {
    const auto clip = TimelineOfValue(c.thisValue);
    std::shared_ptr<BitmapSurface> surface = SurfaceOf(c.arg(0));
    if (!clip || !surface || c.args.size() < 2) return Value{};
    const std::int64_t depth =
        static_cast<std::int64_t>(ToInt32(c.vm.toNumber(c.arg(1)))) + kScriptDepthOffset;
    if (depth > INT32_MAX) return Value{};
    clip->attachBitmap(static_cast<int>(depth), std::move(surface), c.vm.toBool(c.arg(3)));
    return Value{};
}

Value BeginBitmapFill(CallInfo& c) {
    const auto clip = TimelineOfValue(c.thisValue);
    if (!clip) return Value{};
    std::shared_ptr<BitmapSurface> surface = SurfaceOf(c.arg(0));
    if (!surface) {
        clip->drawing().endFill();
        return Value{};
    }
    const bool repeat = c.arg(2).isUndefined() || c.vm.toBool(c.arg(2));
    const bool smooth = c.vm.toBool(c.arg(3));
    FillStyle fill;
    fill.type = repeat ? (smooth ? FillType::RepeatingBitmap : FillType::NonSmoothedRepeatingBitmap)
                       : (smooth ? FillType::ClippedBitmap : FillType::NonSmoothedClippedBitmap);
    // The matrix maps bitmap pixels to the clip's pixels; the fill's maps them to twips.
    const Matrix m = MatrixArg(c, c.arg(1));
    fill.matrix = {m.a * 20, m.b * 20, m.c * 20, m.d * 20, m.tx, m.ty};
    fill.bitmapId = surface->id();
    clip->drawing().beginBitmapFill(fill, std::move(surface));
    return Value{};
}

}  // namespace

void InstallBitmapClipMethods(Interpreter& vm) {
    vm.method(vm.protos.clip, "attachBitmap", AttachBitmap, kSwf8);
    vm.method(vm.protos.clip, "beginBitmapFill", BeginBitmapFill, kSwf8);
}

}  // namespace saver::swf::avm1
