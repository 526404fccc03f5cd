// ASnative(table, index): the player's numbered built-in functions. Each call makes a new
// function object running the same native code as the built-in method it names, so a script
// can borrow a method (hasOwnProperty, LoadVars' decode) for any object, and so writing to one
// copy never shows on another or on the built-in.
#include <algorithm>
#include <cmath>

#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

struct NativeEntry {
    int table;
    int index;
    const char* path;  // the built-in method, from the global object
};

constexpr NativeEntry kNatives[] = {
    {4, 0, "ASSetNative"},
    {4, 1, "ASSetNativeAccessor"},
    {5, 0, "Mouse.show"},
    {5, 1, "Mouse.hide"},
    {100, 0, "escape"},
    {100, 1, "unescape"},
    {100, 2, "parseInt"},
    {100, 3, "parseFloat"},
    {101, 0, "Object.prototype.watch"},
    {101, 1, "Object.prototype.unwatch"},
    {101, 2, "Object.prototype.addProperty"},
    {101, 3, "Object.prototype.valueOf"},
    {101, 4, "Object.prototype.toString"},
    {101, 5, "Object.prototype.hasOwnProperty"},
    {101, 6, "Object.prototype.isPrototypeOf"},
    {101, 7, "Object.prototype.isPropertyEnumerable"},
    {101, 8, "Object.registerClass"},
    {101, 9, "Object"},
    {101, 12, "AsBroadcaster.broadcastMessage"},
    {103, 0, "Date.prototype.getFullYear"},
    {103, 1, "Date.prototype.getYear"},
    {103, 2, "Date.prototype.getMonth"},
    {103, 3, "Date.prototype.getDate"},
    {103, 4, "Date.prototype.getDay"},
    {103, 5, "Date.prototype.getHours"},
    {103, 6, "Date.prototype.getMinutes"},
    {103, 7, "Date.prototype.getSeconds"},
    {103, 8, "Date.prototype.getMilliseconds"},
    {103, 9, "Date.prototype.setFullYear"},
    {103, 10, "Date.prototype.setMonth"},
    {103, 11, "Date.prototype.setDate"},
    {103, 12, "Date.prototype.setHours"},
    {103, 13, "Date.prototype.setMinutes"},
    {103, 14, "Date.prototype.setSeconds"},
    {103, 15, "Date.prototype.setMilliseconds"},
    {103, 16, "Date.prototype.getTime"},
    {103, 17, "Date.prototype.setTime"},
    {103, 18, "Date.prototype.getTimezoneOffset"},
    {103, 19, "Date.prototype.toString"},
    {103, 20, "Date.prototype.setYear"},
    {103, 128, "Date.prototype.getUTCFullYear"},
    {103, 129, "Date.prototype.getUTCYear"},
    {103, 130, "Date.prototype.getUTCMonth"},
    {103, 131, "Date.prototype.getUTCDate"},
    {103, 132, "Date.prototype.getUTCDay"},
    {103, 133, "Date.prototype.getUTCHours"},
    {103, 134, "Date.prototype.getUTCMinutes"},
    {103, 135, "Date.prototype.getUTCSeconds"},
    {103, 136, "Date.prototype.getUTCMilliseconds"},
    {103, 137, "Date.prototype.setUTCFullYear"},
    {103, 138, "Date.prototype.setUTCMonth"},
    {103, 139, "Date.prototype.setUTCDate"},
    {103, 140, "Date.prototype.setUTCHours"},
    {103, 141, "Date.prototype.setUTCMinutes"},
    {103, 142, "Date.prototype.setUTCSeconds"},
    {103, 143, "Date.prototype.setUTCMilliseconds"},
    {103, 256, "Date"},
    {103, 257, "Date.UTC"},
    {104, 200, "MovieClip.prototype.createTextField"},
    {200, 0, "Math.abs"},
    {200, 1, "Math.min"},
    {200, 2, "Math.max"},
    {200, 3, "Math.sin"},
    {200, 4, "Math.cos"},
    {200, 5, "Math.atan2"},
    {200, 6, "Math.tan"},
    {200, 7, "Math.exp"},
    {200, 8, "Math.log"},
    {200, 9, "Math.sqrt"},
    {200, 10, "Math.round"},
    {200, 11, "Math.random"},
    {200, 12, "Math.floor"},
    {200, 13, "Math.ceil"},
    {200, 14, "Math.atan"},
    {200, 15, "Math.asin"},
    {200, 16, "Math.acos"},
    {200, 17, "Math.pow"},
    {252, 0, "Array"},
    {252, 1, "Array.prototype.push"},
    {252, 2, "Array.prototype.pop"},
    {252, 3, "Array.prototype.concat"},
    {252, 4, "Array.prototype.shift"},
    {252, 5, "Array.prototype.unshift"},
    {252, 6, "Array.prototype.slice"},
    {252, 7, "Array.prototype.join"},
    {252, 8, "Array.prototype.splice"},
    {252, 9, "Array.prototype.toString"},
    {252, 10, "Array.prototype.sort"},
    {252, 11, "Array.prototype.reverse"},
    {252, 12, "Array.prototype.sortOn"},
    {301, 0, "LoadVars.prototype.load"},
    {301, 1, "LoadVars.prototype.send"},
    {301, 2, "LoadVars.prototype.sendAndLoad"},
    {301, 3, "LoadVars.prototype.decode"},
};

