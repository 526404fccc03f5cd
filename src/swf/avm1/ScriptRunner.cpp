// Timelines meet scripts here. A timeline's clip object holds only a weak link to it, so a
// sprite removed from the stage leaves a clip that does nothing; the objects of timelines that
// are gone are dropped from the table after each frame and collected with the rest.
#include "swf/avm1/ScriptRunner.h"

#include <algorithm>
#include <cmath>

#include "swf/avm1/BitmapDataObject.h"
#include "swf/avm1/Builtins.h"
#include "swf/avm1/ClipMethods.h"
#include "swf/avm1/DisplaySlot.h"
#include "swf/player/ContentGeometry.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

ScriptRunner& Runner(CallInfo& c) {
    return static_cast<ScriptRunner&>(c.vm.host());
}

std::shared_ptr<TimelineInstance> ThisTimeline(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o && o->kind() == Object::Kind::Clip ? o->clip.lock() : nullptr;
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
// The clip a "path:frame" argument names, from `from` ("/" the root, ".." the parent).
std::shared_ptr<TimelineInstance> FramePathClip(ScriptRunner& runner,
                                                std::shared_ptr<TimelineInstance> at,
                                                const std::string& path) {
    std::size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        while (at && at->parent()) at = at->parent();
        pos = 1;
    }
    while (at && pos < path.size()) {
        std::size_t end = path.find_first_of("/.:", pos);
        if (path.compare(pos, 2, "..") == 0) end = pos + 2;
        if (end == std::string::npos) end = path.size();
        const std::string seg = path.substr(pos, end - pos);
        pos = end + 1;
        if (seg == "..") {
            at = at->parent();
        } else if (!seg.empty()) {
            Object* clip = runner.clipObject(*at);
            at = runner.timelineOf(runner.interpreter().getMember(clip, seg).asObject());
        }
    }
    return at;
}

Value ClipGoto(CallInfo& c, bool play) {
    if (!c.args.empty()) Runner(c).timelineGotoValue(c.thisValue.asObject(), c.args[0], 0, play);
    return Value{};
}
Value ClipGotoPlay(CallInfo& c) {
    return ClipGoto(c, true);
}
Value ClipGotoStop(CallInfo& c) {
    return ClipGoto(c, false);
}

}  // namespace

ScriptRunner::ScriptRunner(std::shared_ptr<const Movie> movie, TraceSink trace, Screen screen)
    : movie_(std::move(movie)), traceSink_(std::move(trace)), screen_(screen) {
    vm_ = std::make_unique<Interpreter>(movie_->header.version, *this);
    registry_ = vm_->newObject();
    vm_->movie = movie_.get();
    installClipMethods();
    input_ = std::make_unique<ScriptInput>(*vm_, *this, movie_->header.frameSize.width() / 20,
                                           movie_->header.frameSize.height() / 20);
    InstallClipMethods(*vm_);
    InstallBitmapDataBuiltins(*vm_);
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
    // Clips and buttons used as buttons show the hand unless a script says otherwise.
    proto->put("useHandCursor", true, kDontEnum);
    Object* ctor = vm_->newFunction([](CallInfo& c) { return c.thisValue; }, proto);
    vm_->global()->put("MovieClip", ctor, kDontEnum);
}

namespace {

// False for a clip object that never stood for a clip (one made with `new MovieClip`).
bool HadTimeline(const Object& clip) {
    const std::weak_ptr<TimelineInstance> none;
    return clip.clip.owner_before(none) || none.owner_before(clip.clip);
}

}  // namespace

Object* ScriptRunner::clipObject(TimelineInstance& timeline) {
    const auto it = clips_.find(&timeline);
    if (it != clips_.end()) {
        auto alive = it->second->clip.lock();
        if (alive.get() == &timeline) return it->second;
    }
    Object* o = vm_->newObject(vm_->protos.clip);
    o->setKind(Object::Kind::Clip);
    o->clip = timeline.weak_from_this();
    for (const TimelineInstance* at = &timeline; at->parent(); at = at->parent().get())
        o->clipNames.insert(o->clipNames.begin(), at->name());
    clips_[&timeline] = o;
    // The root movie carries the player's version string as a property of its own.
    if (!timeline.parent() && (!root_ || root_ == &timeline))
        if (const Property* version = vm_->global()->findOwn("$version"))
            o->put("$version", version->value);
    return o;
}

