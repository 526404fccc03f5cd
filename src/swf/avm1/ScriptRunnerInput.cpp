// The script host's side of input: mouse and key events go to ScriptInput; buttons and clips
// used as buttons hear their events here.
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kButtonEvents[] = {"onPress",    "onRelease", "onReleaseOutside",
                                         "onRollOver", "onRollOut", "onDragOver",
                                         "onDragOut"};

}  // namespace

Object* ScriptRunner::clipIfAny(const TimelineInstance& timeline) const {
    const auto it = clips_.find(&timeline);
    if (it == clips_.end() || it->second->clip.lock().get() != &timeline) return nullptr;
    return it->second;
}

void ScriptRunner::inputEvent(TimelineInstance& root, const InputEvent& event) {
    root_ = &root;
    if (!quit_) input_->event(root, event);
}

// Only SWF 6 and later movies have clips that act as buttons.
bool ScriptRunner::isButtonClip(TimelineInstance& clip) {
    Object* o = clipIfAny(clip);
    if (!o || vm_->movieVersion() < 6) return false;
    for (const char* name : kButtonEvents) {
        const Property* p = vm_->lookup(o, name);
        if (p && (p->getter || (p->value.asObject() && p->value.asObject()->isFunction())))
            return true;
    }
    return false;
}

void ScriptRunner::buttonEvent(TimelineInstance& root, TimelineInstance& target, const char* name) {
    root_ = &root;
    Object* o = clipIfAny(target);
    if (quit_ || !o || vm_->halted() || vm_->movieVersion() < 6) return;
    try {
        const Value method = vm_->getMember(o, name);
        if (method.asObject() && method.asObject()->isFunction()) vm_->call(method, o, {});
    } catch (const ScriptThrow& t) {
        vm_->reportUncaught(t);
    } catch (const ScriptHalt&) {
    }
}

void ScriptRunner::runButtonActions(TimelineInstance& root, TimelineInstance& timeline,
                                    const std::vector<std::uint8_t>& actions) {
    root_ = &root;
    if (!quit_) vm_->runBlock(actions, clipObject(timeline));
}

void ScriptRunner::stageResized(TimelineInstance& root, int width, int height) {
    root_ = &root;
    if (!quit_) input_->resized(root, width, height);
}

}  // namespace saver::swf::avm1
