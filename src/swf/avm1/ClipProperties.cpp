// Flash stores a clip's position in twips, its alpha as an 8.8 fixed-point factor, and
// remembers the scale and rotation a script wrote instead of deriving them from the matrix
// again, so values read back are the ones Flash Player shows.
#include "swf/avm1/ClipProperties.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "swf/avm1/DisplayBuiltins.h"
#include "swf/player/ContentGeometry.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// The number a property write takes; false when the value leaves the property alone.
bool NumberFor(Interpreter& vm, const Value& v, double& out) {
    if (v.isNullish()) return false;
    out = vm.toNumber(v);
    return !std::isnan(out);
}

// The player's own settings (_highquality, _focusrect, _soundbuftime) read text by SWF 5's
// rules even in SWF 4 movies: text that is no number leaves the setting as it was.
bool SettingNumber(Interpreter& vm, const Value& v, double& out) {
    if (!v.isString() || vm.version() >= 5) return NumberFor(vm, v, out);
    out = StringToNumber(v.asString(), 5);
    return !std::isnan(out);
}

double ToTwips(double pixels) {
    if (!std::isfinite(pixels)) return -2147483648.0;
    const double twips = std::trunc(pixels * 20);
    return std::clamp(twips, -2147483648.0, 2147483647.0);
}

Value Width(TimelineInstance& t, const DisplayObject& o, bool height) {
    Rect box;
    if (!t.bounds(o.matrix, box)) return 0.0;
    return (height ? box.height() : box.width()) / 20.0;
}

void SetSize(TimelineInstance& t, DisplayObject& o, double pixels, bool height) {
    Rect local;
    if (!t.bounds(Matrix{}, local)) return;
    const double extent = height ? local.height() : local.width();
    if (extent == 0) return;
    CacheScaleRotation(o);
    (height ? o.yScale : o.xScale) = pixels * 20 / extent;
    RebuildMatrix(o);
    o.scripted = true;
}

std::string SlashPath(const TimelineInstance& t) {
    std::string path;
    const TimelineInstance* at = &t;
    for (int guard = 0; guard <= kMaxSpriteNesting + 1; ++guard) {
        auto parent = at->parent();
        if (!parent) break;
        path = "/" + at->name() + path;
        at = parent.get();
    }
    return path.empty() ? "/" : path;
}

Value Quality(const PlayerSettings& s, bool high) {
    if (!high) return s.quality;
    if (s.quality == "LOW") return 0.0;
    if (s.quality == "BEST") return 2.0;
    return 1.0;
}

}  // namespace

void CacheScaleRotation(DisplayObject& o) {
    if (o.hasCachedScale) return;
    const Matrix& m = o.matrix;
    o.xScale = std::sqrt(m.a * m.a + m.b * m.b);
    o.yScale = std::sqrt(m.c * m.c + m.d * m.d);
    o.rotation = std::atan2(m.b, m.a) * kDegrees;
    o.skew = std::atan2(-m.c, m.d) * kDegrees - o.rotation;
    o.hasCachedScale = true;
}

void RebuildMatrix(DisplayObject& o) {
    if (!std::isfinite(o.rotation) || !std::isfinite(o.xScale) || !std::isfinite(o.yScale))
        return;  // kept as written; the picture keeps the last drawable matrix
    const double rotX = o.rotation / kDegrees, rotY = (o.rotation + o.skew) / kDegrees;
    o.matrix.a = o.xScale * std::cos(rotX);
    o.matrix.b = o.xScale * std::sin(rotX);
    o.matrix.c = -o.yScale * std::sin(rotY);
    o.matrix.d = o.yScale * std::cos(rotY);
}

