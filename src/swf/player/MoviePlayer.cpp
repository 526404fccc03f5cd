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

    std::unique_ptr<ScriptHost> scripts;  // destroyed before the movie and the timelines

    // The frame is built: its scripts, then the timers of its time, then their actions.
    void finishFrame() {
        runInitActions();
        runPending();
        if (!scripts) return;
        scripts->frameShown(*root);
        runPending();
        scripts->frameDone(*root);
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

std::vector<FrameEntry> MoviePlayer::takeFrameLog() {
    return std::exchange(state_->context.frameLog, {});
}

std::vector<SoundCommand> MoviePlayer::takeSoundCommands() {
    return state_->scripts ? state_->scripts->takeSoundCommands() : std::vector<SoundCommand>{};
}

}  // namespace saver::swf
