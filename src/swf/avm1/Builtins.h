// The built-in objects and global functions, each group installed on the interpreter's
// global object by its own function. Built-in members are DontEnum (and hidden from SWF
// versions older than the player that added them), as the player makes them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

void InstallObjectBuiltins(Interpreter& vm);             // Object, Function, ASSetPropFlags
void InstallArrayBuiltins(Interpreter& vm);              // Array
void InstallStringBuiltins(Interpreter& vm);             // String, Boolean, Number
void InstallMathBuiltins(Interpreter& vm);               // Math
void InstallGlobalFunctions(Interpreter& vm);            // trace, parseInt, escape, timers, ...
void InstallDateBuiltins(Interpreter& vm);               // Date
void InstallErrorBuiltins(Interpreter& vm);              // Error and its kinds
void InstallBroadcasterBuiltins(Interpreter& vm);        // AsBroadcaster
void InstallGeomBuiltins(Interpreter& vm);               // flash.geom.Point, Rectangle
void InstallMatrixBuiltins(Interpreter& vm);             // flash.geom.Matrix (after Point)
void InstallXmlBuiltins(Interpreter& vm);                // XMLNode, XML
void InstallSystemBuiltins(Interpreter& vm);             // System, System.capabilities, $version
void InstallLoadVarsBuiltins(Interpreter& vm);           // LoadVars, XML.load (after XML)
void InstallSharedObjectBuiltins(Interpreter& vm);       // SharedObject
void InstallSoundBuiltins(Interpreter& vm);              // Sound
void InstallColorTransformBuiltins(Interpreter& vm);     // flash.geom.ColorTransform
void InstallFilterBuiltins(Interpreter& vm);             // flash.filters
void InstallColorMatrixFilterBuiltins(Interpreter& vm);  // ColorMatrixFilter (after filters)
void InstallExternalInterfaceBuiltins(Interpreter& vm);  // flash.external.ExternalInterface
void InstallXmlSocketBuiltins(Interpreter& vm);          // XMLSocket
void InstallLocalConnectionBuiltins(Interpreter& vm);    // LocalConnection
void InstallRemoteLsoUsageBuiltins(Interpreter& vm);     // RemoteLSOUsage
void InstallPrintJobBuiltins(Interpreter& vm);           // PrintJob
void InstallContextMenuBuiltins(Interpreter& vm);        // ContextMenu, ContextMenuItem
void InstallNetStreamBuiltins(Interpreter& vm);          // NetConnection, NetStream
void InstallMovieClipLoaderBuiltins(Interpreter& vm);    // MovieClipLoader (after AsBroadcaster)
void InstallPlaceholderBuiltins(Interpreter& vm);        // Camera, Video, System.IME, Button, ...
void InstallNativeTable(Interpreter& vm);                // ASnative (after the others)
void InstallFileReferenceBuiltins(
    Interpreter& vm);  // flash.net.FileReference(List) (after ASnative)

// What AsBroadcaster.initialize(target) does, for the player's own broadcasters: made for any
// movie version (SWF 5 code does not see `initialize` itself).
void InitializeBroadcaster(Interpreter& vm, Object* target);
// ASnative(11, 0): puts the player's capabilities (System.capabilities) on `this`.
Value CapabilitiesQuery(CallInfo& c);
// ASnative(2204, 200): fills a FileReference's file properties on its argument (or `this`).
Value FileReferenceInit(CallInfo& c);

// The version the player reports: getVersion(), $version, System.capabilities.version.
extern const char* const kPlayerVersion;

// The numbers of a flash.geom.ColorTransform object (one its constructor made); false for
// any other value, a plain object with the same fields included.
bool ColorTransformOf(const Value& v, ColorTransform& out);

// Array index of a property name ("0", "12"; not "01" or "-1"), or -1.
long long ArrayIndex(const std::string& name);
// Makes a class: constructor `ctor` with a fresh prototype (its `constructor` set), stored
// on the global object as `name`.
Object* MakeClass(Interpreter& vm, const std::string& name, NativeFn ctor, Object* prototype);
// The package object at a dotted path ("flash.geom"), made on first use.
Object* PackageObject(Interpreter& vm, const std::string& path);
// Puts a getter (and setter, when given) property on `target`; both keep `bound`.
void Accessor(Interpreter& vm, Object* target, const std::string& name, NativeFn get, NativeFn set,
              const std::vector<Value>& bound = {});
// Sets the ASSetPropFlags bits of `names` (comma separated, empty = all) on `object`.
void SetPropFlags(Object* object, const std::string& names, std::uint16_t set, std::uint16_t clear);
// Puts on `target`, for each of `names`, a property (not enumerable) read through `get` and
// written through `set`, both called with the property's name as their bound value.
template <std::size_t N>
void NamedAccessors(Interpreter& vm, Object* target, const char* const (&names)[N], NativeFn get,
                    NativeFn set) {
    for (const char* name : names) {
        Object* getter = vm.newFunction(get);
        getter->bound = {Value(name)};
        Object* setter = vm.newFunction(set);
        setter->bound = {Value(name)};
        Property& p = target->put(name, Value{}, kDontEnum);
        p.getter = getter;
        p.setter = setter;
    }
}

}  // namespace saver::swf::avm1
