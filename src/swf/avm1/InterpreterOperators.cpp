// The SWF 5+ operators: abstract equality, the relational operator with its undefined result
// for NaN, addition that concatenates when a side is a string, instanceof; the boxing of
// primitives (through the classes _global names) and where `super` looks.
#include <cmath>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/InterpreterFrame.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {

// Two clip objects are the same when they name the same clip now, by path: a removed clip's
// references follow the path it was made with, all that find nothing are alike, and two
// clips of one name and parent are alike too (the player compares their paths).
bool Interpreter::sameObject(Object* a, Object* b) {
    if (a == b) return true;
    if (a->kind() != Object::Kind::Clip || b->kind() != Object::Kind::Clip) return false;
    Object* liveA = host_.liveClip(a);
    Object* liveB = host_.liveClip(b);
    if (liveA == liveB) return true;
    if (!liveA || !liveB) return false;
    const Value pathA = host_.clipProperty(liveA, "\x01path");
    const Value pathB = host_.clipProperty(liveB, "\x01path");
    return pathA.isString() && pathB.isString() && pathA.asString() == pathB.asString();
}

bool Interpreter::equals2(const Value& a, const Value& b) {
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isObject() && b.isObject()) {
        if (version() <= 5) {
            // SWF 5 compares what valueOf gives (only that: two plain objects stay themselves);
            // an object without one gives undefined, and so does a function (any two functions
            // are equal here, as the player's recordings show).
            auto valueOf = [this](const Value& v) {
                if (v.asObject()->kind() == Object::Kind::Clip) return v;
                if (v.asObject()->isFunction()) return Value{};
                bool called = false;
                const Value r = callNamed(v, "valueOf", called);
                return called ? r : Value{};
            };
            const Value pa = valueOf(a), pb = valueOf(b);
            if (!pa.isObject() || !pb.isObject()) return equals2(pa, pb);
            return pa.asObject() == pb.asObject();
        }
        return sameObject(a.asObject(), b.asObject());
    }
    if (a.isNullish() || b.isNullish()) {
        const Value& other = a.isNullish() ? b : a;
        if (other.isObject()) {
            const Value p = toPrimitive(other);
            return !p.isObject() && p.isNullish();
        }
        return false;
    }
    if (a.isObject() || b.isObject()) {
        // An object met by a primitive gives its valueOf, and only that. When that is an object
        // SWF 5 asks the same valueOf once more (the recordings show two calls).
        auto valueOf = [this](const Value& v) {
            Object* o = v.asObject();
            if (!o || o->kind() == Object::Kind::Clip) return v;
            bool called = false;
            const Value r = callNamed(v, "valueOf", called);
            if (!called) return v;
            if (version() <= 5 && r.isObject() && r.asObject()->kind() != Object::Kind::Clip) {
                const Value again = callNamed(v, "valueOf", called);
                return called ? again : r;
            }
            return r;
        };
        const Value pa = valueOf(a), pb = valueOf(b);
        if (pa.isObject() || pb.isObject()) return false;
        return equals2(pa, pb);
    }
    if (a.isString() && b.isString()) return a.asString() == b.asString();
    if (a.isBool() && b.isBool()) return a.asBool() == b.asBool();
    const double x = toNumber(a), y = toNumber(b);
    if (x != x && y != y) return a.sameNaN(b);
    return x == y;
}

// Strings order by character: from SWF 6 a surrogate pair kept as two halves counts as the
// one character past 0xFFFF it stands for (UTF-8 byte order agrees for everything else).
namespace {

bool StringLess(const std::string& a, const std::string& b, int version) {
    const bool halves = a.find('\xED') != std::string::npos || b.find('\xED') != std::string::npos;
    if (version < 6 || !halves) return a < b;
    auto chars = [version](const std::string& s) {
        std::vector<std::uint32_t> in = Decode(s, version), out;
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (in[i] >= 0xD800 && in[i] < 0xDC00 && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
                in[i + 1] < 0xE000) {
                out.push_back(0x10000 + ((in[i] - 0xD800) << 10) + (in[i + 1] - 0xDC00));
                ++i;
            } else {
                out.push_back(in[i]);
            }
        }
        return out;
    };
    return chars(a) < chars(b);
}

}  // namespace

Value Interpreter::less2(const Value& a, const Value& b) {
    // Each side gives its valueOf and only that (undefined without one), the left side first;
    // a side that stays an object (clips aside) makes the comparison false before the other
    // side is asked.
    auto primitive = [this](const Value& v) {
        Object* o = v.asObject();
        if (!o || o->kind() == Object::Kind::Clip) return v;
        bool called = false;
        const Value r = callNamed(v, "valueOf", called);
        return called ? r : Value{};
    };
    auto object = [](const Value& v) {
        return v.isObject() && v.asObject()->kind() != Object::Kind::Clip;
    };
    const Value pa = primitive(a);
    if (object(pa)) return false;
    const Value pb = primitive(b);
    if (object(pb)) return false;
    if (pa.isString() && pb.isString()) return StringLess(pa.asString(), pb.asString(), version());
    const double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value{};
    return x < y;
}

