// A running timeline. Going forward applies the display commands of each frame in turn; going
// back replays frames 0..target into a fresh list and then keeps the running sprites of the
// objects that are still there with the same character, so a sprite that stays on stage across
// a loop of its parent keeps playing where it is instead of starting over.
#include "swf/player/TimelineInstance.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <limits>
#include <utility>

#include "swf/player/CharacterReplacement.h"
#include "swf/player/StaticTextItems.h"
#include "swf/player/TextFieldBinding.h"
#include "swf/player/TwipMatrix.h"

namespace saver::swf {

namespace {

// From SWF 6 a placement of a new object onto a depth in use is ignored; SWF 5 replaces the
// object there.
bool KeepsOccupiedDepth(const Movie& movie) {
    return movie.header.version >= 6;
}

// AsApplied may hand back a changed copy of the placement; what the list points to must be the
// movie's own placement, which outlives it.
void PointIntoMovie(DisplayList& list, const PlaceObject& place) {
    const auto it = list.find(place.depth);
    if (it == list.end()) return;
    if (place.filters) it->second.filters = place.filters->empty() ? nullptr : &*place.filters;
    if (!place.clipActions.empty()) it->second.clipActions = &place.clipActions;
}

bool SameLabel(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

TimelineInstance::TimelineInstance(PlayerContext& context, const Timeline& timeline, int nesting)
    : context_(context), timeline_(timeline), nesting_(nesting), bornTick_(context.tickCount) {
    ++context_.liveSprites;
}

TimelineInstance::~TimelineInstance() {
    list_.clear();  // children first, while the context count is still ours to change
    --context_.liveSprites;
}

int TimelineInstance::frameCount() const {
    return std::max<int>(1, static_cast<int>(timeline_.frames.size()));
}

Drawing& TimelineInstance::drawing() {
    if (!drawing_) drawing_ = std::make_unique<Drawing>();
    return *drawing_;
}

std::uint64_t NewRenderSource() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

void TimelineInstance::restart() {
    list_.clear();
    frame_ = 0;
    resumeAt_ = 0;
    if (timeline_.frames.empty()) return;
    runFrameCommands(0, true);
    logFrame(0, false);
}

void TimelineInstance::tick() {
    if (playing_ && timeline_.frames.size() > 1)
        gotoFrame(frame_ + 1 < frameCount() ? frame_ + 1 : 0);
    // Collected first: a child's tick never changes this list, but holding the children keeps
    // the loop independent of that.
    std::vector<std::shared_ptr<TimelineInstance>> children;
    for (const auto& [depth, object] : list_)
        if (object.sprite && object.sprite->bornTick_ != context_.tickCount)
            children.push_back(object.sprite);
    for (const auto& child : children) child->tick();
}

void TimelineInstance::advance() {
    queueEvent(kClipEnterFrame);
    if (playing_ && timeline_.frames.size() > 1)
        gotoFrame(frame_ + 1 < frameCount() ? frame_ + 1 : 0);
}

void TimelineInstance::queueEvent(std::uint32_t event, std::shared_ptr<TimelineInstance> hold) {
    PendingActions item{weak_from_this(), nullptr, event, std::move(hold)};
    if (event == kClipInitialize)
        context_.pendingInit.push_back(std::move(item));
    else if (event == kClipConstruct)
        context_.pendingFirst.push_back(std::move(item));
    else
        context_.pending.push_back(std::move(item));
}

void TimelineInstance::setExecRegistered() {
    context_.execList.push_back(weak_from_this());
}

DisplayObject* TimelineInstance::placement() {
    auto parent = parent_.lock();
    if (!parent) return nesting_ == 0 ? &self_ : nullptr;
    const auto it = parent->list_.find(depth_);
    return it != parent->list_.end() && it->second.sprite.get() == this ? &it->second : nullptr;
}

const DisplayObject* TimelineInstance::placement() const {
    return const_cast<TimelineInstance*>(this)->placement();
}

std::string TimelineInstance::name() const {
    const DisplayObject* p = placement();
    return p ? p->name : lastName_;
}

const std::vector<ClipAction>* TimelineInstance::clipActions() const {
    const DisplayObject* p = placement();
    return p ? p->clipActions : lastClipActions_;
}

bool TimelineInstance::onStage() const {
    return reachesRoot(false);
}

bool TimelineInstance::inDisplayTree() const {
    return reachesRoot(true);
}

// Walks up through the placements to the root; a placement waiting for its unload event
// breaks the walk unless `countParked`.
bool TimelineInstance::reachesRoot(bool countParked) const {
    const TimelineInstance* t = this;
    for (int guard = 0; guard <= kMaxSpriteNesting + 1; ++guard) {
        const DisplayObject* p = t->placement();
        if (!p || (p->pendingRemoval && !countParked)) return false;
        auto parent = t->parent_.lock();
        if (!parent) return t->nesting_ == 0;
        t = parent.get();
    }
    return false;
}

void TimelineInstance::gotoFrameAndStop(int frame) {
    playing_ = false;
    gotoFrame(frame);
}

void TimelineInstance::gotoLabelAndStop(const std::string& label) {
    const int frame = labelFrame(label);
    if (frame >= 0) gotoFrameAndStop(frame);
}

int TimelineInstance::labelFrame(const std::string& label) const {
    for (std::size_t i = 0; i < timeline_.frames.size(); ++i) {
        const auto& labels = timeline_.frames[i].labels;
        if (std::any_of(labels.begin(), labels.end(),
                        [&](const std::string& l) { return SameLabel(l, label); }))
            return static_cast<int>(i);
    }
    return -1;
}

void TimelineInstance::nextFrame() {
    if (frame_ + 1 < frameCount()) gotoFrameAndStop(frame_ + 1);
}

void TimelineInstance::prevFrame() {
    if (frame_ > 0) gotoFrameAndStop(frame_ - 1);
}

void TimelineInstance::gotoFrame(int frame) {
    if (timeline_.frames.empty()) return;
    const int target = std::clamp(frame, 0, frameCount() - 1);
    if (target == frame_) return;
    // A goto past the end shows the last frame but runs none of its scripts.
    const bool hit = target == frame;
    logFrame(target, target == frame_ + 1 || (target == 0 && frame_ == frameCount() - 1));
    if (target > frame_) {
        // A frame that a placement of nothing ended early goes on from there; the playhead
        // stays where it was until the rest of that frame has run.
        const std::size_t from = std::exchange(resumeAt_, 0);
        if (target == frame_ + 1) {
            frame_ = target;
            const int stop = runFrameCommands(target, hit, from);
            if (stop >= 0) {
                resumeAt_ = static_cast<std::size_t>(stop);
                frame_ = target - 1;
            }
            return;
        }
        for (int f = frame_ + 1; f < target; ++f)
            runFrameCommands(f, false, f == frame_ + 1 ? from : 0);
        frame_ = target;
        runFrameCommands(target, hit);
    } else if (target == 0 && frame_ == frameCount() - 1) {
        // The loop back to the first frame runs its scripts before the load events of the
        // clips it places again, as the first showing of that frame did.
        queueActions(target);
        rebuildTo(target);
        frame_ = target;
    } else {
        rebuildTo(target);
        frame_ = target;
        if (hit) queueActions(target);
    }
    resumeAt_ = 0;
}

// Display commands take effect at once, in file order; with `queueScripts` the frame's
// DoAction tags are queued where they stand among them, so a script written before a
// placement runs before the new clip's own first frame.
int TimelineInstance::runFrameCommands(int frame, bool queueScripts, std::size_t from) {
    const auto& commands = timeline_.frames[frame].commands;
    for (std::size_t i = from; i < commands.size(); ++i) {
        const FrameCommand& command = commands[i];
        if (const auto* place = std::get_if<PlaceObject>(&command)) {
            PlaceObject scratch;
            const PlaceObject& applied = AsApplied(list_, *place, *context_.movie, scratch);
            const auto old = list_.find(place->depth);
            // Placing nothing on an empty depth ends the frame's tags there, as a ShowFrame
            // would; the rest of the frame runs on the next advance.
            if (!place->move && !applied.characterId && old == list_.end())
                return static_cast<int>(i + 1);
            if (!place->move && old != list_.end() && KeepsOccupiedDepth(*context_.movie)) {
                if (context_.warning)
                    context_.warning("Failed to place object at depth " +
                                     std::to_string(place->depth) + ".");
                continue;
            }
            // A SWF 5 placement onto a depth in use takes the depth over without an unload
            // event for the object that was there; a move to another character unloads it.
            if (old != list_.end() && old->second.sprite && place->move && applied.characterId &&
                *applied.characterId != old->second.characterId)
                unloadObject(old->second);
            const PlaceResult result = ApplyPlace(list_, applied);
            if (&applied != place) PointIntoMovie(list_, *place);
            if (result == PlaceResult::NewCharacter)
                startSprite(list_.at(place->depth), place->depth);
        } else if (const auto* remove = std::get_if<RemoveObject>(&command)) {
            removeAt(remove->depth);
        } else if (const auto* action = std::get_if<DoAction>(&command)) {
            if (queueScripts) context_.pending.push_back({weak_from_this(), action, 0, nullptr});
        }
    }
    return -1;
}

// A sprite leaving the stage gets its unload event, and so do the sprites inside it; the
// event holds the sprite so its handler still sees it.
void TimelineInstance::unloadObject(DisplayObject& object) {
    if (!object.sprite) return;
    object.sprite->lastName_ = object.name;
    object.sprite->lastClipActions_ = object.clipActions;
    for (auto& [depth, child] : object.sprite->list_) object.sprite->unloadObject(child);
    object.sprite->queueEvent(kClipUnload, object.sprite);
}

void TimelineInstance::rebuildTo(int frame) {
    DisplayList plan;
    for (int f = 0; f <= frame; ++f) {
        for (const FrameCommand& command : timeline_.frames[f].commands) {
            PlaceObject scratch;
            if (const auto* place = std::get_if<PlaceObject>(&command)) {
                if (!place->move && plan.count(place->depth) && KeepsOccupiedDepth(*context_.movie))
                    continue;
                if (&AsApplied(plan, *place, *context_.movie, scratch) != place) {
                    ApplyPlace(plan, scratch);
                    PointIntoMovie(plan, *place);
                } else {
                    ApplyPlace(plan, *place);
                }
            } else if (const auto* remove = std::get_if<RemoveObject>(&command)) {
                ApplyRemove(plan, *remove);
            }
        }
    }
    for (auto& [depth, object] : plan) {
        const auto old = list_.find(depth);
        // A placement's ratio tells one placing of a character from another: an object placed
        // again later with another ratio is not the one the target frame had.
        if (old == list_.end() || old->second.characterId != object.characterId ||
            old->second.ratio != object.ratio)
            continue;
        if (object.name.empty()) object.name = old->second.name;  // "instanceN" stays
        if (old->second.scripted) {
            const std::string name = object.name;
            object = std::move(old->second);
            object.name = name;
        } else {
            object.sprite = std::move(old->second.sprite);
        }
        list_.erase(old);
    }
    // Objects a script placed above or below the timeline's layers stay where they are.
    for (auto it = list_.begin(); it != list_.end();) {
        if (it->first < 0 || it->first >= kScriptDepthOffset || it->second.pendingRemoval) {
            plan.insert(list_.extract(it++));
        } else {
            unloadObject(it->second);
            ++it;
        }
    }
    list_.swap(plan);
    plan.clear();  // the objects that left the stage go before new sprites are counted
    for (auto& [depth, object] : list_)
        if (!object.sprite && depth >= 0 && depth < kScriptDepthOffset) startSprite(object, depth);
}

void TimelineInstance::queueActions(int frame) {
    for (const FrameCommand& command : timeline_.frames[frame].commands)
        if (const auto* action = std::get_if<DoAction>(&command))
            context_.pending.push_back({weak_from_this(), action, 0, nullptr});
}

void TimelineInstance::logFrame(int frame, bool continued) {
    if (!context_.logFrames || context_.frameLog.size() >= kMaxFrameLog) return;
    context_.frameLog.push_back({weak_from_this(), &timeline_, frame, continued});
}

void TimelineInstance::startSprite(DisplayObject& object, int depth) {
    const auto it = context_.movie->dictionary.find(object.characterId);
    if (it == context_.movie->dictionary.end()) return;
    // Text fields take a default name from the same count as clips; shapes and static text
    // have none.
    if (std::holds_alternative<EditText>(it->second) && object.name.empty())
        object.name = "instance" + std::to_string(++context_.instanceCount);
    const Timeline* timeline = nullptr;
    if (const auto* sprite = std::get_if<Sprite>(&it->second))
        timeline = &sprite->timeline;
    else if (const auto* button = std::get_if<Button>(&it->second))
        timeline = &context_.buttons.stateTimeline(*button);
    if (!timeline || nesting_ + 1 > kMaxSpriteNesting || context_.liveSprites >= kMaxLiveSprites)
        return;
    if (object.name.empty()) object.name = "instance" + std::to_string(++context_.instanceCount);
    object.sprite = std::make_shared<TimelineInstance>(context_, *timeline, nesting_ + 1);
    object.sprite->parent_ = weak_from_this();
    object.sprite->depth_ = depth;
    object.sprite->characterId_ = object.characterId;
    object.sprite->setExecRegistered();
    // A button has no clip events: the clip actions a placement gives it never run.
    const bool button = std::holds_alternative<Button>(it->second);
    if (!button) {
        object.sprite->queueEvent(kClipInitialize);
        object.sprite->queueEvent(kClipConstruct);
        object.sprite->queueEvent(kClipLoad);
    }
    object.sprite->restart();
    if (button) object.sprite->stop();  // the mouse moves it
}

// Masks open while one list is walked, innermost last, by the last depth each one clips. A
// mask inside another's range is itself clipped by it, and what it clips beyond that range is
// still clipped by both (the player clips a mask's maskees by the mask as it is drawn): the
// outer ranges grow to the inner one, so they always nest and closing them in stack order is
// enough.
class TimelineInstance::MaskStack {
  public:
    explicit MaskStack(std::vector<RenderItem>& out) : out_(out) {}
    ~MaskStack() { closeBefore(std::numeric_limits<int>::max()); }  // the list ended inside

    void closeBefore(int depth) {
        while (!lastDepths_.empty() && lastDepths_.back() < depth) {
            out_.push_back({nullptr, {}, {}, ClipRole::Unmask});
            lastDepths_.pop_back();
        }
    }
    // Opens a mask clipping the depths after `depth` up to `clipDepth`; false when that range
    // is empty (the mask then clips nothing and is not shown either).
    bool open(int depth, int clipDepth) {
        if (clipDepth <= depth) return false;
        out_.push_back({nullptr, {}, {}, ClipRole::BeginMask});
        for (int& last : lastDepths_) last = std::max(last, clipDepth);
        lastDepths_.push_back(clipDepth);
        return true;
    }

  private:
    std::vector<RenderItem>& out_;
    std::vector<int> lastDepths_;
};

void TimelineInstance::collect(const Matrix& parentMatrix, const ColorTransform& parentColor,
                               std::vector<RenderItem>& out) const {
    if (drawing_) drawing_->collect(parentMatrix, parentColor, ClipRole::Draw, out);
    MaskStack masks(out);
    for (const auto& [depth, object] : list_) {
        masks.closeBefore(depth);
        if (out.size() >= kMaxRenderItems) return;
        if (object.pendingRemoval ||
            (!object.visible && !(object.clipDepth && *object.clipDepth > 0)))
            continue;
        static const Character kEmptyClip = Sprite{};      // a clip a script made empty
        static const Character kScriptField = EditText{};  // its state is all it has
        const auto it = context_.movie->dictionary.find(object.characterId);
        const Character* character = object.bitmapShape ? object.bitmapShape.get()
                                     : it != context_.movie->dictionary.end() ? &it->second
                                     : object.sprite                          ? &kEmptyClip
                                     : object.text                            ? &kScriptField
                                                                              : nullptr;
        if (!character) continue;
        if (object.sprite ? object.sprite->masksOtherClip() : fieldMasksOtherClip(object)) continue;
        const Matrix matrix = ConcatInTwips(parentMatrix, object.matrix);
        const ColorTransform color = parentColor * object.colorTransform;
        if (object.clipDepth && *object.clipDepth > 0) {  // clip depth 0 masks nothing
            if (masks.open(depth, *object.clipDepth)) collectMask(object, *character, matrix, out);
        } else {
            const bool masked = object.sprite && object.sprite->openScriptMask(out);
            collectObject(object, *character, matrix, color, out);
            if (masked) out.push_back({nullptr, {}, {}, ClipRole::Unmask});
        }
    }
}

// An object that filters, blends, or is cached is drawn as a group: its items go into a layer
// with no colour transform, and the layer takes the object's (and its parents') transform as a
// whole, so overlapping children do not show through each other. A cached object is a bitmap
// placed on whole pixels, so its picture moves by less than half a pixel.
void TimelineInstance::collectObject(const DisplayObject& object, const Character& character,
                                     const Matrix& matrix, const ColorTransform& color,
                                     std::vector<RenderItem>& out) const {
    const bool group = object.filters != nullptr ||
                       (object.blendMode >= 2 && object.blendMode <= 14) || object.cacheAsBitmap ||
                       object.opaqueBackground;
    const ColorTransform inner = group ? ColorTransform{} : color;
    if (group) {
        RenderItem begin{nullptr, matrix, color, ClipRole::BeginGroup};
        begin.blendMode = object.blendMode;
        begin.filters = object.filters;
        begin.background = object.opaqueBackground;
        begin.cached = object.cacheAsBitmap;
        out.push_back(begin);
    }
    if (const auto* shape = std::get_if<Shape>(&character)) {
        out.push_back({shape, matrix, inner});
        // A script's bitmap is shown through a shape of the object's own, which may go.
        if (!object.bitmapShape) out.back().source = context_.source;
    } else if (const auto* morph = std::get_if<MorphShape>(&character)) {
        if (const Shape* now = context_.morphs.shapeAt(*morph, object.ratio, context_.tickCount))
            out.push_back({now, matrix, inner});
    } else if (const auto* text = std::get_if<StaticText>(&character)) {
        AppendStaticText(*text, *context_.movie, matrix, inner, ClipRole::Draw, kMaxRenderItems,
                         out, context_.fonts, context_.source);
    } else if (const auto* field = std::get_if<EditText>(&character)) {
        TextFieldState& state = TextFieldOf(object, *field, *context_.movie);
        AppendEditText(state.layoutFor(*context_.movie, context_.fonts, matrix, context_.viewScaleX,
                                       context_.viewScaleY),
                       matrix, inner, kMaxRenderItems, out, context_.viewScaleX,
                       context_.viewScaleY);
    } else if (object.sprite) {
        object.sprite->collect(matrix, inner, out);
    }
    if (group) out.push_back({nullptr, {}, {}, ClipRole::EndGroup});
}

// The mask's own masks and colours play no part: a mask is the union of the fills of every
// shape it would draw.
void TimelineInstance::collectMask(const DisplayObject& object, const Character& character,
                                   const Matrix& matrix, std::vector<RenderItem>& out) const {
    if (const auto* shape = std::get_if<Shape>(&character)) {
        out.push_back({shape, matrix, {}, ClipRole::Mask});
        if (!object.bitmapShape) out.back().source = context_.source;
        return;
    }
    if (const auto* morph = std::get_if<MorphShape>(&character)) {
        if (const Shape* now = context_.morphs.shapeAt(*morph, object.ratio, context_.tickCount))
            out.push_back({now, matrix, {}, ClipRole::Mask});
        return;
    }
    if (const auto* text = std::get_if<StaticText>(&character)) {
        AppendStaticText(*text, *context_.movie, matrix, {}, ClipRole::Mask, kMaxRenderItems, out,
                         context_.fonts, context_.source);
        return;
    }
    if (!object.sprite) return;
    std::vector<RenderItem> drawn;
    object.sprite->collect(matrix, {}, drawn);
    for (const RenderItem& item : drawn) {
        if (item.role != ClipRole::Draw || out.size() >= kMaxRenderItems) continue;
        out.push_back({item.shape, item.matrix, {}, ClipRole::Mask});
        out.back().source = item.source;
    }
}

}  // namespace saver::swf
