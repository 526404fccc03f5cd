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

// The register `reg` of a block: a function's own, or the four global ones (null when there
// is none). In movies for players after version 10 a register past a function's own count is
// the global one.
inline Value* RegisterSlot(std::vector<Value>& own, std::vector<Value>& global, int movieVersion,
                           std::size_t reg) {
    if (reg < own.size()) return &own[reg];
    if (&own == &global || movieVersion <= 10 || reg >= global.size()) return nullptr;
    return &global[reg];
}

// The `__resolve` handler of `o`: the first object-valued `__resolve` on its prototype chain
// (values that are no object are passed over), or null.
Object* ResolveHandler(Interpreter& vm, Object* o);

}  // namespace saver::swf::avm1
