// Heap: owns every script object and frees the unreachable ones (mark and sweep, so cycles
// between objects are freed too; a screensaver runs for hours).
//
// Collection runs only when the interpreter says so, at points where every live reference is
// reachable from the roots it hands in (between frames, or between actions of a script).
//
// Failure: none. `overBudget()` tells when the live objects pass the budget; the interpreter
// then stops the scripts of the frame rather than letting memory grow without bound.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "swf/avm1/Object.h"

namespace saver::swf::avm1 {

class Heap {
  public:
    explicit Heap(bool caseSensitive, std::size_t budget = 1'000'000)
        : caseSensitive_(caseSensitive), budget_(budget) {}
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    Object* make(Object::Kind kind);

    // Marks from `roots` (which calls its argument on every root object) and frees the rest.
    void collect(const std::function<void(const std::function<void(Object*)>&)>& roots);

    std::size_t size() const { return objects_.size(); }
    std::size_t allocatedSinceCollect() const { return sinceCollect_; }
    bool overBudget() const { return objects_.size() > budget_; }
    bool caseSensitive() const { return caseSensitive_; }

  private:
    bool caseSensitive_;
    std::size_t budget_;
    std::size_t sinceCollect_ = 0;
    std::vector<std::unique_ptr<Object>> objects_;
};

}  // namespace saver::swf::avm1
