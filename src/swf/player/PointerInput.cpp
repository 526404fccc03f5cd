// The pointer is tested against the display tree from the top: higher depths first, a clip's
// children before what lies below the clip. A button or a clip used as a button takes the
// pointer as a whole; its children are not searched.
#include "swf/player/PointerInput.h"

#include "swf/format/FrameActions.h"
#include "swf/player/FrameActionRunner.h"
#include "swf/player/ShapeHitTest.h"

namespace saver::swf {

namespace {

void RunTimelineActions(TimelineInstance& timeline, const std::vector<std::uint8_t>& bytes) {
    for (const FrameAction& action : DecodeFrameActions(bytes)) RunFrameAction(timeline, action);
}

// The key code a button's key condition uses for a Windows virtual key: Flash's own codes for
// the special keys, the character for the others; 0 for keys a button cannot name.
int ButtonKeyCode(int keyCode, int ascii) {
    switch (keyCode) {
        case 37:
            return 1;  // left
        case 39:
            return 2;  // right
        case 36:
            return 3;  // home
        case 35:
            return 4;  // end
        case 45:
            return 5;  // insert
        case 46:
            return 6;  // delete
        case 8:
            return 8;  // backspace
        case 13:
            return 13;  // enter
        case 38:
            return 14;  // up
        case 40:
            return 15;  // down
        case 33:
            return 16;  // page up
        case 34:
            return 17;  // page down
        case 9:
            return 18;  // tab
        case 27:
            return 19;  // escape
        default:
            return ascii >= 32 && ascii < 127 ? ascii : 0;
    }
}

}  // namespace

void PointerInput::keyPress(TimelineInstance& root, int keyCode, int ascii) {
    const int code = ButtonKeyCode(keyCode, ascii);
    if (code != 0) keyPressIn(root, root, code, 0);
}

void PointerInput::keyPressIn(TimelineInstance& root, TimelineInstance& timeline, int code,
                              int nesting) {
    if (nesting > kMaxSpriteNesting) return;
    std::vector<std::pair<std::shared_ptr<TimelineInstance>, const Button*>> found;
    for (const auto& [depth, object] : timeline.displayList()) {
        if (!object.sprite) continue;
        const auto it = context_.movie->dictionary.find(object.characterId);
        const Button* button =
            it == context_.movie->dictionary.end() ? nullptr : std::get_if<Button>(&it->second);
        found.emplace_back(object.sprite, button);
    }
    for (const auto& [sprite, button] : found) {
        if (!button) {
            keyPressIn(root, *sprite, code, nesting + 1);
            continue;
        }
        for (const ButtonAction& action : button->actions)
            if ((action.conditions >> 9) == code) runActions(root, timeline, action.bytes);
    }
}

void PointerInput::runActions(TimelineInstance& root, TimelineInstance& parent,
                              const std::vector<std::uint8_t>& bytes) {
    if (scripts_)
        scripts_->runButtonActions(root, parent, bytes);
    else
        RunTimelineActions(parent, bytes);
}

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
            for (const ButtonAction& action : target.button->actions)
                if (action.conditions & condition) runActions(root, *parent, action.bytes);
        }
    } else {
        instance->gotoLabelAndStop(look == Look::Up     ? "_up"
                                   : look == Look::Over ? "_over"
                                                        : "_down");
    }
    if (scripts_) scripts_->buttonEvent(root, *instance, event);
}

}  // namespace saver::swf
