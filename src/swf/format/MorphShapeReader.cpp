// Morph style records hold the start and the end value of every field side by side, so each
// one is read into two plain styles at once; the edge records are ordinary SHAPE records and
// go through the shape reader. All colours of a morph shape are RGBA.
#include "swf/format/MorphShapeReader.h"

#include <algorithm>

#include "swf/format/ShapeReader.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

std::size_t ReadCount(SwfBitReader& in) {
    std::size_t count = in.u8();
    if (count == 0xFF) count = in.u16();
    if (count > in.remaining()) throw SwfError("style count beyond the tag");
    return count;
}

CapStyle Cap(std::uint32_t raw) {
    return raw <= 2 ? static_cast<CapStyle>(raw) : CapStyle::Round;
}

JoinStyle Join(std::uint32_t raw) {
    return raw <= 2 ? static_cast<JoinStyle>(raw) : JoinStyle::Round;
}

void SetBounds(Shape& shape, const Rect& bounds, const Rect& edgeBounds) {
    shape.version = 3;
    shape.bounds = bounds;
    shape.edgeBounds = edgeBounds;
}

}  // namespace

MorphShapeReader::MorphShapeReader(SwfBitReader& body, int version, DecodeBudget& budget)
    : in_(body), version_(version), budget_(budget) {}

MorphShape MorphShapeReader::read() {
    morph_.id = in_.u16();
    morph_.version = static_cast<std::uint8_t>(version_);
    morph_.start.id = morph_.end.id = morph_.id;
    const Rect startBounds = ReadRect(in_);
    const Rect endBounds = ReadRect(in_);
    Rect startEdges = startBounds, endEdges = endBounds;
    if (version_ >= 2) {
        startEdges = ReadRect(in_);
        endEdges = ReadRect(in_);
        in_.u8();  // reserved, UsesNonScalingStrokes, UsesScalingStrokes
    }
    SetBounds(morph_.start, startBounds, startEdges);
    SetBounds(morph_.end, endBounds, endEdges);
    const std::size_t offset = in_.u32();
    const std::size_t endEdgesAt = in_.position() + offset;
    readFillStyles();
    readLineStyles();
    readEdges(endEdgesAt);
    return std::move(morph_);
}

void MorphShapeReader::readFillStyles() {
    const std::size_t count = ReadCount(in_);
    budget_.charge(2 * count * sizeof(FillStyle));
    morph_.start.fills.resize(count);
    morph_.end.fills.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        readFillStyle(morph_.start.fills[i], morph_.end.fills[i]);
}

void MorphShapeReader::readFillStyle(FillStyle& start, FillStyle& end) {
    const std::uint8_t type = in_.u8();
    switch (type) {
        case 0x00:
            start.color = ReadRgba(in_);
            end.color = ReadRgba(in_);
            break;
        case 0x10:
        case 0x12:
        case 0x13:
            start.matrix = ReadMatrix(in_);
            end.matrix = ReadMatrix(in_);
            readGradient(start, end, type == 0x13);
            break;
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            start.bitmapId = end.bitmapId = in_.u16();
            start.matrix = ReadMatrix(in_);
            end.matrix = ReadMatrix(in_);
            break;
        default:
            throw SwfError("unknown fill style type");
    }
    start.type = end.type = static_cast<FillType>(type);
}

// MORPHGRADIENT: the count byte carries spread and interpolation modes in its high bits as in
// GRADIENT; then a start and an end record per stop. A focal gradient adds both focal points.
void MorphShapeReader::readGradient(FillStyle& start, FillStyle& end, bool focal) {
    const std::uint8_t flags = in_.u8();
    const unsigned spread = flags >> 6, interpolation = (flags >> 4) & 3, count = flags & 15;
    if (count == 0) throw SwfError("gradient without stops");
    for (FillStyle* fill : {&start, &end}) {
        fill->gradient.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
        fill->gradient.interpolation =
            interpolation == 1 ? InterpolationMode::Linear : InterpolationMode::Normal;
        fill->gradient.stops.reserve(count);
    }
    budget_.charge(2 * count * sizeof(GradientStop));
    for (unsigned i = 0; i < count; ++i) {
        for (FillStyle* fill : {&start, &end}) {
            GradientStop stop;
            stop.ratio = in_.u8();
            stop.color = ReadRgba(in_);
            fill->gradient.stops.push_back(stop);
        }
    }
    if (!focal) return;
    for (FillStyle* fill : {&start, &end}) {
        const auto raw = static_cast<std::int16_t>(in_.u16());
        fill->gradient.focalPoint = std::clamp(raw / 256.0, -1.0, 1.0);
    }
}

void MorphShapeReader::readLineStyles() {
    const std::size_t count = ReadCount(in_);
    budget_.charge(2 * count * sizeof(LineStyle));
    morph_.start.lines.resize(count);
    morph_.end.lines.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        LineStyle& start = morph_.start.lines[i];
        LineStyle& end = morph_.end.lines[i];
        start.width = in_.u16();
        end.width = in_.u16();
        if (version_ < 2) {
            start.color = ReadRgba(in_);
            end.color = ReadRgba(in_);
            continue;
        }
        start.startCap = Cap(in_.ub(2));
        start.join = Join(in_.ub(2));
        const bool hasFill = in_.flag();
        start.noHScale = in_.flag();
        start.noVScale = in_.flag();
        start.pixelHinting = in_.flag();
        in_.ub(5);  // reserved
        start.noClose = in_.flag();
        start.endCap = Cap(in_.ub(2));
        if (start.join == JoinStyle::Miter) start.miterLimit = in_.u16() / 256.0;
        const std::uint16_t endWidth = end.width;
        end = start;
        end.width = endWidth;
        if (!hasFill) {
            start.color = ReadRgba(in_);
            end.color = ReadRgba(in_);
            continue;
        }
        start.fill.emplace();
        end.fill.emplace();
        readFillStyle(*start.fill, *end.fill);
        if (start.fill->type == FillType::Solid) {
            start.color = start.fill->color;
            end.color = end.fill->color;
        }
    }
}

// Version 1 for the records: a morph shape has no NewStyles records.
void MorphShapeReader::readEdges(std::size_t endEdgesAt) {
    ShapeReader(in_, 1, budget_).readRecordsInto(morph_.start);
    in_.align();
    const std::size_t here = in_.position();
    if (endEdgesAt > here && endEdgesAt - here < in_.remaining()) in_.skip(endEdgesAt - here);
    ShapeReader(in_, 1, budget_).readRecordsInto(morph_.end);
}

}  // namespace saver::swf
