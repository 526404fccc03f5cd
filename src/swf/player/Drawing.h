// Drawing: the vector picture a script draws into a movie clip (the clip's graphics), kept as
// an ordinary Shape so the renderer draws it like any shape character, below the clip's
// children.
//
// The pen follows Flash's rules:
//   - the pen starts at (0, 0); moveTo, lineTo and curveTo move it;
//   - a fill collects the edges drawn while it is open and is closed with a straight edge back
//     to where its outline started, at endFill, at the next beginFill and at a moveTo (which
//     starts a new outline of the same fill); the line style in force strokes that edge too;
//   - lines are stroked with the line style in force when they are drawn; lineStyle with no
//     style ends stroking; width 0 is a hairline;
//   - a fill is drawn below the lines drawn while it was open; each fill is a layer of its own
//     (even-odd rule within one fill), in the order the fills were closed.
//
// Coordinates and widths are in twips of the clip's space. Limits keep a script harmless: at
// most kMaxDrawingEdges edges in all; later edges only move the pen.
//
// Failure: none. Degenerate input (zero-length edges, coordinates far out) is kept or clamped,
// never rejected.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

class BitmapSurface;

inline constexpr std::size_t kMaxDrawingEdges = 1 << 20;

class Drawing {
  public:
    void clear();
    void lineStyle(const LineStyle& style);
    void noLineStyle();
    // Gives the current line a fill of its own (lineGradientStyle); ignored without a line.
    void lineFill(const FillStyle& fill);
    void beginFill(const FillStyle& fill);
    // A bitmap fill of a script's surface: the drawing keeps the surface alive until clear().
    void beginBitmapFill(const FillStyle& fill, std::shared_ptr<BitmapSurface> surface);
    void endFill();
    void moveTo(Point to);
    void lineTo(Point to);
    void curveTo(Point control, Point anchor);

    bool empty() const;
    // The picture as a shape: what is drawn so far, open fills closed as endFill would close
    // them (without ending them). The reference stays valid until the next change.
    const Shape& shape() const;
    // The area drawn in the clip's space, line widths included; nullopt when nothing is drawn.
    std::optional<Rect> bounds() const;
    // Appends the picture as one item (nothing when empty).
    void collect(const Matrix& matrix, const ColorTransform& color, ClipRole role,
                 std::vector<RenderItem>& out) const;

  private:
    struct Outline {
        Point start;
        std::vector<ShapeEdge> edges;
    };
    struct Stroke {
        LineStyle style;
        std::vector<Outline> outlines;
    };
    // One layer of the picture: a fill (none for strokes drawn outside any fill) and the
    // strokes drawn while it was open, on top of it.
    struct Layer {
        std::optional<FillStyle> fill;
        std::vector<Outline> outlines;
        std::vector<Stroke> strokes;
    };

    void addEdge(const ShapeEdge& edge);
    void flushStroke();
    void closeFill();
    void build(Shape& out) const;

    std::vector<Layer> layers_;  // finished, in drawing order
    std::optional<Layer> fill_;  // the open fill
    std::optional<Stroke> stroke_;
    Point pen_;
    std::size_t edgeCount_ = 0;
    std::vector<std::shared_ptr<BitmapSurface>> surfaces_;  // what bitmap fills show
    mutable std::optional<Shape> shape_;  // built on demand
};

}  // namespace saver::swf
