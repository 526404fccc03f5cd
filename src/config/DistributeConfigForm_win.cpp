// TDistributeConfigForm: the settings dialog as a Win32 dialog from the resource script.
//
// Every decision lives in the portable half (DescribeConfigForm, the control mapping and the
// OK storing); this file only moves values between those records and the windows, paints the
// header box, the banner and the colour list, and places the controls in pixels for the
// monitor's DPI. The three pages are child dialogs of the page control; their messages are
// handled by the same object as the form's.
#include "config/DistributeConfigForm_win.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MakerSite.h"
#include "app/SystemLibrary_win.h"
#include "config/ColorChoices.h"
#include "config/ConfigControls.h"
#include "config/ConfigDialogActions.h"
#include "config/ConfigDialogLayout.h"
#include "config/ConfigDrawing_win.h"
#include "config/ConfigFormView.h"
#include "config/resource_config.h"
#include "payload/Runtime.h"
#include "picture/WinPicture_win.h"

namespace saver {

namespace {

constexpr int kPageDialogs[] = {IDD_PAGE_OPTIONS, IDD_PAGE_EXIT, IDD_PAGE_README};
constexpr int kExitChecks[] = {IDC_MOUSE_MOVE_CHECK, IDC_MOUSE_PRESS_CHECK, IDC_KEYBOARD_CHECK};
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
// Height of the drop-down part of the lists and of one colour item, at 96 DPI.
constexpr int kDropDownHeight = 200;
constexpr int kColorItemHeight = 18;
// Room added to the measured width of the author and web site labels, at 96 DPI.
constexpr int kLabelSlack = 8;
// Posted to lay the form out again for a new DPI (wParam) once the system has updated it.
constexpr UINT kRelayoutMessage = WM_APP + 1;

bool isChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setChecked(HWND button, bool checked) {
    SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string windowText(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), text.size())));
    return text;
}

// Lets a PerMonitorV2 dialog keep its fonts updated by the system while this form does the
// resizing and the placing of controls itself. Absent before Windows 10 1703; then a no-op.
void takeOverDpiLayout(HWND dialog) {
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = reinterpret_cast<SetBehaviorFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
    constexpr int kDisableResizeAndRelayout = 0x2 | 0x4;
    if (setBehavior) setBehavior(dialog, kDisableResizeAndRelayout, kDisableResizeAndRelayout);
}

// Pages drawn with the tab's themed background where themes exist.
void useTabBackground(HWND page) {
    using EnableFn = HRESULT(WINAPI*)(HWND, DWORD);
    static HMODULE uxtheme = LoadSystemLibrary("uxtheme.dll");
    static const auto enable = uxtheme ? reinterpret_cast<EnableFn>(reinterpret_cast<void*>(
                                             GetProcAddress(uxtheme, "EnableThemeDialogTexture")))
                                       : nullptr;
    constexpr DWORD kEnableTab = 0x2 | 0x4;  // ETDT_ENABLE | ETDT_USETABTEXTURE
    if (enable) enable(page, kEnableTab);
}

// The window size that gives a client area of width x height with the window's frame at `dpi`.
SIZE windowSizeFor(HWND window, int width, int height, int dpi) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    RECT box = {0, 0, width, height};
    if (adjustForDpi)
        adjustForDpi(&box, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        AdjustWindowRectEx(&box, style, FALSE, exStyle);
    return {box.right - box.left, box.bottom - box.top};
}

class TDistributeConfigForm {
  public:
    explicit TDistributeConfigForm(Runtime& rt) : rt_(rt), view_(DescribeConfigForm(rt)) {}
    ~TDistributeConfigForm() {
        if (titleFont_) DeleteObject(titleFont_);
        if (linkFont_) DeleteObject(linkFont_);
    }
    TDistributeConfigForm(const TDistributeConfigForm&) = delete;
    TDistributeConfigForm& operator=(const TDistributeConfigForm&) = delete;

