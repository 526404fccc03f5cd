// Depths here are a script's (display-list depth minus kScriptDepthOffset). New clips run
// their first frame's display commands at once; their scripts and load event are queued
// behind the running script, while a registered class's constructor runs before the call
// returns, as in Flash Player.
#include "swf/avm1/ClipMethods.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "swf/avm1/ClipProperties.h"
#include "swf/avm1/DisplayBuiltins.h"
#include "swf/avm1/DisplaySlot.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/player/ContentGeometry.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

ScriptRunner& Runner(CallInfo& c) {
    return static_cast<ScriptRunner&>(c.vm.host());
}

std::shared_ptr<TimelineInstance> This(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return Runner(c).timelineOf(o);
}

// A depth argument; false when Flash ignores the call for it.
bool DepthArg(CallInfo& c, std::size_t i, int& depth) {
    const double d = static_cast<double>(ToInt32(c.vm.toNumber(c.arg(i))));
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return false;
    depth = static_cast<int>(d) + kScriptDepthOffset;
    return true;
}

void CopyInitObject(CallInfo& c, Object* clip, const Value& init) {
    Object* from = init.asObject();
    if (!from) return;
    std::vector<std::pair<std::string, Value>> props;
    from->forEachOwn([&](const Property& p) {
        // Members hidden from this movie's version are copied too.
        if (!(p.flags & kDontEnum)) props.emplace_back(p.name, p.value);
    });
    for (auto it = props.rbegin(); it != props.rend(); ++it)
        c.vm.setMember(clip, it->first, it->second);
}

// `copied`: a duplicate, whose construct handlers (copied from the original) run at once.
Value NewClip(CallInfo& c, const std::shared_ptr<TimelineInstance>& child, const Value& init,
              bool copied = false) {
    if (!child) return Value{};
    ScriptRunner& runner = Runner(c);
    Object* clip = runner.clipObject(*child);
    CopyInitObject(c, clip, init);
    runner.constructClip(*child, copied);
    return clip;
}

Value AttachMovie(CallInfo& c) {
    auto t = This(c);
    if (!t || c.args.size() < 3) return Value{};
    const std::string linkage = c.vm.toString(c.arg(0));
    const std::string name = c.vm.toString(c.arg(1));
    int depth = 0;
    if (!DepthArg(c, 2, depth)) return Value{};
    const std::uint16_t id = Runner(c).exportedCharacter(linkage);
    return id ? NewClip(c, t->addSprite(depth, id, name), c.arg(3)) : Value{};
}

Value CreateEmptyMovieClip(CallInfo& c) {
    auto t = This(c);
    if (!t || c.args.size() < 2) return Value{};
    // Any depth goes here, wrapped to 32 bits as Flash does.
    const std::int64_t d = ToInt32(c.vm.toNumber(c.arg(1)));
    const int depth =
        static_cast<int>(std::clamp<std::int64_t>(d + kScriptDepthOffset, INT32_MIN, INT32_MAX));
    return NewClip(c, t->addSprite(depth, 0, c.vm.toString(c.arg(0))), Value{});
}

Value DuplicateMovieClip(CallInfo& c) {
    auto t = This(c);
    if (!t || c.args.size() < 2) return Value{};
    const std::string name = c.vm.toString(c.arg(0));
    int depth = 0;
    if (!DepthArg(c, 1, depth)) return Value{};
    auto parent = t->parent();
    const DisplayObject* self = t->placement();
    if (!parent || !self) return Value{};
    const DisplayObject copy = *self;
    const Value clip =
        NewClip(c, parent->addSprite(depth, t->characterId(), name, &copy), c.arg(2), true);
    return c.vm.version() >= 6 ? clip : Value{};
}

Value RemoveMovieClip(CallInfo& c) {
    // Text fields go too (MovieClip.prototype.removeMovieClip.apply(field)).
    DisplaySlot slot;
    if (!FindDisplaySlot(Runner(c), c.thisValue.asObject(), slot)) return Value{};
    const int depth = slot.depth - kScriptDepthOffset;
    // The children of a clip that waits for its unload event stay with it.
    const DisplayObject* parent = slot.parent->placement();
    if (parent && parent->pendingRemoval) return Value{};
    if (depth >= 0 && depth < 2130690032) {
        ReleaseFocusInside(c.vm, *slot.parent, slot.depth);
        slot.parent->removeAt(slot.depth);
    }
    return Value{};
}

