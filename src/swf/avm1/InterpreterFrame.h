// The state of one running action block: a frame script or a function call.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

struct Interpreter::Frame {
    std::span<const std::uint8_t> code;
    int version = 0;
    std::vector<Object*> scope;     // outermost (_global) first
    std::size_t timelineIndex = 1;  // the entry of `scope` that SetTarget replaces
    Value thisValue;
    Object* target = nullptr;    // the timeline timeline actions and unqualified names act on
    Object* baseClip = nullptr;  // the timeline the block belongs to
    std::vector<Value>* registers = nullptr;
    std::vector<Value> ownRegisters;
    std::vector<std::string> constants;
    Object* activation = nullptr;  // function calls only
    Object* callee = nullptr;
    Object* home = nullptr;
    std::size_t stackBase = 0;
    bool constructing = false;  // a function called by `new`
};

// The `__resolve` handler of `o`: the first object-valued `__resolve` on its prototype chain
// (values that are no object are passed over), or null.
Object* ResolveHandler(Interpreter& vm, Object* o);

}  // namespace saver::swf::avm1