    int show() {
        const INT_PTR result =
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG_FORM), nullptr,
                            &TDistributeConfigForm::formProc, reinterpret_cast<LPARAM>(this));
        return result == -1 ? 1 : 0;
    }

  private:
    static INT_PTR CALLBACK formProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    void FormShow();
    void createPages();
    void showTabs();
    void showPage(ConfigPage page);
    void showTexts();
    void showControls();
    void showBanner();
    void addHint(HWND control, const std::string& text);
    void showHints();
    void placeControls(int dpi);
    void placePages(int dpi);
    void alignHeaderLabels(int dpi);
    void centerOnScreen();

    void ShowCursorCheckClick();
    void _BtnOKClick();
    void labelClick(int id);
    ConfigControls readControls() const;
    bool isLink(HWND control) const;
    INT_PTR colorStatic(HDC dc, HWND control);
    INT_PTR setCursor(HWND control);

    HWND item(int id) const;

    Runtime& rt_;
    ConfigFormView view_;
    std::vector<NamedColor> colors_;
    HWND form_ = nullptr;
    HWND tabs_ = nullptr;
    HWND pages_[3] = {};
    HWND hints_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT linkFont_ = nullptr;
    std::unique_ptr<WinPicture> banner_;
    bool bannerVisible_ = true;
    int dpi_ = 96;
};

INT_PTR CALLBACK TDistributeConfigForm::formProc(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<TDistributeConfigForm*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        form->form_ = dialog;
        form->FormShow();
        // Cancel has the initial focus. Through the dialog manager, not SetFocus, so that it
        // also becomes the default button and Enter presses Cancel rather than OK.
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)),
                     TRUE);
        return FALSE;  // the focus is set
    }
    auto* form = reinterpret_cast<TDistributeConfigForm*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    return form ? form->handle(message, wParam, lParam) : FALSE;
}

INT_PTR CALLBACK TDistributeConfigForm::pageProc(HWND page, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(page, GWLP_USERDATA, lParam);
            return FALSE;
        case WM_MEASUREITEM: {
            // Sent while the colour list is created, before the page knows its form.
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            measure->itemHeight = MulDiv(kColorItemHeight, WindowDpi(page), 96);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            // The read-only readme keeps a window's white, not the page's background.
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_MEMO1) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
            }
            return FALSE;
        case WM_COMMAND:
        case WM_DRAWITEM: {
            auto* form =
                reinterpret_cast<TDistributeConfigForm*>(GetWindowLongPtrA(page, GWLP_USERDATA));
            return form ? form->handle(message, wParam, lParam) : FALSE;
        }
        default:
            return FALSE;
    }
}

