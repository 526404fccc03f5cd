// TestControl: a stand-in for the Flash ActiveX control, for tests only. It is created by
// class id like the real control, activates in place as a coloured child window of the
// container's window, and offers through IDispatch the members the player uses (Movie,
// FrameNum, TotalFrames, BackgroundColor, Quality, AlignMode, ScaleMode, Rewind, Play) with
// the scripted playback of MovieModel. Every call it receives, the OLE calls of the container
// included, is written to the call log (TestLog.h).
#pragma once

#include <oaidl.h>
#include <ole2.h>
#include <windows.h>

#include <string>

#include "MovieModel.h"

namespace testcontrol {

// Live objects, for DllCanUnloadNow.
extern LONG g_objects;

// Called when the DLL unloads.
void UnregisterWindowClass();

class TestControl final : public IOleObject, public IOleInPlaceObject, public IDispatch {
  public:
    TestControl();  // count starts at 1

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    STDMETHODIMP Close(DWORD option) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow / IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* error, UINT* badArg) override;

    // The window procedure of the control's window.
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    ~TestControl();
    HRESULT activate();
    void deactivate();  // window gone, site told
    HRESULT putProperty(DISPID id, const char* name, DISPPARAMS* params);
    HRESULT getProperty(DISPID id, const char* name, VARIANT* result);
    void loadMovie(const std::wstring& location);
    void paint(HWND window);

    LONG refs_ = 1;
    IOleClientSite* site_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    HWND window_ = nullptr;
    std::wstring movie_;
    MovieModel model_;
    LONG backgroundColor_ = 0xFFFFFF;  // 0x00RRGGBB
    LONG quality_ = 1;
    LONG alignMode_ = 0;
    LONG scaleMode_ = 0;
};

}  // namespace testcontrol
