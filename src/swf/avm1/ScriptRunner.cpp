// Timelines meet scripts here. A timeline's clip object holds only a weak link to it, so a
// sprite removed from the stage leaves a clip that does nothing; the objects of timelines that
// are gone are dropped from the table after each frame and collected with the rest.
#include "swf/avm1/ScriptRunner.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

std::shared_ptr<TimelineInstance> ThisTimeline(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->kind() == Object::Kind::Clip ? o->clip.lock() : nullptr;
}

int FrameArg(CallInfo& c) {
    return static_cast<int>(std::clamp<long long>(
        static_cast<long long>(ToInt32(c.vm.toNumber(c.arg(0)))) - 1, -1, 1 << 30));
}

Value ClipPlay(CallInfo& c) {
    if (auto t = ThisTimeline(c)) t->play();
    return Value{};
}
Value ClipStop(CallInfo& c) {
    if (auto t = ThisTimeline(c)) t->stop();
    return Value{};
}
Value ClipNext(CallInfo& c) {
    if (auto t = ThisTimeline(c)) t->nextFrame();
    return Value{};
}
Value ClipPrev(CallInfo& c) {
    if (auto t = ThisTimeline(c)) t->prevFrame();
    return Value{};
}
Value ClipGoto(CallInfo& c, bool play) {
    auto t = ThisTimeline(c);
    if (!t || c.args.empty()) return Value{};
    if (c.args[0].isString() && std::isnan(StringToNumber(c.args[0].asString(), 5))) {
        t->gotoLabelAndStop(c.args[0].asString());
    } else {
        const int frame = FrameArg(c);
        if (frame >= 0) t->gotoFrameAndStop(frame);
    }
    if (play) t->play();
    return Value{};
}
Value ClipGotoPlay(CallInfo& c) {
    return ClipGoto(c, true);
}
Value ClipGotoStop(CallInfo& c) {
    return ClipGoto(c, false);
}

}  // namespace

ScriptRunner::ScriptRunner(std::shared_ptr<const Movie> movie, TraceSink trace)
    : movie_(std::move(movie)), traceSink_(std::move(trace)) {
    vm_ = std::make_unique<Interpreter>(movie_->header.version, *this);
    vm_->movie = movie_.get();
    installClipMethods();
}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::installClipMethods() {
    Object* proto = vm_->protos.clip;
    vm_->method(proto, "play", ClipPlay);
    vm_->method(proto, "stop", ClipStop);
    vm_->method(proto, "nextFrame", ClipNext);
    vm_->method(proto, "prevFrame", ClipPrev);
    vm_->method(proto, "gotoAndPlay", ClipGotoPlay);
    vm_->method(proto, "gotoAndStop", ClipGotoStop);
    Object* ctor = vm_->newFunction([](CallInfo& c) { return c.thisValue; }, proto);
    vm_->global()->put("MovieClip", ctor, kDontEnum);
}

Object* ScriptRunner::clipObject(TimelineInstance& timeline) {
    const auto it = clips_.find(&timeline);
    if (it != clips_.end()) {
        auto alive = it->second->clip.lock();
        if (alive.get() == &timeline) return it->second;
    }
    Object* o = vm_->newObject(vm_->protos.clip);
    o->setKind(Object::Kind::Clip);
    o->clip = timeline.weak_from_this();
    clips_[&timeline] = o;
    return o;
}

std::shared_ptr<TimelineInstance> ScriptRunner::timelineOf(Object* clip) const {
    return clip && clip->kind() == Object::Kind::Clip ? clip->clip.lock() : nullptr;
}

void ScriptRunner::runActions(TimelineInstance& root, TimelineInstance& timeline,
                              const DoAction& actions) {
    root_ = &root;
    if (quit_) return;
    vm_->runBlock(actions.bytes, clipObject(timeline));
}

void ScriptRunner::runInitActions(TimelineInstance& root, const DoInitAction& actions) {
    root_ = &root;
    if (quit_) return;
    vm_->runBlock(actions.bytes, clipObject(root));
}

