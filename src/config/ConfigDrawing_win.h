// Drawing and fonts of the settings dialog: the header box, the colour list's items, the title
// and link fonts, and the DPI of the monitor a window is on.
#pragma once

#include <windows.h>

#include <string>

namespace saver {

// The window's DPI (GetDpiForWindow where the system has it, else the screen's).
int WindowDpi(HWND window);
// The header box: white inside a one-pixel black frame.
void DrawHeaderBox(HDC dc, const RECT& box);
// One item of the colour list: a swatch of the item's colour (its item data) and its name.
void DrawColorItem(const DRAWITEMSTRUCT& item);
// title_label's font: Comic Sans MS, 16 point, bold, at `dpi`.
HFONT CreateTitleFont(int dpi);
// `base` underlined, for labels that open an address.
HFONT CreateLinkFont(HFONT base);
// Width in pixels of `text` drawn with `font` on `window`.
int TextWidth(HWND window, HFONT font, const std::string& text);

}  // namespace saver
