// The forms are plain windows of the black window class; their controls are STATIC controls
// coloured through WM_CTLCOLORSTATIC. The layout is in pixels at 96 DPI and is scaled, fonts
// included, to the DPI of the preview parent (of the screen without one): the system's preview
// area grows with the DPI, and the picture box has to fill it there too.
//
// A foreign parent can disappear between two of our calls; every call that takes it tolerates
// an invalid handle, and the message loop notices a parent that has gone.
#include "preview/PreviewForm_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "config/ConfigDialogLayout.h"
#include "config/ConfigDrawing_win.h"
#include "picture/WinPicture_win.h"
#include "player/MultiScreenForm_win.h"
#include "preview/PreviewFitting.h"

namespace saver {

namespace {

constexpr const char* kOwnerClass = "TPreviewOwner";
constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

COLORREF colourOf(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HFONT createLabelFont(const PreviewLabel& label, int dpi) {
    const int height = -MulDiv(label.fontPoints, dpi, 72);
    return CreateFontA(height, 0, 0, 0, label.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}

// The size of one line of `text` in `font`, as an auto-sized label takes it.
SIZE textSize(HWND window, HFONT font, const std::string& text) {
    SIZE size{0, 0};
    HDC dc = GetDC(window);
    if (!dc) return size;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    if (!GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size))
        size = {0, 0};
    size.cy = metrics.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

}  // namespace

PreviewForm::PreviewForm(PreviewDesign design, HWND parent)
    : design_(std::move(design)), parent_(parent) {}

PreviewForm::~PreviewForm() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (owner_ && IsWindow(owner_)) DestroyWindow(owner_);
    for (HFONT font : fonts_)
        if (font) DeleteObject(font);
}

PreviewBox PreviewForm::scaled(const PreviewBox& box) const {
    return {ScaleForDpi(box.left, dpi_), ScaleForDpi(box.top, dpi_), ScaleForDpi(box.width, dpi_),
            ScaleForDpi(box.height, dpi_)};
}

bool PreviewForm::create() {
    dpi_ = WindowDpi(parent_);
    if (!createWindow()) return false;
    for (const PreviewLabel& label : design_.labels) createLabel(label);
    if (design_.imageId != 0) {
        const PreviewBox box = scaled(design_.imageBox);
        image_ =
            CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW,
                            box.left, box.top, box.width, box.height, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design_.imageId)),
                            GetModuleHandleA(nullptr), nullptr);
        loadPicture();
    }
    if (parent_) fitToParent();
    ShowWindow(hwnd_, parent_ ? SW_SHOW : SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    return true;
}

bool PreviewForm::createWindow() {
    if (!RegisterBlackWindowClass(design_.formName, windowProc)) return false;
    HWND owner = parent_;
    DWORD style = kFormStyle;
    if (parent_) {
        style |= WS_CHILD;
    } else {
        // An owned top-level window gets no taskbar button; the owner itself is never shown.
        RegisterBlackWindowClass(kOwnerClass, DefWindowProcA);
        owner_ = CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        owner = owner_;
    }
    // A top-level form keeps its place on the screen and grows with the DPI.
    const PreviewBox& box = design_.formBox;
    hwnd_ = CreateWindowExA(0, design_.formName, design_.caption.c_str(), style, box.left, box.top,
                            ScaleForDpi(box.width, dpi_), ScaleForDpi(box.height, dpi_), owner,
                            nullptr, GetModuleHandleA(nullptr), this);
    return hwnd_ != nullptr;
}

void PreviewForm::createLabel(const PreviewLabel& label) {
    HFONT font = createLabelFont(label, dpi_);
    fonts_.push_back(font);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | SS_NOPREFIX;
    style |= label.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
    if (label.visible) style |= WS_VISIBLE;
    if (label.link) style |= SS_NOTIFY;
    PreviewBox box = scaled(label.box);
    if (label.autoSize) {
        const SIZE size = textSize(hwnd_, font, label.caption);
        box.width = size.cx;
        box.height = size.cy;
    }
    HWND control =
        CreateWindowExA(0, "STATIC", label.caption.c_str(), style, box.left, box.top, box.width,
                        box.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(label.id)),
                        GetModuleHandleA(nullptr), nullptr);
    if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    labels_.push_back(control);
    if (control && !label.hint.empty()) createHint(control, label);
}

void PreviewForm::createHint(HWND control, const PreviewLabel& label) {
    if (!tooltip_) {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        if (!tooltip_) return;
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(label.hint.c_str());
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void PreviewForm::fitToParent() {
    RECT client{}, window{}, parent{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(hwnd_, &window);
    if (!GetWindowRect(parent_, &parent)) return;
    const PreviewBox fitted = FitPreviewToParent(
        {client.right - client.left, client.bottom - client.top},
        {window.right - window.left, window.bottom - window.top},
        {parent.left, parent.top, parent.right - parent.left, parent.bottom - parent.top});
    SetWindowPos(hwnd_, nullptr, fitted.left, fitted.top, fitted.width, fitted.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void PreviewForm::loadPicture() {
    picture_ = WinPicture::Load(design_.picturePath);
    if (picture_) return;
    // The picture was found but cannot be shown: a title is friendlier than a black box.
    for (std::size_t i = 0; i < design_.labels.size(); ++i)
        if (design_.labels[i].id == kPreviewLabel1Id) showLabel(i);
}

void PreviewForm::showLabel(std::size_t index) {
    design_.labels[index].visible = true;
    if (labels_[index]) ShowWindow(labels_[index], SW_SHOW);
}

const PreviewLabel* PreviewForm::labelOf(HWND control) const {
    for (std::size_t i = 0; i < labels_.size(); ++i)
        if (labels_[i] == control) return &design_.labels[i];
    return nullptr;
}

bool PreviewForm::drawImage(const DRAWITEMSTRUCT& item) const {
    if (item.hwndItem != image_) return false;
    if (picture_)
        picture_->drawStretched(item.hDC, item.rcItem);
    else
        FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return true;
}

LRESULT CALLBACK PreviewForm::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<PreviewForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!form) return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (!form->hwnd_) form->hwnd_ = hwnd;  // messages sent during CreateWindowEx
    try {
        return form->handle(msg, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT PreviewForm::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const PreviewLabel* label = labelOf(reinterpret_cast<HWND>(lParam));
            SetTextColor(dc, colourOf(label ? label->colour : 0xFFFFFF));
            SetBkColor(dc, RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
        }
        case WM_SETCURSOR: {
            const PreviewLabel* label = labelOf(reinterpret_cast<HWND>(wParam));
            if (label && label->link) {
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        }
        case WM_COMMAND: {
            const PreviewLabel* label = labelOf(reinterpret_cast<HWND>(lParam));
            if (label && label->link && HIWORD(wParam) == STN_CLICKED) {
                ShellExecuteA(hwnd_, nullptr, label->linkAddress.c_str(), nullptr, nullptr,
                              SW_SHOW);
                return 0;
            }
            break;
        }
        case WM_DRAWITEM:
            if (drawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace saver
