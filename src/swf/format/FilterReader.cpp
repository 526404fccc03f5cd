// Every filter body is a fixed sequence of FIXED (16.16), FIXED8 (8.8), RGBA and flag bytes;
// the variable ones (gradient and convolution filters) are sized by a count byte that is
// checked against the tag by the reader itself. The bevel filter stores its highlight colour
// before its shadow colour, whatever older format notes say.
#include "swf/format/FilterReader.h"

#include <bit>

#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

double Fixed16(SwfBitReader& in) {
    return static_cast<std::int32_t>(in.u32()) / 65536.0;
}

double Fixed8(SwfBitReader& in) {
    return static_cast<std::int16_t>(in.u16()) / 256.0;
}

float Float32(SwfBitReader& in) {
    return std::bit_cast<float>(in.u32());
}

// Blur sizes, angle, distance and strength, shared by the shadow, bevel and gradient kinds.
void ReadOffsetBlur(SwfBitReader& in, Filter& f) {
    f.blurX = Fixed16(in);
    f.blurY = Fixed16(in);
    f.angle = Fixed16(in);
    f.distance = Fixed16(in);
    f.strength = Fixed8(in);
}

// The flag byte: inner, knockout, composite source, then (bevel kinds) on top and the passes
// in the remaining low bits.
void ReadFlags(SwfBitReader& in, Filter& f, bool hasOnTop) {
    const std::uint8_t flags = in.u8();
    f.inner = flags & 0x80;
    f.knockout = flags & 0x40;
    f.compositeSource = flags & 0x20;
    f.onTop = hasOnTop && (flags & 0x10);
    f.passes = hasOnTop ? (flags & 0x0F) : (flags & 0x1F);
}

void ReadGradient(SwfBitReader& in, Filter& f) {
    const unsigned count = in.u8();
    f.gradient.resize(count);
    for (auto& stop : f.gradient) stop.color = ReadRgba(in);
    for (auto& stop : f.gradient) stop.ratio = in.u8();
    ReadOffsetBlur(in, f);
    ReadFlags(in, f, true);
}

void ReadConvolution(SwfBitReader& in, Filter& f) {
    f.matrixX = in.u8();
    f.matrixY = in.u8();
    f.divisor = Float32(in);
    f.bias = Float32(in);
    const std::size_t cells = static_cast<std::size_t>(f.matrixX) * f.matrixY;
    if (cells * 4 > in.remaining()) throw SwfError("convolution filter past its tag");
    f.kernel.resize(cells);
    for (float& k : f.kernel) k = Float32(in);
    f.color = ReadRgba(in);
    const std::uint8_t flags = in.u8();
    f.clamp = flags & 0x02;
    f.preserveAlpha = flags & 0x01;
}

bool ReadFilter(SwfBitReader& in, Filter& f) {
    const std::uint8_t id = in.u8();
    if (id > 7) return false;
    f.kind = static_cast<FilterKind>(id);
    switch (f.kind) {
        case FilterKind::DropShadow:
            f.color = ReadRgba(in);
            ReadOffsetBlur(in, f);
            ReadFlags(in, f, false);
            break;
        case FilterKind::Blur: {
            f.blurX = Fixed16(in);
            f.blurY = Fixed16(in);
            f.passes = in.u8() >> 3;
            break;
        }
        case FilterKind::Glow:
            f.color = ReadRgba(in);
            f.blurX = Fixed16(in);
            f.blurY = Fixed16(in);
            f.strength = Fixed8(in);
            ReadFlags(in, f, false);
            break;
        case FilterKind::Bevel:
            f.highlight = ReadRgba(in);
            f.color = ReadRgba(in);
            ReadOffsetBlur(in, f);
            ReadFlags(in, f, true);
            break;
        case FilterKind::GradientGlow:
        case FilterKind::GradientBevel:
            ReadGradient(in, f);
            break;
        case FilterKind::Convolution:
            ReadConvolution(in, f);
            break;
        case FilterKind::ColorMatrix:
            for (float& v : f.colorMatrix) v = Float32(in);
            break;
    }
    return true;
}

}  // namespace

bool ReadFilterList(SwfBitReader& in, std::vector<Filter>& out) {
    const unsigned count = in.u8();
    for (unsigned i = 0; i < count; ++i) {
        Filter f;
        if (!ReadFilter(in, f)) return false;
        out.push_back(std::move(f));
    }
    return true;
}

}  // namespace saver::swf
