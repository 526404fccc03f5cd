// The container speaks to the control only through late-bound IDispatch calls with the
// control's fixed dispatch ids, so no type library or generated header is needed. Rewind and
// Play are looked up by name once, since only their names are certain across versions.
#include "player/ActiveXPlayer_win.h"

#include <cstdio>
#include <vector>

#include "player/OleContainerSite_win.h"

namespace saver {

namespace {

const CLSID kFlashClassId = {
    0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

enum : DISPID {
    kMovie = 102,
    kQuality = 105,
    kFrameNum = 107,
    kScaleMode = 120,
    kAlignMode = 121,
    kBackgroundColor = 123,
    kTotalFrames = 124,
};

[[noreturn]] void fail(const char* step, HRESULT hr) {
    char text[160];
    std::snprintf(text, sizeof text, "Flash control: %s failed (0x%08lX)", step,
                  static_cast<unsigned long>(hr));
    throw PlayerError(text);
}

void check(HRESULT hr, const char* step) {
    if (FAILED(hr)) fail(step, hr);
}

std::wstring toWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string toAnsi(const wchar_t* text, UINT length) {
    if (text == nullptr || length == 0) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), ansi.data(), n, nullptr,
                        nullptr);
    return ansi;
}

// A VARIANT that is cleared on every path out.
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
};

}  // namespace

std::unique_ptr<ActiveXPlayer> ActiveXPlayer::create(HWND parent) {
    std::unique_ptr<ActiveXPlayer> player(new ActiveXPlayer(parent));
    player->activate();  // on failure the destructor undoes what was done
    return player;
}

std::unique_ptr<PlayerControl> CreateActiveXPlayer(HWND parent) {
    return ActiveXPlayer::create(parent);
}

ActiveXPlayer::ActiveXPlayer(HWND parent) : parent_(parent) {}

ActiveXPlayer::~ActiveXPlayer() {
    release();
}

void ActiveXPlayer::activate() {
    // COM is initialised right before the control is made, on this thread; S_FALSE (already
    // initialised here) also has to be balanced.
    HRESULT hr = CoInitialize(nullptr);
    check(hr, "CoInitialize");
    comInitialised_ = true;

    check(CoCreateInstance(kFlashClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                           reinterpret_cast<void**>(&object_)),
          "CoCreateInstance");
    site_ = new OleContainerSite(parent_);
    check(object_->SetClientSite(site_), "SetClientSite");
    check(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)),
          "QueryInterface(IDispatch)");

    RECT rect{};
    GetClientRect(parent_, &rect);
    site_->setRect(rect);
    check(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, parent_, &rect),
          "DoVerb(INPLACEACTIVATE)");
    check(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace_)),
          "QueryInterface(IOleInPlaceObject)");
    check(inPlace_->GetWindow(&controlWindow_), "GetWindow");
    if (controlWindow_ == nullptr) fail("GetWindow", E_UNEXPECTED);

    ShowWindow(controlWindow_, SW_SHOW);
    check(inPlace_->SetObjectRects(&rect, &rect), "SetObjectRects");
    SendMessageW(controlWindow_, WM_LBUTTONDOWN, 0, 0);
    fitToParent();
}

void ActiveXPlayer::release() noexcept {
    if (inPlace_ != nullptr) {
        inPlace_->InPlaceDeactivate();
        inPlace_->Release();
        inPlace_ = nullptr;
    }
    if (dispatch_ != nullptr) {
        dispatch_->Release();
        dispatch_ = nullptr;
    }
    if (object_ != nullptr) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_->Release();
        object_ = nullptr;
    }
    if (site_ != nullptr) {
        site_->Release();
        site_ = nullptr;
    }
    controlWindow_ = nullptr;
    if (comInitialised_) {
        comInitialised_ = false;
        CoUninitialize();
    }
}

void ActiveXPlayer::fitToParent() {
    if (inPlace_ == nullptr) return;
    RECT rect{};
    GetClientRect(parent_, &rect);
    site_->setRect(rect);
    inPlace_->SetObjectRects(&rect, &rect);
}

// --- dispatch calls ----------------------------------------------------------------------------

void ActiveXPlayer::invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result,
                           const char* name) {
    EXCEPINFO error{};
    UINT badArg = 0;
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                   &error, &badArg);
    // The control may fill the exception description; it is not needed beyond the code.
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION && error.scode != 0) hr = error.scode;
    check(hr, name);
}

void ActiveXPlayer::putInt(DISPID id, const char* name, std::int32_t value) {
    Variant arg;
    arg.v.vt = VT_I4;
    arg.v.lVal = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg.v, &named, 1, 1};
    invoke(id, DISPATCH_PROPERTYPUT, params, nullptr, name);
}

std::int32_t ActiveXPlayer::getInt(DISPID id, const char* name) {
    Variant result;
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    invoke(id, DISPATCH_PROPERTYGET, params, &result.v, name);
    check(VariantChangeType(&result.v, &result.v, 0, VT_I4), name);
    return result.v.lVal;
}

void ActiveXPlayer::callMethod(const wchar_t* name, DISPID& cached) {
    std::string ansiName = toAnsi(name, static_cast<UINT>(wcslen(name)));
    if (cached == DISPID_UNKNOWN) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        check(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &cached),
              ansiName.c_str());
    }
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    Variant result;
    invoke(cached, DISPATCH_METHOD, params, &result.v, ansiName.c_str());
}

void ActiveXPlayer::setBackgroundColor(std::int32_t rgb) {
    putInt(kBackgroundColor, "BackgroundColor", rgb);
}
void ActiveXPlayer::setQuality(std::int32_t quality) {
    putInt(kQuality, "Quality", quality);
}
void ActiveXPlayer::setAlignMode(std::int32_t mode) {
    putInt(kAlignMode, "AlignMode", mode);
}
void ActiveXPlayer::setScaleMode(std::int32_t mode) {
    putInt(kScaleMode, "ScaleMode", mode);
}

std::string ActiveXPlayer::movie() {
    Variant result;
    DISPPARAMS params{nullptr, nullptr, 0, 0};
    invoke(kMovie, DISPATCH_PROPERTYGET, params, &result.v, "Movie");
    check(VariantChangeType(&result.v, &result.v, 0, VT_BSTR), "Movie");
    return toAnsi(result.v.bstrVal, SysStringLen(result.v.bstrVal));
}

void ActiveXPlayer::setMovie(const std::string& location) {
    std::wstring wide = toWide(location);
    Variant arg;
    arg.v.vt = VT_BSTR;
    arg.v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (arg.v.bstrVal == nullptr) fail("Movie", E_OUTOFMEMORY);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg.v, &named, 1, 1};
    invoke(kMovie, DISPATCH_PROPERTYPUT, params, nullptr, "Movie");
}

void ActiveXPlayer::rewind() {
    callMethod(L"Rewind", rewindId_);
}
void ActiveXPlayer::play() {
    callMethod(L"Play", playId_);
}
std::int32_t ActiveXPlayer::frameNum() {
    return getInt(kFrameNum, "FrameNum");
}
std::int32_t ActiveXPlayer::totalFrames() {
    return getInt(kTotalFrames, "TotalFrames");
}

}  // namespace saver