Value GetDisplayProperty(Interpreter& vm, PlayerSettings& settings, TimelineInstance& t,
                         const std::string& n, bool& found) {
    (void)vm;
    found = true;
    if (n == "_currentframe") return t.currentFrame() + 1;
    if (n == "_totalframes" || n == "_framesloaded") return t.frameCount();
    if (n == "_name") return t.name();
    if (n == "_target") return SlashPath(t);
    if (n == "_droptarget" || n == "_url") return std::string();
    if (n == "_quality" || n == "_highquality") return Quality(settings, n == "_highquality");
    if (n == "_focusrect") return settings.focusRect;
    if (n == "_soundbuftime") return settings.soundBufferTime;
    if (n == "_xmouse" || n == "_ymouse") {
        Matrix inverse;
        Invert(StageMatrix(t), inverse);
        double x = 0, y = 0;
        inverse.apply(t.context().mouseX, t.context().mouseY, x, y);
        return std::round(n == "_xmouse" ? x : y) / 20.0;
    }
    DisplayObject* o = t.placement();
    static DisplayObject offStage;
    if (!o) {
        offStage = DisplayObject{};
        o = &offStage;
    }
    if (n == "_x") return o->matrix.tx / 20.0;
    if (n == "_y") return o->matrix.ty / 20.0;
    if (n == "_visible") return o->visible;
    if (n == "_alpha") return o->colorTransform.mulA * 100.0;
    if (n == "_width") return Width(t, *o, false);
    if (n == "_height") return Width(t, *o, true);
    if (n == "_xscale" || n == "_yscale" || n == "_rotation") {
        DisplayObject scratch = *o;
        scratch.sprite.reset();
        CacheScaleRotation(scratch);
        if (n == "_rotation") return scratch.rotation;
        return (n == "_xscale" ? scratch.xScale : scratch.yScale) * 100.0;
    }
    found = false;
    return Value{};
}

bool SetDisplayProperty(Interpreter& vm, PlayerSettings& settings, TimelineInstance& t,
                        const std::string& n, const Value& v) {
    if (n == "_currentframe" || n == "_totalframes" || n == "_framesloaded" || n == "_target" ||
        n == "_droptarget" || n == "_url" || n == "_xmouse" || n == "_ymouse")
        return true;  // read-only
    double num = 0;
    if (n == "_quality") {
        std::string q = FoldCase(vm.toString(v));
        for (char& c : q) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (q == "LOW" || q == "MEDIUM" || q == "HIGH" || q == "BEST") settings.quality = q;
        return true;
    }
    if (n == "_highquality") {
        if (SettingNumber(vm, v, num))
            settings.quality = num >= 2 ? "BEST" : num >= 1 ? "HIGH" : "LOW";
        return true;
    }
    if (n == "_focusrect") {
        if (vm.version() <= 4) {
            if (SettingNumber(vm, v, num)) settings.focusRect = num != 0;
        } else if (!v.isNullish()) {
            settings.focusRect = vm.toBool(v);
        }
        return true;
    }
    if (n == "_soundbuftime") {
        if (SettingNumber(vm, v, num)) settings.soundBufferTime = std::trunc(num);
        return true;
    }
    const bool known = n == "_x" || n == "_y" || n == "_xscale" || n == "_yscale" ||
                       n == "_rotation" || n == "_alpha" || n == "_visible" || n == "_width" ||
                       n == "_height" || n == "_name";
    if (!known) return false;
    DisplayObject* o = t.placement();
    if (!o) return true;
    if (n == "_name") {
        o->name = vm.toString(v);
        return true;
    }
    if (!NumberFor(vm, v, num)) return true;
    if (n == "_visible") {
        o->visible = num != 0;
        if (!o->visible) ReleaseLostFocus(vm);
        return true;
    }
    o->scripted = true;
    if (n == "_x") {
        o->matrix.tx = ToTwips(num);
    } else if (n == "_y") {
        o->matrix.ty = ToTwips(num);
    } else if (n == "_alpha") {
        o->colorTransform.mulA =
            std::isfinite(num) ? std::clamp(std::trunc(num * 2.56), -32768.0, 32767.0) / 256 : 0;
    } else if (n == "_width" || n == "_height") {
        SetSize(t, *o, num, n == "_height");
    } else {
        CacheScaleRotation(*o);
        if (n == "_rotation") {
            num = std::fmod(num, 360.0);
            if (num > 180) num -= 360;
            if (num < -180) num += 360;
            o->rotation = num;
        } else {
            (n == "_xscale" ? o->xScale : o->yScale) = num / 100;
        }
        RebuildMatrix(*o);
    }
    return true;
}

}  // namespace saver::swf::avm1
