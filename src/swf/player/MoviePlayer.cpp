// The player core: the root timeline plus the action queue. A tick first moves every
// timeline (display commands only), then runs the queued frame actions, so an action always
// sees its frame fully built. Actions that jump to other frames queue that frame's actions in
// turn; a cap on the action blocks run per step keeps two frames that jump to each other from
// hanging the player.
#include "swf/player/MoviePlayer.h"

#include <algorithm>
#include <utility>

#include "swf/format/FrameActions.h"
#include "swf/player/FrameActionRunner.h"
#include "swf/player/PointerInput.h"
#include "swf/player/TextFieldBinding.h"
#include "swf/player/TimelineInstance.h"
#include "swf/render/BitmapLibrary.h"

namespace saver::swf {

namespace {

constexpr int kMaxActionBlocksPerStep = 1000;
constexpr double kDefaultFrameRate = 12;  // for a header that declares 0 frames per second

}  // namespace

struct MoviePlayer::State {
    std::shared_ptr<const Movie> movie;
    PlayerContext context;
    std::shared_ptr<TimelineInstance> root;
    std::unique_ptr<BitmapLibrary> bitmaps;   // decoded as the fills need them
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

    // The timelines alive now, newest first; the list drops the ones that are gone.
    std::vector<std::shared_ptr<TimelineInstance>> liveTimelines() {
        auto& all = context.execList;
        std::vector<std::shared_ptr<TimelineInstance>> live;
        live.reserve(all.size());
        std::size_t kept = 0;
        for (auto& weak : all) {
            auto t = weak.lock();
            if (!t) continue;
            all[kept++] = weak;
            live.push_back(std::move(t));
        }
        all.resize(kept);
        std::reverse(live.begin(), live.end());
        return live;
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
        while (!context.pending.empty() || !context.pendingFirst.empty() ||
               !context.pendingInit.empty()) {
            if (++blocks > kMaxActionBlocksPerStep) {
                context.pending.clear();
                context.pendingFirst.clear();
                context.pendingInit.clear();
                break;
            }
            auto& queue = !context.pendingInit.empty()    ? context.pendingInit
                          : !context.pendingFirst.empty() ? context.pendingFirst
                                                          : context.pending;
            const PendingActions next = std::move(queue.front());
            queue.pop_front();
            if (next.event && !scripts) {
                --blocks;  // nothing runs it
                continue;
            }
            const auto timeline = next.timeline.lock();
            if (!timeline) continue;  // removed from the stage before its turn
            if (next.event == kClipUnload) {
                if (scripts) scripts->clipEvent(*root, *timeline, next.event);
                continue;
            }
            if (!timeline->onStage()) continue;  // removed before its turn
            if (next.event) {
                if (scripts) scripts->clipEvent(*root, *timeline, next.event);
                continue;
            }
            if (scripts) {
                scripts->runActions(*root, *timeline, *next.actions);
                continue;
            }
            for (const FrameAction& action : DecodeFrameActions(next.actions->bytes))
                RunFrameAction(*timeline, action);
        }
    }
};

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, std::unique_ptr<ScriptHost> scripts,
                         bool logFrames, std::shared_ptr<const FontSource> fonts)
    : state_(std::make_unique<State>()) {
    state_->movie = std::move(movie);
    setFontSource(std::move(fonts));
    state_->scripts = std::move(scripts);
    state_->context.logFrames = logFrames;
    state_->context.movie = state_->movie.get();
    state_->bitmaps = std::make_unique<BitmapLibrary>(*state_->movie);
    state_->context.bitmaps = state_->bitmaps.get();
    if (ScriptHost* host = state_->scripts.get()) {
        state_->context.hasUnloadHandler = [host](TimelineInstance& t) {
            return host->hasUnloadHandler(t);
        };
        state_->context.hasOwnUnloadHandler = [host](TimelineInstance& t) {
            return host->hasOwnUnloadHandler(t);
        };
        state_->context.warning = [host](const std::string& text) { host->warning(text); };
    }
    state_->root = std::make_shared<TimelineInstance>(state_->context, state_->movie->root, 0);
    state_->root->setExecRegistered();
    state_->root->restart();
    state_->pointer = std::make_unique<PointerInput>(state_->context, state_->scripts.get());
    // The root's load event comes after its first frame's scripts, so an onLoad they define
    // is called.
    state_->context.pending.push_back({state_->root, nullptr, kClipLoad, nullptr});
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

// Every timeline takes its step, newest first and the root last (a clip made during the walk
// waits for the next tick); then the queued scripts run.
void MoviePlayer::tick() {
    ++state_->context.tickCount;
    TimelineInstance::dropParked(state_->context);
    for (const auto& timeline : state_->liveTimelines())
        if (!timeline->bornThisTick() && timeline->onStage()) timeline->advance();
    state_->finishFrame();
}

void MoviePlayer::setMousePosition(double x, double y) {
    state_->context.mouseX = x * 20;
    state_->context.mouseY = y * 20;
}

void MoviePlayer::broadcastEvent(std::uint32_t event) {
    for (const auto& timeline : state_->liveTimelines())
        if (timeline->onStage())
            state_->context.pending.push_back({timeline, nullptr, event, nullptr});
    state_->runPending();
}

TimelineInstance& MoviePlayer::root() {
    return *state_->root;
}

int MoviePlayer::currentFrame() const {
    return state_->root->currentFrame();
}
int MoviePlayer::totalFrames() const {
    return state_->root->frameCount();
}

std::vector<RenderItem> MoviePlayer::renderList() const {
    std::vector<RenderItem> items;
    const DisplayObject* stage = state_->root->placement();
    state_->root->collect(stage->matrix, stage->colorTransform, items);
    for (RenderItem& item : items) item.bitmaps = state_->bitmaps.get();
    return items;
}

void MoviePlayer::decodeBitmaps() {
    state_->bitmaps->decodeAhead();
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
    setMousePosition(x, y);
    state_->pointer->move(*state_->root, x * 20, y * 20);
    state_->input({InputKind::MouseMove, x, y});
    broadcastEvent(kClipMouseMove);  // onClipEvent(mouseMove) and onMouseMove
}

void MoviePlayer::mouseDown() {
    state_->input({InputKind::MouseDown, state_->mouseX, state_->mouseY});
    broadcastEvent(kClipMouseDown);
    state_->pointer->press(*state_->root);
    state_->runPending();
}

void MoviePlayer::mouseUp() {
    state_->input({InputKind::MouseUp, state_->mouseX, state_->mouseY});
    broadcastEvent(kClipMouseUp);
    state_->pointer->release(*state_->root);
    state_->runPending();
}

void MoviePlayer::mouseWheel(int delta) {
    state_->input({InputKind::MouseWheel, state_->mouseX, state_->mouseY, 0, 0, delta});
}

void MoviePlayer::keyDown(int keyCode, int ascii) {
    state_->input({InputKind::KeyDown, state_->mouseX, state_->mouseY, keyCode, ascii});
    broadcastEvent(kClipKeyDown);
    state_->pointer->keyPress(*state_->root, keyCode, ascii);
    state_->runPending();
}

void MoviePlayer::keyUp(int keyCode, int ascii) {
    state_->input({InputKind::KeyUp, state_->mouseX, state_->mouseY, keyCode, ascii});
    broadcastEvent(kClipKeyUp);
}

void MoviePlayer::viewResized(int width, int height) {
    if (state_->scripts) state_->scripts->stageResized(*state_->root, width, height);
    state_->runPending();
}

void MoviePlayer::setViewScale(double x, double y) {
    state_->context.viewScaleX = x;
    state_->context.viewScaleY = y;
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

std::vector<SoundCommand> MoviePlayer::takeSoundCommands() {
    return state_->scripts ? state_->scripts->takeSoundCommands() : std::vector<SoundCommand>{};
}

}  // namespace saver::swf
