// Interpreter: the ActionScript 1/2 virtual machine. It runs action blocks (a frame's
// DoAction, a function body) on a scope chain, keeps the operand stack, the four global
// registers, the global object and the built-in prototypes, and owns the heap.
//
// Version rules (case of names, undefined to string and number, string to boolean, SWF 4
// arithmetic) follow the SWF version of the code that runs: a function keeps the version it was
// defined in. Names match case-insensitively when the movie is SWF 6 or older.
//
// Safety: calls nest at most kMaxCallDepth deep; a frame may run at most the action budget
// (count and processor time) and the heap may hold at most its object budget. Past a limit the
// running scripts stop silently (the rest of the frame's scripts too for the budgets); the
// movie goes on. A script's uncaught `throw` ends only its own action list.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/avm1/Heap.h"
#include "swf/avm1/Value.h"
#include "swf/format/SwfMovie.h"
#include "swf/player/SoundCommand.h"

namespace saver::swf::avm1 {

inline constexpr int kMaxCallDepth = 256;

// What the interpreter asks of whoever embeds it.
struct InterpreterHost {
    virtual ~InterpreterHost() = default;
    virtual void trace(const std::string& line) = 0;
    // A warning of the player's log ("Uncaught exception, ..."), without its "Warning: "
    // prefix; dropped by default.
    virtual void warning(const std::string& text) { (void)text; }
    // GetURL/GetURL2 with "FSCommand:" targets, and other URLs (ignored by default).
    virtual void fscommand(const std::string& command, const std::string& args) = 0;
    virtual double timerMs() = 0;  // getTimer()
    // Timeline actions on a clip object (Kind::Clip).
    virtual void timelineGoto(Object* clip, int frame, bool play) = 0;  // frame from 0
    virtual void timelineGotoLabel(Object* clip, const std::string& label, bool play) = 0;
    virtual void timelineControl(Object* clip, int what) = 0;  // 0 stop, 1 play, 2 next, 3 prev
    // gotoAndPlay/gotoAndStop with any value (a number, or text naming a frame, a label or
    // "path:frame") plus a scene's first frame `bias`; false when the host leaves it to
    // timelineGoto and timelineGotoLabel.
    virtual bool timelineGotoValue(Object* clip, const Value& frame, int bias, bool play) {
        (void)clip, (void)frame, (void)bias, (void)play;
        return false;
    }
    // A clip's built-in property (`_root`, `_parent`, `_target`, `_currentframe`, ...) or
    // child clip by instance name; undefined when it has none.
    virtual Value clipProperty(Object* clip, const std::string& name) = 0;
    // Writes a clip's built-in property; false when `name` is none (the write then makes an
    // ordinary property).
    virtual bool setClipProperty(Object* clip, const std::string& name, const Value& value) {
        (void)clip, (void)name, (void)value;
        return false;
    }
    // A movie clip method the actions of SWF 4 reach without a call (duplicateMovieClip,
    // removeMovieClip, startDrag, stopDrag), run on `clip`.
    virtual void clipCommand(Object* clip, const std::string& method,
                             const std::vector<Value>& args) {
        (void)clip, (void)method, (void)args;
    }
    // The child of `clip` (a clip, or a text field) with the instance name `name`; a named
    // shape stands for `clip` itself. Undefined when there is none.
    virtual Value clipChild(Object* clip, const std::string& name) {
        (void)clip, (void)name;
        return Value{};
    }
    // The names for..in lists on `clip` besides its properties: its named children.
    virtual void clipChildNames(Object* clip, std::vector<std::string>& names) {
        (void)clip, (void)names;
    }
    // True when the clip `clip` has left the stage while scripts ran (a goto, attachMovie or
    // removeMovieClip took it away): a script of that clip ends after the call that did it.
    virtual bool clipLeftStage(Object* clip) {
        (void)clip;
        return false;
    }
    // The clip object a clip object stands for now: itself while its clip is on the stage; once
    // it left, the one now at the path it was made with, or null when there is none.
    virtual Object* liveClip(Object* clip) { return clip; }
    // True when the clip object `clip` stands for a button (typeof gives "object").
    virtual bool clipIsButton(Object* clip) {
        (void)clip;
        return false;
    }
    // The Call action: the DoAction blocks of the frame `frame` names on `clip` (a number
    // from 1, a label, or "path:frame"), and the clip they run as; false when there is none.
    virtual bool frameScripts(Object* clip, const Value& frame, Object*& owner,
                              std::vector<std::span<const std::uint8_t>>& blocks) {
        (void)clip, (void)frame, (void)owner, (void)blocks;
        return false;
    }
    // Local time minus UTC at the instant `utcMs` (Date's local fields); UTC by default.
    virtual double localTimeOffsetMs(double utcMs) {
        (void)utcMs;
        return 0;
    }
    // The screen System.capabilities reports (read when the built-ins are made).
    struct Screen {
        int width = 1024, height = 768;  // pixels
        double dpi = 96;
    };
    virtual Screen screen() { return {}; }
    // The time now for Date, in milliseconds since 1970 (UTC); the system clock by default.
    virtual double dateNowMs() {
        return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count());
    }
};

