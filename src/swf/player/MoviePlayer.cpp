// The player core: the root timeline plus the action queue. A tick first moves every
// timeline (display commands only), then runs the queued frame actions, so an action always
// sees its frame fully built. Actions that jump to other frames queue that frame's actions in
// turn; a cap on the action blocks run per step keeps two frames that jump to each other from
// hanging the player.
#include "swf/player/MoviePlayer.h"

#include <algorithm>
#include <utility>

#include "swf/format/FrameActions.h"
#include "swf/render/BitmapLibrary.h"
#include "swf/player/PointerInput.h"
#include "swf/player/TextFieldBinding.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

namespace {

constexpr int kMaxActionBlocksPerStep = 1000;
constexpr double kDefaultFrameRate = 12;  // for a header that declares 0 frames per second

void RunAction(TimelineInstance& timeline, const FrameAction& action) {
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

}  // namespace

struct MoviePlayer::State {
    std::shared_ptr<const Movie> movie;
    PlayerContext context;
    std::shared_ptr<TimelineInstance> root;
    std::unique_ptr<BitmapLibrary> bitmaps;  // decoded as the fills need them
    std::shared_ptr<const FontSource> fonts;  // device text

    std::unique_ptr<ScriptHost> scripts;  // destroyed before the movie and the timelines
    std::unique_ptr<PointerInput> pointer;
    double mouseX = 0, mouseY = 0;

    void input(const InputEvent& event) {
        if (scripts) scripts->inputEvent(*root, event);
        runPending();
    }

    // The frame is built: its scripts, then the timers of its time, then their actions.
    void finishFrame() {
        runInitActions();
        runPending();
        if (!scripts) return;
        scripts->frameShown(*root);
        runPending();
        scripts->frameDone(*root);
        UpdateBoundTextFields(*root, *scripts, *movie);
    }

    // The DoInitAction tags of every root frame reached so far that have not run yet.
    std::vector<bool> initDone;
    void runInitActions() {
        if (!scripts) return;
        const auto& frames = movie->root.frames;
        initDone.resize(frames.size());
        const int last = std::min<int>(root->currentFrame(), static_cast<int>(frames.size()) - 1);
        for (int f = 0; f <= last; ++f) {
            if (initDone[f]) continue;
            initDone[f] = true;
            for (const DoInitAction& init : frames[f].initActions)
                scripts->runInitActions(*root, init);
        }
    }

    void runPending() {
        int blocks = 0;
        while (!context.pending.empty()) {
            if (++blocks > kMaxActionBlocksPerStep) {
                context.pending.clear();
                break;
            }
            const PendingActions next = context.pending.front();
            context.pending.pop_front();
            const auto timeline = next.timeline.lock();
            if (!timeline) continue;  // removed from the stage before its turn
            if (scripts) {
                scripts->runActions(*root, *timeline, *next.actions);
                continue;
            }
            for (const FrameAction& action : DecodeFrameActions(next.actions->bytes))
                RunAction(*timeline, action);
        }
    }
};

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, std::unique_ptr<ScriptHost> scripts,
                         bool logFrames)
    : state_(std::make_unique<State>()) {
    state_->movie = std::move(movie);
    state_->scripts = std::move(scripts);
    state_->context.logFrames = logFrames;
    state_->context.movie = state_->movie.get();
    state_->bitmaps = std::make_unique<BitmapLibrary>(*state_->movie);
    state_->root = std::make_shared<TimelineInstance>(state_->context, state_->movie->root, 0);
    state_->root->restart();
    state_->pointer = std::make_unique<PointerInput>(state_->context, state_->scripts.get());
    state_->finishFrame();
}

MoviePlayer::~MoviePlayer() {
    if (!state_) return;
    state_->scripts.reset();  // its objects refer to timelines
    state_->root.reset();     // before the context it counts in
}

void MoviePlayer::rewind() {
    const bool playing = state_->root->playing();
    state_->root->restart();
    if (!playing) state_->root->stop();
    state_->runPending();
}

void MoviePlayer::play() {
    state_->root->play();
}
void MoviePlayer::stop() {
    state_->root->stop();
}
bool MoviePlayer::isPlaying() const {
    return state_->root->playing();
}

void MoviePlayer::tick() {
    ++state_->context.tickCount;
    state_->root->tick();
    state_->finishFrame();
}

int MoviePlayer::currentFrame() const {
    return state_->root->currentFrame();
}
int MoviePlayer::totalFrames() const {
    return state_->root->frameCount();
}

std::vector<RenderItem> MoviePlayer::renderList() const {
    std::vector<RenderItem> items;
    state_->root->collect(Matrix{}, ColorTransform{}, items);
    for (RenderItem& item : items) item.bitmaps = state_->bitmaps.get();
    return items;
}

Rgba MoviePlayer::background() const {
    return state_->movie->background.value_or(Rgba{255, 255, 255, 255});
}

double MoviePlayer::frameRate() const {
    const double rate = state_->movie->header.frameRate;
    return rate > 0 ? rate : kDefaultFrameRate;
}

const Movie& MoviePlayer::movie() const {
    return *state_->movie;
}

void MoviePlayer::setFontSource(std::shared_ptr<const FontSource> fonts) {
    state_->fonts = std::move(fonts);
    state_->context.fonts = state_->fonts.get();
}

std::vector<FrameEntry> MoviePlayer::takeFrameLog() {
    return std::exchange(state_->context.frameLog, {});
}

void MoviePlayer::mouseMove(double x, double y) {
    state_->mouseX = x;
    state_->mouseY = y;
    state_->pointer->move(*state_->root, x * 20, y * 20);
    state_->input({InputKind::MouseMove, x, y});
}

void MoviePlayer::mouseDown() {
    state_->input({InputKind::MouseDown, state_->mouseX, state_->mouseY});
    state_->pointer->press(*state_->root);
    state_->runPending();
}

void MoviePlayer::mouseUp() {
    state_->input({InputKind::MouseUp, state_->mouseX, state_->mouseY});
    state_->pointer->release(*state_->root);
    state_->runPending();
}

void MoviePlayer::mouseWheel(int delta) {
    state_->input({InputKind::MouseWheel, state_->mouseX, state_->mouseY, 0, 0, delta});
}

void MoviePlayer::keyDown(int keyCode, int ascii) {
    state_->input({InputKind::KeyDown, state_->mouseX, state_->mouseY, keyCode, ascii});
    state_->pointer->keyPress(*state_->root, keyCode, ascii);
    state_->runPending();
}

void MoviePlayer::keyUp(int keyCode, int ascii) {
    state_->input({InputKind::KeyUp, state_->mouseX, state_->mouseY, keyCode, ascii});
}

void MoviePlayer::viewResized(int width, int height) {
    if (state_->scripts) state_->scripts->stageResized(*state_->root, width, height);
    state_->runPending();
}

void MoviePlayer::setScaleMode(int shown) {
    if (state_->scripts) state_->scripts->viewScaleMode(shown);
}

int MoviePlayer::scaleMode(int shown) const {
    return state_->scripts ? state_->scripts->scriptScaleMode().value_or(shown) : shown;
}

bool MoviePlayer::cursorHidden() const {
    return state_->scripts && state_->scripts->cursorHidden();
}

}  // namespace saver::swf
