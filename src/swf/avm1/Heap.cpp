// Mark and sweep with an explicit work list, so a long chain of objects cannot overflow the
// native stack.
#include "swf/avm1/Heap.h"

namespace saver::swf::avm1 {

Object* Heap::make(Object::Kind kind) {
    objects_.push_back(std::make_unique<Object>(kind, caseSensitive_));
    ++sinceCollect_;
    return objects_.back().get();
}

void Heap::collect(const std::function<void(const std::function<void(Object*)>&)>& roots) {
    std::vector<Object*> work;
    const std::function<void(Object*)> mark = [&](Object* o) {
        if (o && !o->marked) {
            o->marked = true;
            work.push_back(o);
        }
    };
    roots(mark);
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        o->trace(mark);
    }
    std::size_t kept = 0;
    for (auto& o : objects_) {
        if (!o->marked) continue;
        o->marked = false;
        objects_[kept++] = std::move(o);
    }
    objects_.resize(kept);
    sinceCollect_ = 0;
}

}  // namespace saver::swf::avm1
