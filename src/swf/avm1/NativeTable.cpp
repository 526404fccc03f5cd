// ASnative(table, index): the player's numbered built-in functions. Each call makes a new
// function object running the same native code as the built-in method it names, so a script
// can borrow a method (hasOwnProperty, LoadVars' decode) for any object, and so writing to one
// copy never shows on another or on the built-in.
#include "swf/avm1/Builtins.h"

namespace saver::swf::avm1 {

namespace {

struct NativeEntry {
    int table;
    int index;
    const char* path;  // the built-in method, from the global object
};

constexpr NativeEntry kNatives[] = {
    {5, 0, "Mouse.show"},
    {5, 1, "Mouse.hide"},
    {101, 0, "Object.prototype.watch"},
    {101, 1, "Object.prototype.unwatch"},
    {101, 2, "Object.prototype.addProperty"},
    {101, 3, "Object.prototype.valueOf"},
    {101, 4, "Object.prototype.toString"},
    {101, 5, "Object.prototype.hasOwnProperty"},
    {101, 6, "Object.prototype.isPrototypeOf"},
    {101, 7, "Object.prototype.isPropertyEnumerable"},
    {101, 8, "Object.registerClass"},
    {104, 200, "MovieClip.prototype.createTextField"},
    {301, 0, "LoadVars.prototype.load"},
    {301, 1, "LoadVars.prototype.send"},
    {301, 2, "LoadVars.prototype.sendAndLoad"},
    {301, 3, "LoadVars.prototype.decode"},
    {101, 12, "AsBroadcaster.broadcastMessage"},
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

Value AsNative(CallInfo& c) {
    if (c.args.size() < 2) return Value{};
    const double table = c.vm.toNumber(c.args[0]);
    const double index = c.vm.toNumber(c.args[1]);
    if (table == 2 && index == 0) return c.vm.newFunction(AsNew);
    if (table == 11 && index == 0) return c.vm.newFunction(CapabilitiesQuery);
    if (table == 2204 && index == 200) return c.vm.newFunction(FileReferenceInit);
    for (std::size_t i = 0; i < std::size(kNatives); ++i) {
        const NativeEntry& e = kNatives[i];
        if (e.table != table || e.index != index) continue;
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
    return Value{};
}

}  // namespace

void InstallNativeTable(Interpreter& vm) {
    Object* asnative = vm.method(vm.global(), "ASnative", AsNative);
    for (const NativeEntry& e : kNatives) {
        Object* original = NativeAt(vm, e.path);
        asnative->bound.push_back(original ? Value(original) : Value{});
    }
}

}  // namespace saver::swf::avm1
