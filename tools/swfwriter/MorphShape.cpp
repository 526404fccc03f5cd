// The edges are written as font glyph SHAPEs (one fill bit, no line bits, fill 1 on the right
// of the path): the start edges carry the one morph fill, and the end edges repeat the same
// records with other coordinates, which is what a morph shape's end SHAPE must be.
#include "MorphShape.h"

#include <stdexcept>

#include "SwfRecords.h"

namespace saver::swfwriter {
namespace {

ShapeBuilder Outline(const std::vector<ShapeBuilder::Point>& points) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({0, 0, 0})));
    s.Polygon(points);
    return s;
}

void WriteRgba(BitWriter& w, Rgba c) {
    w.WriteU8(c.r), w.WriteU8(c.g), w.WriteU8(c.b), w.WriteU8(c.a);
}

}  // namespace

std::vector<std::uint8_t> MorphShape::Encode(std::uint16_t id) const {
    if (start.size() != end.size() || start.size() < 3)
        throw std::invalid_argument("morph outlines need the same corner count, at least 3");
    const ShapeBuilder from = Outline(start), to = Outline(end);
    const std::vector<std::uint8_t> startEdges = from.EncodeGlyph();
    const std::vector<std::uint8_t> endEdges = to.EncodeGlyph();

    BitWriter styles;   // what lies between the offset field and the end edges
    styles.WriteU8(1);  // one morph fill style: solid
    styles.WriteU8(0x00);
    WriteRgba(styles, startColor);
    WriteRgba(styles, endColor);
    styles.WriteU8(0);  // no line styles
    styles.WriteBytes(startEdges);
    const std::vector<std::uint8_t> middle = styles.Bytes();

    BitWriter w;
    w.WriteU16(id);
    WriteRect(w, from.Bounds());
    WriteRect(w, to.Bounds());
    w.WriteU32(static_cast<std::uint32_t>(middle.size()));
    w.WriteBytes(middle);
    w.WriteBytes(endEdges);
    return w.Bytes();
}

}  // namespace saver::swfwriter