Value Interpreter::add2(const Value& a, const Value& b) {
    // Each side is asked once (valueOf; toString for a Date from SWF 6). An object that gives
    // no primitive stays an object, and the string or number conversion below asks it again.
    auto primitive = [this](const Value& v) {
        Object* o = v.asObject();
        if (!o || o->kind() == Object::Kind::Clip) return v;
        const bool dateFirst = o->kind() == Object::Kind::Date && version() >= 6;
        bool called = false;
        Value r = callNamed(v, dateFirst ? "toString" : "valueOf", called);
        if (!called) return Value{};  // a method that is missing or no function gives undefined
        const bool primitive = !r.isObject() || r.asObject()->kind() == Object::Kind::Clip;
        return called && primitive ? r : v;  // a clip reference counts as a primitive here
    };
    const Value pb = primitive(b), pa = primitive(a);  // the right side is asked first
    // An object left over is asked for toString; only a string it gives is used.
    auto text = [this](const Value& v) {
        Object* o = v.asObject();
        if (!o || o->kind() == Object::Kind::Clip || o->kind() == Object::Kind::String)
            return toString(v);
        bool called = false;
        const Value s = callNamed(v, "toString", called);
        if (called && s.isString()) return s.asString();
        return std::string(o->isFunction() ? "[type Function]" : "[type Object]");
    };
    if (pa.isString() || pb.isString()) return concat(text(pa), text(pb));
    return toNumber(pa) + toNumber(pb);
}

// --- boxing and super ---------------------------------------------------------------------

Object* Interpreter::superHome(const Object* super) {
    if (super->bound.size() > 2 && super->bound[2].isNumber()) {
        Object* p = super->bound[0].asObject();
        for (int i = static_cast<int>(super->bound[2].asNumber()); p && i > 0; --i) {
            p = p->proto();
            if (p && p->kind() == Object::Kind::Clip) return nullptr;
        }
        return p;
    }
    Object* home = super->bound.size() > 1 ? super->bound[1].asObject() : nullptr;
    return home && home->kind() != Object::Kind::Clip ? home : nullptr;
}

Object* Interpreter::superStart(const Object* super) {
    const Object* home = superHome(super);
    Object* start = home ? home->proto() : nullptr;
    return start && start->kind() != Object::Kind::Clip ? start : nullptr;
}

Object* Interpreter::boxPrototype(const Value& v) const {
    return v.isString() ? protos.string : v.isNumber() ? protos.number : protos.boolean;
}

bool Interpreter::boxedByBuiltin(const Value& v) {
    const Property* found = lookup(global_, v.isString()   ? "String"
                                            : v.isNumber() ? "Number"
                                                           : "Boolean");
    Object* proto = boxPrototype(v);
    const Property* own = proto ? proto->findOwn("constructor") : nullptr;
    Object* ctor = found && !found->getter ? found->value.asObject() : nullptr;
    return ctor && own && own->value.asObject() == ctor &&
           getMember(ctor, "prototype").asObject() == proto;
}

Object* Interpreter::toObject(const Value& v) {
    if (Object* o = v.asObject()) return o;
    if (v.isNullish()) return nullptr;
    // The player boxes a primitive with whatever _global's String, Number or Boolean is at the
    // time (a getter runs, `__resolve` is not asked): `new` of it with the value. Anything but
    // a function, or a constructor that refuses, leaves the value without an object.
    if (!boxedByBuiltin(v)) {
        const Property* found = lookup(global_, v.isString()   ? "String"
                                                : v.isNumber() ? "Number"
                                                               : "Boolean");
        if (!found) return nullptr;
        const Value ctor = found->getter ? call(found->getter, global_, {}) : found->value;
        return construct(ctor, {v}).asObject();
    }
    // The built-in constructor itself: the box it would make, made directly.
    Object* proto = boxPrototype(v);
    Object* box = newObject(proto);
    box->setKind(v.isString()   ? Object::Kind::String
                 : v.isNumber() ? Object::Kind::Number
                                : Object::Kind::Boolean);
    box->primitive = v;
    // A string's box has its length, as the constructor gives it (`with` finds it there).
    if (v.isString())
        box->put("length", static_cast<double>(StringLength(v.asString(), version())),
                 kDontEnum | kDontDelete);
    if (const Property* c = proto->findOwn("constructor"); c && c->value.isObject()) {
        if (version() >= 6) box->put("__constructor__", c->value, kDontEnum);
        if (version() <= 6) box->put("constructor", c->value, kDontEnum);
    }
    return box;
}

bool Interpreter::instanceOf(const Value& v, const Value& ctorValue) {
    Object* o = v.asObject();
    if (!o) return false;
    // The class is made an object (a string class is boxed like any primitive), and its own
    // stored `prototype` read: no getter, nothing inherited, no version flags.
    Object* ctor = toObject(ctorValue);
    const Property* own = ctor ? ctor->findOwn("prototype") : nullptr;
    if (!own || own->getter) return false;
    Object* target = toObject(own->value);
    if (!target) return false;
    std::vector<Object*> work;
    int links = 0;
    // A clip standing in the chain as a prototype ends it.
    for (Object* p = protoOf(o, true); p && p->kind() != Object::Kind::Clip && links < 256;
         p = protoOf(p, true), ++links) {
        if (p == target) return true;
        for (const Value& i : p->bound)
            if (Object* iface = i.asObject(); iface && iface->isFunction()) work.push_back(iface);
    }
    for (std::size_t i = 0; i < work.size() && i < 256; ++i) {
        Object* iface = work[i];
        if (iface == ctor) return true;
        if (Object* ip = getMember(iface, "prototype").asObject()) {
            if (ip == target) return true;
            for (const Value& more : ip->bound)
                if (Object* m = more.asObject(); m && m->isFunction()) work.push_back(m);
        }
    }
    return false;
}

}  // namespace saver::swf::avm1
