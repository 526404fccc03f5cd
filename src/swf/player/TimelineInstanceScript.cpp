// The changes scripts make to a timeline's display list (attachMovie, duplicateMovieClip,
// createEmptyMovieClip, removeMovieClip, swapDepths) and the geometry they ask about.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "swf/player/ContentGeometry.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/TextFieldState.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

namespace {

const Timeline& EmptyTimeline() {
    static const Timeline empty;
    return empty;
}

}  // namespace

std::shared_ptr<TimelineInstance> TimelineInstance::addSprite(int depth, std::uint16_t characterId,
                                                              const std::string& name,
                                                              const DisplayObject* copyOf) {
    const Timeline* timeline = &EmptyTimeline();
    if (characterId != 0) {
        const auto it = context_.movie->dictionary.find(characterId);
        const auto* sprite =
            it == context_.movie->dictionary.end() ? nullptr : std::get_if<Sprite>(&it->second);
        if (!sprite) return nullptr;
        timeline = &sprite->timeline;
    }
    if (nesting_ + 1 > kMaxSpriteNesting || context_.liveSprites >= kMaxLiveSprites) return nullptr;
    removeAt(depth);
    DisplayObject object;
    if (copyOf) {
        object = *copyOf;
        object.sprite.reset();
    }
    object.characterId = characterId;
    object.name = name;
    object.clipDepth.reset();
    auto child = std::make_shared<TimelineInstance>(context_, *timeline, nesting_ + 1);
    child->parent_ = weak_from_this();
    child->depth_ = depth;
    child->characterId_ = characterId;
    object.sprite = child;
    list_[depth] = std::move(object);
    child->setExecRegistered();
    child->queueEvent(kClipLoad);
    child->restart();
    return child;
}

void TimelineInstance::removeAt(int depth) {
    const auto it = list_.find(depth);
    if (it == list_.end() || it->second.pendingRemoval) return;
    DisplayObject& object = it->second;
    unloadObject(object);
    const long long parkedDepth = -(static_cast<long long>(depth) + 1);
    if (object.sprite && context_.hasUnloadHandler && context_.hasUnloadHandler(*object.sprite) &&
        parkedDepth >= INT32_MIN && !list_.count(static_cast<int>(parkedDepth))) {
        DisplayObject parked = std::move(object);
        list_.erase(it);
        parked.pendingRemoval = true;
        // Its children leave at once, but those with unload handlers of their own.
        std::erase_if(parked.sprite->list_, [&](const auto& entry) {
            return !entry.second.sprite || !context_.hasUnloadHandler(*entry.second.sprite);
        });
        parked.sprite->depth_ = static_cast<int>(parkedDepth);
        context_.parked.push_back(parked.sprite);
        list_[static_cast<int>(parkedDepth)] = std::move(parked);
        return;
    }
    list_.erase(it);
}

void TimelineInstance::dropParked(PlayerContext& context) {
    const auto parked = std::exchange(context.parked, {});
    for (const auto& weak : parked) {
        auto clip = weak.lock();
        auto parent = clip ? clip->parent() : nullptr;
        if (!parent) continue;
        const auto it = parent->list_.find(clip->depth_);
        if (it != parent->list_.end() && it->second.sprite == clip) parent->list_.erase(it);
    }
}

void TimelineInstance::swapDepths(int from, int to) {
    if (from == to) return;
    const auto a = list_.find(from);
    if (a == list_.end()) return;
    const auto b = list_.find(to);
    DisplayObject moving = std::move(a->second);
    moving.scripted = true;
    list_.erase(a);
    if (b != list_.end()) {
        DisplayObject other = std::move(b->second);
        other.scripted = true;
        list_.erase(b);
        if (other.sprite) other.sprite->depth_ = from;
        list_[from] = std::move(other);
    }
    if (moving.sprite) moving.sprite->depth_ = to;
    list_[to] = std::move(moving);
}

bool TimelineInstance::bounds(const Matrix& toSpace, Rect& out) const {
    bool has = false;
    for (const auto& [depth, object] : list_) {
        const Matrix m = toSpace * object.matrix;
        if (object.sprite) {
            Rect inner;
            if (object.sprite->bounds(m, inner)) AddMappedRect(inner, Matrix{}, out, has);
            continue;
        }
        if (IsScriptTextField(object)) AddMappedRect(object.text->box().bounds, m, out, has);
        const auto it = context_.movie->dictionary.find(object.characterId);
        if (it == context_.movie->dictionary.end()) continue;
        if (const auto* shape = std::get_if<Shape>(&it->second)) {
            AddMappedRect(shape->bounds, m, out, has);
        } else if (const auto* morph = std::get_if<MorphShape>(&it->second)) {
            if (const Shape* now =
                    context_.morphs.shapeAt(*morph, object.ratio, context_.tickCount))
                AddMappedRect(now->bounds, m, out, has);
        } else if (const auto* text = std::get_if<StaticText>(&it->second)) {
            AddMappedRect(text->bounds, m, out, has);
        } else if (const auto* field = std::get_if<EditText>(&it->second)) {
            AddMappedRect(field->bounds, m, out, has);
        }
    }
    return has;
}

bool TimelineInstance::hitTest(const Matrix& toStage, double x, double y, bool shapes) const {
    for (const auto& [depth, object] : list_) {
        if (object.clipDepth && *object.clipDepth > 0) continue;
        const Matrix m = toStage * object.matrix;
        if (object.sprite) {
            if (object.sprite->hitTest(m, x, y, shapes)) return true;
            continue;
        }
        Rect box;
        bool has = false;
        if (IsScriptTextField(object)) AddMappedRect(object.text->box().bounds, m, box, has);
        const auto it = context_.movie->dictionary.find(object.characterId);
        if (it == context_.movie->dictionary.end()) {
            if (has && x >= box.xMin && x <= box.xMax && y >= box.yMin && y <= box.yMax)
                return true;
            continue;
        }
        const Shape* shape = std::get_if<Shape>(&it->second);
        if (const auto* morph = std::get_if<MorphShape>(&it->second))
            shape = context_.morphs.shapeAt(*morph, object.ratio, context_.tickCount);
        if (shape) {
            Matrix inverse;
            if (!Invert(m, inverse)) continue;
            double lx = 0, ly = 0;
            inverse.apply(x, y, lx, ly);
            if (shapes ? ShapeContains(*shape, lx, ly)
                       : lx >= shape->bounds.xMin && lx <= shape->bounds.xMax &&
                             ly >= shape->bounds.yMin && ly <= shape->bounds.yMax)
                return true;
            continue;
        }
        if (const auto* text = std::get_if<StaticText>(&it->second))
            AddMappedRect(text->bounds, m, box, has);
        else if (const auto* field = std::get_if<EditText>(&it->second))
            AddMappedRect(field->bounds, m, box, has);
        if (has && x >= box.xMin && x <= box.xMax && y >= box.yMin && y <= box.yMax) return true;
    }
    return false;
}

}  // namespace saver::swf
