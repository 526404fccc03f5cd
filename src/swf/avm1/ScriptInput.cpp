// Key, Mouse and Stage are broadcasters (AsBroadcaster.initialize gives them their listener
// list), so a script may add, remove and even call listeners itself as it can in the player.
#include "swf/avm1/ScriptInput.h"

#include <functional>
#include <utility>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr std::pair<const char*, int> kKeyConstants[] = {
    {"BACKSPACE", 8}, {"TAB", 9},     {"ENTER", 13},    {"SHIFT", 16}, {"CONTROL", 17},
    {"CAPSLOCK", 20}, {"ESCAPE", 27}, {"SPACE", 32},    {"PGUP", 33},  {"PGDN", 34},
    {"END", 35},      {"HOME", 36},   {"LEFT", 37},     {"UP", 38},    {"RIGHT", 39},
    {"DOWN", 40},     {"INSERT", 45}, {"DELETEKEY", 46}};

ScriptInput* Input(CallInfo& c) {
    auto* runner = dynamic_cast<ScriptRunner*>(&c.vm.host());
    return runner ? &runner->input() : nullptr;
}

Value IsDown(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in && in->isDown(ToInt32(c.vm.toNumber(c.arg(0))));
}
Value GetCode(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? in->lastKeyCode() : 0;
}
Value GetAscii(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? in->lastAscii() : 0;
}
Value IsToggled(CallInfo&) {
    return false;
}
Value Hide(CallInfo& c) {
    ScriptInput* in = Input(c);
    if (!in) return Value{};
    const bool wasShown = !in->cursorHidden();
    in->setCursorHidden(true);
    return wasShown ? 1 : 0;
}
Value Show(CallInfo& c) {
    ScriptInput* in = Input(c);
    if (!in) return Value{};
    const bool wasShown = !in->cursorHidden();
    in->setCursorHidden(false);
    return wasShown ? 1 : 0;
}

Value StageWidth(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? in->stageWidth() : 0;
}
Value StageHeight(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? in->stageHeight() : 0;
}
// In StageTransform's order.
constexpr const char* kScaleModes[] = {"showAll", "noBorder", "exactFit", "noScale"};

Value GetScaleMode(CallInfo& c) {
    ScriptInput* in = Input(c);
    const int mode = in ? in->scaleMode() : 0;
    return in ? Value(kScaleModes[mode >= 0 && mode < 4 ? mode : 0]) : Value{};
}
// The player takes the four modes in any case; anything else shows all. A stage whose size
// changes with the mode tells its listeners (onResize).
Value SetScaleMode(CallInfo& c) {
    ScriptInput* in = Input(c);
    if (!in) return Value{};
    const std::string mode = FoldCase(c.vm.toString(c.arg(0)));
    int chosen = 0;
    for (int i = 0; i < 4; ++i)
        if (mode == FoldCase(kScaleModes[i])) chosen = i;
    in->setScriptScaleMode(chosen);
    return Value{};
}
Value GetDisplayState(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? Value(in->fullScreen() ? "fullScreen" : "normal") : Value{};
}
// "fullScreen" or "normal" in any case; anything else changes nothing.
Value SetDisplayState(CallInfo& c) {
    ScriptInput* in = Input(c);
    if (!in) return Value{};
    const std::string state = FoldCase(c.vm.toString(c.arg(0)));
    if (state == "fullscreen" || state == "normal") in->setFullScreen(state == "fullscreen");
    return Value{};
}
Value GetAlign(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? Value(in->align) : Value{};
}
// Stored as the player stores it: the letters it knows (L, T, R, B), in that order.
Value SetAlign(CallInfo& c) {
    ScriptInput* in = Input(c);
    if (!in) return Value{};
    const std::string given = FoldCase(c.vm.toString(c.arg(0)));
    std::string out;
    for (const char letter : {'l', 't', 'r', 'b'})
        if (given.find(letter) != std::string::npos) out += static_cast<char>(letter - 'a' + 'A');
    in->align = out;
    return Value{};
}
Value GetShowMenu(CallInfo& c) {
    ScriptInput* in = Input(c);
    return in ? Value(in->showMenu) : Value{};
}
Value SetShowMenu(CallInfo& c) {
    if (ScriptInput* in = Input(c)) in->showMenu = c.vm.toBool(c.arg(0));
    return Value{};
}

void Accessor(Interpreter& vm, Object* target, const char* name, NativeFn get, NativeFn set) {
    Property& p = target->put(name, Value{}, kDontEnum | kDontDelete);
    p.getter = vm.newFunction(get);
    p.setter = set ? vm.newFunction(set) : nullptr;
}

Value Ignore(CallInfo&) {
    return Value{};
}

}  // namespace

