// The result is handed over through one atomic flag: the worker writes the player, then sets
// `done` with release order; the owner reads the player only after seeing `done` with acquire
// order. Nothing else is shared, so no lock is needed (and the win64 tool chain's threading
// model offers none of the standard ones).
#include "player/MovieLoader.h"

#include <atomic>
#include <exception>
#include <utility>

#include "player/LocalClock.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/text/SystemFontSource.h"

namespace saver {

struct MovieLoader::Job {
    std::vector<std::uint8_t> bytes;
    ScriptFileReader files;
    swf::avm1::InterpreterHost::Screen screen;
    std::unique_ptr<swf::MoviePlayer> player;  // written by the worker before `done`
    std::atomic<bool> done{false};
    std::atomic<bool> abandoned{false};

    void run() noexcept {
        try {
            if (!abandoned.load(std::memory_order_relaxed)) {
                auto movie = std::make_shared<swf::Movie>(swf::ReadMovie(bytes));
                // A load abandoned meanwhile skips the first frame's work too.
                if (!abandoned.load(std::memory_order_relaxed)) {
                    // Scripts run in the movie's own engine; their trace output goes nowhere.
                    // The frame log tells the sound which frames' sounds to play.
                    auto scripts =
                        std::make_unique<swf::avm1::ScriptRunner>(movie, nullptr, screen);
                    scripts->interpreter().loadFile = std::move(files);
                    scripts->setCalendar({nullptr, LocalTimeOffsetMs});
                    player = std::make_unique<swf::MoviePlayer>(movie, std::move(scripts), true,
                                                                swf::MakeSystemFontSource());
                }
                // Bitmaps are decoded here, off the window's thread, not in the first frame
                // that draws them.
                if (player && !abandoned.load(std::memory_order_relaxed)) player->decodeBitmaps();
            }
        } catch (const std::exception&) {
            player.reset();  // not a movie we can read: nothing to show
        } catch (...) {
            player.reset();
        }
        std::vector<std::uint8_t>().swap(bytes);
        done.store(true, std::memory_order_release);
    }
};

MovieLoader::StartThread MovieLoader::Inline() {
    return [](std::function<void()> work) {
        work();
        return true;
    };
}

MovieLoader::MovieLoader(StartThread startThread) : startThread_(std::move(startThread)) {}

MovieLoader::~MovieLoader() {
    cancel();
}

void MovieLoader::start(std::vector<std::uint8_t> bytes, ScriptFileReader files) {
    cancel();
    auto job = std::make_shared<Job>();
    job->bytes = std::move(bytes);
    job->files = std::move(files);
    job->screen = screen_;
    job_ = job;
    // The worker holds its own reference: the job lives until both sides are done with it.
    const bool started = startThread_ && startThread_([job] { job->run(); });
    if (!started) job->run();
}

void MovieLoader::cancel() {
    if (!job_) return;
    job_->abandoned.store(true, std::memory_order_relaxed);
    job_.reset();
}

std::optional<std::unique_ptr<swf::MoviePlayer>> MovieLoader::take() {
    if (!job_ || !job_->done.load(std::memory_order_acquire)) return std::nullopt;
    std::unique_ptr<swf::MoviePlayer> player = std::move(job_->player);
    job_.reset();
    return player;
}

}  // namespace saver
