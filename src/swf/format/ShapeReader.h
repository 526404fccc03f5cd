// ShapeReader: decodes the body of a DefineShape, DefineShape2, DefineShape3 or DefineShape4
// tag into a Shape: the style tables (solid, gradient and bitmap fills; LINESTYLE and
// LINESTYLE2) and the shape records as paths in absolute twips.
//
// A new path starts at every style-change record (and is dropped if no edge follows); style
// tables of NewStyles records are appended to the shape's tables and the indexes selected
// from then on are offset, so every path refers to one flat table (1-based, 0 = none). Each
// NewStyles record also starts a layer at the next path's index (Shape::layerStarts).
//
// Failure: SwfError for a record running past the tag, an unknown fill type, a gradient
// without stops, a style index beyond its table or coordinates beyond 32 bits; the budget's
// SwfError when the shape outgrows it.
#pragma once

#include <cstdint>

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

class ShapeReader {
  public:
    // `body` holds the tag body; `version` is 1..4 for DefineShape..DefineShape4; every style,
    // path and edge kept is charged to `budget`.
    ShapeReader(SwfBitReader& body, int version, DecodeBudget& budget);

    Shape read();
    // Reads only a SHAPE record list (as morph shapes hold it: bit counts, then records) into
    // the paths of `shape`, whose style tables are already filled; indexes are checked
    // against them. Failure as for read().
    void readRecordsInto(Shape& shape);
    // Reads a bare SHAPE (a font glyph): no id, bounds or style tables; every fill index
    // selects the one implied solid fill and line styles are ignored. `version` should be 1.
    Shape readGlyph();

  private:
    void readFillStyles();
    void readLineStyles();
    FillStyle readFillStyle();
    Gradient readGradient(bool focal);
    Rgba readColor();
    void readRecords();
    void readStyleChange(unsigned flags);
    void readEdge();
    void startPath();
    void flushPath();
    std::uint32_t styleIndex(std::uint32_t raw, std::uint32_t offset, std::size_t count) const;
    std::int32_t checked(std::int64_t coordinate) const;

    SwfBitReader& in_;
    int version_;
    DecodeBudget& budget_;
    Shape shape_;
    unsigned fillBits_ = 0, lineBits_ = 0;
    std::uint32_t fillOffset_ = 0, lineOffset_ = 0;  // table sizes before the current tables
    std::int32_t x_ = 0, y_ = 0;
    ShapePath path_;
    bool glyph_ = false;
};

}  // namespace saver::swf
