// ScriptRunner: the player's script host. It runs frame scripts in the interpreter, gives
// every timeline a movie clip object (this, _root, _parent, instance names, the timeline
// methods), keeps the movie's clock for getTimer and the timers (frame time, not wall time, so
// a run does not depend on the machine's speed) and collects garbage after every frame.
//
// `trace` output goes to the sink given; fscommand("quit") sets quitRequested(): the scripts
// the frame has still queued run (a clip attached by the script that asked runs its first
// frame), and none after the frame.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "swf/avm1/ClipProperties.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/ScriptInput.h"
#include "swf/player/ScriptHost.h"

namespace saver::swf::avm1 {

class ScriptRunner : public ScriptHost, public InterpreterHost {
  public:
    using TraceSink = std::function<void(const std::string&)>;
    // `screen`: what System.capabilities reports of the screen the movie plays on.
    ScriptRunner(std::shared_ptr<const Movie> movie, TraceSink trace, Screen screen = {});
    ~ScriptRunner() override;

    void runActions(TimelineInstance& root, TimelineInstance& timeline,
                    const DoAction& actions) override;
    void runInitActions(TimelineInstance& root, const DoInitAction& actions) override;
    void frameShown(TimelineInstance& root) override;
    void frameDone(TimelineInstance& root) override;
    // Input, buttons and the stage (see ScriptInput, PointerInput).
    void inputEvent(TimelineInstance& root, const InputEvent& event) override;
    bool isButtonClip(TimelineInstance& clip) override;
    void buttonEvent(TimelineInstance& root, TimelineInstance& target, const char* name) override;
    void runButtonActions(TimelineInstance& root, TimelineInstance& timeline,
                          const std::vector<std::uint8_t>& actions) override;
    void stageResized(TimelineInstance& root, int width, int height) override;
    bool cursorHidden() const override { return input_->cursorHidden(); }
    void viewScaleMode(int mode) override { input_->viewScaleMode = mode; }
    std::optional<int> scriptScaleMode() const override { return input_->scriptScaleMode; }
    bool readVariable(TimelineInstance& timeline, const std::string& name,
                      std::string& value) override;  // ScriptRunnerText.cpp
    void clipEvent(TimelineInstance& root, TimelineInstance& timeline,
                   std::uint32_t event) override;
    bool hasUnloadHandler(TimelineInstance& timeline) override;
    bool frameScripts(Object* clip, const Value& frame, Object*& owner,
                      std::vector<std::span<const std::uint8_t>>& blocks) override;
    bool hasOwnUnloadHandler(TimelineInstance& timeline) override;
    std::vector<SoundCommand> takeSoundCommands() override {
        return std::exchange(vm_->soundCommands, {});
    }

    bool quitRequested() const { return quit_ || quitAtFrameEnd_; }
    Interpreter& interpreter() { return *vm_; }
    // For the display built-ins: the root timeline of the frame being run (null before the
    // first), and the clip object of a timeline.
    TimelineInstance* rootTimeline() const { return root_; }
    Object* clipFor(TimelineInstance& timeline) { return clipObject(timeline); }
    Object* clipIfAny(const TimelineInstance& timeline) const;  // null when none was made
    // The character exported under `name` (linkage names match in any case) once the root has
    // reached the frame that exports it; 0 when there is none yet.
    std::uint16_t exportedCharacter(const std::string& name);
    ScriptInput& input() { return *input_; }
    const PlayerSettings& settings() const { return settings_; }
    // The calendar Date reads: the time now (UTC milliseconds) and local time minus UTC at an
    // instant. A part left empty keeps the default: the system clock, UTC.
    struct Calendar {
        std::function<double()> nowMs;
        std::function<double(double utcMs)> localOffsetMs;
    };
    void setCalendar(Calendar calendar) { calendar_ = std::move(calendar); }

