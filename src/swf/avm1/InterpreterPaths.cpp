// Target paths: "a.b.c", "/a/b", "a:b", "../a" and their mixtures, as GetVariable,
// SetVariable, DefineLocal, Delete2 and SetTarget read them. A path that names a variable
// ("clip.x", "/clip:x") is tried from each scope object in turn, innermost first; the first
// scope from which the path reaches an object decides.
#include <string_view>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"

namespace saver::swf::avm1 {

namespace {

std::string_view After(std::string_view path, std::size_t n) {
    return n <= path.size() ? path.substr(n) : std::string_view{};
}

}  // namespace

Object* Interpreter::rootOf(Frame& f) {
    Object* from = f.baseClip ? f.baseClip : f.target;
    return from ? host_.clipProperty(from, "_root").asObject() : nullptr;
}

// `first` says the path starts here (where `this`, `_root` and `_level0` have their meaning);
// `withThis` lets `this` name the running code's `this`. Clips are looked up by instance name
// before their properties (the other way round from a member read). '.' and ':' separate only
// from SWF 5, and after a '/' a '.' is part of the name.
Object* Interpreter::followPath(Frame& f, Object* start, std::string_view path, bool first,
                                bool withThis) {
    if (path.empty()) return start;
    const bool v5 = f.version >= 5;
    Object* object = start;
    bool slashed = false;
    if (path[0] == '/') {
        path.remove_prefix(1);
        first = false;
        object = rootOf(f);
        slashed = true;
        if (!object) return nullptr;
    }
    while (!path.empty()) {
        if (v5)
            while (!path.empty() && path[0] == ':') path.remove_prefix(1);
        Value next;
        const std::string_view head = path.substr(0, 3);
        if (head == ".." || head == "../" || (v5 && head == "..:")) {
            if (head == "../") slashed = true;
            path = After(path, 3);
            if (object->kind() != Object::Kind::Clip) return nullptr;
            next = host_.clipProperty(object, "_parent");
        } else {
            std::size_t pos = 0;
            for (; pos < path.size(); ++pos) {
                const char c = path[pos];
                if ((c == ':' && v5) || (c == '.' && v5 && !slashed)) break;
                if (c == '/') {
                    slashed = true;
                    break;
                }
            }
            const std::string name(path.substr(0, pos));
            path = After(path, pos + 1);
            if (v5 && withThis && name == "this") {
                next = f.thisValue;
            } else if ((v5 && first && name == "_root") || (first && FoldCase(name) == "_level0")) {
                next = rootOf(f);
            } else {
                if (object->kind() == Object::Kind::Clip) next = host_.clipChild(object, name);
                if (!next.isObject()) next = getMember(object, name);
            }
        }
        first = false;
        object = next.asObject();
        if (!object) return nullptr;
    }
    return object;
}

bool Interpreter::pathVariable(Frame& f, const std::string& name, Value& out, Object** foundOn) {
    const auto sep = name.find_last_of(f.version >= 5 ? ":." : ":");
    if (sep != std::string::npos) {
        out = Value{};
        const std::string_view prefix = std::string_view(name).substr(0, sep);
        if (prefix.empty()) return true;
        const std::string var = name.substr(sep + 1);
        for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
            Object* o = followPath(f, *it, prefix, true, true);
            if (o && hasProperty(o, var)) {
                if (foundOn) *foundOn = o;
                out = getMember(o, var);
                return true;
            }
        }
        return true;
    }
    // A slash path without a variable names a clip; one that reaches nothing is a plain name.
    if (f.version >= 5 && name.find('/') != std::string::npos) {
        for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
            if (Object* o = followPath(f, *it, name, false, false)) {
                out = o;
                return true;
            }
        }
    }
    return false;
}

bool Interpreter::setPathVariable(Frame& f, const std::string& name, const Value& value) {
    const auto sep = name.find_last_of(":.");
    if (sep == std::string::npos) return false;
    const std::string_view prefix = std::string_view(name).substr(0, sep);
    for (auto it = f.scope.rbegin(); it != f.scope.rend(); ++it) {
        if (Object* o = followPath(f, *it, prefix, true, true)) {
            setMember(o, name.substr(sep + 1), value);
            return true;
        }
    }
    return true;  // a path that reaches nothing sets nothing
}

bool Interpreter::deletePath(Frame& f, const std::string& name) {
    const auto sep = name.find_last_of(":.");
    if (sep == std::string::npos) return deleteVariable(f, name);
    const Value holder = getVariable(f, name.substr(0, sep));
    if (Object* o = holder.asObject()) return o->remove(name.substr(sep + 1));
    if (!holder.isNullish())
        host_.trace(
            "Parameters of primitive types are no longer coerced into the required "
            "type - Object.");
    return false;
}

}  // namespace saver::swf::avm1
