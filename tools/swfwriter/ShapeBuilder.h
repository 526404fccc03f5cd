// Builds the outline of one shape (SHAPEWITHSTYLE): fill and line styles, then a path of
// moves, straight and curved edges in absolute twips. The builder turns the path into the
// file's records: style changes, and edges stored as deltas with the fewest bits they need
// (horizontal and vertical lines in their short forms).
//
// Style indices are 1-based as in the file; 0 means "none". Style changes and moves collect
// until the next edge, so setting styles and moving never writes an empty record. A straight
// or curved edge whose delta needs more than 17 signed bits (over 65535 twips) throws
// std::out_of_range; Encode throws std::invalid_argument for a shape the chosen version
// cannot store (see SwfRecords.h, and new style sets before DefineShape2).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "BitWriter.h"
#include "SwfTypes.h"

namespace saver::swfwriter {

class ShapeBuilder {
  public:
    // Adds a style to the current style set and returns its index (1-based).
    std::uint32_t AddFill(const FillStyle& fill);
    std::uint32_t AddLine(const LineStyle& line);
    // Starts a new, empty style set for the edges that follow (StateNewStyles).
    void NewStyles();

    void SetFill0(std::uint32_t index);
    void SetFill1(std::uint32_t index);
    void SetLine(std::uint32_t index);

    void MoveTo(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void CurveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t x, std::int32_t y);

    // Closed outlines drawn clockwise on screen, so their inside lies on the right of the
    // path (the side FillStyle1 paints): a circle of eight quadratic curves, a rectangle with
    // rounded corners (radius 0 gives sharp ones), a polygon through the given points.
    void Circle(std::int32_t cx, std::int32_t cy, std::int32_t radius);
    void RoundedRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                     std::int32_t radius);
    struct Point {
        std::int32_t x = 0, y = 0;
    };
    void Polygon(const std::vector<Point>& points);

    // The area the edges cover, control points included, with and without half the widest
    // line. An empty shape has an empty rectangle at the origin.
    Rect Bounds() const;
    Rect EdgeBounds() const;
    bool HasLines() const;

    // The SHAPEWITHSTYLE record for a shape definition of `version`.
    std::vector<std::uint8_t> Encode(ShapeVersion version) const;
    // The SHAPE record of a font glyph: no style arrays, one fill bit, no line bits; the
    // outline uses fill index 1 only.
    std::vector<std::uint8_t> EncodeGlyph() const;

  private:
    struct StyleSet {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
    };
    struct Record {
        enum class Kind { StyleChange, Straight, Curved } kind = Kind::StyleChange;
        // StyleChange
        std::optional<std::uint32_t> fill0, fill1, line, newStyles;  // newStyles: set index
        bool moveTo = false;
        // MoveTo target (absolute), or edge deltas: control (cx, cy) and anchor (dx, dy)
        std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    };

    void FlushPending();
    void Extend(std::int32_t x, std::int32_t y);
    void WriteStyleChange(BitWriter& w, const Record& r, int& fillBits, int& lineBits,
                          ShapeVersion version) const;
    static void WriteEdge(BitWriter& w, const Record& r);

    std::vector<StyleSet> sets_{1};
    std::vector<Record> records_;
    std::optional<Record> pending_;
    std::int32_t penX_ = 0, penY_ = 0;
    std::optional<Rect> extent_;
};

}  // namespace saver::swfwriter