// A target path from `start`: names, ".." for the parent, "_root"/"_level0" for the root,
// separated by '/', '.' or ':'; undefined when a step finds no clip.
Value ClipAtPath(CallInfo& c, Object* start, const std::string& path) {
    ScriptRunner& runner = Runner(c);
    Object* root = runner.rootTimeline() ? runner.clipFor(*runner.rootTimeline()) : nullptr;
    Object* at = path.starts_with('/') ? root : start;
    std::size_t from = 0;
    while (at && from < path.size()) {
        if (path.compare(from, 2, "..") == 0 &&
            (from + 2 == path.size() || path[from + 2] == '/' || path[from + 2] == ':')) {
            at = runner.clipProperty(at, "_parent").asObject();
            from += 3;
            continue;
        }
        std::size_t to = path.find_first_of("./:", from);
        if (to == std::string::npos) to = path.size();
        const std::string part = path.substr(from, to - from);
        if (part == "_root" || part == "_level0")
            at = root;
        else if (!part.empty())
            at = c.vm.getMember(at, part).asObject();
        from = to + 1;
    }
    return at ? Value(at) : Value{};
}

Value SwapDepths(CallInfo& c) {
    DisplaySlot self;
    if (c.arg(0).isUndefined()) return Value{};
    if (!FindDisplaySlot(Runner(c), c.thisValue.asObject(), self)) {
        int depth = 0;
        auto t = This(c);
        if (t && !t->parent() && !Runner(c).timelineOf(c.arg(0).asObject()) &&
            DepthArg(c, 0, depth))
            t->setRootDepth(depth);
        return Value{};
    }
    int to = 0;
    DisplaySlot other;
    // A string names the other clip by its path from this one.
    const Value target =
        c.arg(0).isString() ? ClipAtPath(c, c.thisValue.asObject(), c.arg(0).asString()) : c.arg(0);
    if (c.arg(0).isString() && target.isUndefined()) return Value{};
    if (FindDisplaySlot(Runner(c), target.asObject(), other)) {
        if (other.parent != self.parent) return Value{};
        to = other.depth;
    } else if (Runner(c).timelineOf(target.asObject())) {
        return Value{};
    } else {
        const double d = static_cast<double>(ToInt32(c.vm.toNumber(c.arg(0))));
        if (d < kMinScriptDepth || d > kMaxScriptDepth) return Value{};
        to = static_cast<int>(d) + kScriptDepthOffset;
    }
    self.parent->swapDepths(self.depth, to);
    return Value{};
}

Value GetDepth(CallInfo& c) {
    auto t = This(c);
    // A clip taken off the stage has no depth any more.
    return t && t->placement() ? Value(static_cast<double>(t->depth() - kScriptDepthOffset))
                               : Value{};
}

Value GetNextHighestDepth(CallInfo& c) {
    auto t = This(c);
    if (!t) return Value{};
    const auto& list = t->displayList();
    const double highest = list.empty() ? -1 : list.rbegin()->first - kScriptDepthOffset;
    return std::max(0.0, highest + 1);
}

Value GetInstanceAtDepth(CallInfo& c) {
    auto t = This(c);
    // Any value but undefined counts, as a 32-bit integer (NaN and the infinities are 0).
    if (!t || c.arg(0).isUndefined()) return Value{};
    const std::int64_t depth = ToInt32(c.vm.toNumber(c.arg(0)));
    if (depth + kScriptDepthOffset < INT_MIN || depth + kScriptDepthOffset > INT_MAX)
        return Value{};
    const auto it = t->displayList().find(static_cast<int>(depth + kScriptDepthOffset));
    if (it == t->displayList().end()) return Value{};
    if (it->second.sprite) return Runner(c).clipObject(*it->second.sprite);
    // A text field answers its own object (found by its name); a shape, the clip holding it.
    const auto& dictionary = Runner(c).movie().dictionary;
    const auto character = dictionary.find(it->second.characterId);
    const bool field = it->second.text || (character != dictionary.end() &&
                                           std::holds_alternative<EditText>(character->second));
    if (field && !it->second.name.empty()) {
        const Value v = Runner(c).clipProperty(c.thisValue.asObject(), it->second.name);
        if (v.isObject()) return v;
    }
    return c.thisValue;
}

// The transform from `t` to the space of the clip `target` (the stage when none is given).
Matrix SpaceOf(CallInfo& c, const TimelineInstance& t, const Value& target, bool& ok) {
    ok = true;
    if (target.isUndefined()) return Matrix{};
    auto other = Runner(c).timelineOf(target.asObject());
    if (!other) {
        ok = false;
        return Matrix{};
    }
    Matrix inverse;
    Invert(StageMatrix(*other), inverse);
    return inverse * StageMatrix(t);
}

