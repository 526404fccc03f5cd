// The site keeps no state besides the parent window and the rectangle: the player owns the
// control and tells it where to sit; the site only has to answer the control's questions
// consistently during and after in-place activation.
#include "player/OleContainerSite_win.h"

namespace saver {

OleContainerSite::OleContainerSite(HWND parent) : parent_(parent) {
    GetClientRect(parent, &rect_);
}

STDMETHODIMP OleContainerSite::QueryInterface(REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) ||
               IsEqualIID(riid, IID_IOleInPlaceFrame)) {
        *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OleContainerSite::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) OleContainerSite::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

// --- IOleClientSite: nothing is stored, there is no moniker and no container object. ---------
STDMETHODIMP OleContainerSite::SaveObject() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP OleContainerSite::GetContainer(IOleContainer** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP OleContainerSite::ShowObject() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::OnShowWindow(BOOL) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// --- IOleWindow --------------------------------------------------------------------------------
STDMETHODIMP OleContainerSite::GetWindow(HWND* out) {
    if (out == nullptr) return E_POINTER;
    *out = parent_;
    return S_OK;
}
STDMETHODIMP OleContainerSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// --- IOleInPlaceSite ---------------------------------------------------------------------------
STDMETHODIMP OleContainerSite::CanInPlaceActivate() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::OnInPlaceActivate() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP OleContainerSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                LPRECT pos, LPRECT clip,
                                                LPOLEINPLACEFRAMEINFO info) {
    if (frame == nullptr || doc == nullptr || pos == nullptr || clip == nullptr ||
        info == nullptr) {
        return E_POINTER;
    }
    // The frame is this object; there is no separate document window.
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    *pos = rect_;
    *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP OleContainerSite::Scroll(SIZE) {
    return E_NOTIMPL;
}
STDMETHODIMP OleContainerSite::OnUIDeactivate(BOOL) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::OnInPlaceDeactivate() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::DiscardUndoState() {
    return S_OK;
}
STDMETHODIMP OleContainerSite::DeactivateAndUndo() {
    return S_OK;
}

// The control asks to move: the parent decides the layout, so the request is only noted; the
// next resize by the player puts the control back where the parent wants it.
STDMETHODIMP OleContainerSite::OnPosRectChange(LPCRECT) {
    return S_OK;
}

// --- IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space, menus or status bar. ------------
STDMETHODIMP OleContainerSite::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}
STDMETHODIMP OleContainerSite::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}
STDMETHODIMP OleContainerSite::SetBorderSpace(LPCBORDERWIDTHS) {
    return OLE_E_INVALIDRECT;
}
STDMETHODIMP OleContainerSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::RemoveMenus(HMENU) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::SetStatusText(LPCOLESTR) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::EnableModeless(BOOL) {
    return S_OK;
}
STDMETHODIMP OleContainerSite::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}

}  // namespace saver