// The native function object at a dotted path, or null when something on the way is missing
// or the end is not native code.
Object* NativeAt(Interpreter& vm, const std::string& path) {
    Object* at = vm.global();
    std::size_t start = 0;
    while (at && start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        const Property* p = at->findOwn(path.substr(start, dot - start));
        at = p ? p->value.asObject() : nullptr;
        start = dot + 1;
    }
    return at && at->native ? at : nullptr;
}

// `ASnew()`: whether the function calling it runs as a constructor.
Value AsNew(CallInfo& c) {
    return c.vm.callerConstructs();
}

// `ASnative(100, 4)`: trace, as a function.
Value NativeTrace(CallInfo& c) {
    c.vm.host().trace(c.arg(0).isUndefined() ? "undefined" : c.vm.toString(c.arg(0)));
    return Value{};
}

// A number the table does not fill: Math's converts its first two arguments and answers NaN,
// any other answers undefined.
Value UnknownMathNative(CallInfo& c) {
    for (std::size_t i = 0; i < c.args.size() && i < 2; ++i) c.vm.toNumber(c.args[i]);
    return std::nan("");
}
Value UnknownNative(CallInfo&) {
    return Value{};
}

// Tables the player has, though not every number in them names a function.
bool KnownTable(std::uint32_t table) {
    static constexpr std::uint32_t kTables[] = {2,    4,    100,  101,  103,  200,  252,
                                                1101, 1102, 1103, 1106, 1107, 1108, 1109,
                                                1110, 1111, 1999, 2102, 2700, 2800, 2900};
    if (std::find(std::begin(kTables), std::end(kTables), table) != std::end(kTables)) return true;
    return std::any_of(std::begin(kNatives), std::end(kNatives),
                       [&](const NativeEntry& e) { return e.table == static_cast<int>(table); });
}

Value AsNative(CallInfo& c) {
    if (c.args.size() != 2) return Value{};
    // Both numbers wrap to 32 bits; an index past 16 bits names nothing.
    const auto table = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.args[0])));
    const auto wide = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.args[1])));
    const int index = wide > 0xFFFF ? 0xFFFF : static_cast<int>(wide);
    if (table == 2 && index == 0) return c.vm.newFunction(AsNew);
    if (table == 11 && index == 0) return c.vm.newFunction(CapabilitiesQuery);
    if (table == 100 && index == 4) return c.vm.newFunction(NativeTrace);
    if (table == 2204 && index == 200) return c.vm.newFunction(FileReferenceInit);
    for (std::size_t i = 0; i < std::size(kNatives); ++i) {
        const NativeEntry& e = kNatives[i];
        if (e.table != static_cast<int>(table) || e.index != index) continue;
        // The built-in as installed (scripts may have replaced the method since), else the
        // one there now (objects the embedder adds later, such as Mouse).
        Object* original =
            c.callee && i < c.callee->bound.size() ? c.callee->bound[i].asObject() : nullptr;
        if (!original) original = NativeAt(c.vm, e.path);
        if (!original) return Value{};
        Object* copy = c.vm.newFunction(original->native);
        copy->bound = original->bound;
        return copy;
    }
    if (!KnownTable(table)) return Value{};
    return c.vm.newFunction(table == 200 ? UnknownMathNative : UnknownNative);
}