Value GetBounds(CallInfo& c) {
    auto t = This(c);
    if (!t) return Value{};
    bool ok = false;
    const Matrix m = SpaceOf(c, *t, c.arg(0), ok);
    if (!ok) return Value{};
    Rect box;
    Object* out = c.vm.newObject();
    if (!t->bounds(m, box)) {
        for (const char* n : {"xMin", "xMax", "yMin", "yMax"}) out->put(n, 6710886.35);
        return out;
    }
    out->put("xMin", box.xMin / 20.0);
    out->put("xMax", box.xMax / 20.0);
    out->put("yMin", box.yMin / 20.0);
    out->put("yMax", box.yMax / 20.0);
    return out;
}

bool StageBounds(const TimelineInstance& t, Rect& box) {
    return t.bounds(StageMatrix(t), box);
}

Value HitTest(CallInfo& c) {
    auto t = This(c);
    if (!t || c.args.empty() || !t->onStage()) return false;
    Rect mine;
    const bool hasMine = StageBounds(*t, mine);
    if (c.args.size() >= 2) {
        const double x = c.vm.toNumber(c.arg(0)), y = c.vm.toNumber(c.arg(1));
        if (std::isnan(x) || std::isnan(y)) return false;
        double sx = 0, sy = 0;
        StageMatrix(*Runner(c).root()).apply(x * 20, y * 20, sx, sy);
        if (c.vm.toBool(c.arg(2))) return t->hitTest(StageMatrix(*t) * Matrix{}, sx, sy, true);
        return hasMine && sx >= mine.xMin && sx <= mine.xMax && sy >= mine.yMin && sy <= mine.yMax;
    }
    // A clip, or a path read from this clip.
    auto other = Runner(c).timelineOf(c.vm.resolveTarget(c.arg(0), c.thisValue.asObject()));
    Rect theirs;
    if (!other || !other->onStage() || !hasMine || !StageBounds(*other, theirs)) return false;
    return mine.xMin <= theirs.xMax && theirs.xMin <= mine.xMax && mine.yMin <= theirs.yMax &&
           theirs.yMin <= mine.yMax;
}

Value MapPoint(CallInfo& c, bool toGlobal) {
    auto t = This(c);
    Object* point = c.arg(0).asObject();
    if (!t || !point) return Value{};
    // Only the point's own plain numbers count: inherited ones and getters leave it alone.
    const Property* px = point->findOwn("x");
    const Property* py = point->findOwn("y");
    if (!px || !py || px->getter || py->getter) return Value{};
    const Value xv = px->value, yv = py->value;
    if (!xv.isNumber() || !yv.isNumber()) return Value{};
    Matrix m = StageMatrix(*t);
    if (!toGlobal) Invert(Matrix(m), m);
    // In and out in whole twips, as Flash keeps points: 32-bit integers that wrap around
    // (NaN and the infinities are 0).
    double x = 0, y = 0;
    m.apply(ToInt32(xv.asNumber() * 20), ToInt32(yv.asNumber() * 20), x, y);
    c.vm.setMember(point, "x", std::round(x) / 20);
    c.vm.setMember(point, "y", std::round(y) / 20);
    return Value{};
}
Value LocalToGlobal(CallInfo& c) {
    return MapPoint(c, true);
}
Value GlobalToLocal(CallInfo& c) {
    return MapPoint(c, false);
}

Value StartDrag(CallInfo& c) {
    auto t = This(c);
    if (!t || !t->placement()) return Value{};
    ScriptRunner::Drag drag;
    drag.clip = t;
    drag.lockCenter = c.vm.toBool(c.arg(0));
    if (c.args.size() >= 5) {
        drag.constrained = true;
        drag.left = c.vm.toNumber(c.arg(1)) * 20;
        drag.top = c.vm.toNumber(c.arg(2)) * 20;
        drag.right = c.vm.toNumber(c.arg(3)) * 20;
        drag.bottom = c.vm.toNumber(c.arg(4)) * 20;
    }
    if (auto parent = t->parent()) {
        Matrix inverse;
        Invert(StageMatrix(*parent), inverse);
        double x = 0, y = 0;
        inverse.apply(t->context().mouseX, t->context().mouseY, x, y);
        drag.offsetX = t->placement()->matrix.tx - x;
        drag.offsetY = t->placement()->matrix.ty - y;
    }
    Runner(c).drag = drag;
    return Value{};
}

Value StopDrag(CallInfo& c) {
    Runner(c).drag = {};
    return Value{};
}

// The root counts the whole file; a sprite, its own tags; a clip a script made empty, none.
Value BytesTotal(CallInfo& c) {
    auto t = This(c);
    if (!t) return Value{};
    if (!t->parent()) return static_cast<double>(Runner(c).movie().header.fileLength);
    const auto& dictionary = Runner(c).movie().dictionary;
    const auto it = dictionary.find(t->characterId());
    const auto* sprite = it == dictionary.end() ? nullptr : std::get_if<Sprite>(&it->second);
    return static_cast<double>(sprite ? sprite->tagBytes : 0);
}

