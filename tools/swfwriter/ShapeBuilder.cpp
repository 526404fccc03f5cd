#include "ShapeBuilder.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <stdexcept>

#include "SwfRecords.h"

namespace saver::swfwriter {
namespace {

// Edge deltas are stored in NumBits + 2 bits with NumBits in UB[4]: at most 17 bits.
constexpr int kMaxEdgeBits = 17;

int EdgeBits(std::initializer_list<std::int32_t> deltas) {
    int bits = 2;
    for (const std::int32_t d : deltas) bits = std::max(bits, BitWriter::SignedBits(d));
    if (bits > kMaxEdgeBits) throw std::out_of_range("edge longer than 65535 twips");
    return bits;
}

std::int32_t Round(double v) {
    return static_cast<std::int32_t>(std::lround(v));
}

void CheckIndex(std::uint32_t index, std::size_t count, const char* what) {
    if (index > count) throw std::invalid_argument(what);
}

}  // namespace

std::uint32_t ShapeBuilder::AddFill(const FillStyle& fill) {
    sets_.back().fills.push_back(fill);
    return static_cast<std::uint32_t>(sets_.back().fills.size());
}

std::uint32_t ShapeBuilder::AddLine(const LineStyle& line) {
    sets_.back().lines.push_back(line);
    return static_cast<std::uint32_t>(sets_.back().lines.size());
}

void ShapeBuilder::NewStyles() {
    // The new set travels in a record of its own: a record that also picked styles would
    // leave readers to guess whether the indices mean the old set or the new one.
    FlushPending();
    sets_.emplace_back();
    pending_ = Record{};
    pending_->newStyles = static_cast<std::uint32_t>(sets_.size() - 1);
    FlushPending();
}

void ShapeBuilder::SetFill0(std::uint32_t index) {
    CheckIndex(index, sets_.back().fills.size(), "fill style index out of range");
    if (!pending_) pending_ = Record{};
    pending_->fill0 = index;
}

void ShapeBuilder::SetFill1(std::uint32_t index) {
    CheckIndex(index, sets_.back().fills.size(), "fill style index out of range");
    if (!pending_) pending_ = Record{};
    pending_->fill1 = index;
}

void ShapeBuilder::SetLine(std::uint32_t index) {
    CheckIndex(index, sets_.back().lines.size(), "line style index out of range");
    if (!pending_) pending_ = Record{};
    pending_->line = index;
}

void ShapeBuilder::MoveTo(std::int32_t x, std::int32_t y) {
    if (!pending_) pending_ = Record{};
    pending_->moveTo = true;
    pending_->x = x;
    pending_->y = y;
    penX_ = x;
    penY_ = y;
}

void ShapeBuilder::LineTo(std::int32_t x, std::int32_t y) {
    const std::int32_t dx = x - penX_, dy = y - penY_;
    if (dx == 0 && dy == 0) return;  // a zero-length edge draws nothing
    EdgeBits({dx, dy});
    FlushPending();
    Record r;
    r.kind = Record::Kind::Straight;
    r.x = dx;
    r.y = dy;
    records_.push_back(r);
    Extend(penX_, penY_);
    Extend(x, y);
    penX_ = x;
    penY_ = y;
}

void ShapeBuilder::CurveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t x,
                           std::int32_t y) {
    Record r;
    r.kind = Record::Kind::Curved;
    r.cx = controlX - penX_;
    r.cy = controlY - penY_;
    r.x = x - controlX;
    r.y = y - controlY;
    EdgeBits({r.cx, r.cy, r.x, r.y});
    FlushPending();
    records_.push_back(r);
    Extend(penX_, penY_);
    Extend(controlX, controlY);
    Extend(x, y);
    penX_ = x;
    penY_ = y;
}

void ShapeBuilder::Circle(std::int32_t cx, std::int32_t cy, std::int32_t radius) {
    // Eight 45-degree arcs; each control point lies where the tangents at the two anchors
    // meet, at radius / cos(22.5 degrees).
    constexpr double kStep = std::numbers::pi / 4;
    const double controlRadius = radius / std::cos(kStep / 2);
    MoveTo(cx + radius, cy);
    for (int k = 1; k <= 8; ++k) {
        const double mid = (k - 0.5) * kStep, end = k * kStep;
        CurveTo(cx + Round(controlRadius * std::cos(mid)),
                cy + Round(controlRadius * std::sin(mid)), cx + Round(radius * std::cos(end)),
                cy + Round(radius * std::sin(end)));
    }
}

void ShapeBuilder::RoundedRect(std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, std::int32_t radius) {
    const std::int32_t r = std::clamp(radius, 0, std::min(width, height) / 2);
    const std::int32_t right = x + width, bottom = y + height;
    MoveTo(x + r, y);
    LineTo(right - r, y);
    if (r > 0) CurveTo(right, y, right, y + r);
    LineTo(right, bottom - r);
    if (r > 0) CurveTo(right, bottom, right - r, bottom);
    LineTo(x + r, bottom);
    if (r > 0) CurveTo(x, bottom, x, bottom - r);
    LineTo(x, y + r);
    if (r > 0) CurveTo(x, y, x + r, y);
}

void ShapeBuilder::Polygon(const std::vector<Point>& points) {
    if (points.empty()) return;
    MoveTo(points.front().x, points.front().y);
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].x, points[i].y);
    LineTo(points.front().x, points.front().y);
}

Rect ShapeBuilder::EdgeBounds() const {
    return extent_.value_or(Rect{});
}

