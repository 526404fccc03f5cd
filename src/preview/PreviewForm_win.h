// PreviewForm: one preview form (TOtherPreviewForm or TCommercePreviewForm) as a Win32 window.
//
// With a preview parent the form is created as a WS_CHILD of that window, keeping its caption
// and sizeable frame, and is then fitted so that its black client area covers the parent (see
// PreviewFitting.h). Without one it is an ordinary top-level window at its design place and
// size, owned by a hidden window of its own so that it adds no taskbar button. Sizes, places
// and fonts of the design (pixels at 96 DPI) are scaled to the parent's DPI, or the screen's.
//
// The labels are STATIC controls and the picture box an owner-drawn STATIC, each with its
// control id from PreviewDesign.h, so a program hosting the preview can read their texts and
// places. The credit label shows the hand cursor and its hint, and a click on it opens the
// maker's web site in the default browser.
//
// The picture preview loads its picture before it is shown. A picture that cannot be decoded
// leaves the picture box black and shows the title instead, in white.
//
// Destroying the form (from inside, or by the system along with the parent) posts WM_QUIT.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "preview/PreviewDesign.h"

namespace saver {

class WinPicture;

class PreviewForm {
  public:
    // `parent` is the preview parent window, or nullptr for a top-level form.
    PreviewForm(PreviewDesign design, HWND parent);
    ~PreviewForm();
    PreviewForm(const PreviewForm&) = delete;
    PreviewForm& operator=(const PreviewForm&) = delete;

    // Creates, fits and shows the form with its controls. False when the window cannot be
    // created (a parent handle that names no window, for one); nothing is left behind then.
    bool create();
    HWND window() const { return hwnd_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);

    PreviewBox scaled(const PreviewBox& box) const;
    bool createWindow();
    void createLabel(const PreviewLabel& label);
    void createHint(HWND control, const PreviewLabel& label);
    void fitToParent();
    void loadPicture();
    void showLabel(std::size_t index);
    const PreviewLabel* labelOf(HWND control) const;
    bool drawImage(const DRAWITEMSTRUCT& item) const;

    PreviewDesign design_;
    HWND parent_;
    int dpi_ = 96;
    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND image_ = nullptr;
    std::vector<HWND> labels_;  // in design_.labels order
    std::vector<HFONT> fonts_;  // one per label
    std::unique_ptr<WinPicture> picture_;
};

}  // namespace saver
