// The dispatch half of the test control: the members the player uses, by the dispatch ids of
// the real control, each call logged as "put NAME VALUE", "get NAME VALUE" or "call NAME".
// Rewind and Play have ids of our own choosing; a container has to look them up by name.
#include <cwchar>
#include <string>

#include "TestControl.h"
#include "TestLog.h"

namespace testcontrol {

namespace {

enum : DISPID {
    kMovie = 102,
    kQuality = 105,
    kFrameNum = 107,
    kScaleMode = 120,
    kAlignMode = 121,
    kBackgroundColor = 123,
    kTotalFrames = 124,
    kPlay = 1001,
    kRewind = 1002,
};

struct Member {
    const wchar_t* name;
    const char* ansi;
    DISPID id;
};

const Member kMembers[] = {
    {L"Movie", "Movie", kMovie},
    {L"Quality", "Quality", kQuality},
    {L"FrameNum", "FrameNum", kFrameNum},
    {L"ScaleMode", "ScaleMode", kScaleMode},
    {L"AlignMode", "AlignMode", kAlignMode},
    {L"BackgroundColor", "BackgroundColor", kBackgroundColor},
    {L"TotalFrames", "TotalFrames", kTotalFrames},
    {L"Play", "Play", kPlay},
    {L"Rewind", "Rewind", kRewind},
};

const char* nameOf(DISPID id) {
    for (const Member& m : kMembers) {
        if (m.id == id) return m.ansi;
    }
    return nullptr;
}

std::string ansiOf(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::uint64_t now() {
    return GetTickCount64();
}

// The whole file, or "" when it cannot be read.
std::string readFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace

STDMETHODIMP TestControl::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TestControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
    // Only member names: a method of ours has no named arguments.
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& m : kMembers) {
        if (_wcsicmp(m.name, names[0]) == 0) ids[0] = m.id;
    }
    HRESULT hr = ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    Log("GetIDsOfNames %s %ld", ansiOf(names[0]).c_str(), ids[0]);
    return hr;
}

STDMETHODIMP TestControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO*, UINT*) {
    const char* name = nameOf(id);
    if (name == nullptr) {
        Log("invoke unknown %ld", id);
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr) return E_POINTER;
    if (id == kPlay || id == kRewind) {
        if ((flags & DISPATCH_METHOD) == 0 || params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        Log("call %s", name);
        if (id == kPlay)
            model_.play(now());
        else
            model_.rewind(now());
        if (result != nullptr) VariantInit(result);
        return S_OK;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        return putProperty(id, name, params);
    }
    if (flags & DISPATCH_PROPERTYGET) return getProperty(id, name, result);
    Log("bad flags %s %u", name, flags);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TestControl::putProperty(DISPID id, const char* name, DISPPARAMS* params) {
    if (params->cArgs != 1 || params->cNamedArgs != 1 ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        Log("put %s bad arguments", name);
        return DISP_E_PARAMNOTOPTIONAL;
    }
    VARIANT value;
    VariantInit(&value);
    VARTYPE type = id == kMovie ? VT_BSTR : VT_I4;
    HRESULT hr = VariantChangeType(&value, &params->rgvarg[0], 0, type);
    if (FAILED(hr)) {
        Log("put %s type mismatch", name);
        return DISP_E_TYPEMISMATCH;
    }
    switch (id) {
        case kMovie: {
            std::wstring location(value.bstrVal, SysStringLen(value.bstrVal));
            Log("put Movie %s", ansiOf(location).c_str());
            loadMovie(location);
            break;
        }
        case kBackgroundColor:
            backgroundColor_ = value.lVal;
            if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
            break;
        case kQuality:
            quality_ = value.lVal;
            break;
        case kAlignMode:
            alignMode_ = value.lVal;
            break;
        case kScaleMode:
            scaleMode_ = value.lVal;
            break;
        default:
            VariantClear(&value);
            Log("put %s read-only", name);
            return DISP_E_MEMBERNOTFOUND;
    }
    if (id != kMovie) Log("put %s %ld", name, value.lVal);
    VariantClear(&value);
    return S_OK;
}

HRESULT TestControl::getProperty(DISPID id, const char* name, VARIANT* result) {
    if (result == nullptr) return E_POINTER;
    VariantInit(result);
    if (id == kMovie) {
        Log("get Movie %s", ansiOf(movie_).c_str());
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(movie_.data(), static_cast<UINT>(movie_.size()));
        return S_OK;
    }
    LONG value = 0;
    switch (id) {
        case kFrameNum:
            value = model_.frameNum(now());
            break;
        case kTotalFrames:
            value = model_.totalFrames();
            break;
        case kBackgroundColor:
            value = backgroundColor_;
            break;
        case kQuality:
            value = quality_;
            break;
        case kAlignMode:
            value = alignMode_;
            break;
        case kScaleMode:
            value = scaleMode_;
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
    Log("get %s %ld", name, value);
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
}

void TestControl::loadMovie(const std::wstring& location) {
    movie_ = location;
    std::string bytes;
    if (location.find(L"://") == std::wstring::npos) bytes = readFile(location);
    model_.load(ansiOf(location), ParseSwfHeader(bytes), now());
}

}  // namespace testcontrol