Rect ShapeBuilder::Bounds() const {
    Rect r = EdgeBounds();
    std::uint16_t widest = 0;
    for (const StyleSet& set : sets_)
        for (const LineStyle& line : set.lines) widest = std::max(widest, line.width);
    const std::int32_t half = (widest + 1) / 2;
    return {r.xMin - half, r.xMax + half, r.yMin - half, r.yMax + half};
}

bool ShapeBuilder::HasLines() const {
    return std::any_of(sets_.begin(), sets_.end(),
                       [](const StyleSet& s) { return !s.lines.empty(); });
}

std::vector<std::uint8_t> ShapeBuilder::Encode(ShapeVersion version) const {
    if (version == ShapeVersion::Shape1 && sets_.size() > 1)
        throw std::invalid_argument("new style sets need DefineShape2 or later");
    BitWriter w;
    WriteFillStyles(w, sets_.front().fills, version);
    WriteLineStyles(w, sets_.front().lines, version);
    int fillBits = BitWriter::UnsignedBits(static_cast<std::uint32_t>(sets_.front().fills.size()));
    int lineBits = BitWriter::UnsignedBits(static_cast<std::uint32_t>(sets_.front().lines.size()));
    w.WriteUB(static_cast<std::uint32_t>(fillBits), 4);
    w.WriteUB(static_cast<std::uint32_t>(lineBits), 4);
    for (const Record& r : records_) {
        if (r.kind == Record::Kind::StyleChange)
            WriteStyleChange(w, r, fillBits, lineBits, version);
        else
            WriteEdge(w, r);
    }
    w.WriteUB(0, 6);  // EndShapeRecord: TypeFlag 0, EndOfShape 0
    w.Align();
    return w.Bytes();
}

std::vector<std::uint8_t> ShapeBuilder::EncodeGlyph() const {
    BitWriter w;
    int fillBits = 1, lineBits = 0;
    w.WriteUB(1, 4);
    w.WriteUB(0, 4);
    for (const Record& r : records_) {
        if (r.kind == Record::Kind::StyleChange)
            WriteStyleChange(w, r, fillBits, lineBits, ShapeVersion::Shape1);
        else
            WriteEdge(w, r);
    }
    w.WriteUB(0, 6);
    w.Align();
    return w.Bytes();
}

void ShapeBuilder::FlushPending() {
    if (!pending_) return;
    records_.push_back(*pending_);
    pending_.reset();
}

void ShapeBuilder::Extend(std::int32_t x, std::int32_t y) {
    if (!extent_) {
        extent_ = Rect{x, x, y, y};
        return;
    }
    extent_->xMin = std::min(extent_->xMin, x);
    extent_->xMax = std::max(extent_->xMax, x);
    extent_->yMin = std::min(extent_->yMin, y);
    extent_->yMax = std::max(extent_->yMax, y);
}

void ShapeBuilder::WriteStyleChange(BitWriter& w, const Record& r, int& fillBits, int& lineBits,
                                    ShapeVersion version) const {
    w.WriteUB(0, 1);  // TypeFlag: not an edge
    w.WriteFlag(r.newStyles.has_value());
    w.WriteFlag(r.line.has_value());
    w.WriteFlag(r.fill1.has_value());
    w.WriteFlag(r.fill0.has_value());
    w.WriteFlag(r.moveTo);
    if (r.moveTo) {
        const int bits = std::max(BitWriter::SignedBits(r.x), BitWriter::SignedBits(r.y));
        w.WriteUB(static_cast<std::uint32_t>(bits), 5);
        w.WriteSB(r.x, bits);
        w.WriteSB(r.y, bits);
    }
    if (r.fill0) w.WriteUB(*r.fill0, fillBits);
    if (r.fill1) w.WriteUB(*r.fill1, fillBits);
    if (r.line) w.WriteUB(*r.line, lineBits);
    if (r.newStyles) {
        const StyleSet& set = sets_[*r.newStyles];
        WriteFillStyles(w, set.fills, version);
        WriteLineStyles(w, set.lines, version);
        fillBits = BitWriter::UnsignedBits(static_cast<std::uint32_t>(set.fills.size()));
        lineBits = BitWriter::UnsignedBits(static_cast<std::uint32_t>(set.lines.size()));
        w.WriteUB(static_cast<std::uint32_t>(fillBits), 4);
        w.WriteUB(static_cast<std::uint32_t>(lineBits), 4);
    }
}

void ShapeBuilder::WriteEdge(BitWriter& w, const Record& r) {
    w.WriteUB(1, 1);  // TypeFlag: edge
    if (r.kind == Record::Kind::Curved) {
        const int bits = EdgeBits({r.cx, r.cy, r.x, r.y});
        w.WriteUB(0, 1);  // StraightFlag
        w.WriteUB(static_cast<std::uint32_t>(bits - 2), 4);
        for (const std::int32_t d : {r.cx, r.cy, r.x, r.y}) w.WriteSB(d, bits);
        return;
    }
    const int bits = EdgeBits({r.x, r.y});
    w.WriteUB(1, 1);  // StraightFlag
    w.WriteUB(static_cast<std::uint32_t>(bits - 2), 4);
    const bool general = r.x != 0 && r.y != 0;
    w.WriteFlag(general);
    if (general) {
        w.WriteSB(r.x, bits);
        w.WriteSB(r.y, bits);
        return;
    }
    const bool vertical = r.x == 0;
    w.WriteFlag(vertical);
    w.WriteSB(vertical ? r.y : r.x, bits);
}

}  // namespace saver::swfwriter
