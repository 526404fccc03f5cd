// ScriptRunner: the player's script host. It runs frame scripts in the interpreter, gives
// every timeline a movie clip object (this, _root, _parent, instance names, the timeline
// methods), keeps the movie's clock for getTimer and the timers (frame time, not wall time, so
// a run does not depend on the machine's speed) and collects garbage after every frame.
//
// `trace` output goes to the sink given; fscommand("quit") sets quitRequested() and no script
// runs after the one that asked.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "swf/avm1/Interpreter.h"
#include "swf/player/ScriptHost.h"

namespace saver::swf::avm1 {

class ScriptRunner : public ScriptHost, public InterpreterHost {
  public:
    using TraceSink = std::function<void(const std::string&)>;
    ScriptRunner(std::shared_ptr<const Movie> movie, TraceSink trace);
    ~ScriptRunner() override;

    void runActions(TimelineInstance& root, TimelineInstance& timeline,
                    const DoAction& actions) override;
    void runInitActions(TimelineInstance& root, const DoInitAction& actions) override;
    void frameShown(TimelineInstance& root) override;
    void frameDone(TimelineInstance& root) override;
    std::vector<SoundCommand> takeSoundCommands() override {
        return std::exchange(vm_->soundCommands, {});
    }

    bool quitRequested() const { return quit_; }
    Interpreter& interpreter() { return *vm_; }

    // InterpreterHost
    void trace(const std::string& line) override;
    void fscommand(const std::string& command, const std::string& args) override;
    double timerMs() override { return nowMs_; }
    void timelineGoto(Object* clip, int frame, bool play) override;
    void timelineGotoLabel(Object* clip, const std::string& label, bool play) override;
    void timelineControl(Object* clip, int what) override;
    Value clipProperty(Object* clip, const std::string& name) override;

  private:
    Object* clipObject(TimelineInstance& timeline);
    std::shared_ptr<TimelineInstance> timelineOf(Object* clip) const;
    // The chain of timelines from the root down to `t` with their instance names; empty when
    // `t` is not on stage.
    bool pathTo(const TimelineInstance& t,
                std::vector<std::pair<TimelineInstance*, std::string>>& out) const;
    void installClipMethods();

    std::shared_ptr<const Movie> movie_;
    TraceSink traceSink_;
    std::unique_ptr<Interpreter> vm_;
    TimelineInstance* root_ = nullptr;
    std::unordered_map<const TimelineInstance*, Object*> clips_;
    double nowMs_ = 0;
    int framesShown_ = 0;
    bool quit_ = false;
};

}  // namespace saver::swf::avm1