// Thrown through native code by a script's `throw`.
struct ScriptThrow {
    Value value;
};
// Thrown when a limit stops the scripts.
struct ScriptHalt {
    bool wholeFrame = false;
};

class Interpreter {
  public:
    Interpreter(int movieVersion, InterpreterHost& host);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Runs an action block as a frame script of `clip` (this, target and timeline scope).
    void runBlock(std::span<const std::uint8_t> code, Object* clip);
    // Runs a frame's action block from inside a script (the Call action), on top of the
    // caller's stack, which it leaves as it found it.
    void runCalledBlock(std::span<const std::uint8_t> code, Object* clip);

    // Frame end: the operand stack and global registers are cleared, garbage collected with
    // `extraRoots` (objects the embedder keeps) as roots, and the frame's budget renewed.
    void endFrame(const std::vector<Object*>& extraRoots);
    // Keeps `o` alive until the next endFrame, which takes the embedder's roots afresh.
    void holdRoot(Object* o) { rootsHeld_.push_back(o); }
    void setBudget(std::uint64_t actionsPerFrame, std::chrono::milliseconds timePerFrame);
    bool halted() const { return halted_; }  // the frame's budget ran out
    std::uint64_t actionsRun() const { return totalActions_ + actions_; }  // since creation

    // A script's throw that no try caught: the player logs it as a warning, and the action
    // list it ended is over.
    void reportUncaught(const ScriptThrow& t);

    // Calls `fn` (undefined when not a function).
    Value call(const Value& fn, const Value& thisValue, const std::vector<Value>& args);
    Value callMethod(const Value& object, const std::string& name, const std::vector<Value>& args);
    // `new fn(args)`.
    Value construct(const Value& fn, const std::vector<Value>& args);

    Value getMember(const Value& object, const std::string& name);
    void setMember(const Value& object, const std::string& name, const Value& value);
    bool hasProperty(Object* object, const std::string& name);  // on the prototype chain
    // Finds a property on the prototype chain (hidden ones skipped); `holder` gets its owner.
    Property* lookup(Object* object, const std::string& name, Object** holder = nullptr);

    double toNumber(const Value& v);
    std::string toString(const Value& v);
    bool toBool(const Value& v) const;
    // valueOf, then toString when that gives no primitive (the other way round for Dates
    // from SWF 6); "[type Object]" (or Function) when neither does.
    Value toPrimitive(const Value& v);
    // Calls the method `name` of `v` without arguments; `called` says whether there was one.
    Value callNamed(const Value& v, const char* name, bool& called);
    Object* toObject(const Value& v);  // primitives boxed; null for undefined/null
    std::string typeOf(const Value& v) const;
    // The `==` and `+` operators of SWF 5+ code, for built-ins written in their terms.
    bool looseEquals(const Value& a, const Value& b) { return equals2(a, b); }
    Value addValues(const Value& a, const Value& b) { return add2(a, b); }

    // Object making.
    Object* newObject(Object* proto = nullptr);  // default Object.prototype
    Object* newArray(std::vector<Value> elements = {});
    Object* newFunction(NativeFn fn, Object* prototype = nullptr);
    Object* newScriptFunction(std::unique_ptr<ScriptCode> code);
    // Installs a native method on `target`, DontEnum like the player's built-ins.
    Object* method(Object* target, const std::string& name, NativeFn fn, std::uint16_t flags = 0);

    // Memory a script makes outside the object count: array slots and long strings. Past the
    // budget the scripts of the frame stop (ScriptHalt).
    void chargeElements(std::size_t count);
    std::string concat(const std::string& a, const std::string& b);

