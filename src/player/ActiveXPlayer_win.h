// ActiveXPlayer: the movie player as the Flash ActiveX control (class id
// {D27CDB6E-AE6D-11CF-96B8-444553540000}), hosted in place inside a window of ours and driven
// only through its IDispatch interface.
//
// Creation initialises COM on the calling (user-interface) thread, creates the control
// in-process, gives it our client site, activates it in place inside the parent window,
// shows it at the parent's client rectangle and sends its window one WM_LBUTTONDOWN. Every
// failing step throws PlayerError naming the step and its HRESULT (REGDB_E_CLASSNOTREG,
// 0x80040154, when no control is installed); what was built up to then is undone, COM
// initialisation included. The destructor deactivates and closes the control, detaches the
// site and balances the COM initialisation; it never throws.
//
// Every property and method throws PlayerError with the HRESULT when the control fails the
// call. Must be used on the thread that created it, which must pump messages.
#pragma once

#include <oaidl.h>
#include <ole2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "player/PlayerControl.h"

namespace saver {

class OleContainerSite;

class ActiveXPlayer final : public PlayerControl {
  public:
    // Creates and activates the control inside `parent`; throws PlayerError on failure.
    static std::unique_ptr<ActiveXPlayer> create(HWND parent);
    ~ActiveXPlayer() override;
    ActiveXPlayer(const ActiveXPlayer&) = delete;
    ActiveXPlayer& operator=(const ActiveXPlayer&) = delete;

    // Fits the control to the parent's current client area (call on the parent's WM_SIZE).
    void fitToParent();
    // The control's own window.
    HWND controlWindow() const { return controlWindow_; }

    void setBackgroundColor(std::int32_t rgb) override;
    void setQuality(std::int32_t quality) override;
    void setAlignMode(std::int32_t mode) override;
    void setScaleMode(std::int32_t mode) override;
    std::string movie() override;
    void setMovie(const std::string& location) override;
    void rewind() override;
    void play() override;
    std::int32_t frameNum() override;
    std::int32_t totalFrames() override;

  private:
    explicit ActiveXPlayer(HWND parent);
    void activate();
    void release() noexcept;

    void putInt(DISPID id, const char* name, std::int32_t value);
    std::int32_t getInt(DISPID id, const char* name);
    void callMethod(const wchar_t* name, DISPID& cached);
    void invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result, const char* name);

    HWND parent_;
    bool comInitialised_ = false;
    OleContainerSite* site_ = nullptr;
    IOleObject* object_ = nullptr;
    IOleInPlaceObject* inPlace_ = nullptr;
    IDispatch* dispatch_ = nullptr;
    HWND controlWindow_ = nullptr;
    DISPID rewindId_ = DISPID_UNKNOWN;
    DISPID playId_ = DISPID_UNKNOWN;
};

// The factory the full-screen window uses: the control inside `parent`, or PlayerError when no
// control can be created (it never returns null).
std::unique_ptr<PlayerControl> CreateActiveXPlayer(HWND parent);

}  // namespace saver