bool ScriptRunner::clipIsButton(Object* clip) {
    const auto t = timelineOf(clip);
    if (!t || !t->parent()) return false;
    const auto it = movie_->dictionary.find(t->characterId());
    return it != movie_->dictionary.end() && std::holds_alternative<Button>(it->second);
}

// A removed clip's references find the clip now at the names it was made with (by the
// player's name rules): the player's references keep a path as well as the clip.
Object* ScriptRunner::liveClip(Object* clip) {
    if (!clip || clip->kind() != Object::Kind::Clip || !HadTimeline(*clip)) return clip;
    const auto t = timelineOf(clip);
    return t ? clipObject(*t) : nullptr;
}

void ScriptRunner::clipChildNames(Object* clip, std::vector<std::string>& names) {
    auto t = timelineOf(clip);
    if (!t) return;
    for (const auto& [depth, object] : t->displayList())
        if (!object.name.empty() && !object.pendingRemoval) names.push_back(object.name);
}

std::shared_ptr<TimelineInstance> ScriptRunner::timelineOf(Object* clip) const {
    if (!clip || clip->kind() != Object::Kind::Clip) return nullptr;
    auto t = clip->clip.lock();
    // Unload handlers run after their clips left: those clips are still themselves then.
    if (t && (t->inDisplayTree() || t.get() == root_ || unloadHandlers_ > 0)) return t;
    if (!root_ || !HadTimeline(*clip)) return nullptr;
    // Gone from the stage: the reference follows its path, sprite by sprite from the root.
    const bool cs = vm_->version() >= 7;
    std::shared_ptr<TimelineInstance> at = root_->shared_from_this();
    for (const std::string& name : clip->clipNames) {
        std::shared_ptr<TimelineInstance> next;
        for (const auto& [depth, object] : at->displayList()) {
            if (!object.sprite || object.name.empty()) continue;
            if (cs ? object.name == name : FoldCase(object.name) == FoldCase(name)) {
                next = object.sprite;
                break;
            }
        }
        if (!next) return nullptr;
        at = std::move(next);
    }
    return at;
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

std::uint16_t ScriptRunner::exportedCharacter(const std::string& name) {
    // An export is known once the root's playhead has met its frame (the player reads the
    // movie's frames as it goes), and stays known when the root goes back.
    if (root_) rootFramesReached_ = std::max(rootFramesReached_, root_->currentFrame() + 1);
    // Linkage names match without the case of their ASCII letters (other letters keep theirs).
    auto fold = [](std::string s) {
        for (char& ch : s)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        return s;
    };
    const std::string folded = fold(name);
    for (const auto& [exported, id] : movie_->exports) {
        if (fold(exported) != folded) continue;
        const auto frame = movie_->exportFrames.find(exported);
        if (frame == movie_->exportFrames.end() ||
            static_cast<std::int64_t>(frame->second) < rootFramesReached_)
            return id;
    }
    return 0;
}

void ScriptRunner::frameShown(TimelineInstance& root) {
    root_ = &root;
    const double rate = movie_->header.frameRate > 0 ? movie_->header.frameRate : 12;
    nowMs_ = framesShown_ * 1000.0 / rate;
    ++framesShown_;
    followPointer();
    if (!quit_) vm_->runTimers(nowMs_);
}

void ScriptRunner::frameDone(TimelineInstance& root) {
    root_ = &root;
    quit_ = quit_ || quitAtFrameEnd_;
    std::vector<Object*> keep;
    std::erase_if(clips_, [](const auto& entry) { return entry.second->clip.expired(); });
    for (const auto& entry : clips_) keep.push_back(entry.second);
    keep.push_back(registry_);
    keepTextFields(keep);
    vm_->endFrame(keep);
}

void ScriptRunner::trace(const std::string& line) {
    if (traceSink_) traceSink_(line);
}

void ScriptRunner::warning(const std::string& text) {
    trace("Warning: " + text);
}

void ScriptRunner::fscommand(const std::string& command, const std::string& args) {
    (void)args;
    if (FoldCase(command) == "quit") quitAtFrameEnd_ = true;
}

void ScriptRunner::timelineGoto(Object* clip, int frame, bool play) {
    auto t = timelineOf(clip);
    if (!t || frame < 0) return;
    t->gotoFrameAndStop(frame);
    if (play) t->play();
}

namespace {

// A frame named as text: a frame number or a label, which may name another clip first ("/:5",
// "child:label"). `t` becomes that clip (empty when there is none); returns the frame's number
// from 1, 0 for a label no frame has, and tells in `label` whether it was one.
int TextFrame(ScriptRunner& runner, std::shared_ptr<TimelineInstance>& t, std::string text,
              bool& label) {
    const auto colon = text.find_last_of(":.");
    if (colon != std::string::npos) {
        t = FramePathClip(runner, t, text.substr(0, colon));
        text = text.substr(colon + 1);
        if (!t) return 0;
    }
    const double n = StringToNumber(text, 5);
    label = std::isnan(n);
    return label ? t->labelFrame(text) + 1 : ToInt32(n);
}

}  // namespace

// An integral number is a frame number; anything else is read as text (TextFrame). A goto
// that finds no frame does nothing, not even play or stop.
bool ScriptRunner::timelineGotoValue(Object* clip, const Value& frame, int bias, bool play) {
    auto t = timelineOf(clip);
    if (!t) return true;
    int number = 0;
    if (frame.isNumber() && std::trunc(frame.asNumber()) == frame.asNumber()) {
        number = ToInt32(frame.asNumber());
    } else {
        bool label = false;
        number = TextFrame(*this, t, vm_->toString(frame), label);
        if (!t || (number == 0 && label)) return true;
    }
    const int index = GotoFrameIndex(number, bias);
    if (index < 0) return true;
    t->gotoFrameAndStop(index);
    if (play) t->play();
    return true;
}

bool ScriptRunner::frameScripts(Object* clip, const Value& frame, Object*& owner,
                                std::vector<std::span<const std::uint8_t>>& blocks) {
    auto t = timelineOf(clip);
    if (!t) return false;
    bool label = false;
    const int index = TextFrame(*this, t, vm_->toString(frame), label) - 1;
    if (!t) return false;
    const auto& frames = t->timeline().frames;
    if (index < 0 || index >= static_cast<int>(frames.size())) return false;
    for (const FrameCommand& command : frames[static_cast<std::size_t>(index)].commands)
        if (const auto* action = std::get_if<DoAction>(&command))
            blocks.emplace_back(action->bytes);
    owner = clipObject(*t);
    return !blocks.empty();
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

namespace {

// "_levelN" and its alias "_flashN": the digits after the prefix read as the player reads
// them (none is 0, a sign is taken, what follows them is ignored, the number wraps at 32
// bits).
bool LevelNumber(const std::string& name, int& level) {
    if (!name.starts_with("_level") && !name.starts_with("_flash")) return false;
    const bool negative = name.size() > 6 && name[6] == '-';
    std::uint32_t n = 0;
    for (std::size_t i = negative ? 7 : 6; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
        n = n * 10 + static_cast<std::uint32_t>(name[i] - '0');
    level = static_cast<std::int32_t>(negative ? 0u - n : n);
    return true;
}

}  // namespace

bool ScriptRunner::pathTo(const TimelineInstance& t,
                          std::vector<std::pair<TimelineInstance*, std::string>>& out) const {
    out.clear();
    std::shared_ptr<TimelineInstance> at = const_cast<TimelineInstance&>(t).shared_from_this();
    for (int guard = 0; guard <= kMaxSpriteNesting + 1; ++guard) {
        auto parent = at->parent();
        if (!parent) {
            std::reverse(out.begin(), out.end());
            return at.get() == root_;
        }
        out.emplace_back(at.get(), at->name());
        at = parent;
    }
    return false;
}

Value ScriptRunner::clipProperty(Object* clip, const std::string& name) {
    auto t = timelineOf(clip);
    if (!t && clip && name == "\x01path") {
        // A text field's path: its timeline's and its own name.
        DisplaySlot slot;
        if (!FindDisplaySlot(*this, clip, slot)) return Value{};
        const Value parent = clipProperty(clipObject(*slot.parent), name);
        const auto it = slot.parent->displayList().find(slot.depth);
        if (!parent.isString() || it == slot.parent->displayList().end()) return Value{};
        return parent.asString() + "." + it->second.name;
    }
    if (!root_ || !clip || clip->kind() != Object::Kind::Clip) return Value{};
    const bool cs = vm_->version() >= 7;
    auto is = [&](const char* n) { return cs ? name == n : FoldCase(name) == n; };
    // The levels are there for a removed clip too (its scripts' names go to the root).
    if (is("_root") || is("_level0")) return clipObject(*root_);
    if (int level = 0; LevelNumber(cs ? name : FoldCase(name), level))
        return level == 0 ? Value(clipObject(*root_)) : Value{};
    if (!t) return Value{};
    if (is("_parent")) {
        auto parent = t->parent();
        return parent ? Value(clipObject(*parent)) : Value{};
    }
    if (name == "\x01path") {
        // A clip taken off the stage has no path: it converts to an empty string. One that
        // waits there for its unload event keeps its path until then.
        if (!t->inDisplayTree()) return Value("");
        std::vector<std::pair<TimelineInstance*, std::string>> path;
        pathTo(*t, path);
        std::string out = "_level0";
        for (const auto& [timeline, n] : path) out += "." + n;
        return out;
    }
    if (is("_global") && vm_->version() >= 6) return vm_->global();
    if (Value child = namedChild(*t, name, cs); !child.isUndefined()) return child;
    if (name.size() >= 2 && name[0] == '_') {
        bool found = false;
        Value v = GetDisplayProperty(*vm_, settings_, *t, FoldCase(name), found);
        if (found) return v;
    }
    return textFieldNamed(*t, name, cs);  // ScriptRunnerText.cpp
}

// The clip a child placed under `name` stands for: its own, or for a named shape the clip
// holding it (a shape has no object of its own); undefined when no child has the name.
Value ScriptRunner::namedChild(TimelineInstance& t, const std::string& name, bool cs) {
    for (const auto& [depth, object] : t.displayList()) {
        if (object.name.empty()) continue;
        if (cs ? object.name != name : FoldCase(object.name) != FoldCase(name)) continue;
        if (object.sprite) return clipObject(*object.sprite);
        const auto it = movie_->dictionary.find(object.characterId);
        if (it != movie_->dictionary.end() && (std::holds_alternative<Shape>(it->second) ||
                                               std::holds_alternative<MorphShape>(it->second)))
            return clipObject(t);
    }
    return Value{};
}

Value ScriptRunner::clipChild(Object* clip, const std::string& name) {
    auto t = timelineOf(clip);
    if (!t || !root_) return Value{};
    const bool cs = vm_->version() >= 7;
    if (Value child = namedChild(*t, name, cs); !child.isUndefined()) return child;
    return textFieldNamed(*t, name, cs);
}

bool ScriptRunner::setClipProperty(Object* clip, const std::string& name, const Value& value) {
    if (name.size() < 2 || name[0] != '_') return false;
    auto t = timelineOf(clip);
    if (!t) return false;
    return SetDisplayProperty(*vm_, settings_, *t, FoldCase(name), value);
}

void ScriptRunner::clipCommand(Object* clip, const std::string& method,
                               const std::vector<Value>& args) {
    // The RemoveSprite action reaches fewer depths than the method: 0 to 1048575.
    DisplaySlot slot;
    if (method == "removeMovieClip" && FindDisplaySlot(*this, clip, slot) &&
        slot.depth - kScriptDepthOffset >= 1048576)
        return;
    CallClipMethod(*vm_, clip, method, args);
}

// --- clip events ---------------------------------------------------------------------------

namespace {

// Counts the unload handlers running (or looked up): their clips are still themselves then.
struct UnloadScope {
    int& count;
    const bool on;
    UnloadScope(int& c, bool unload) : count(c), on(unload) { count += on; }
    ~UnloadScope() { count -= on; }
};

const char* HandlerName(std::uint32_t event) {
    switch (event) {
        case kClipLoad:
            return "onLoad";
        case kClipEnterFrame:
            return "onEnterFrame";
        case kClipUnload:
            return "onUnload";
        case kClipMouseMove:
            return "onMouseMove";
        case kClipMouseDown:
            return "onMouseDown";
        case kClipMouseUp:
            return "onMouseUp";
        case kClipData:
            return "onData";
        default:
            return nullptr;
    }
}

}  // namespace

void ScriptRunner::clipEvent(TimelineInstance& root, TimelineInstance& timeline,
                             std::uint32_t event) {
    root_ = &root;
    // Unload handlers a removal queued still run in the frame that asked to quit.
    if ((quit_ && event != kClipUnload) || vm_->halted()) return;
    if (event == kClipInitialize) {
        runClipActions(timeline, clipObject(timeline), event);
        return;
    }
    if (event == kClipConstruct) {
        constructClip(timeline, true);
        return;
    }
    Object* clip = clipObject(timeline);
    const UnloadScope scope(unloadHandlers_, event == kClipUnload);
    runClipActions(timeline, clip, event);
    if (const char* handler = HandlerName(event)) callHandler(clip, handler);
}

// A clip object whose timeline is gone (or off the stage) left it; one that never had a
// timeline (a prototype made with `new MovieClip`) never was on it.
bool ScriptRunner::clipLeftStage(Object* clip) {
    if (!clip || clip->kind() != Object::Kind::Clip || unloadHandlers_ > 0) return false;
    if (!HadTimeline(*clip)) return false;
    const auto timeline = clip->clip.lock();
    return !timeline || !timeline->onStage();
}

bool ScriptRunner::hasUnloadHandler(TimelineInstance& timeline) {
    if (hasOwnUnloadHandler(timeline)) return true;
    for (const auto& [depth, object] : timeline.displayList())
        if (object.sprite && hasUnloadHandler(*object.sprite)) return true;
    return false;
}

bool ScriptRunner::hasOwnUnloadHandler(TimelineInstance& timeline) {
    if (const auto* actions = timeline.clipActions())
        for (const ClipAction& action : *actions)
            if (action.events & kClipUnload) return true;
    if (movie_->header.version >= 6) {
        // Any onUnload the clip sees (its prototype's too, a function or not) keeps it until
        // the event: the handler is looked up again when the event runs. The clip is asked as
        // the event sees it, still itself though its removal has begun.
        const UnloadScope scope(unloadHandlers_, true);
        if (!vm_->getMember(clipObject(timeline), "onUnload").isUndefined()) return true;
    }
    return false;
}

void ScriptRunner::runClipActions(TimelineInstance& timeline, Object* clip, std::uint32_t event) {
    const auto* actions = timeline.clipActions();
    if (!actions) return;
    for (const ClipAction& action : *actions)
        if ((action.events & event) && (!quit_ || event == kClipUnload))
            vm_->runBlock(action.bytes, clip);
}

void ScriptRunner::callHandler(Object* clip, const char* name) {
    if (movie_->header.version < 6) return;  // SWF 5 movies know no event methods
    const Value fn = vm_->getMember(clip, name);
    if (!fn.asObject() || !fn.asObject()->isFunction()) return;
    try {
        vm_->call(fn, clip, {});
    } catch (const ScriptThrow& t) {
        vm_->reportUncaught(t);
    } catch (const ScriptHalt&) {
    }
}

void ScriptRunner::constructClip(TimelineInstance& timeline, bool placed) {
    Object* clip = clipObject(timeline);
    Object* ctor = nullptr;
    if (timeline.characterId() != 0 && vm_->version() >= 6) {
        for (const auto& [linkage, id] : movie_->exports) {
            if (id != timeline.characterId()) continue;
            ctor = RegisteredClass(*registry_, linkage);
            if (ctor) break;
        }
    }
    if (ctor) {
        if (Object* proto = vm_->getMember(ctor, "prototype").asObject())
            clip->put("__proto__", proto, kDontEnum | kDontDelete);
    }
    if (placed && movie_->header.version >= 6) runClipActions(timeline, clip, kClipConstruct);
    if (!ctor) return;
    clip->put("__constructor__", ctor, kDontEnum);
    if (vm_->version() <= 6) clip->put("constructor", ctor, kDontEnum);
    try {
        vm_->call(ctor, clip, {});
    } catch (const ScriptThrow& t) {
        vm_->reportUncaught(t);
    } catch (const ScriptHalt&) {
    }
}

// A dragged clip follows the pointer once a frame, inside its rectangle when it has one.
void ScriptRunner::followPointer() {
    auto t = drag.clip.lock();
    if (!t) return;
    DisplayObject* o = t->placement();
    auto parent = t->parent();
    if (!o || !parent) return;
    Matrix inverse;
    Invert(StageMatrix(*parent), inverse);
    double x = 0, y = 0;
    inverse.apply(t->context().mouseX, t->context().mouseY, x, y);
    if (!drag.lockCenter) {
        x += drag.offsetX;
        y += drag.offsetY;
    }
    if (drag.constrained) {
        x = std::clamp(x, std::min(drag.left, drag.right), std::max(drag.left, drag.right));
        y = std::clamp(y, std::min(drag.top, drag.bottom), std::max(drag.top, drag.bottom));
    }
    o->matrix.tx = std::trunc(x);
    o->matrix.ty = std::trunc(y);
    o->scripted = true;
}

}  // namespace saver::swf::avm1