// A script's uncaught throw ends its handler; a spent budget ends the scripts until the next
// frame.
void ScriptInput::Guarded(const std::function<void()>& run) {
    if (vm_.halted()) return;
    try {
        run();
    } catch (const ScriptThrow& t) {
        vm_.reportUncaught(t);
    } catch (const ScriptHalt&) {
    }
}

ScriptInput::ScriptInput(Interpreter& vm, ScriptRunner& runner, int stageWidth, int stageHeight)
    : vm_(vm), runner_(runner), movieWidth_(stageWidth), movieHeight_(stageHeight) {
    install();
}

void ScriptInput::install() {
    auto makeBroadcaster = [&](const char* name) {
        Object* o = vm_.newObject();
        InitializeBroadcaster(vm_, o);
        vm_.global()->put(name, o, kDontEnum);
        return o;
    };
    Object* key = makeBroadcaster("Key");
    for (const auto& [name, code] : kKeyConstants)
        key->put(name, code, kDontEnum | kDontDelete | kReadOnly);
    vm_.method(key, "isDown", IsDown);
    vm_.method(key, "getCode", GetCode);
    vm_.method(key, "getAscii", GetAscii);
    vm_.method(key, "isToggled", IsToggled);

    Object* mouse = makeBroadcaster("Mouse");
    vm_.method(mouse, "hide", Hide);
    vm_.method(mouse, "show", Show);

    Object* stage = makeBroadcaster("Stage");
    Accessor(vm_, stage, "width", StageWidth, Ignore);
    Accessor(vm_, stage, "height", StageHeight, Ignore);
    Accessor(vm_, stage, "scaleMode", GetScaleMode, SetScaleMode);
    Accessor(vm_, stage, "align", GetAlign, SetAlign);
    Accessor(vm_, stage, "showMenu", GetShowMenu, SetShowMenu);
    Accessor(vm_, stage, "displayState", GetDisplayState, SetDisplayState);
}

bool ScriptInput::isDown(int keyCode) const {
    return keyCode >= 0 && keyCode < static_cast<int>(down_.size()) && down_[keyCode];
}

int ScriptInput::stageWidth() const {
    return scaleMode() == 3 && viewWidth_ > 0 ? viewWidth_ : movieWidth_;
}

int ScriptInput::stageHeight() const {
    return scaleMode() == 3 && viewHeight_ > 0 ? viewHeight_ : movieHeight_;
}

void ScriptInput::event(TimelineInstance& root, const InputEvent& e) {
    switch (e.kind) {
        case InputKind::MouseMove:
            mouseX_ = e.x;
            mouseY_ = e.y;
            broadcast("Mouse", "onMouseMove");
            break;
        case InputKind::MouseDown:
            broadcast("Mouse", "onMouseDown");
            break;
        case InputKind::MouseUp:
            broadcast("Mouse", "onMouseUp");
            break;
        case InputKind::MouseWheel:
            broadcast("Mouse", "onMouseWheel", {e.wheelDelta});
            break;
        case InputKind::KeyDown:
            if (e.keyCode >= 0 && e.keyCode < static_cast<int>(down_.size()))
                down_[e.keyCode] = true;
            keyCode_ = e.keyCode;
            ascii_ = e.ascii;
            broadcast("Key", "onKeyDown");
            break;
        case InputKind::KeyUp:
            if (e.keyCode >= 0 && e.keyCode < static_cast<int>(down_.size()))
                down_[e.keyCode] = false;
            keyCode_ = e.keyCode;
            ascii_ = e.ascii;
            broadcast("Key", "onKeyUp");
            break;
    }
}

void ScriptInput::setScriptScaleMode(int mode) {
    const int width = stageWidth(), height = stageHeight();
    scriptScaleMode = mode;
    if (width != stageWidth() || height != stageHeight()) broadcast("Stage", "onResize");
}

// The show always fills the screen; the state is what the movie asked for, and its
// listeners hear of each change.
void ScriptInput::setFullScreen(bool on) {
    if (on == fullScreen_) return;
    fullScreen_ = on;
    broadcast("Stage", "onFullScreen", {on});
}

void ScriptInput::resized(TimelineInstance& root, int width, int height) {
    const bool changed = width != viewWidth_ || height != viewHeight_;
    viewWidth_ = width;
    viewHeight_ = height;
    if (changed && scaleMode() == 3) broadcast("Stage", "onResize");
}

void ScriptInput::broadcast(const char* object, const char* message, std::vector<Value> args) {
    const Value target = vm_.getMember(vm_.global(), object);
    if (!target.isObject()) return;
    args.insert(args.begin(), Value(message));
    Guarded([&] { vm_.callMethod(target, "broadcastMessage", args); });
}

}  // namespace saver::swf::avm1
