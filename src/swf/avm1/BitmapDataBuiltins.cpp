// flash.display.BitmapData: the script object over a BitmapSurface. Arguments are read as the
// player reads them: coordinates and colours cut to 32-bit integers, a rectangle only when the
// object has all of x, y, width and height, a point through its x and y. The numbers the
// methods return on bad arguments are the player's (they differ from method to method).
#include <algorithm>
#include <cmath>

#include "swf/avm1/BitmapDataObject.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipEffects.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/TimelineInstance.h"
#include "swf/render/BitmapLibrary.h"
#include "swf/render/BitmapSurface.h"

namespace saver::swf::avm1 {

namespace {

ScriptRunner& Runner(CallInfo& c) {
    return static_cast<ScriptRunner&>(c.vm.host());
}

std::int32_t Int(CallInfo& c, std::size_t i) {
    return ToInt32(c.vm.toNumber(c.arg(i)));
}
std::uint32_t Uint(CallInfo& c, std::size_t i) {
    return static_cast<std::uint32_t>(Int(c, i));
}
std::int32_t IntOf(CallInfo& c, const Value& v) {
    return ToInt32(c.vm.toNumber(v));
}

// What another bitmap argument is: a live surface, a disposed one, or no bitmap at all.
enum class Other { Live, Disposed, None };
Other Classify(const Value& v) {
    Object* o = v.asObject();
    if (!o || !o->bitmap) return Other::None;
    return o->bitmap->disposed() ? Other::Disposed : Other::Live;
}

// The rectangle an object describes; false unless it has x, y, width and height.
bool RectArg(CallInfo& c, const Value& v, PixelRect& out) {
    Object* o = v.asObject();
    if (!o) return false;
    for (const char* name : {"x", "y", "width", "height"})
        if (!c.vm.hasProperty(o, name)) return false;
    out = {IntOf(c, c.vm.getMember(o, "x")), IntOf(c, c.vm.getMember(o, "y")),
           IntOf(c, c.vm.getMember(o, "width")), IntOf(c, c.vm.getMember(o, "height"))};
    return true;
}

// A point's coordinate: the number cut to an integer (NaN is 0).
long long Coord(CallInfo& c, const Value& point, const char* name) {
    const double v = c.vm.toNumber(c.vm.getMember(point, name));
    if (std::isnan(v)) return 0;
    return static_cast<long long>(std::clamp(v, -2147483648.0, 2147483647.0));
}

Value NewRectangle(CallInfo& c, const PixelRect& r) {
    const Value geom = c.vm.getMember(c.vm.getMember(c.vm.global(), "flash"), "geom");
    const Value ctor = geom.isObject() ? c.vm.getMember(geom, "Rectangle") : Value{};
    return c.vm.construct(ctor, {static_cast<double>(r.x), static_cast<double>(r.y),
                                 static_cast<double>(r.width), static_cast<double>(r.height)});
}

// A new BitmapData object on `proto` holding `surface`.
Value NewBitmapObject(CallInfo& c, const Value& proto, std::shared_ptr<BitmapSurface> surface) {
    Object* o = c.vm.newObject(proto.asObject());
    if (!proto.asObject()) o->remove("__proto__");
    o->bitmap = std::move(surface);
    return o;
}

std::shared_ptr<BitmapSurface> MakeSurface(CallInfo& c, int width, int height, bool transparent,
                                           std::uint32_t argb) {
    TimelineInstance* root = Runner(c).rootTimeline();
    BitmapLibrary* library = root ? root->context().bitmaps : nullptr;
    return library ? library->makeSurface(width, height, transparent, argb) : nullptr;
}

bool SizeAllowed(int version, double width, double height) {
    if (width < 1 || height < 1) return false;
    if (version <= 9) return width <= 2880 && height <= 2880;
    return width < 8192 && height < 8192 && width * height < 16777216;
}

Value Ctor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    const double width = static_cast<std::uint32_t>(Int(c, 0));
    const double height = static_cast<std::uint32_t>(Int(c, 1));
    const bool transparent = c.arg(2).isUndefined() || c.vm.toBool(c.arg(2));
    const std::uint32_t fill = c.arg(3).isUndefined() ? 0xFFFFFFFFu : Uint(c, 3);
    std::shared_ptr<BitmapSurface> surface;
    if (self && c.args.size() >= 2 && SizeAllowed(c.vm.version(), width, height))
        surface =
            MakeSurface(c, static_cast<int>(width), static_cast<int>(height), transparent, fill);
    if (!surface) {
        c.vm.constructRefused = true;
        return Value{};
    }
    self->bitmap = std::move(surface);
    return Value{};
}

// The live surface of `this`, or null (the method then answers -1).
BitmapSurface* Self(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->bitmap && !o->bitmap->disposed() ? o->bitmap.get() : nullptr;
}

// The checks of the methods that read a source bitmap through a rectangle, in the order the
// player makes them: too few arguments or a disposed `this` (-1), a source that is no bitmap
// (-2) or a disposed one (-3), a rectangle missing a field (-4). 0 when all hold.
double CheckSourceAndRect(CallInfo& c, std::size_t minArgs, PixelRect& r) {
    if (c.args.size() < minArgs || !Self(c)) return -1.0;
    const Other kind = Classify(c.arg(0));
    if (kind != Other::Live) return kind == Other::Disposed ? -3.0 : -2.0;
    return RectArg(c, c.arg(1), r) ? 0.0 : -4.0;
}

Value GetWidth(CallInfo& c) {
    BitmapSurface* s = Self(c);
    return s ? Value(static_cast<double>(s->width())) : Value(-1.0);
}
Value GetHeight(CallInfo& c) {
    BitmapSurface* s = Self(c);
    return s ? Value(static_cast<double>(s->height())) : Value(-1.0);
}
Value GetTransparent(CallInfo& c) {
    BitmapSurface* s = Self(c);
    return s ? Value(s->transparent()) : Value(-1.0);
}
Value GetRectangle(CallInfo& c) {
    BitmapSurface* s = Self(c);
    return s ? NewRectangle(c, {0, 0, s->width(), s->height()}) : Value(-1.0);
}

Value Signed(std::uint32_t v) {
    return static_cast<double>(static_cast<std::int32_t>(v));
}

Value GetPixel(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 2 || !s) return -1.0;
    return Signed(s->getPixel(Uint(c, 0), Uint(c, 1)));
}
Value GetPixel32(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 2 || !s) return -1.0;
    return Signed(s->getPixel32(Uint(c, 0), Uint(c, 1)));
}
Value SetPixel(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 3 || !s) return -1.0;
    s->setPixel(Uint(c, 0), Uint(c, 1), Uint(c, 2));
    return 0.0;
}
Value SetPixel32(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 3 || !s) return -1.0;
    s->setPixel32(Uint(c, 0), Uint(c, 1), Uint(c, 2));
    return 0.0;
}