    Heap& heap() { return heap_; }
    InterpreterHost& host() { return host_; }
    Object* global() const { return global_; }
    int version() const;  // of the code running now (the movie's between scripts)
    int movieVersion() const { return movieVersion_; }
    bool isHidden(const Property& p) const;
    // The prototype `o` links to, as its `__proto__` flags show it to this SWF version: property
    // reads walk the lenient chain; instanceof (`strict`) also honours the SWF 8 and 9 flags
    // one version early.
    Object* protoOf(const Object* o, bool strict) const;
    // Whether the script function running now was called by `new` (ASnew).
    bool callerConstructs() const;
    // The clip the code running now acts on (its target); null between scripts.
    Object* currentTarget() const;
    // The clip or text field `path` names (a clip or field itself, or a target path read from
    // `from`, or without it from the running code's target as tellTarget reads it); null when
    // it names none (an empty path names none).
    Object* resolveTarget(const Value& path, Object* from = nullptr);

    struct Prototypes {
        Object* object = nullptr;
        Object* function = nullptr;
        Object* array = nullptr;
        Object* string = nullptr;
        Object* number = nullptr;
        Object* boolean = nullptr;
        Object* date = nullptr;
        Object* error = nullptr;
        Object* clip = nullptr;
    };
    Prototypes protos;
    // Set by a native constructor that makes nothing of its arguments: `new` then gives
    // undefined (flash.geom.Transform without a clip).
    bool constructRefused = false;

    // Timers (setInterval/setTimeout), run by the embedder's clock.
    struct Timer {
        int id = 0;
        Value function;  // or an object with `method`
        std::string method;
        std::vector<Value> args;
        double interval = 0;
        double due = 0;
        bool repeat = true;
    };
    std::vector<Timer> timers;
    int nextTimerId = 1;
    void runTimers(double nowMs);

    // Sounds the Sound object started, reckoned on the embedder's clock (SoundBuiltins.cpp);
    // the commands for the sound layer wait in soundCommands until the embedder takes them.
    struct ScriptSound {
        std::uint64_t channel = 0;
        Object* sound = nullptr;  // the Sound object that started it
        Object* owner = nullptr;  // the clip it was started on; null: the global sound
        std::uint16_t soundId = 0;
        double startedMs = 0, offsetMs = 0, durationMs = 0;
        int loops = 1;
    };
    std::vector<ScriptSound> sounds;
    struct ClipSound {
        SoundTransform transform;
        std::weak_ptr<TimelineInstance> timeline;  // the clip's, when it has one
    };
    std::map<const Object*, ClipSound> clipSounds;  // by target clip; nullptr: the global one
    std::vector<SoundCommand> soundCommands;
    std::uint64_t nextSoundChannel = 1;
    const Movie* movie = nullptr;  // for linkage names and sound lengths; set by the embedder
    // Reads the file a script loads by URL (LoadVars, XML.load) into `contents`; false when
    // there is none. Set by the embedder; unset, every load fails as a missing file does.
    std::function<bool(const std::string& url, std::string& contents)> loadFile;
    // Ends the sounds whose time is up, calling their Sound objects' onSoundComplete.
    void pollSounds(double nowMs);

  private:
    struct Frame;
    enum class Flow { Normal, Jump, Return };
    struct Completion {
        Flow flow = Flow::Normal;
        std::size_t pc = 0;
        Value value;
    };

    // A frame script of `clip`: this, target and timeline scope, the global registers.
    void setUpFrameScript(Frame& f, std::span<const std::uint8_t> code, Object* clip,
                          std::size_t stackBase);
    Value callFunction(Object* fn, const Value& thisValue, const std::vector<Value>& args,
                       Object* home, bool construct);
    Value runScriptFunction(Object* fn, const Value& thisValue, const std::vector<Value>& args,
                            Object* home);
    Completion run(Frame& f, std::size_t start, std::size_t end);
    bool step(Frame& f, const struct ActionRecord& r, std::size_t& pc, Completion& out);
    bool stepSwf4(Frame& f, const struct ActionRecord& r, std::size_t& pc);
    bool stepSwf5(Frame& f, const struct ActionRecord& r, std::size_t& pc, Completion& out);
    void skipActions(Frame& f, std::size_t& pc, int count);  // passes over `count` records
    bool stepLong(Frame& f, const struct ActionRecord& r, std::size_t& pc, Completion& out);
    void doPush(Frame& f, const struct ActionRecord& r);
    void doDefineFunction(Frame& f, const struct ActionRecord& r, std::size_t& pc, bool v2);
    Completion doTry(Frame& f, const struct ActionRecord& r);
    Completion doWith(Frame& f, const struct ActionRecord& r);
    void doCallFunction(Frame& f);
    void doCallMethod(Frame& f);
    void doNew(Frame& f, bool method);
    void doEnumerate(Frame& f, const Value& target);
    void doExtends();
    void doGetUrl(Frame& f, const std::string& url, const std::string& target);
    void doGotoFrame2(Frame& f, const struct ActionRecord& r);
    Value callAt(Frame& f, Object* fn, const Value& thisValue, const std::vector<Value>& args,
                 Object* home);
    Value superConstruct(Frame& f, Object* super, const std::vector<Value>& args);
    // The home prototype of a `super` object (where super() looks for `__constructor__`) and
    // the prototype its members are looked up from; null where a clip stands in for a
    // prototype (`super` does not follow a clip).
    static Object* superHome(const Object* super);
    static Object* superStart(const Object* super);
    // The prototype of the built-in class that boxes a primitive, and whether _global's class of
    // that name is still the built-in one (so boxing runs no script).
    Object* boxPrototype(const Value& v) const;
    bool boxedByBuiltin(const Value& v);

