// RowExtents: for each row of an image, the columns that drawing has touched since the last
// reset, as one span [x0, x1) per row (the hull of every span added to that row). A group's
// layer keeps one, so that blending, copying and clearing the layer read only what was drawn
// instead of the whole rectangle of the group: most of a large layer stays clear.
//
// Failure: none; spans are cut to the image, empty or inverted spans add nothing.
#pragma once

#include <algorithm>
#include <climits>
#include <vector>

namespace saver::swf {

class RowExtents {
  public:
    struct Span {
        int x0 = INT_MAX, x1 = INT_MIN;
        bool empty() const { return x0 >= x1; }
    };

    // Every row of an image `width` x `height` empty.
    void reset(int width, int height) {
        width_ = width;
        rows_.assign(static_cast<std::size_t>(std::max(height, 0)), Span{});
        top_ = static_cast<int>(rows_.size());
        bottom_ = 0;
    }

    void add(int y, int x0, int x1) {
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width_);
        if (y < 0 || y >= static_cast<int>(rows_.size()) || x0 >= x1) return;
        Span& s = rows_[static_cast<std::size_t>(y)];
        s.x0 = std::min(s.x0, x0);
        s.x1 = std::max(s.x1, x1);
        top_ = std::min(top_, y);
        bottom_ = std::max(bottom_, y + 1);
    }

    void addRect(int x0, int y0, int x1, int y1) {
        for (int y = std::max(y0, 0); y < y1 && y < static_cast<int>(rows_.size()); ++y)
            add(y, x0, x1);
    }

    // The rows that may hold a span: [top(), bottom()); empty when top() >= bottom().
    int top() const { return top_; }
    int bottom() const { return bottom_; }
    Span row(int y) const { return rows_[static_cast<std::size_t>(y)]; }

  private:
    std::vector<Span> rows_;
    int width_ = 0;
    int top_ = 0, bottom_ = 0;
};

}  // namespace saver::swf