Value FillRect(CallInfo& c) {
    BitmapSurface* s = Self(c);
    PixelRect r;
    if (c.args.size() < 2 || !s || !RectArg(c, c.arg(0), r)) return -1.0;
    s->fillRect(r, Uint(c, 1));
    return 0.0;
}

Value Clone(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (!s) return -1.0;
    auto copy = MakeSurface(c, s->width(), s->height(), s->transparent(), 0);
    if (!copy) return Value{};
    copy->copyAll(*s);
    return NewBitmapObject(c, c.vm.getMember(c.thisValue, "__proto__"), std::move(copy));
}

Value Dispose(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (!s) return -1.0;
    s->dispose();
    return Value{};
}

Value FloodFill(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 3 || !s) return -1.0;
    return s->floodFill(Uint(c, 0), Uint(c, 1), Uint(c, 2)) ? 1.0 : 0.0;
}

Value Noise(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.empty() || !s) return -1.0;
    const int high = c.arg(2).isUndefined() ? 255 : Int(c, 2);
    const unsigned channels = c.arg(3).isUndefined() ? 7u : (Uint(c, 3) & 0xFF);
    s->noise(Int(c, 0), Int(c, 1), high, channels, c.vm.toBool(c.arg(4)));
    return 0.0;
}

Value Scroll(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 2 || !s) return -1.0;
    s->scroll(Int(c, 0), Int(c, 1));
    return 0.0;
}