    Value getVariable(Frame& f, const std::string& name, Object** foundOn = nullptr);
    void setVariable(Frame& f, const std::string& name, const Value& value);
    void defineLocal(Frame& f, const std::string& name, const Value& value, bool declareOnly);
    bool deleteVariable(Frame& f, const std::string& name);
    // Target paths (InterpreterPaths.cpp).
    Object* rootOf(Frame& f);
    Object* followPath(Frame& f, Object* start, std::string_view path, bool first, bool withThis);
    // A name that is a path: `out` gets its value and true is returned; false for plain names.
    bool pathVariable(Frame& f, const std::string& name, Value& out, Object** foundOn);
    bool setPathVariable(Frame& f, const std::string& name, const Value& value);
    bool deletePath(Frame& f, const std::string& name);  // Delete2
    Object* targetObject(Frame& f, const Value& path);
    void setTarget(Frame& f, Object* clip);
    void rehomeFunction(Frame& f, const Value& thisValue);  // a removed clip's function
    void setTargetPath(Frame& f, const Value& path);
    Value specialName(Frame& f, const std::string& name, bool& found);
    static bool IsThis(const Frame& f, const std::string& name);

    // Calls a getter, setter or watcher of the property `name` of `holder` into `result`;
    // false (nothing called) when 65 calls of that property's accessors are open already.
    // Writes a member once the watchers have had their say: setters, read-only and hidden
    // properties, or a new property.
    void storeMember(Object* o, const std::string& name, const Value& stored);
    bool callAccessor(const Object* holder, const std::string& name, const Value& fn,
                      const Value& self, const std::vector<Value>& args, Value& result);

    Value pop();
    void push(Value v) { stack_.push_back(std::move(v)); }
    bool equals2(const Value& a, const Value& b);
    bool sameObject(Object* a, Object* b);
    Value less2(const Value& a, const Value& b);
    Value add2(const Value& a, const Value& b);
    bool instanceOf(const Value& v, const Value& ctor);
    double valueOfNumber(const Value& v);
    void checkBudget();
    void maybeCollect();
    void roots(const std::function<void(Object*)>& visit) const;

    void installBuiltins();

    int movieVersion_;
    InterpreterHost& host_;
    Heap heap_;
    Object* global_ = nullptr;
    std::vector<Value> stack_;
    std::vector<Value> globalRegisters_;
    std::vector<Frame*> frames_;
    std::vector<std::string> constantPool_;  // the pool of the frame code running
    int depth_ = 0;
    std::map<std::pair<const Object*, std::string>, int> accessorCalls_;  // open, by property
    int scriptDepth_ = 0;  // script function calls open (the movie's recursion limit counts these)
    int pinned_ = 0;       // native code holds values on the C++ stack: no collection now
    bool halted_ = false;
    std::uint64_t actions_ = 0;
    std::uint64_t totalActions_ = 0;
    std::size_t elementsCharged_ = 0;     // array slots made since the last collection
    Object* nativeCallee_ = nullptr;      // the built-in function running, for arguments.caller
    std::size_t nativeCalleeFrames_ = 0;  // the script frames open when it started
    std::uint64_t actionBudget_ = 20'000'000;
    std::chrono::milliseconds timeBudget_{2000};
    std::clock_t frameStart_ = 0;
    std::vector<Object*> rootsHeld_;
    bool nextCallConstructs_ = false;  // handed from callFunction to the new frame
};

// RAII guard for native code that holds heap values on the C++ stack.
class PinScope {
  public:
    explicit PinScope(int& counter) : counter_(counter) { ++counter_; }
    ~PinScope() { --counter_; }

  private:
    int& counter_;
};

}  // namespace saver::swf::avm1
