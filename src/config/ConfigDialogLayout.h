// Where every control of the settings dialog sits, in pixels at 96 DPI.
//
// The dialog is laid out in pixels rather than dialog units so that its client area is exactly
// 503 x 350 at 96 DPI whatever the dialog font measures; the Win32 form scales every box with
// ScaleForDpi for the monitor it is on. Page controls are placed relative to the page's own
// origin (the page control's display area).
#pragma once

#include <vector>

namespace saver {

struct LayoutBox {
    int id;  // control identifier (resource_config.h)
    int x, y, width, height;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
};

namespace configlayout {

inline constexpr int kClientWidth = 503;
inline constexpr int kClientHeight = 350;
// The header box (Shape1) that holds the title, the author, the web site and the banner.
inline constexpr LayoutBox kHeaderBox{0, 18, 14, 468, 60};
// AuthorLabel and WebsiteLabel end here: left := kLabelRight - width.
inline constexpr int kLabelRight = 476;
inline constexpr int kAuthorTop = 28;
inline constexpr int kWebsiteTop = 48;
inline constexpr int kLabelHeight = 16;
// Size of a page (the page control's display area at 96 DPI).
inline constexpr int kPageWidth = 471;
inline constexpr int kPageHeight = 196;

}  // namespace configlayout

// The form's own controls: header labels, banner, page control, buttons, credit labels.
// AuthorLabel and WebsiteLabel appear with their designed width; FormShow right-aligns them.
const std::vector<LayoutBox>& FormLayout();
// The controls of one page (IDD_PAGE_OPTIONS, IDD_PAGE_EXIT or IDD_PAGE_README); empty for any
// other identifier.
const std::vector<LayoutBox>& PageLayout(int pageDialogId);
// A length in pixels at 96 DPI scaled to `dpi`, rounded to the nearest pixel.
int ScaleForDpi(int pixels, int dpi);
// The left edge that puts a label of `width` pixels flush with kLabelRight (both at one DPI).
int RightAlignedLeft(int width, int dpi);

}  // namespace saver