Value ColorTransformFn(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 2 || !s) return -1.0;
    PixelRect r;
    if (!RectArg(c, c.arg(0), r)) return -2.0;
    ColorTransform cx;
    if (!ColorTransformOf(c.arg(1), cx)) return -3.0;
    s->colorTransform(r, cx);
    return -1.0;
}

Value CopyPixels(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 3, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    const BitmapSurface& source = *c.arg(0).asObject()->bitmap;
    const long long dx = Coord(c, c.arg(2), "x"), dy = Coord(c, c.arg(2), "y");
    // mergeAlpha counts as false without an alpha bitmap, true by default with one.
    const bool given = c.args.size() >= 6;
    if (const auto alpha = SurfaceOf(c.arg(3))) {
        s->copyPixels(source, r, dx, dy, *alpha, Coord(c, c.arg(4), "x"), Coord(c, c.arg(4), "y"),
                      !given || c.vm.toBool(c.arg(5)));
        return 0.0;
    }
    s->copyPixels(source, r, dx, dy, given && c.vm.toBool(c.arg(5)));
    return 0.0;
}

Value CopyChannel(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 5, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    s->copyChannel(*c.arg(0).asObject()->bitmap, r, IntOf(c, c.vm.getMember(c.arg(2), "x")),
                   IntOf(c, c.vm.getMember(c.arg(2), "y")), Uint(c, 3), Uint(c, 4));
    return -1.0;
}

int ThresholdOp(const std::string& op) {
    static const char* const kOps[] = {"<", "<=", ">", ">=", "==", "!="};
    for (int i = 0; i < 6; ++i)
        if (op == kOps[i]) return i;
    return 0;
}

Value Threshold(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 5, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    const std::uint32_t mask = c.arg(6).isUndefined() ? 0xFFFFFFFFu : Uint(c, 6);
    return static_cast<double>(s->threshold(
        *c.arg(0).asObject()->bitmap, r, Coord(c, c.arg(2), "x"), Coord(c, c.arg(2), "y"),
        ThresholdOp(c.vm.toString(c.arg(3))), Uint(c, 4), Uint(c, 5), mask, c.vm.toBool(c.arg(7))));
}

Value Merge(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 6, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    const int mul[4] = {Int(c, 3), Int(c, 4), Int(c, 5), c.arg(6).isUndefined() ? 255 : Int(c, 6)};
    s->merge(*c.arg(0).asObject()->bitmap, r, Coord(c, c.arg(2), "x"), Coord(c, c.arg(2), "y"),
             mul);
    return -1.0;
}

Value Compare(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.empty() || !s) return -1.0;
    if (Classify(c.arg(0)) != Other::Live) return -2.0;
    const BitmapSurface& other = *c.arg(0).asObject()->bitmap;
    if (other.width() != s->width()) return -3.0;
    if (other.height() != s->height()) return -4.0;
    auto diff = s->compare(other);
    if (!diff) return 0.0;
    auto out = MakeSurface(c, s->width(), s->height(), true, 0);
    if (!out) return Value{};
    for (int y = 0; y < s->height(); ++y)
        for (int x = 0; x < s->width(); ++x)
            out->setRaw(x, y, (*diff)[static_cast<std::size_t>(y) * s->width() + x]);
    return NewBitmapObject(c, c.vm.getMember(c.thisValue, "__proto__"), std::move(out));
}

// A point's x and y when it has them as its own properties.
bool OwnPoint(CallInfo& c, const Value& v, long long& x, long long& y) {
    Object* o = v.asObject();
    if (!o || !o->findOwn("x") || !o->findOwn("y")) return false;
    x = IntOf(c, c.vm.getMember(o, "x"));
    y = IntOf(c, c.vm.getMember(o, "y"));
    return true;
}