void ScriptRunner::frameShown(TimelineInstance& root) {
    root_ = &root;
    const double rate = movie_->header.frameRate > 0 ? movie_->header.frameRate : 12;
    nowMs_ = framesShown_ * 1000.0 / rate;
    ++framesShown_;
    if (!quit_) vm_->runTimers(nowMs_);
}

void ScriptRunner::frameDone(TimelineInstance& root) {
    root_ = &root;
    std::vector<Object*> keep;
    for (auto it = clips_.begin(); it != clips_.end();) {
        if (it->second->clip.expired()) {
            it = clips_.erase(it);
        } else {
            keep.push_back(it->second);
            ++it;
        }
    }
    vm_->endFrame(keep);
}

void ScriptRunner::trace(const std::string& line) {
    if (traceSink_) traceSink_(line);
}

void ScriptRunner::fscommand(const std::string& command, const std::string& args) {
    (void)args;
    if (FoldCase(command) == "quit") quit_ = true;
}

void ScriptRunner::timelineGoto(Object* clip, int frame, bool play) {
    auto t = timelineOf(clip);
    if (!t || frame < 0) return;
    t->gotoFrameAndStop(frame);
    if (play) t->play();
}

void ScriptRunner::timelineGotoLabel(Object* clip, const std::string& label, bool play) {
    auto t = timelineOf(clip);
    if (!t) return;
    t->gotoLabelAndStop(label);
    if (play) t->play();
}

void ScriptRunner::timelineControl(Object* clip, int what) {
    auto t = timelineOf(clip);
    if (!t) return;
    switch (what) {
        case 0:
            t->stop();
            break;
        case 1:
            t->play();
            break;
        case 2:
            t->nextFrame();
            break;
        default:
            t->prevFrame();
            break;
    }
}

bool ScriptRunner::pathTo(const TimelineInstance& t,
                          std::vector<std::pair<TimelineInstance*, std::string>>& out) const {
    if (!root_) return false;
    std::function<bool(TimelineInstance&, int)> walk = [&](TimelineInstance& at, int depth) {
        if (&at == &t) return true;
        if (depth > kMaxSpriteNesting) return false;
        for (const auto& [d, object] : at.displayList()) {
            if (!object.sprite) continue;
            out.emplace_back(object.sprite.get(), object.name);
            if (walk(*object.sprite, depth + 1)) return true;
            out.pop_back();
        }
        return false;
    };
    out.clear();
    return walk(*root_, 0);
}

Value ScriptRunner::clipProperty(Object* clip, const std::string& name) {
    auto t = timelineOf(clip);
    if (!t || !root_) return Value{};
    const bool cs = vm_->version() >= 7;
    auto is = [&](const char* n) { return cs ? name == n : FoldCase(name) == n; };
    auto isAny = [&](const char* n) { return FoldCase(name) == n; };
    if (is("_root") || is("_level0")) return clipObject(*root_);
    if (isAny("_currentframe")) return t->currentFrame() + 1;
    if (isAny("_totalframes") || isAny("_framesloaded")) return t->frameCount();
    std::vector<std::pair<TimelineInstance*, std::string>> path;
    const bool onStage = pathTo(*t, path);
    if (is("_parent")) {
        if (!onStage || path.empty()) return Value{};
        return clipObject(path.size() >= 2 ? *path[path.size() - 2].first : *root_);
    }
    if (isAny("_name")) return onStage && !path.empty() ? Value(path.back().second) : Value("");
    if (isAny("_target") || name == "\x01path") {
        const bool dots = name != "_target" && FoldCase(name) != "_target";
        std::string out = dots ? "_level0" : "";
        for (const auto& [timeline, n] : path) out += (dots ? "." : "/") + n;
        return out.empty() ? "/" : out;
    }
    if (is("_global") && vm_->version() >= 6) return vm_->global();
    for (const auto& [depth, object] : t->displayList()) {
        if (!object.sprite || object.name.empty()) continue;
        if (cs ? object.name == name : FoldCase(object.name) == FoldCase(name))
            return clipObject(*object.sprite);
    }
    return Value{};
}

}  // namespace saver::swf::avm1
