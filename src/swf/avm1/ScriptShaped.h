// ScriptShapedMethod: a native method shaped like a function the player's own script library
// defines. Such functions carry a `prototype` object (its `constructor` pointing back), where
// the player's native methods carry none; property listings of built-in objects show the
// difference, so the stubs that stand in for script-library methods copy it.
//
// Failure: none.
#pragma once

#include <cstdint>
#include <string>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

// Puts `fn` on `target` as `name` with `flags` (DontEnum is always added) and a fresh
// prototype object; returns the function.
inline Object* ScriptShapedMethod(Interpreter& vm, Object* target, const std::string& name,
                                  NativeFn fn, std::uint16_t flags = kDontEnum | kDontDelete) {
    Object* f = vm.newFunction(fn, vm.newObject());
    target->put(name, f, static_cast<std::uint16_t>(flags | kDontEnum));
    return f;
}

}  // namespace saver::swf::avm1