Value HitTest(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 3 || !s) return -1.0;
    long long x0 = 0, y0 = 0;
    if (!OwnPoint(c, c.arg(0), x0, y0)) return -2.0;
    const int alpha = std::clamp(Int(c, 1), 0, 255);
    Object* other = c.arg(2).asObject();
    if (other && other->bitmap) {
        if (other->bitmap->disposed()) return -3.0;
        long long x1 = 0, y1 = 0;
        if (!OwnPoint(c, c.arg(3), x1, y1) && c.args.size() > 3) return -4.0;
        const int otherAlpha = std::clamp(Int(c, 4), 0, 255);
        return s->hitSurface(x0, y0, alpha, *other->bitmap, x1, y1, otherAlpha);
    }
    if (!other || !other->findOwn("x") || !other->findOwn("y")) return -3.0;
    const long long x = IntOf(c, c.vm.getMember(other, "x")) - x0;
    const long long y = IntOf(c, c.vm.getMember(other, "y")) - y0;
    const bool hasW = other->findOwn("width") != nullptr;
    const bool hasH = other->findOwn("height") != nullptr;
    if (!hasW && !hasH) return s->hitPoint(x, y, alpha);
    if (!hasW || !hasH) return -3.0;
    return s->hitRect(
        {x, y, IntOf(c, c.vm.getMember(other, "width")), IntOf(c, c.vm.getMember(other, "height"))},
        alpha);
}

Value GetColorBoundsRect(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 2 || !s) return -1.0;
    const bool find = c.arg(2).isUndefined() || c.vm.toBool(c.arg(2));
    return NewRectangle(c, s->colorBounds(Uint(c, 0), Uint(c, 1), find));
}

Value ApplyFilter(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (!s) return -1.0;
    const Other kind = Classify(c.arg(0));
    if (kind != Other::Live) return kind == Other::Disposed ? -3.0 : -2.0;
    // The rectangle is read without checks here: missing fields are 0.
    auto field = [&](const char* name) { return Coord(c, c.arg(1), name); };
    const PixelRect r{std::max(field("x"), 0LL), std::max(field("y"), 0LL),
                      std::max(field("width"), 0LL), std::max(field("height"), 0LL)};
    const std::optional<Filter> filter = FilterFromObject(c.vm, c.arg(3));
    if (!filter) return -1.0;
    s->applyFilter(*c.arg(0).asObject()->bitmap, r, Coord(c, c.arg(2), "x"),
                   Coord(c, c.arg(2), "y"), *filter);
    return 0.0;
}

Value PaletteMap(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 4, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    // Red, green, blue, alpha; a channel without an array keeps its value.
    static const int kShifts[4] = {16, 8, 0, 24};
    std::uint32_t tables[4][256];
    for (int k = 0; k < 4; ++k) {
        Object* list = c.arg(3 + static_cast<std::size_t>(k)).asObject();
        for (std::uint32_t i = 0; i < 256; ++i)
            tables[k][i] = list ? static_cast<std::uint32_t>(
                                      IntOf(c, c.vm.getMember(list, std::to_string(i)))) &
                                      0xFF
                                : i << kShifts[k];
    }
    s->paletteMap(*c.arg(0).asObject()->bitmap, r, Coord(c, c.arg(2), "x"), Coord(c, c.arg(2), "y"),
                  tables);
    return -1.0;
}

Value PixelDissolve(CallInfo& c) {
    PixelRect r;
    if (const double error = CheckSourceAndRect(c, 4, r); error != 0) return error;
    BitmapSurface* s = Self(c);
    // Without a pixel count the player dissolves nothing.
    if (c.args.size() < 5) return 0.0;
    return static_cast<double>(s->pixelDissolve(*c.arg(0).asObject()->bitmap, r,
                                                Coord(c, c.arg(2), "x"), Coord(c, c.arg(2), "y"),
                                                Int(c, 3), Int(c, 4), Uint(c, 5)));
}

