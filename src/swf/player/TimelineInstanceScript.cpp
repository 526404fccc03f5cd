// The changes scripts make to a timeline's display list (attachMovie, duplicateMovieClip,
// createEmptyMovieClip, removeMovieClip, swapDepths) and the geometry they ask about.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "swf/player/BitmapShape.h"
#include "swf/player/ContentGeometry.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/StageMatrix.h"
#include "swf/player/TextFieldBinding.h"
#include "swf/player/TextFieldState.h"
#include "swf/player/TimelineInstance.h"
#include "swf/render/BitmapSurface.h"

namespace saver::swf {

namespace {

// The character an object shows: an attached bitmap's shape, or the dictionary's.
const Character* CharacterOf(const PlayerContext& context, const DisplayObject& object) {
    if (object.bitmapShape) return object.bitmapShape.get();
    const auto it = context.movie->dictionary.find(object.characterId);
    return it == context.movie->dictionary.end() ? nullptr : &it->second;
}

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
    // A duplicate starts with what the original's scripts drew.
    if (copyOf && copyOf->sprite && copyOf->sprite->drawing_)
        child->drawing_ = std::make_unique<Drawing>(*copyOf->sprite->drawing_);
    object.sprite = child;
    list_[depth] = std::move(object);
    child->setExecRegistered();
    if (copyOf) child->queueEvent(kClipInitialize);  // a duplicate's handlers see it
    child->queueEvent(kClipLoad);
    child->restart();
    return child;
}

void TimelineInstance::attachBitmap(int depth, std::shared_ptr<BitmapSurface> surface,
                                    bool smooth) {
    if (!surface || surface->disposed()) return;
    removeAt(depth);
    DisplayObject object;
    object.bitmapShape = std::make_shared<const Character>(
        BitmapShape(surface->id(), surface->width(), surface->height(), smooth));
    object.bitmap = std::move(surface);
    list_[depth] = std::move(object);
}

void TimelineInstance::removeAt(int depth) {
    const auto it = list_.find(depth);
    if (it == list_.end() || it->second.pendingRemoval) return;
    DisplayObject& object = it->second;
    unloadObject(object);
    long long parkedDepth = -(static_cast<long long>(depth) + 1);
    // Another clip removed from the same depth may still wait there for its unload event: the
    // newcomer waits just below it, so scripts reach both until the next frame.
    for (int tries = 0;
         tries < 64 && parkedDepth > INT32_MIN && list_.count(static_cast<int>(parkedDepth));
         ++tries)
        --parkedDepth;
    if (object.sprite && context_.hasUnloadHandler && context_.hasUnloadHandler(*object.sprite) &&
        parkedDepth >= INT32_MIN && !list_.count(static_cast<int>(parkedDepth))) {
        DisplayObject parked = std::move(object);
        list_.erase(it);
        parked.pendingRemoval = true;
        // A clip waiting for its own unload handler keeps its children; one kept only for a
        // child's handler keeps just the children with handlers of their own.
        if (!context_.hasOwnUnloadHandler || !context_.hasOwnUnloadHandler(*parked.sprite))
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
    if (drawing_)
        if (const auto drawn = drawing_->bounds()) AddMappedRect(*drawn, toSpace, out, has);
    for (const auto& [depth, object] : list_) {
        const Matrix m = toSpace * object.matrix;
        if (object.sprite) {
            Rect inner;
            if (object.sprite->bounds(m, inner)) AddMappedRect(inner, Matrix{}, out, has);
            continue;
        }
        if (IsScriptTextField(object)) AddMappedRect(object.text->box().bounds, m, out, has);
        const Character* character = CharacterOf(context_, object);
        if (!character) continue;
        if (const auto* shape = std::get_if<Shape>(character)) {
            AddMappedRect(shape->bounds, m, out, has);
        } else if (const auto* morph = std::get_if<MorphShape>(character)) {
            if (const Shape* now =
                    context_.morphs.shapeAt(*morph, object.ratio, context_.tickCount))
                AddMappedRect(now->bounds, m, out, has);
        } else if (const auto* text = std::get_if<StaticText>(character)) {
            AddMappedRect(text->bounds, m, out, has);
        } else if (const auto* field = std::get_if<EditText>(character)) {
            AddMappedRect(field->bounds, m, out, has);
        }
    }
    return has;
}

// What a script drew counts as a shape of the clip's own.
bool TimelineInstance::hitTest(const Matrix& toStage, double x, double y, bool shapes) const {
    if (drawing_ && !drawing_->empty()) {
        Matrix inverse;
        double lx = 0, ly = 0;
        const auto box = drawing_->bounds();
        if (Invert(toStage, inverse) && box) {
            inverse.apply(x, y, lx, ly);
            if (shapes ? ShapeContains(drawing_->shape(), lx, ly)
                       : lx >= box->xMin && lx <= box->xMax && ly >= box->yMin && ly <= box->yMax)
                return true;
        }
    }
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
        const Character* character = CharacterOf(context_, object);
        if (!character) {
            if (has && x >= box.xMin && x <= box.xMax && y >= box.yMin && y <= box.yMax)
                return true;
            continue;
        }
        const Shape* shape = std::get_if<Shape>(character);
        if (const auto* morph = std::get_if<MorphShape>(character))
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
        if (const auto* text = std::get_if<StaticText>(character))
            AddMappedRect(text->bounds, m, box, has);
        else if (const auto* field = std::get_if<EditText>(character))
            AddMappedRect(field->bounds, m, box, has);
        if (has && x >= box.xMin && x <= box.xMax && y >= box.yMin && y <= box.yMax) return true;
    }
    return false;
}

// A script's mask ends the timeline masking of both clips: a clip placed with a clip depth
// that takes or becomes a script mask (even one taken off again) masks its depths no more.
void TimelineInstance::setScriptMask(const std::shared_ptr<TimelineInstance>& mask) {
    if (auto old = scriptMask_.lock()) old->maskOwner_.reset();
    scriptMask_.reset();
    fieldMask_.reset();
    if (DisplayObject* placed = placement()) placed->clipDepth.reset();
    if (!mask || mask.get() == this) return;
    if (DisplayObject* placed = mask->placement()) placed->clipDepth.reset();
    if (auto previous = mask->maskOwner_.lock()) previous->scriptMask_.reset();
    // Two clips never mask each other: this one stops masking the new mask.
    if (mask->scriptMask_.lock().get() == this) {
        mask->scriptMask_.reset();
        maskOwner_.reset();
    }
    mask->maskOwner_ = weak_from_this();
    scriptMask_ = mask;
}

void TimelineInstance::setScriptMask(const std::shared_ptr<TextFieldState>& field,
                                     const std::shared_ptr<TimelineInstance>& holder) {
    setScriptMask(std::shared_ptr<TimelineInstance>{});
    fieldMaskHolder_.reset();
    if (!field || !holder) return;
    auto& masks = context_.fieldMasks;
    std::erase_if(masks, [&](const auto& entry) {
        const auto masked = entry.second.lock();
        if (masked && entry.first.lock() == field) masked->fieldMask_.reset();
        return !masked || entry.first.expired() || entry.first.lock() == field;
    });
    fieldMask_ = field;
    fieldMaskHolder_ = holder;
    masks.emplace_back(field, weak_from_this());
}

bool TimelineInstance::fieldMasksOtherClip(const DisplayObject& object) const {
    if (!object.text) return false;
    for (const auto& [field, masked] : context_.fieldMasks) {
        if (field.lock() != object.text) continue;
        const auto owner = masked.lock();
        if (owner && owner->fieldMask_.lock() == object.text && owner->onStage()) return true;
    }
    return false;
}

// A clip placed as a timeline mask cannot be masked by a script, so its script mask stays a
// clip like any other.
bool TimelineInstance::masksOtherClip() const {
    const auto owner = maskOwner_.lock();
    if (!owner || owner->scriptMask_.lock().get() != this || !owner->onStage()) return false;
    const DisplayObject* placed = owner->placement();
    return !(placed && placed->clipDepth && *placed->clipDepth > 0);
}

// The mask is where it stands on the stage, wherever it sits in the tree: its shapes are
// listed in stage space. A mask met while listing another mask's shapes is left out, which
// also ends any cycle of clips masking each other.
// A text field drawn with its font's outlines masks with its glyphs; system text never masks,
// so a field in a system font hides the clip it masks.
void TimelineInstance::appendFieldMask(const TextFieldState& field,
                                       std::vector<RenderItem>& out) const {
    // The field may have changed depth since the mask was set, but never its timeline.
    const auto owner = fieldMaskHolder_.lock();
    if (!owner || !owner->onStage()) return;
    const auto found =
        std::find_if(owner->list_.begin(), owner->list_.end(),
                     [&](const auto& entry) { return entry.second.text.get() == &field; });
    if (found == owner->list_.end()) return;
    const DisplayObject* holder = &found->second;
    const auto it = context_.movie->dictionary.find(holder->characterId);
    const auto* edit =
        it != context_.movie->dictionary.end() ? std::get_if<EditText>(&it->second) : nullptr;
    if (!edit || !edit->useOutlines) return;
    const Matrix matrix = StageMatrix(*owner) * holder->matrix;
    TextFieldState& state = TextFieldOf(*holder, *edit, *context_.movie);
    std::vector<RenderItem> drawn;
    AppendEditText(state.layoutFor(*context_.movie, context_.fonts, matrix, context_.viewScaleX,
                                   context_.viewScaleY),
                   matrix, {}, kMaxRenderItems, drawn, context_.viewScaleX, context_.viewScaleY);
    for (const RenderItem& item : drawn) {
        if (item.role != ClipRole::Draw || !item.shape || out.size() >= kMaxRenderItems) continue;
        out.push_back({item.shape, item.matrix, {}, ClipRole::Mask});
    }
}

bool TimelineInstance::openScriptMask(std::vector<RenderItem>& out) const {
    if (context_.scriptMaskNesting > 0) return false;
    if (const auto field = fieldMask_.lock()) {
        out.push_back({nullptr, {}, {}, ClipRole::BeginMask});
        appendFieldMask(*field, out);
        return true;
    }
    const auto mask = scriptMask_.lock();
    if (!mask || !mask->onStage()) return false;
    std::vector<RenderItem> drawn;
    ++context_.scriptMaskNesting;
    mask->collect(StageMatrix(*mask), {}, drawn);
    --context_.scriptMaskNesting;
    out.push_back({nullptr, {}, {}, ClipRole::BeginMask});
    for (const RenderItem& item : drawn) {
        if (item.role != ClipRole::Draw || out.size() >= kMaxRenderItems) continue;
        out.push_back({item.shape, item.matrix, {}, ClipRole::Mask});
    }
    return true;
}

void TimelineInstance::collectAlone(const Matrix& matrix, std::vector<RenderItem>& out) const {
    if (masksOtherClip()) return;
    const std::size_t first = out.size();
    const bool masked = openScriptMask(out);
    // The mask was listed in stage space: bring it into this clip's space, then through
    // `matrix`.
    Matrix fromStage;
    if (masked && Invert(StageMatrix(*this), fromStage))
        for (std::size_t i = first; i < out.size(); ++i)
            out[i].matrix = matrix * fromStage * out[i].matrix;
    collect(matrix, {}, out);
    if (masked) out.push_back({nullptr, {}, {}, ClipRole::Unmask});
}

}  // namespace saver::swf
