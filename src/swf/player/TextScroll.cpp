// A line's height is its ascent and descent plus its leading; a line counts as shown when it
// ends inside the view, its leading left out, as the player counts it.
#include "swf/player/TextScroll.h"

#include <algorithm>
#include <cmath>

namespace saver::swf {

namespace {

constexpr double kGutter = 40;  // twips

double ViewHeight(const EditTextLayout& layout) {
    return std::max(0.0, layout.bounds.height() - 2 * kGutter);
}

double LineHeight(const LineMetrics& m) {
    return m.ascent + m.descent + m.leading;
}

}  // namespace

int MaxScroll(const EditTextLayout& layout) {
    const double view = ViewHeight(layout);
    const auto& lines = layout.lines;
    int top = 1;
    double used = 0;
    for (std::size_t i = lines.size(); i-- > 0;) {
        const bool last = i + 1 == lines.size();
        const double add = lines[i].ascent + lines[i].descent + (last ? 0 : lines[i].leading);
        if (!last && used + add > view) break;  // the last line is a top line in any case
        used += add;
        top = static_cast<int>(i) + 1;
    }
    return top;
}

int BottomScroll(const EditTextLayout& layout, int scroll) {
    const double view = ViewHeight(layout);
    const auto& lines = layout.lines;
    int bottom = scroll;
    double used = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(scroll, 1) - 1); i < lines.size(); ++i) {
        used += lines[i].ascent + lines[i].descent;
        if (used > view) break;
        bottom = static_cast<int>(i) + 1;
        used += lines[i].leading;
    }
    return bottom;
}

double MaxHScroll(const EditTextLayout& layout) {
    const double view = std::max(0.0, layout.bounds.width() - 2 * kGutter);
    return std::max(0.0, std::round(layout.textWidth - view));
}

double ScrollOffset(const EditTextLayout& layout, int scroll) {
    double offset = 0;
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(scroll) && i < layout.lines.size();
         ++i)
        offset += LineHeight(layout.lines[i]);
    return offset;
}

}  // namespace saver::swf
