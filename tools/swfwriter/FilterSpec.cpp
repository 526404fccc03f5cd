// Filter records after the SWF file format specification (FILTER): FIXED fields are 16.16,
// the strength is 8.8; flags and the pass count share the last byte.
#include "FilterSpec.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "SwfRecords.h"

namespace saver::swfwriter {
namespace {

void WriteFixed(BitWriter& w, double value) {
    w.WriteU32(static_cast<std::uint32_t>(ToFixed16(value)));
}

void WriteFixed8(BitWriter& w, double value) {
    const long raw = std::lround(value * 256);
    if (raw < std::numeric_limits<std::int16_t>::min() ||
        raw > std::numeric_limits<std::int16_t>::max())
        throw std::out_of_range("filter strength out of range");
    w.WriteU16(static_cast<std::uint16_t>(raw));
}

void WriteRgba(BitWriter& w, Rgba c) {
    w.WriteU8(c.r), w.WriteU8(c.g), w.WriteU8(c.b), w.WriteU8(c.a);
}

// Inner, knockout, composite source (always set: the object is drawn too), then the passes.
void WriteFlagsAndPasses(BitWriter& w, const FilterSpec& f) {
    w.WriteFlag(f.inner);
    w.WriteFlag(f.knockout);
    w.WriteFlag(true);
    w.WriteUB(static_cast<std::uint32_t>(f.passes), 5);
}

}  // namespace

FilterSpec FilterSpec::DropShadow(Rgba color, double blur, double angle, double distance) {
    FilterSpec f;
    f.kind = Kind::DropShadow;
    f.color = color;
    f.blurX = f.blurY = blur;
    f.angle = angle;
    f.distance = distance;
    f.passes = 2;
    return f;
}

FilterSpec FilterSpec::Blur(double blurX, double blurY, int passes) {
    FilterSpec f;
    f.kind = Kind::Blur;
    f.blurX = blurX;
    f.blurY = blurY;
    f.passes = passes;
    return f;
}

FilterSpec FilterSpec::Glow(Rgba color, double blur, double strength) {
    FilterSpec f;
    f.kind = Kind::Glow;
    f.color = color;
    f.blurX = f.blurY = blur;
    f.strength = strength;
    f.passes = 2;
    return f;
}

void WriteFilterList(BitWriter& w, const std::vector<FilterSpec>& filters) {
    if (filters.size() > 255) throw std::invalid_argument("more than 255 filters");
    w.WriteU8(static_cast<std::uint8_t>(filters.size()));
    for (const FilterSpec& f : filters) {
        if (f.passes < 1 || f.passes > 31) throw std::invalid_argument("filter passes not 1..31");
        w.WriteU8(static_cast<std::uint8_t>(f.kind));
        switch (f.kind) {
            case FilterSpec::Kind::DropShadow:
                WriteRgba(w, f.color);
                WriteFixed(w, f.blurX), WriteFixed(w, f.blurY);
                WriteFixed(w, f.angle), WriteFixed(w, f.distance);
                WriteFixed8(w, f.strength);
                WriteFlagsAndPasses(w, f);
                break;
            case FilterSpec::Kind::Blur:
                WriteFixed(w, f.blurX), WriteFixed(w, f.blurY);
                w.WriteUB(static_cast<std::uint32_t>(f.passes), 5);
                w.WriteUB(0, 3);
                break;
            case FilterSpec::Kind::Glow:
                WriteRgba(w, f.color);
                WriteFixed(w, f.blurX), WriteFixed(w, f.blurY);
                WriteFixed8(w, f.strength);
                WriteFlagsAndPasses(w, f);
                break;
        }
    }
}

}  // namespace saver::swfwriter
