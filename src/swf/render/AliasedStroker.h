// AliasedStroker: the outline of a line drawn without anti-aliasing, as a set of convex pieces
// handed to an AliasedRasterizer (non-zero rule, all pieces wound the same way, so their union
// is painted): a quadrilateral per straight piece of the line, a wedge at every corner and the
// caps at open ends. The pieces follow the way low-quality lines are seen in the reference
// pictures: a point inside a flattened curve gets a plain miter corner, a point where two edges
// meet the line's own join; round joins and caps are polygons of 2^k sides per quarter turn,
// fine enough to keep within `tolerance` of the circle; a miter beyond its limit is cut off
// square; points closer than a few hundredths of a pixel to the one before are dropped.
//
// Contours are built with begin / lineTo / end, in any units; stroke() maps the pieces through
// a matrix to pixels. Failure: none; a contour that collapses to one point draws a round or
// square dot by its start cap (nothing for no cap); non-finite points add nothing visible.
#pragma once

#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/format/SwfTypes.h"

namespace saver::swf {

class AliasedRasterizer;

class AliasedStroker {
  public:
    struct Style {
        double halfWidth = 0.5;
        CapStyle startCap = CapStyle::Round, endCap = CapStyle::Round;
        JoinStyle join = JoinStyle::Round;
        double miterLimit = 3;
        double tolerance = 0.1;  // of round joins and caps, in the contour's units
    };

    void clear();
    void begin(double x, double y);
    // `inCurve`: the point lies inside a flattened curve rather than at the end of an edge.
    void lineTo(double x, double y, bool inCurve);
    // Ends the contour; `closed` joins its end to its start instead of capping both.
    void end(bool closed);

    // Adds the pieces of every contour, mapped by `toPixels`, to `raster` (whose styles the
    // caller has set).
    void stroke(const Style& style, const Matrix& toPixels, AliasedRasterizer& raster);

  private:
    struct Vertex {
        double x, y;
        bool inCurve;
    };
    struct Contour {
        std::size_t first, count;
        bool closed;
    };

    void strokeContour(const Contour& c);
    // Where the pieces on either side of a corner meet: on the inside at one point (the inner
    // miter point) unless the corner folds back over its neighbours; on the outside at the
    // miter point of a mitered corner, else at the two offset points with a wedge between.
    struct Corner {
        bool joined = false;
        double side = 1;  // the outside, as the sign of the left normal of the way in
        bool outerSingle = false, innerSingle = false;
        double outerX = 0, outerY = 0, innerX = 0, innerY = 0;
    };
    Corner addJoin(const Vertex& prev, const Vertex& at, const Vertex& next);
    void addSegment(const Vertex& p, const Corner& cp, const Vertex& q, const Corner& cq);
    void addCap(const Vertex& end, double dx, double dy, CapStyle cap);
    void addArc(double cx, double cy, double a0, double a1, int subdivisions);
    void addDot(const Vertex& at);
    void emit();  // the piece in points_, wound positively
    int arcSubdivisions(double angle) const;

    std::vector<Vertex> vertices_;
    std::vector<Contour> contours_;
    std::vector<double> points_;  // x, y pairs of the piece being built
    Style style_;
    Matrix m_;
    AliasedRasterizer* raster_ = nullptr;
    bool open_ = false;
};

}  // namespace saver::swf