// The version a name in an ASSetNative list carries ("6name" .. "9name", "10name"), as the
// property flag that hides it from older movies; the digits come off the name.
std::uint16_t TakeVersionPrefix(std::string& name) {
    static constexpr std::pair<char, std::uint16_t> kFlags[] = {
        {'6', 0x80}, {'7', 0x400}, {'8', 0x1000}, {'9', 0x2000}};
    if (name.empty()) return 0;
    for (const auto& [digit, flag] : kFlags) {
        if (name[0] == digit) {
            name.erase(0, 1);
            return flag;
        }
    }
    if (name.size() >= 2 && name[0] == '1' && name[1] == '0') {
        name.erase(0, 2);
        return 0x4000;
    }
    if (name[0] == '1') name.erase(0, 1);
    return 0;
}

// ASSetNative(object, table, "a,b,...", first) and ASSetNativeAccessor: put the table's
// functions from number `first` on (getter and setter pairs for the accessor form) under the
// listed names. Empty names use up their numbers.
template <bool Accessor>
Value AsSetNative(CallInfo& c) {
    if (c.args.size() < 3) return Value{};
    Object* o = c.vm.toObject(c.args[0]);
    const Value table = c.vm.toNumber(c.args[1]);
    const std::string names = c.vm.toString(c.args[2]);
    double minor = c.args.size() > 3 ? ToInt32(c.vm.toNumber(c.args[3])) : 0;
    if (!o) return Value{};
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t comma = std::min(names.find(',', start), names.size());
        std::string name = names.substr(start, comma - start);
        start = comma + 1;
        const std::uint16_t flags = TakeVersionPrefix(name);
        const std::vector<Value> firstArgs{table, Value(minor++)};
        CallInfo first{c.vm, Value{}, firstArgs, c.callee};
        const Value fn = AsNative(first);
        if (!Accessor) {
            if (name.empty()) continue;
            const bool had = o->findOwn(name) != nullptr;
            c.vm.setMember(o, name, fn);
            if (Property* p = o->findOwn(name); p && !had) p->flags |= flags;
            continue;
        }
        const std::vector<Value> secondArgs{table, Value(minor++)};
        CallInfo second{c.vm, Value{}, secondArgs, c.callee};
        const Value setter = AsNative(second);
        if (name.empty() || !fn.asObject()) continue;
        Property& p = o->put(name, Value{});
        p.getter = fn.asObject();
        p.setter = setter.asObject();
        p.flags |= flags;
    }
    return Value{};
}

}  // namespace

void InstallNativeTable(Interpreter& vm) {
    Object* asnative = vm.method(vm.global(), "ASnative", AsNative);
    Object* setNative = vm.method(vm.global(), "ASSetNative", AsSetNative<false>, kDontEnum);
    Object* setAccessor =
        vm.method(vm.global(), "ASSetNativeAccessor", AsSetNative<true>, kDontEnum);
    for (const NativeEntry& e : kNatives) {
        Object* original = NativeAt(vm, e.path);
        asnative->bound.push_back(original ? Value(original) : Value{});
    }
    // Both find the table's functions as installed, as ASnative does.
    setNative->bound = asnative->bound;
    setAccessor->bound = asnative->bound;
}

}  // namespace saver::swf::avm1
