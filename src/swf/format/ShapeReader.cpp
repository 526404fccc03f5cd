// Style tables and shape records of the SWF shape tags. Counts are checked against the bytes
// left before anything is reserved: each fill or line style takes at least one byte, so a
// count larger than what remains cannot be real. Edges are accumulated in 64 bits and
// checked so that long runs of deltas cannot overflow.
#include "swf/format/ShapeReader.h"

#include <algorithm>
#include <limits>

#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

CapStyle capStyle(std::uint32_t raw) {
    return raw <= 2 ? static_cast<CapStyle>(raw) : CapStyle::Round;
}

JoinStyle joinStyle(std::uint32_t raw) {
    return raw <= 2 ? static_cast<JoinStyle>(raw) : JoinStyle::Round;
}

// Extended counts (0xFF followed by a UI16) exist from DefineShape2 on.
std::size_t readCount(SwfBitReader& in, int version) {
    std::size_t count = in.u8();
    if (count == 0xFF && version >= 2) count = in.u16();
    if (count > in.remaining()) throw SwfError("style count beyond the tag");
    return count;
}

}  // namespace

ShapeReader::ShapeReader(SwfBitReader& body, int version, DecodeBudget& budget)
    : in_(body), version_(version), budget_(budget) {}

Shape ShapeReader::read() {
    shape_.id = in_.u16();
    shape_.version = static_cast<std::uint8_t>(version_);
    shape_.bounds = ReadRect(in_);
    shape_.edgeBounds = shape_.bounds;
    if (version_ >= 4) {
        shape_.edgeBounds = ReadRect(in_);
        // Reserved (5 bits), UsesFillWindingRule, UsesNonScalingStrokes, UsesScalingStrokes.
        shape_.nonZeroWinding = (in_.u8() & 0x04) != 0;
    }
    readFillStyles();
    readLineStyles();
    readRecords();
    return std::move(shape_);
}

void ShapeReader::readRecordsInto(Shape& shape) {
    shape_ = std::move(shape);
    fillOffset_ = lineOffset_ = 0;
    x_ = y_ = 0;
    readRecords();
    shape = std::move(shape_);
}

Shape ShapeReader::readGlyph() {
    glyph_ = true;
    shape_.version = static_cast<std::uint8_t>(version_);
    shape_.fills.emplace_back();  // solid; the text's colour replaces it when drawn
    readRecords();
    return std::move(shape_);
}

Rgba ShapeReader::readColor() {
    return version_ >= 3 ? ReadRgba(in_) : ReadRgb(in_);
}

void ShapeReader::readFillStyles() {
    fillOffset_ = static_cast<std::uint32_t>(shape_.fills.size());
    const std::size_t count = readCount(in_, version_);
    budget_.charge(count * sizeof(FillStyle));
    shape_.fills.reserve(shape_.fills.size() + count);
    for (std::size_t i = 0; i < count; ++i) shape_.fills.push_back(readFillStyle());
}

FillStyle ShapeReader::readFillStyle() {
    FillStyle fill;
    const std::uint8_t type = in_.u8();
    switch (type) {
        case 0x00:
            fill.color = readColor();
            break;
        case 0x10:
        case 0x12:
        case 0x13:
            if (type == 0x13 && version_ < 4) throw SwfError("focal gradient before DefineShape4");
            fill.matrix = ReadMatrix(in_);
            fill.gradient = readGradient(type == 0x13);
            break;
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            fill.bitmapId = in_.u16();
            fill.matrix = ReadMatrix(in_);
            break;
        default:
            throw SwfError("unknown fill style type");
    }
    fill.type = static_cast<FillType>(type);
    return fill;
}

Gradient ShapeReader::readGradient(bool focal) {
    Gradient g;
    in_.align();
    const std::uint32_t spread = in_.ub(2);
    const std::uint32_t interpolation = in_.ub(2);
    const std::uint32_t count = in_.ub(4);
    // Reserved values (spread 3, interpolation 2 and 3) fall back to the defaults.
    g.spread = spread <= 2 ? static_cast<SpreadMode>(spread) : SpreadMode::Pad;
    g.interpolation = interpolation == 1 ? InterpolationMode::Linear : InterpolationMode::Normal;
    if (count == 0) throw SwfError("gradient without stops");
    budget_.charge(count * sizeof(GradientStop));
    g.stops.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = in_.u8();
        stop.color = readColor();
        g.stops.push_back(stop);
    }
    if (focal) {
        const auto raw = static_cast<std::int16_t>(in_.u16());
        g.focalPoint = std::clamp(raw / 256.0, -1.0, 1.0);
    }
    return g;
}

