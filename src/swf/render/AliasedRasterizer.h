// AliasedRasterizer: scan conversion without anti-aliasing. A pixel belongs to a region when its
// centre lies inside it, the way the player draws at low quality; a centre exactly on an edge
// goes to the region right of or below that edge (the top-left rule), so two regions that share
// an edge never both take, or both leave, a pixel on it. Points are snapped to 1/256 of a pixel
// first, as graphics hardware does, and whether a centre lies on, left or right of an edge is
// then decided exactly.
//
// Edges carry the style on each side (SWF's fill0 / fill1; -1 for none). A style's region is
// where its winding count is odd (even-odd) or non-zero (non-zero rule): crossing an edge that
// has the style on its right adds the edge's direction, on its left subtracts it, so a region
// fills the same whichever way its outline runs. Where several styles' regions overlap, the one
// with the lowest index is painted.
//
// Coordinates are device pixels; rows and columns outside the clip box are never reported.
// Failure: none; non-finite points and horizontal edges add nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace saver::swf {

class AliasedRasterizer {
  public:
    // Forgets every edge; rows [0, height) and columns [0, width) are reported.
    void reset(int width, int height);
    void setNonZero(bool nonZero) { nonZero_ = nonZero; }
    // The styles on the left and right of the edges added next (-1: none).
    void styles(int left, int right);
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    // An edge back to the last moveTo (for closed outlines such as strokes).
    void closePolygon();

    // Calls run(y, x0, x1, style) for every run of pixels [x0, x1) of row y that takes one
    // style, rows top-down, runs left to right. Returns whether any edge was added.
    using RunSink = std::function<void(int y, int x0, int x1, int style)>;
    bool sweep(const RunSink& run);

  private:
    struct Edge {
        std::int64_t x0, y0, dx, dy;  // in 1/256 pixel, dy > 0
        double slope;                 // dx / dy
        int firstRow, lastRow;
        int left, right, direction;
    };
    struct Crossing {
        int column;  // the first pixel whose centre lies at or right of the edge
        int left, right, direction;
    };

    void addEdge(double x0, double y0, double x1, double y1);
    int columnAt(const Edge& edge, int row) const;
    void cross(const Crossing& c);
    int active() const;

    int width_ = 0, height_ = 0;
    bool nonZero_ = false;
    int left_ = -1, right_ = -1;
    double penX_ = 0, penY_ = 0, startX_ = 0, startY_ = 0;
    std::vector<Edge> edges_;
    std::vector<std::uint32_t> order_;  // edges by first row
    std::vector<std::uint32_t> live_;   // edges crossing the current row
    std::vector<Crossing> crossings_;
    std::vector<int> winding_;  // per style
    std::vector<int> inside_;   // styles whose region the sweep is in
};

}  // namespace saver::swf
