// The pointer is tested against the display tree from the top: higher depths first, a clip's
// children before what lies below the clip. A button or a clip used as a button takes the
// pointer as a whole; its children are not searched.
#include "swf/player/PointerInput.h"

#include "swf/format/FrameActions.h"
#include "swf/player/ShapeHitTest.h"

namespace saver::swf {

namespace {

void RunTimelineActions(TimelineInstance& timeline, const std::vector<std::uint8_t>& bytes) {
    for (const FrameAction& action : DecodeFrameActions(bytes)) {
        using Kind = FrameAction::Kind;
        switch (action.kind) {
            case Kind::Stop:
                timeline.stop();
                break;
            case Kind::Play:
                timeline.play();
                break;
            case Kind::NextFrame:
                timeline.nextFrame();
                break;
            case Kind::PrevFrame:
                timeline.prevFrame();
                break;
            case Kind::GotoFrame:
                timeline.gotoFrameAndStop(action.frame);
                break;
            case Kind::GotoLabel:
                timeline.gotoLabelAndStop(action.label);
                break;
        }
    }
}

}  // namespace

void PointerInput::move(TimelineInstance& root, double x, double y) {
    x_ = x;
    y_ = y;
    const Target under = pick(root);
    if (!down_) {
        if (under == hover_) return;
        const Target was = hover_;
        hover_ = under;
        if (was.instance.lock()) transition(root, was, kOverUpToIdle, "onRollOut", Look::Up);
        if (under.instance.lock()) transition(root, under, kIdleToOverUp, "onRollOver", Look::Over);
        return;
    }
    if (!pressed_.instance.lock()) return;
    const bool over = under == pressed_;
    if (over == pressedOver_) return;
    pressedOver_ = over;
    if (over) {
        transition(root, pressed_, kOutDownToOverDown, "onDragOver", Look::Down);
    } else {
        const bool menu = pressed_.button && pressed_.button->trackAsMenu;
        transition(root, pressed_, kOverDownToOutDown, "onDragOut", menu ? Look::Up : Look::Over);
    }
}

void PointerInput::press(TimelineInstance& root) {
    down_ = true;
    pressed_ = hover_;
    pressedOver_ = true;
    if (pressed_.instance.lock())
        transition(root, pressed_, kOverUpToOverDown, "onPress", Look::Down);
}

void PointerInput::release(TimelineInstance& root) {
    down_ = false;
    const Target was = pressed_;
    pressed_ = {};
    if (!was.instance.lock()) return;
    if (pressedOver_) {
        transition(root, was, kOverDownToOverUp, "onRelease", Look::Over);
        return;
    }
    transition(root, was, kOutDownToIdle, "onReleaseOutside", Look::Up);
    hover_ = {};
    move(root, x_, y_);  // what the pointer is over now is rolled over
}

PointerInput::Target PointerInput::pick(TimelineInstance& root) const {
    Target out;
    pickIn(root, Matrix{}, 0, out);
    return out;
}

bool PointerInput::pickIn(TimelineInstance& timeline, const Matrix& matrix, int nesting,
                          Target& out) const {
    if (nesting > kMaxSpriteNesting) return false;
    const auto& list = timeline.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const DisplayObject& object = it->second;
        if (!object.sprite || (object.clipDepth && *object.clipDepth > 0)) continue;
        const auto found = context_.movie->dictionary.find(object.characterId);
        if (found == context_.movie->dictionary.end()) continue;
        const Matrix m = matrix * object.matrix;
        if (const auto* button = std::get_if<Button>(&found->second)) {
            if (!hitButton(*button, m)) continue;
            out = {object.sprite, button, timeline.weak_from_this()};
            return true;
        }
        if (scripts_ && scripts_->isButtonClip(*object.sprite)) {
            if (!hitClip(*object.sprite, m)) continue;
            out = {object.sprite, nullptr, timeline.weak_from_this()};
            return true;
        }
        if (pickIn(*object.sprite, m, nesting + 1, out)) return true;
    }
    return false;
}

bool PointerInput::hitButton(const Button& button, const Matrix& matrix) const {
    for (const ButtonRecord& record : button.records) {
        if (!(record.states & kButtonHitTest)) continue;
        const auto found = context_.movie->dictionary.find(record.characterId);
        if (found == context_.movie->dictionary.end()) continue;
        const Matrix m = matrix * record.matrix;
        const Shape* shape = std::get_if<Shape>(&found->second);
        if (const auto* morph = std::get_if<MorphShape>(&found->second)) shape = &morph->start;
        if (shape && HitShape(*shape, m, x_, y_)) return true;
        if (const auto* sprite = std::get_if<Sprite>(&found->second)) {
            // A sprite in the hit state counts by the shapes of its first frame.
            for (const FrameCommand& command : sprite->timeline.frames.empty()
                                                   ? std::vector<FrameCommand>{}
                                                   : sprite->timeline.frames[0].commands) {
                const auto* place = std::get_if<PlaceObject>(&command);
                if (!place || !place->characterId) continue;
                const auto child = context_.movie->dictionary.find(*place->characterId);
                if (child == context_.movie->dictionary.end()) continue;
                const auto* s = std::get_if<Shape>(&child->second);
                if (s && HitShape(*s, m * place->matrix.value_or(Matrix{}), x_, y_)) return true;
            }
        }
    }
    return false;
}

bool PointerInput::hitClip(const TimelineInstance& clip, const Matrix& matrix) const {
    std::vector<RenderItem> items;
    clip.collect(matrix, {}, items);
    for (const RenderItem& item : items)
        if (item.shape && item.role == ClipRole::Draw && HitShape(*item.shape, item.matrix, x_, y_))
            return true;
    return false;
}

void PointerInput::transition(TimelineInstance& root, const Target& target, std::uint16_t condition,
                              const char* event, Look look) {
    const auto instance = target.instance.lock();
    if (!instance) return;
    if (target.button) {
        instance->gotoFrameAndStop(look == Look::Up     ? ButtonStates::kUpFrame
                                   : look == Look::Over ? ButtonStates::kOverFrame
                                                        : ButtonStates::kDownFrame);
        if (const auto parent = target.parent.lock()) {
            for (const ButtonAction& action : target.button->actions) {
                if (!(action.conditions & condition)) continue;
                if (scripts_)
                    scripts_->runButtonActions(root, *parent, action.bytes);
                else
                    RunTimelineActions(*parent, action.bytes);
            }
        }
    } else {
        instance->gotoLabelAndStop(look == Look::Up     ? "_up"
                                   : look == Look::Over ? "_over"
                                                        : "_down");
    }
    if (scripts_) scripts_->buttonEvent(root, *instance, event);
}

}  // namespace saver::swf
