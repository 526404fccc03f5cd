// ScriptInput: what the scripts see of the mouse, the keyboard and the stage: the Key object
// (isDown, getCode, getAscii, the key constants, onKeyDown/onKeyUp listeners), the Mouse
// object (hide, show, onMouseMove/Down/Up/Wheel listeners), the Stage object (width, height,
// scaleMode, align, showMenu, displayState, onResize and onFullScreen listeners), and the clip
// methods onMouseMove, onMouseDown, onMouseUp, onKeyDown and onKeyUp called on every clip that has
// them.
//
// The stage is the movie's own size until the player is told the size of its view; it then
// reports the view's size when scaleMode is "noScale", as the player does.
//
// Failure: none; script faults end inside the interpreter.
#pragma once

#include <bitset>
#include <functional>
#include <optional>
#include <string>

#include "swf/avm1/Interpreter.h"
#include "swf/player/ScriptHost.h"

namespace saver::swf::avm1 {

class ScriptRunner;

class ScriptInput {
  public:
    ScriptInput(Interpreter& vm, ScriptRunner& runner, int stageWidth, int stageHeight);

    void event(TimelineInstance& root, const InputEvent& event);
    void resized(TimelineInstance& root, int width, int height);

    bool isDown(int keyCode) const;
    int lastKeyCode() const { return keyCode_; }
    int lastAscii() const { return ascii_; }
    bool cursorHidden() const { return cursorHidden_; }
    void setCursorHidden(bool hidden) { cursorHidden_ = hidden; }
    double mouseX() const { return mouseX_; }
    double mouseY() const { return mouseY_; }
    // The view's size (pixels) without telling the listeners: for a host that knows it
    // before the first frame.
    void setViewSize(int width, int height) {
        viewWidth_ = width;
        viewHeight_ = height;
    }
    int stageWidth() const;
    int stageHeight() const;
    // Stage.scaleMode: the view's (StageTransform's numbering) until a script sets one.
    int viewScaleMode = 0;
    std::optional<int> scriptScaleMode;
    int scaleMode() const { return scriptScaleMode.value_or(viewScaleMode); }
    // Stage.scaleMode set by a script: onResize when the stage's size changes with it.
    void setScriptScaleMode(int mode);
    // Stage.displayState: onFullScreen(state) to the listeners when it changes.
    bool fullScreen() const { return fullScreen_; }
    void setFullScreen(bool on);
    std::string align;
    bool showMenu = true;

  private:
    void install();
    void Guarded(const std::function<void()>& run);
    void broadcast(const char* object, const char* message, std::vector<Value> args = {});

    Interpreter& vm_;
    ScriptRunner& runner_;
    std::bitset<256> down_;
    int keyCode_ = 0;
    int ascii_ = 0;
    bool cursorHidden_ = false;
    bool fullScreen_ = false;
    double mouseX_ = 0, mouseY_ = 0;
    int movieWidth_, movieHeight_;
    int viewWidth_ = 0, viewHeight_ = 0;  // 0: not told yet
};

}  // namespace saver::swf::avm1
