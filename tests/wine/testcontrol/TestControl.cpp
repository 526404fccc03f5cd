// The OLE half of the test control: in-place activation into the container's window, the
// control's own child window and the bookkeeping calls a container may make. Calls that the
// container uses to place and show the control are logged with their arguments so that the
// tests see the order and values of the hosting protocol.
#include "TestControl.h"

#include "TestLog.h"

namespace testcontrol {

LONG g_objects = 0;

namespace {

const wchar_t kWindowClass[] = L"TestControlWindow";

HINSTANCE instance() {
    return static_cast<HINSTANCE>(Module());
}

void registerWindowClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestControl::WindowProc;
    wc.hInstance = instance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kWindowClass;
    // Registered once per load of the DLL (unregistered when it unloads); a second call fails
    // harmlessly.
    RegisterClassW(&wc);
}

}  // namespace

void UnregisterWindowClass() {
    UnregisterClassW(kWindowClass, instance());
}

TestControl::TestControl() {
    InterlockedIncrement(&g_objects);
    Log("create");
}

TestControl::~TestControl() {
    Log("destroy");
    InterlockedDecrement(&g_objects);
}

STDMETHODIMP TestControl::QueryInterface(REFIID riid, void** out) {
    // The dispatch interface id of the real control, answered by our IDispatch.
    static const IID kControlDispatch = {
        0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject)) {
        *out = static_cast<IOleObject*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject)) {
        *out = static_cast<IOleInPlaceObject*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kControlDispatch)) {
        *out = static_cast<IDispatch*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestControl::AddRef() {
    return InterlockedIncrement(&refs_);
}

STDMETHODIMP_(ULONG) TestControl::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

// --- IOleObject --------------------------------------------------------------------------------

STDMETHODIMP TestControl::SetClientSite(IOleClientSite* site) {
    Log("SetClientSite %s", site != nullptr ? "site" : "null");
    if (site != nullptr) site->AddRef();
    if (site_ != nullptr) site_->Release();
    site_ = site;
    return S_OK;
}

STDMETHODIMP TestControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = site_;
    if (site_ != nullptr) site_->AddRef();
    return S_OK;
}

STDMETHODIMP TestControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP TestControl::Close(DWORD option) {
    Log("Close %lu", option);
    deactivate();
    return S_OK;
}

STDMETHODIMP TestControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                 LPCRECT rect) {
    if (rect != nullptr) {
        Log("DoVerb %ld parent=%s rect=%ld,%ld,%ld,%ld", verb, parent != nullptr ? "yes" : "no",
            rect->left, rect->top, rect->right, rect->bottom);
    } else {
        Log("DoVerb %ld parent=%s rect=none", verb, parent != nullptr ? "yes" : "no");
    }
    if (site != nullptr && site_ == nullptr) SetClientSite(site);
    switch (verb) {
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
        case OLEIVERB_SHOW:
        case OLEIVERB_PRIMARY:
            return activate();
        case OLEIVERB_HIDE:
            if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
            return S_OK;
        default:
            return OLEOBJ_S_INVALIDVERB;
    }
}

// Asks the site for the window and rectangle and makes the child window there, hidden: the
// container shows it.
HRESULT TestControl::activate() {
    if (window_ != nullptr) return S_OK;
    if (site_ == nullptr) return E_UNEXPECTED;
    HRESULT hr =
        site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite_));
    if (FAILED(hr)) return hr;
    if (inPlaceSite_->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlaceSite_->OnInPlaceActivate();
    HWND parent = nullptr;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = nullptr;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    if (FAILED(inPlaceSite_->GetWindow(&parent)) ||
        FAILED(inPlaceSite_->GetWindowContext(&frame, &doc, &pos, &clip, &info))) {
        return E_FAIL;
    }
    if (frame != nullptr) frame->Release();
    if (doc != nullptr) doc->Release();
    registerWindowClass();
    window_ = CreateWindowExW(0, kWindowClass, L"test control", WS_CHILD | WS_CLIPSIBLINGS,
                              pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, parent,
                              nullptr, instance(), this);
    Log("window %s", window_ != nullptr ? "created" : "failed");
    return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TestControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) *verbs = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::Update() {
    return S_OK;
}
STDMETHODIMP TestControl::IsUpToDate() {
    return S_OK;
}
STDMETHODIMP TestControl::GetUserClassID(CLSID*) {
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr) *type = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::SetExtent(DWORD, SIZEL*) {
    return S_OK;
}
STDMETHODIMP TestControl::GetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) *connection = 0;
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::Unadvise(DWORD) {
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise != nullptr) *advise = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP TestControl::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
              OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}
STDMETHODIMP TestControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// --- IOleInPlaceObject -------------------------------------------------------------------------

STDMETHODIMP TestControl::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TestControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP TestControl::InPlaceDeactivate() {
    Log("InPlaceDeactivate");
    deactivate();
    return S_OK;
}

void TestControl::deactivate() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (inPlaceSite_ != nullptr) {
        inPlaceSite_->OnInPlaceDeactivate();
        inPlaceSite_->Release();
        inPlaceSite_ = nullptr;
    }
}

STDMETHODIMP TestControl::UIDeactivate() {
    return S_OK;
}

STDMETHODIMP TestControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (pos == nullptr) return E_POINTER;
    Log("SetObjectRects %ld,%ld,%ld,%ld", pos->left, pos->top, pos->right, pos->bottom);
    if (window_ != nullptr) {
        MoveWindow(window_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                   TRUE);
    }
    return S_OK;
}

STDMETHODIMP TestControl::ReactivateAndUndo() {
    return E_NOTIMPL;
}

// --- the window --------------------------------------------------------------------------------

void TestControl::paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    // 0x00RRGGBB to the Windows layout 0x00BBGGRR
    COLORREF colour = RGB((backgroundColor_ >> 16) & 0xFF, (backgroundColor_ >> 8) & 0xFF,
                          backgroundColor_ & 0xFF);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
}

LRESULT CALLBACK TestControl::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (msg) {
        case WM_PAINT:
            if (self != nullptr) {
                self->paint(window);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
            Log("WM_LBUTTONDOWN %llu %lld", static_cast<unsigned long long>(wParam),
                static_cast<long long>(lParam));
            return 0;
        case WM_SHOWWINDOW:
            Log("WM_SHOWWINDOW %d", wParam != 0 ? 1 : 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace testcontrol