INT_PTR TDistributeConfigForm::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDOK && code == BN_CLICKED) _BtnOKClick();
            if (id == IDCANCEL) EndDialog(form_, IDCANCEL);  // Button1, Esc and the close button
            if (code == BN_CLICKED && (id == IDC_MOUSE_MOVE_CHECK || id == IDC_MOUSE_PRESS_CHECK ||
                                       id == IDC_KEYBOARD_CHECK || id == IDC_SHOW_CURSOR_CHECK ||
                                       id == IDC_ESC_KEY_CHECK))
                ShowCursorCheckClick();
            if (code == STN_CLICKED) labelClick(id);
            return TRUE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
                TCITEMA tab{};
                tab.mask = TCIF_PARAM;
                SendMessageA(tabs_, TCM_GETITEMA, SendMessageA(tabs_, TCM_GETCURSEL, 0, 0),
                             reinterpret_cast<LPARAM>(&tab));
                showPage(static_cast<ConfigPage>(tab.lParam));
            }
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlID == IDC_FLASH_COLOR_CB) DrawColorItem(*draw);
            if (draw->CtlID == IDC_BANNER_IMAGE) {
                if (banner_)
                    banner_->drawStretched(draw->hDC, draw->rcItem);
                else
                    DrawHeaderBox(draw->hDC, draw->rcItem);
            }
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(form_, &paint);
            const LayoutBox& h = configlayout::kHeaderBox;
            const RECT box = {ScaleForDpi(h.x, dpi_), ScaleForDpi(h.y, dpi_),
                              ScaleForDpi(h.right(), dpi_), ScaleForDpi(h.bottom(), dpi_)};
            DrawHeaderBox(dc, box);
            EndPaint(form_, &paint);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            return colorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            return setCursor(reinterpret_cast<HWND>(wParam));
        case WM_DPICHANGED: {
            // The system moves the frame to the suggested place and gives every control the
            // dialog font for the new DPI once this returns; the pixel layout and the fonts of
            // the title and the links follow after that.
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(form_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            PostMessageA(form_, kRelayoutMessage, HIWORD(wParam), 0);
            return FALSE;
        }
        case kRelayoutMessage:
            placeControls(static_cast<int>(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

HWND TDistributeConfigForm::item(int id) const {
    if (HWND own = GetDlgItem(form_, id)) return own;
    for (HWND page : pages_)
        if (HWND control = page ? GetDlgItem(page, id) : nullptr) return control;
    return nullptr;
}

void TDistributeConfigForm::FormShow() {
    tabs_ = GetDlgItem(form_, IDC_PAGE_CONTROL);
    takeOverDpiLayout(form_);
    createPages();
    showTexts();
    showControls();
    ShowCursorCheckClick();
    const int creditShow = view_.creditVisible ? SW_SHOW : SW_HIDE;
    ShowWindow(item(IDC_TEXT_KESTRO), creditShow);
    ShowWindow(item(IDC_TEXT_WEBSITE), creditShow);
    showTabs();
    showHints();
    const int downloadShow = view_.downloadTimeVisible ? SW_SHOW : SW_HIDE;
    for (int id : {IDC_FLASH_LABEL, IDC_FLASH_DOWNLOAD_TIME_EDIT, IDC_FLASH_DOWNLOAD_TIME_SPIN})
        ShowWindow(item(id), downloadShow);
    showBanner();
    placeControls(WindowDpi(form_));
    centerOnScreen();
}

void TDistributeConfigForm::createPages() {
    // The page control is the pages' parent, so they always lie above it; it takes part in
    // Tab-key navigation as a control parent.
    SetWindowLongPtrA(tabs_, GWL_EXSTYLE,
                      GetWindowLongPtrA(tabs_, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    SetWindowLongPtrA(tabs_, GWL_STYLE, GetWindowLongPtrA(tabs_, GWL_STYLE) | WS_CLIPCHILDREN);
    for (int i = 0; i < 3; ++i) {
        pages_[i] =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kPageDialogs[i]), tabs_,
                               &TDistributeConfigForm::pageProc, reinterpret_cast<LPARAM>(this));
        takeOverDpiLayout(pages_[i]);
        useTabBackground(pages_[i]);
    }
}

void TDistributeConfigForm::showTabs() {
    static const char* const kTabTexts[] = {"Options", "Exit Conditions", "Readme"};
    int activeTab = -1;
    for (std::size_t i = 0; i < view_.tabs.size(); ++i) {
        const int page = static_cast<int>(view_.tabs[i]);
        TCITEMA tab{};
        tab.mask = TCIF_TEXT | TCIF_PARAM;
        tab.pszText = const_cast<char*>(kTabTexts[page]);
        tab.lParam = page;
        SendMessageA(tabs_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
        if (view_.tabs[i] == view_.activePage) activeTab = static_cast<int>(i);
    }
    SendMessageA(tabs_, TCM_SETCURSEL, activeTab, 0);
    // Without its tab the active page still shows, as a plain panel.
    showPage(view_.activePage);
}

void TDistributeConfigForm::showPage(ConfigPage page) {
    for (int i = 0; i < 3; ++i)
        ShowWindow(pages_[i], i == static_cast<int>(page) ? SW_SHOW : SW_HIDE);
}

void TDistributeConfigForm::showTexts() {
    SetWindowTextA(form_, view_.caption.c_str());
    SetWindowTextA(item(IDC_TITLE_LABEL), view_.title.c_str());
    SetWindowTextA(item(IDC_AUTHOR_LABEL), view_.authorText.c_str());
    SetWindowTextA(item(IDC_WEBSITE_LABEL), view_.websiteText.c_str());
    SetWindowTextA(item(IDC_TEXT_KESTRO), kPoweredByText);
    SetWindowTextA(item(IDC_TEXT_WEBSITE), kMakerSiteName);
    HWND memo = item(IDC_MEMO1);
    SendMessageA(memo, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextA(memo, view_.readme.c_str());
}

void TDistributeConfigForm::showControls() {
    const ConfigControls& c = view_.controls;
    setChecked(item(IDC_FLASH_NORMALIZE_RADIO), c.FlashNormalizeRadio);
    setChecked(item(IDC_FLASH_SHUFFLE_RADIO), c.FlashShuffleRadio);
    setChecked(item(IDC_INTELLI_RADIO), c.IntelliRadio);
    const auto fill = [](HWND list, const std::vector<std::string>& items, int index) {
        for (const std::string& text : items)
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, CB_SETCURSEL, index, 0);
    };
    fill(item(IDC_FLASH_SIZE_CB), FlashSizeItems(), c.FlashSizeIndex);
    fill(item(IDC_FLASH_QUALITY_CB), FlashQualityItems(), c.FlashQualityIndex);
    colors_ = FlashColorChoices(c.FlashColor);
    HWND colorList = item(IDC_FLASH_COLOR_CB);
    for (const NamedColor& color : colors_) {
        const LRESULT index =
            SendMessageA(colorList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(color.name.c_str()));
        SendMessageA(colorList, CB_SETITEMDATA, index, static_cast<LPARAM>(color.value));
    }
    SendMessageA(colorList, CB_SETCURSEL, ColorIndexOf(colors_, c.FlashColor), 0);
    HWND spin = item(IDC_FLASH_DOWNLOAD_TIME_SPIN);
    SendMessageA(spin, UDM_SETRANGE32, kDownloadTimeMin, kDownloadTimeMax);
    SendMessageA(spin, UDM_SETPOS32, 0, c.FlashDownloadTime);
    SetWindowTextA(item(IDC_FLASH_DOWNLOAD_TIME_EDIT), std::to_string(c.FlashDownloadTime).c_str());
    setChecked(item(IDC_FLASH_MUTE_CHECK), c.FlashMuteCheck);
    setChecked(item(IDC_MOUSE_MOVE_CHECK), c.MouseMoveCheck);
    setChecked(item(IDC_MOUSE_PRESS_CHECK), c.MousePressCheck);
    setChecked(item(IDC_KEYBOARD_CHECK), c.KeyboardCheck);
    setChecked(item(IDC_SHOW_CURSOR_CHECK), c.ShowCursorCheck);
    setChecked(item(IDC_ESC_KEY_CHECK), c.EscKeyCheck);
}

void TDistributeConfigForm::showBanner() {
    HWND banner = item(IDC_BANNER_IMAGE);
    if (view_.banner == BannerState::Shown) banner_ = WinPicture::Load(view_.bannerPath);
    bannerVisible_ = view_.banner == BannerState::AsDesigned || banner_ != nullptr;
    ShowWindow(banner, bannerVisible_ ? SW_SHOW : SW_HIDE);
    // Each header control paints only where no sibling lies above it.
    for (int id : {IDC_BANNER_IMAGE, IDC_TITLE_LABEL, IDC_AUTHOR_LABEL, IDC_WEBSITE_LABEL}) {
        HWND control = item(id);
        SetWindowLongPtrA(control, GWL_STYLE,
                          GetWindowLongPtrA(control, GWL_STYLE) | WS_CLIPSIBLINGS);
    }
    const bool inFront = banner_ && view_.bannerInFront;
    SetWindowPos(banner, inFront ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (banner_ && !view_.bannerHint.empty()) addHint(banner, view_.bannerHint);
}

void TDistributeConfigForm::addHint(HWND control, const std::string& text) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TDistributeConfigForm::showHints() {
    hints_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, form_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SendMessageA(hints_, TTM_SETDELAYTIME, TTDT_INITIAL, kHintDelayMs);
    SendMessageA(hints_, TTM_SETMAXTIPWIDTH, 0, 400);
    addHint(item(IDC_INTELLI_RADIO), kIntelliRadioHint);
    if (!view_.websiteHint.empty()) addHint(item(IDC_WEBSITE_LABEL), view_.websiteHint);
    if (view_.authorIsLink) addHint(item(IDC_AUTHOR_LABEL), view_.authorHint);
    addHint(item(IDC_TEXT_WEBSITE), kMakerSiteAddress);
}

void TDistributeConfigForm::placeControls(int dpi) {
    dpi_ = dpi;
    if (titleFont_) DeleteObject(titleFont_);
    if (linkFont_) DeleteObject(linkFont_);
    titleFont_ = CreateTitleFont(dpi);
    linkFont_ = CreateLinkFont(reinterpret_cast<HFONT>(SendMessageA(form_, WM_GETFONT, 0, 0)));
    SendMessageA(item(IDC_TITLE_LABEL), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    for (int id : {IDC_WEBSITE_LABEL, IDC_TEXT_WEBSITE})
        SendMessageA(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    if (view_.authorIsLink)
        SendMessageA(item(IDC_AUTHOR_LABEL), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_),
                     FALSE);

    // The client is exactly the design's size at this DPI.
    const SIZE outer = windowSizeFor(form_, ScaleForDpi(configlayout::kClientWidth, dpi),
                                     ScaleForDpi(configlayout::kClientHeight, dpi), dpi);
    SetWindowPos(form_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const LayoutBox& b : FormLayout())
        MoveWindow(item(b.id), ScaleForDpi(b.x, dpi), ScaleForDpi(b.y, dpi),
                   ScaleForDpi(b.width, dpi), ScaleForDpi(b.height, dpi), FALSE);
    alignHeaderLabels(dpi);
    placePages(dpi);
    InvalidateRect(form_, nullptr, TRUE);
}

void TDistributeConfigForm::placePages(int dpi) {
    RECT area;
    GetClientRect(tabs_, &area);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    SendMessageA(item(IDC_FLASH_COLOR_CB), CB_SETITEMHEIGHT, 0, ScaleForDpi(kColorItemHeight, dpi));
    for (int i = 0; i < 3; ++i) {
        MoveWindow(pages_[i], area.left, area.top, area.right - area.left, area.bottom - area.top,
                   FALSE);
        for (const LayoutBox& b : PageLayout(kPageDialogs[i])) {
            const bool list = b.id == IDC_FLASH_SIZE_CB || b.id == IDC_FLASH_QUALITY_CB ||
                              b.id == IDC_FLASH_COLOR_CB;
            MoveWindow(GetDlgItem(pages_[i], b.id), ScaleForDpi(b.x, dpi), ScaleForDpi(b.y, dpi),
                       ScaleForDpi(b.width, dpi),
                       ScaleForDpi(list ? kDropDownHeight : b.height, dpi), FALSE);
        }
    }
    // The readme fills its page, whatever the page control's frame leaves of it.
    const int margin = ScaleForDpi(6, dpi);
    MoveWindow(item(IDC_MEMO1), margin, margin, area.right - area.left - 2 * margin,
               area.bottom - area.top - 2 * margin, FALSE);
}

void TDistributeConfigForm::alignHeaderLabels(int dpi) {
    const struct {
        int id;
        HFONT font;
        int top;
    } labels[] = {
        {IDC_WEBSITE_LABEL, linkFont_, configlayout::kWebsiteTop},
        {IDC_AUTHOR_LABEL,
         view_.authorIsLink ? linkFont_
                            : reinterpret_cast<HFONT>(SendMessageA(form_, WM_GETFONT, 0, 0)),
         view_.authorOnWebsiteRow ? configlayout::kWebsiteTop : configlayout::kAuthorTop},
    };
    for (const auto& label : labels) {
        HWND control = item(label.id);
        // Right-aligned text in a box a little wider than the text: the text ends at the
        // design's edge even where the control draws it a few pixels wider than measured.
        const int width =
            TextWidth(control, label.font, windowText(control)) + ScaleForDpi(kLabelSlack, dpi);
        MoveWindow(control, RightAlignedLeft(width, dpi), ScaleForDpi(label.top, dpi), width,
                   ScaleForDpi(configlayout::kLabelHeight, dpi), FALSE);
    }
}

void TDistributeConfigForm::centerOnScreen() {
    RECT window;
    GetWindowRect(form_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromWindow(form_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(form_, nullptr, work.left + ((work.right - work.left) - width) / 2,
                 work.top + ((work.bottom - work.top) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDistributeConfigForm::ShowCursorCheckClick() {
    const bool enabled = ExitChecksEnabled(readControls());
    for (int id : kExitChecks) EnableWindow(item(id), enabled);
}

ConfigControls TDistributeConfigForm::readControls() const {
    ConfigControls c = view_.controls;
    c.FlashNormalizeRadio = isChecked(item(IDC_FLASH_NORMALIZE_RADIO));
    c.FlashShuffleRadio = isChecked(item(IDC_FLASH_SHUFFLE_RADIO));
    c.IntelliRadio = isChecked(item(IDC_INTELLI_RADIO));
    c.FlashSizeIndex = static_cast<int>(SendMessageA(item(IDC_FLASH_SIZE_CB), CB_GETCURSEL, 0, 0));
    c.FlashQualityIndex =
        static_cast<int>(SendMessageA(item(IDC_FLASH_QUALITY_CB), CB_GETCURSEL, 0, 0));
    const LRESULT color = SendMessageA(item(IDC_FLASH_COLOR_CB), CB_GETCURSEL, 0, 0);
    if (color >= 0 && static_cast<std::size_t>(color) < colors_.size())
        c.FlashColor = colors_[static_cast<std::size_t>(color)].value;
    c.FlashDownloadTime = DownloadTimeFromText(windowText(item(IDC_FLASH_DOWNLOAD_TIME_EDIT)),
                                               view_.controls.FlashDownloadTime);
    c.FlashMuteCheck = isChecked(item(IDC_FLASH_MUTE_CHECK));
    c.MouseMoveCheck = isChecked(item(IDC_MOUSE_MOVE_CHECK));
    c.MousePressCheck = isChecked(item(IDC_MOUSE_PRESS_CHECK));
    c.KeyboardCheck = isChecked(item(IDC_KEYBOARD_CHECK));
    c.ShowCursorCheck = isChecked(item(IDC_SHOW_CURSOR_CHECK));
    c.EscKeyCheck = isChecked(item(IDC_ESC_KEY_CHECK));
    return c;
}

void TDistributeConfigForm::_BtnOKClick() {
    StoreDialogSettings(rt_, readControls());
    EndDialog(form_, IDOK);
}

void TDistributeConfigForm::labelClick(int id) {
    std::string address;
    if (id == IDC_WEBSITE_LABEL) address = LabelClickAddress(view_.websiteHint);
    if (id == IDC_AUTHOR_LABEL && view_.authorIsLink) address = LabelClickAddress(view_.authorHint);
    if (id == IDC_TEXT_WEBSITE) address = kMakerSiteAddress;
    if (id == IDC_BANNER_IMAGE) address = BannerClickAddress(rt_.Setting.Build_BannerURL);
    if (!address.empty()) ShellExecuteA(form_, nullptr, address.c_str(), nullptr, nullptr, SW_SHOW);
}

bool TDistributeConfigForm::isLink(HWND control) const {
    return control == item(IDC_WEBSITE_LABEL) || control == item(IDC_TEXT_WEBSITE) ||
           (view_.authorIsLink && control == item(IDC_AUTHOR_LABEL));
}

INT_PTR TDistributeConfigForm::colorStatic(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    const bool header = id == IDC_TITLE_LABEL || id == IDC_AUTHOR_LABEL || id == IDC_WEBSITE_LABEL;
    if (isLink(control)) SetTextColor(dc, kLinkColor);
    if (!header) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    // Header labels sit on the white header box.
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

INT_PTR TDistributeConfigForm::setCursor(HWND control) {
    const bool hand =
        isLink(control) || (control == item(IDC_BANNER_IMAGE) && banner_ && view_.bannerHandCursor);
    if (!hand) return FALSE;
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    SetWindowLongPtrA(form_, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

}  // namespace

int RunSettingsDialog(Runtime& rt) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                      ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    TDistributeConfigForm form(rt);
    return form.show();
}

}  // namespace saver
