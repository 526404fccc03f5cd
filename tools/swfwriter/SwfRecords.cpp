#include "SwfRecords.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <stdexcept>

namespace saver::swfwriter {
namespace {

int BitsFor(std::initializer_list<std::int32_t> values) {
    int bits = 0;
    for (const std::int32_t v : values) bits = std::max(bits, BitWriter::SignedBits(v));
    return bits;
}

bool HasAlpha(ShapeVersion version) {
    return version >= ShapeVersion::Shape3;
}

void WriteStyleCount(BitWriter& w, std::size_t count, ShapeVersion version) {
    if (count < 0xFF) {
        w.WriteU8(static_cast<std::uint8_t>(count));
        return;
    }
    // DefineShape stores at most 254 styles; later versions escape to a 16-bit count.
    if (version == ShapeVersion::Shape1 || count > 0xFFFF)
        throw std::invalid_argument("too many styles for this shape version");
    w.WriteU8(0xFF);
    w.WriteU16(static_cast<std::uint16_t>(count));
}

}  // namespace

std::int32_t ToFixed16(double value) {
    const double scaled = std::round(value * 65536.0);
    if (!(scaled >= std::numeric_limits<std::int32_t>::min() &&
          scaled <= std::numeric_limits<std::int32_t>::max()))
        throw std::out_of_range("value does not fit 16.16 fixed point");
    return static_cast<std::int32_t>(scaled);
}

void WriteRect(BitWriter& w, const Rect& rect) {
    const int bits = BitsFor({rect.xMin, rect.xMax, rect.yMin, rect.yMax});
    w.Align();
    w.WriteUB(static_cast<std::uint32_t>(bits), 5);
    for (const std::int32_t v : {rect.xMin, rect.xMax, rect.yMin, rect.yMax}) w.WriteSB(v, bits);
    w.Align();
}

void WriteMatrix(BitWriter& w, const Matrix& m) {
    const std::int32_t sx = ToFixed16(m.scaleX), sy = ToFixed16(m.scaleY);
    const std::int32_t r0 = ToFixed16(m.rotateSkew0), r1 = ToFixed16(m.rotateSkew1);
    w.Align();
    const bool hasScale = sx != 0x10000 || sy != 0x10000;
    w.WriteFlag(hasScale);
    if (hasScale) {
        const int bits = BitsFor({sx, sy});
        w.WriteUB(static_cast<std::uint32_t>(bits), 5);
        w.WriteFB(sx, bits);
        w.WriteFB(sy, bits);
    }
    const bool hasRotate = r0 != 0 || r1 != 0;
    w.WriteFlag(hasRotate);
    if (hasRotate) {
        const int bits = BitsFor({r0, r1});
        w.WriteUB(static_cast<std::uint32_t>(bits), 5);
        w.WriteFB(r0, bits);
        w.WriteFB(r1, bits);
    }
    const int bits = BitsFor({m.translateX, m.translateY});
    w.WriteUB(static_cast<std::uint32_t>(bits), 5);
    w.WriteSB(m.translateX, bits);
    w.WriteSB(m.translateY, bits);
    w.Align();
}

void WriteColorTransform(BitWriter& w, const ColorTransform& cx, bool withAlpha) {
    if (!withAlpha && (cx.multA != 256 || cx.addA != 0))
        throw std::invalid_argument("alpha terms need CXFORMWITHALPHA");
    const bool hasMult = cx.HasMult(), hasAdd = cx.HasAdd();
    int bits = 0;
    if (hasMult) bits = std::max(bits, BitsFor({cx.multR, cx.multG, cx.multB, cx.multA}));
    if (hasAdd) bits = std::max(bits, BitsFor({cx.addR, cx.addG, cx.addB, cx.addA}));
    w.Align();
    w.WriteFlag(hasAdd);
    w.WriteFlag(hasMult);
    w.WriteUB(static_cast<std::uint32_t>(bits), 4);  // terms beyond 15 bits throw here
    const auto terms = [&](std::int16_t r, std::int16_t g, std::int16_t b, std::int16_t a) {
        w.WriteSB(r, bits);
        w.WriteSB(g, bits);
        w.WriteSB(b, bits);
        if (withAlpha) w.WriteSB(a, bits);
    };
    if (hasMult) terms(cx.multR, cx.multG, cx.multB, cx.multA);
    if (hasAdd) terms(cx.addR, cx.addG, cx.addB, cx.addA);
    w.Align();
}

void WriteColor(BitWriter& w, Rgba color, bool withAlpha) {
    if (!withAlpha && color.a != 255)
        throw std::invalid_argument("a translucent colour needs DefineShape3 or later");
    w.WriteU8(color.r);
    w.WriteU8(color.g);
    w.WriteU8(color.b);
    if (withAlpha) w.WriteU8(color.a);
}

void WriteGradient(BitWriter& w, const Gradient& g, ShapeVersion version) {
    const bool shape4 = version == ShapeVersion::Shape4;
    const std::size_t maxStops = shape4 ? 15 : 8;
    if (g.stops.empty() || g.stops.size() > maxStops)
        throw std::invalid_argument("gradient stop count outside 1..8 (1..15 in DefineShape4)");
    if (!shape4 && (g.spread != SpreadMode::Pad || g.interpolation != InterpolationMode::Normal))
        throw std::invalid_argument("spread and interpolation modes need DefineShape4");
    w.Align();
    w.WriteUB(static_cast<std::uint32_t>(g.spread), 2);
    w.WriteUB(static_cast<std::uint32_t>(g.interpolation), 2);
    w.WriteUB(static_cast<std::uint32_t>(g.stops.size()), 4);
    for (const GradientStop& stop : g.stops) {
        w.WriteU8(stop.ratio);
        WriteColor(w, stop.color, HasAlpha(version));
    }
}

void WriteFillStyle(BitWriter& w, const FillStyle& fill, ShapeVersion version) {
    w.WriteU8(static_cast<std::uint8_t>(fill.type));
    if (fill.type == FillType::Solid) {
        WriteColor(w, fill.color, HasAlpha(version));
        return;
    }
    if (static_cast<std::uint8_t>(fill.type) >= 0x40) {
        w.WriteU16(fill.bitmapId);
        WriteMatrix(w, fill.gradientMatrix);
        return;
    }
    WriteMatrix(w, fill.gradientMatrix);
    WriteGradient(w, fill.gradient, version);
}

void WriteLineStyle(BitWriter& w, const LineStyle& line, ShapeVersion version) {
    w.WriteU16(line.width);
    if (version == ShapeVersion::Shape4) {
        // Round start cap, round join, no fill, scaling in both directions, no pixel hinting,
        // closed paths, round end cap: the look of a plain LINESTYLE.
        w.WriteU16(0);
    }
    WriteColor(w, line.color, HasAlpha(version));
}

void WriteFillStyles(BitWriter& w, const std::vector<FillStyle>& fills, ShapeVersion version) {
    WriteStyleCount(w, fills.size(), version);
    for (const FillStyle& fill : fills) WriteFillStyle(w, fill, version);
}

void WriteLineStyles(BitWriter& w, const std::vector<LineStyle>& lines, ShapeVersion version) {
    WriteStyleCount(w, lines.size(), version);
    for (const LineStyle& line : lines) WriteLineStyle(w, line, version);
}

}  // namespace saver::swfwriter