void ShapeReader::readLineStyles() {
    lineOffset_ = static_cast<std::uint32_t>(shape_.lines.size());
    const std::size_t count = readCount(in_, version_);
    budget_.charge(count * sizeof(LineStyle));
    shape_.lines.reserve(shape_.lines.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        LineStyle line;
        line.width = in_.u16();
        if (version_ < 4) {
            line.color = readColor();
            shape_.lines.push_back(std::move(line));
            continue;
        }
        line.startCap = capStyle(in_.ub(2));
        line.join = joinStyle(in_.ub(2));
        const bool hasFill = in_.flag();
        line.noHScale = in_.flag();
        line.noVScale = in_.flag();
        line.pixelHinting = in_.flag();
        in_.ub(5);  // reserved
        line.noClose = in_.flag();
        line.endCap = capStyle(in_.ub(2));
        if (line.join == JoinStyle::Miter) line.miterLimit = in_.u16() / 256.0;
        if (hasFill) {
            line.fill = readFillStyle();
            if (line.fill->type == FillType::Solid) line.color = line.fill->color;
        } else {
            line.color = ReadRgba(in_);
        }
        shape_.lines.push_back(std::move(line));
    }
}

void ShapeReader::readRecords() {
    in_.align();
    fillBits_ = in_.ub(4);
    lineBits_ = in_.ub(4);
    startPath();
    for (;;) {
        if (in_.flag()) {
            readEdge();
            continue;
        }
        const unsigned flags = in_.ub(5);
        if (flags == 0) break;  // EndShapeRecord
        readStyleChange(flags);
    }
    flushPath();
}

void ShapeReader::startPath() {
    path_.start = {x_, y_};
    path_.edges.clear();
}

void ShapeReader::flushPath() {
    if (!path_.edges.empty()) {
        budget_.charge(sizeof(ShapePath));
        shape_.paths.push_back(std::move(path_));
    }
    path_.edges.clear();
}

std::uint32_t ShapeReader::styleIndex(std::uint32_t raw, std::uint32_t offset,
                                      std::size_t count) const {
    if (raw == 0) return 0;
    if (offset + static_cast<std::size_t>(raw) > count) throw SwfError("style index out of range");
    return offset + raw;
}

std::int32_t ShapeReader::checked(std::int64_t coordinate) const {
    if (coordinate < std::numeric_limits<std::int32_t>::min() ||
        coordinate > std::numeric_limits<std::int32_t>::max())
        throw SwfError("shape coordinate out of range");
    return static_cast<std::int32_t>(coordinate);
}

// flags, from the high bit: NewStyles, LineStyle, FillStyle1, FillStyle0, MoveTo.
void ShapeReader::readStyleChange(unsigned flags) {
    flushPath();
    if (flags & 0x01) {
        const unsigned bits = in_.ub(5);
        x_ = in_.sb(bits);
        y_ = in_.sb(bits);
    }
    const std::uint32_t raw0 = (flags & 0x02) ? in_.ub(fillBits_) : 0;
    const std::uint32_t raw1 = (flags & 0x04) ? in_.ub(fillBits_) : 0;
    const std::uint32_t rawLine = (flags & 0x08) ? in_.ub(lineBits_) : 0;
    if ((flags & 0x10) && version_ >= 2) {
        // A new layer: its paths are the ones read from here on. The indexes of this same
        // record already select from the new tables.
        budget_.charge(sizeof(std::uint32_t));
        shape_.layerStarts.push_back(static_cast<std::uint32_t>(shape_.paths.size()));
        readFillStyles();
        readLineStyles();
        in_.align();
        fillBits_ = in_.ub(4);
        lineBits_ = in_.ub(4);
    }
    if (glyph_) {  // glyph outlines may name any fill index; all mean the glyph's fill
        if (flags & 0x02) path_.fill0 = raw0 != 0 ? 1 : 0;
        if (flags & 0x04) path_.fill1 = raw1 != 0 ? 1 : 0;
        startPath();
        return;
    }
    const std::size_t fills = shape_.fills.size(), lines = shape_.lines.size();
    if (flags & 0x02) path_.fill0 = styleIndex(raw0, fillOffset_, fills);
    if (flags & 0x04) path_.fill1 = styleIndex(raw1, fillOffset_, fills);
    if (flags & 0x08) path_.line = styleIndex(rawLine, lineOffset_, lines);
    startPath();
}

void ShapeReader::readEdge() {
    const bool straight = in_.flag();
    const unsigned bits = in_.ub(4) + 2;
    ShapeEdge edge;
    if (straight) {
        std::int64_t dx = 0, dy = 0;
        if (in_.flag()) {
            dx = in_.sb(bits);
            dy = in_.sb(bits);
        } else if (in_.flag()) {
            dy = in_.sb(bits);
        } else {
            dx = in_.sb(bits);
        }
        edge.anchor = {checked(x_ + dx), checked(y_ + dy)};
    } else {
        const std::int64_t cx = in_.sb(bits), cy = in_.sb(bits);
        const std::int64_t ax = in_.sb(bits), ay = in_.sb(bits);
        edge.curved = true;
        edge.control = {checked(x_ + cx), checked(y_ + cy)};
        edge.anchor = {checked(edge.control.x + ax), checked(edge.control.y + ay)};
    }
    x_ = edge.anchor.x;
    y_ = edge.anchor.y;
    budget_.charge(sizeof(ShapeEdge));
    path_.edges.push_back(edge);
}

}  // namespace saver::swf
