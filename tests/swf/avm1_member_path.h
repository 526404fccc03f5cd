// Test helper: reads a dotted path ("flash.geom.Matrix", "a.b.c") member by member through the
// interpreter's own getMember, so lookups go through prototypes, getters and version flags.
#pragma once

#include <algorithm>
#include <string>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

inline Value MemberPath(Interpreter& vm, Value from, const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        from = vm.getMember(from, path.substr(start, dot - start));
        start = dot + 1;
    }
    return from;
}

}  // namespace saver::swf::avm1