Value PerlinNoiseFn(CallInfo& c) {
    BitmapSurface* s = Self(c);
    if (c.args.size() < 6 || !s) return -1.0;
    BitmapSurface::PerlinOptions o;
    o.baseX = c.vm.toNumber(c.arg(0));
    o.baseY = c.vm.toNumber(c.arg(1));
    o.octaves = std::clamp(Int(c, 2), 0, BitmapSurface::kMaxNoiseOctaves);
    o.seed = Int(c, 3);
    o.stitch = c.vm.toBool(c.arg(4));
    o.fractal = c.vm.toBool(c.arg(5));
    o.channels = c.args.size() > 6 ? Uint(c, 6) & 0xFF : 7u;
    o.gray = c.vm.toBool(c.arg(7));
    Object* offsets = c.arg(8).asObject();
    for (int i = 0; i < o.octaves; ++i) {
        Object* point = offsets ? c.vm.getMember(offsets, std::to_string(i)).asObject() : nullptr;
        o.offsets.emplace_back(point ? c.vm.toNumber(c.vm.getMember(point, "x")) : 0.0,
                               point ? c.vm.toNumber(c.vm.getMember(point, "y")) : 0.0);
    }
    s->perlinNoise(o);
    return 0.0;
}

// Methods the player has that change nothing here: they answer as for a live bitmap.
Value Unsupported(CallInfo& c) {
    return Self(c) ? Value{} : Value(-1.0);
}

Value LoadBitmap(CallInfo& c) {
    const std::string name = c.vm.toString(c.arg(0));
    const auto& exports = Runner(c).movie().exports;
    const auto it = exports.find(name);
    TimelineInstance* root = Runner(c).rootTimeline();
    BitmapLibrary* library = root ? root->context().bitmaps : nullptr;
    if (it == exports.end() || !library) return Value{};
    const std::shared_ptr<const DecodedBitmap> picture = library->find(it->second);
    if (!picture) return Value{};
    auto surface = library->makeSurface(picture->width, picture->height, true, 0);
    if (!surface) return Value{};
    surface->load(*picture);
    return NewBitmapObject(c, c.vm.getMember(c.thisValue, "prototype"), std::move(surface));
}

}  // namespace

std::shared_ptr<BitmapSurface> SurfaceOf(const Value& v) {
    Object* o = v.asObject();
    return o && o->bitmap && !o->bitmap->disposed() ? o->bitmap : nullptr;
}

void InstallBitmapDataBuiltins(Interpreter& vm) {
    Object* display = PackageObject(vm, "flash.display");
    Object* proto = vm.newObject();
    Object* ctor = vm.newFunction(Ctor, proto);
    proto->findOwn("constructor")->flags = kDontEnum;
    display->put("BitmapData", ctor, kDontEnum);
    Accessor(vm, proto, "width", GetWidth, nullptr);
    Accessor(vm, proto, "height", GetHeight, nullptr);
    Accessor(vm, proto, "rectangle", GetRectangle, nullptr);
    Accessor(vm, proto, "transparent", GetTransparent, nullptr);
    const std::pair<const char*, NativeFn> methods[] = {
        {"getPixel", GetPixel},
        {"setPixel", SetPixel},
        {"fillRect", FillRect},
        {"copyPixels", CopyPixels},
        {"scroll", Scroll},
        {"threshold", Threshold},
        {"draw", BitmapDataDraw},
        {"getPixel32", GetPixel32},
        {"setPixel32", SetPixel32},
        {"floodFill", FloodFill},
        {"getColorBoundsRect", GetColorBoundsRect},
        {"colorTransform", ColorTransformFn},
        {"hitTest", HitTest},
        {"merge", Merge},
        {"noise", Noise},
        {"copyChannel", CopyChannel},
        {"clone", Clone},
        {"dispose", Dispose},
        {"compare", Compare},
        {"applyFilter", ApplyFilter},
        {"paletteMap", PaletteMap},
        {"generateFilterRect", Unsupported},
        {"perlinNoise", PerlinNoiseFn},
        {"pixelDissolve", PixelDissolve},
    };
    for (const auto& [name, fn] : methods) vm.method(proto, name, fn);
    ctor->put("RED_CHANNEL", 1.0);
    ctor->put("GREEN_CHANNEL", 2.0);
    ctor->put("BLUE_CHANNEL", 4.0);
    ctor->put("ALPHA_CHANNEL", 8.0);
    vm.method(ctor, "loadBitmap", LoadBitmap);
    InstallBitmapClipMethods(vm);
}

}  // namespace saver::swf::avm1