    // InterpreterHost
    void trace(const std::string& line) override;
    // Warnings go to the trace sink as the player's log writes them ("Warning: " first).
    void warning(const std::string& text) override;
    void fscommand(const std::string& command, const std::string& args) override;
    double timerMs() override { return nowMs_; }
    Screen screen() override { return screen_; }
    double dateNowMs() override {
        return calendar_.nowMs ? calendar_.nowMs() : InterpreterHost::dateNowMs();
    }
    double localTimeOffsetMs(double utcMs) override {
        return calendar_.localOffsetMs ? calendar_.localOffsetMs(utcMs) : 0;
    }
    void timelineGoto(Object* clip, int frame, bool play) override;
    void timelineGotoLabel(Object* clip, const std::string& label, bool play) override;
    void timelineControl(Object* clip, int what) override;
    bool timelineGotoValue(Object* clip, const Value& frame, int bias, bool play) override;
    Value clipProperty(Object* clip, const std::string& name) override;
    bool setClipProperty(Object* clip, const std::string& name, const Value& value) override;
    void clipCommand(Object* clip, const std::string& method,
                     const std::vector<Value>& args) override;
    void clipChildNames(Object* clip, std::vector<std::string>& names) override;
    Value clipChild(Object* clip, const std::string& name) override;
    bool clipLeftStage(Object* clip) override;
    bool clipIsButton(Object* clip) override;
    Object* liveClip(Object* clip) override;

    // For the movie clip methods.
    Object* clipObject(TimelineInstance& timeline);
    std::shared_ptr<TimelineInstance> timelineOf(Object* clip) const;
    const Movie& movie() const { return *movie_; }
    TimelineInstance* root() const { return root_; }
    // Object.registerClass: the classes as linkage name / constructor pairs in `elements`
    // (names match exactly, whatever the movie's version).
    Object* classRegistry() const { return registry_; }
    // Gives a new clip its registered class: the prototype, the initialize/construct clip
    // events when the timeline placed it (`placed`), then the constructor.
    void constructClip(TimelineInstance& timeline, bool placed);
    // startDrag/stopDrag: the clip following the pointer (null: none).
    struct Drag {
        std::weak_ptr<TimelineInstance> clip;
        bool lockCenter = false;
        bool constrained = false;
        double left = 0, top = 0, right = 0, bottom = 0;  // parent space, twips
        double offsetX = 0, offsetY = 0;                  // clip origin minus pointer
    };
    Drag drag;

    // The one script object of a text field: made (a broadcaster listening to itself) on first
    // use and kept while the field lives, so what scripts store on it stays.
    Object* textFieldObject(const std::shared_ptr<TextFieldState>& field);

  private:
    // Puts the text field objects still in use among the objects the collector keeps.
    void keepTextFields(std::vector<Object*>& keep);
    // The chain of timelines from the root down to `t` with their instance names; empty when
    // `t` is not on stage.
    bool pathTo(const TimelineInstance& t,
                std::vector<std::pair<TimelineInstance*, std::string>>& out) const;
    void installClipMethods();
    bool lookUp(TimelineInstance& timeline, const std::string& name, std::string& value);
    // The TextField object of the text field named `name` on `timeline`, or undefined.
    Value textFieldNamed(TimelineInstance& timeline, const std::string& name, bool caseSensitive);
    Value namedChild(TimelineInstance& timeline, const std::string& name, bool caseSensitive);
    void runClipActions(TimelineInstance& timeline, Object* clip, std::uint32_t event);
    void callHandler(Object* clip, const char* name);
    void followPointer();

    std::shared_ptr<const Movie> movie_;
    TraceSink traceSink_;
    std::unique_ptr<Interpreter> vm_;
    TimelineInstance* root_ = nullptr;
    std::unordered_map<const TimelineInstance*, Object*> clips_;
    std::unordered_map<const TextFieldState*, Object*> textFields_;
    Object* registry_ = nullptr;
    PlayerSettings settings_;
    Calendar calendar_;
    Screen screen_;
    double nowMs_ = 0;
    int framesShown_ = 0;
    int rootFramesReached_ = 0;  // the root frames (from the first) whose tags have been met
    bool quit_ = false;
    bool quitAtFrameEnd_ = false;  // quit asked: quit_ once this frame's scripts have run
    int unloadHandlers_ = 0;       // unload handlers running: their clips left the stage before
    std::unique_ptr<ScriptInput> input_;
};

}  // namespace saver::swf::avm1