// A clip, or null/undefined to take the mask off; anything else leaves the mask as it is.
Value SetMask(CallInfo& c) {
    auto t = This(c);
    if (!t) return Value{};
    if (c.args.empty()) return Value{};
    if (c.arg(0).isUndefined() || c.arg(0).isNull()) {
        t->setScriptMask(std::shared_ptr<TimelineInstance>{});
        return true;
    }
    // A clip, a field, or a path (a string or number) to one, read as tellTarget reads it.
    Object* target = c.vm.resolveTarget(c.arg(0));
    DisplaySlot field;
    if (auto mask = Runner(c).timelineOf(target)) {
        t->setScriptMask(mask);
    } else if (FindDisplaySlot(Runner(c), target, field)) {
        const auto it = field.parent->displayList().find(field.depth);
        if (it != field.parent->displayList().end() && it->second.text)
            t->setScriptMask(it->second.text, field.parent);
    } else {
        return false;
    }
    return true;
}

// A clip or a field on the stage answers its movie's version; anything else, -1.
Value SwfVersion(CallInfo& c) {
    DisplaySlot field;
    if (!This(c) && !FindDisplaySlot(Runner(c), c.thisValue.asObject(), field)) return -1.0;
    return static_cast<double>(Runner(c).movie().header.version);
}

Value RegisterClass(CallInfo& c) {
    if (c.args.size() < 2) return false;
    // A class is a function, or null to forget the symbol's class; anything else is refused.
    Object* given = c.args[1].asObject();
    if (!c.args[1].isNull() && !(given && given->isFunction())) return false;
    const std::string name = c.vm.toString(c.arg(0));
    auto& entries = Runner(c).classRegistry()->elements;
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (entries[i].isString() && entries[i].asString() == name) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i),
                          entries.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            break;
        }
    }
    Object* ctor = c.arg(1).asObject();
    if (ctor && ctor->isFunction()) entries.insert(entries.end(), {Value(name), Value(ctor)});
    return true;
}

struct Method {
    const char* name;
    NativeFn fn;
    std::uint16_t hidden = 0;  // the versions below the player that added it do not see it
};

constexpr std::uint16_t kSince6 = 0x80, kSince7 = 0x400, kSince8 = 0x1000;

constexpr Method kMethods[] = {
    {"attachMovie", AttachMovie},
    {"createEmptyMovieClip", CreateEmptyMovieClip, kSince6},
    {"duplicateMovieClip", DuplicateMovieClip},
    {"removeMovieClip", RemoveMovieClip},
    {"swapDepths", SwapDepths},
    {"getDepth", GetDepth, kSince6},
    {"getNextHighestDepth", GetNextHighestDepth, kSince7},
    {"getInstanceAtDepth", GetInstanceAtDepth, kSince7},
    {"getBounds", GetBounds},
    {"getRect", GetBounds, kSince8},
    {"hitTest", HitTest},
    {"localToGlobal", LocalToGlobal},
    {"globalToLocal", GlobalToLocal},
    {"startDrag", StartDrag},
    {"stopDrag", StopDrag},
    {"getBytesLoaded", BytesTotal},
    {"getBytesTotal", BytesTotal},
    {"setMask", SetMask, kSince6},
    {"getSWFVersion", SwfVersion},
};

}  // namespace

int GotoFrameIndex(std::int32_t frame, int bias) {
    std::int64_t f = static_cast<std::int32_t>(static_cast<std::uint32_t>(frame) - 1u);
    f = static_cast<std::int32_t>(static_cast<std::uint32_t>(f) + static_cast<std::uint32_t>(bias));
    f = std::min<std::int64_t>(f + 1, INT32_MAX);
    if (f <= 0) return -1;
    const int number = static_cast<std::uint16_t>(f);
    return number - 1;
}

void InstallClipMethods(Interpreter& vm) {
    for (const Method& m : kMethods) vm.method(vm.protos.clip, m.name, m.fn, m.hidden);
    if (Object* object = vm.global()->findOwn("Object")
                             ? vm.global()->findOwn("Object")->value.asObject()
                             : nullptr)
        vm.method(object, "registerClass", RegisterClass, kSince6);
}

Object* RegisteredClass(const Object& registry, const std::string& linkage) {
    const auto& entries = registry.elements;
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2)
        if (entries[i].isString() && entries[i].asString() == linkage)
            return entries[i + 1].asObject();
    return nullptr;
}

Value CallClipMethod(Interpreter& vm, Object* clip, const std::string& name,
                     const std::vector<Value>& args) {
    for (const Method& m : kMethods) {
        if (name != m.name) continue;
        CallInfo info{vm, clip ? Value(clip) : Value{}, args};
        return m.fn(info);
    }
    return Value{};
}

}  // namespace saver::swf::avm1
