// The design of the settings dialog. Numbers are pixels at 96 DPI; the header box and the
// right edge of the author and web site labels are fixed by the design, the rest is arranged
// around them: pages of the page control below the header, buttons and the maker's credit along
// the bottom edge.
#include "config/ConfigDialogLayout.h"

#include "config/resource_config.h"

namespace saver {

namespace {

using namespace configlayout;

// Buttons sit right-aligned under the page control, the credit at the left.
constexpr int kButtonTop = 314;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;

}  // namespace

const std::vector<LayoutBox>& FormLayout() {
    static const std::vector<LayoutBox> boxes = {
        {IDC_BANNER_IMAGE, kHeaderBox.x, kHeaderBox.y, kHeaderBox.width, kHeaderBox.height},
        {IDC_TITLE_LABEL, 28, 26, 300, 36},
        {IDC_AUTHOR_LABEL, kLabelRight - 140, kAuthorTop, 140, kLabelHeight},
        {IDC_WEBSITE_LABEL, kLabelRight - 140, kWebsiteTop, 140, kLabelHeight},
        {IDC_PAGE_CONTROL, 14, 84, 475, 222},
        {IDC_TEXT_KESTRO, 18, 320, 70, kLabelHeight},
        {IDC_TEXT_WEBSITE, 90, 320, 130, kLabelHeight},
        {1 /* IDOK */, 316, kButtonTop, kButtonWidth, kButtonHeight},
        {2 /* IDCANCEL */, 404, kButtonTop, kButtonWidth, kButtonHeight},
    };
    return boxes;
}

const std::vector<LayoutBox>& PageLayout(int pageDialogId) {
    static const std::vector<LayoutBox> options = {
        {IDC_SEQUENCE_GROUP, 8, 6, 160, 100},
        {IDC_FLASH_NORMALIZE_RADIO, 20, 28, 140, 20},
        {IDC_FLASH_SHUFFLE_RADIO, 20, 52, 140, 20},
        {IDC_INTELLI_RADIO, 20, 76, 140, 20},
        {IDC_FLASH_OPTIONS_GROUP, 178, 6, 285, 100},
        {IDC_FLASH_SIZE_LABEL, 190, 29, 110, kLabelHeight},
        {IDC_FLASH_SIZE_CB, 304, 25, 148, 22},
        {IDC_FLASH_QUALITY_LABEL, 190, 53, 110, kLabelHeight},
        {IDC_FLASH_QUALITY_CB, 304, 49, 148, 22},
        {IDC_FLASH_COLOR_LABEL, 190, 77, 110, kLabelHeight},
        {IDC_FLASH_COLOR_CB, 304, 73, 148, 22},
        {IDC_FLASH_LABEL, 8, 122, 250, kLabelHeight},
        {IDC_FLASH_DOWNLOAD_TIME_EDIT, 262, 119, 64, 22},
        {IDC_FLASH_DOWNLOAD_TIME_SPIN, 326, 119, 17, 22},
        {IDC_FLASH_MUTE_CHECK, 8, 152, 160, 20},
    };
    static const std::vector<LayoutBox> exitConditions = {
        {IDC_EXIT_GROUP, 8, 6, 300, 100},         {IDC_MOUSE_MOVE_CHECK, 20, 28, 270, 20},
        {IDC_MOUSE_PRESS_CHECK, 20, 52, 270, 20}, {IDC_KEYBOARD_CHECK, 20, 76, 270, 20},
        {IDC_SHOW_CURSOR_CHECK, 8, 122, 360, 20}, {IDC_ESC_KEY_CHECK, 8, 148, 360, 20},
    };
    static const std::vector<LayoutBox> readme = {
        {IDC_MEMO1, 6, 6, kPageWidth - 12, kPageHeight - 12},
    };
    static const std::vector<LayoutBox> none;
    switch (pageDialogId) {
        case IDD_PAGE_OPTIONS:
            return options;
        case IDD_PAGE_EXIT:
            return exitConditions;
        case IDD_PAGE_README:
            return readme;
        default:
            return none;
    }
}

int ScaleForDpi(int pixels, int dpi) {
    // Rounds halves away from zero, as MulDiv does.
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = scaled >= 0 ? 48 : -48;
    return static_cast<int>((scaled + half) / 96);
}

int RightAlignedLeft(int width, int dpi) {
    return ScaleForDpi(configlayout::kLabelRight, dpi) - width;
}

}  // namespace saver
