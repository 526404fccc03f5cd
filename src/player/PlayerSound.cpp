// The device's thread only ever mixes; every change to what plays (frames' sounds, a new movie,
// muting) comes from the window's thread. The two meet in the mixer, under the spin lock, and
// in the count of mixed frames, which only the mixing side writes.
#include "player/PlayerSound.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "swf/audio/MovieSound.h"
#include "swf/player/MoviePlayer.h"

namespace saver {

PlayerSound::PlayerSound(std::unique_ptr<AudioOutput> output) : output_(std::move(output)) {}

PlayerSound::~PlayerSound() {
    if (output_) output_->stop();  // no pull runs after this
    detach();
}

void PlayerSound::startDevice() {
    if (deviceTried_) return;
    deviceTried_ = true;
    if (!output_) return;
    deviceRunning_ =
        output_->start([this](std::int16_t* out, std::size_t frames) { pull(out, frames); });
}

void PlayerSound::pull(std::int16_t* out, std::size_t frames) {
    {
        std::lock_guard<SpinLock> hold(lock_);
        mixer_.render(out, frames);
    }
    mixed_.fetch_add(frames, std::memory_order_acq_rel);
}

void PlayerSound::attach(swf::MoviePlayer& player) {
    detach();
    startDevice();
    auto sound = std::make_unique<swf::MovieSound>(player.movie(), mixer_);
    const auto first = player.takeFrameLog();
    const auto commands = player.takeSoundCommands();
    sound->prepare(first);
    sound->prepareCommands(commands);
    {
        std::lock_guard<SpinLock> hold(lock_);
        sound->onFrames(first);
        sound->onCommands(commands);
        sound_ = std::move(sound);
    }
    paced_ = player.movie().root.streamHead.has_value();
    framesPerTick_ = swf::kMixRate / player.frameRate();
    startClock();
    maxCatchUp_ = std::max(1, static_cast<int>(std::ceil(player.frameRate() * kMaxCatchUpSeconds)));
}

void PlayerSound::startClock() {
    anchor_ = outputFrames();
    lastCall_ = anchor_;
    // How long the window's thread takes between frames is not known yet: the first frames'
    // sound is fed a quarter second ahead, and the lead shrinks to what the waits need.
    slack_ = kMaxSlack / 2;
    ticks_ = 0;
}

void PlayerSound::detach() {
    std::unique_ptr<swf::MovieSound> gone;
    {
        std::lock_guard<SpinLock> hold(lock_);
        gone = std::move(sound_);
        if (gone) gone->stopAll();
    }
    paced_ = false;
    // `gone` is destroyed outside the lock; its voices have left the mixer already.
}

void PlayerSound::pump(std::uint64_t nowMs) {
    if (deviceRunning_) return;
    if (!pumpStartMs_ || nowMs < *pumpStartMs_) pumpStartMs_ = nowMs;
    const std::uint64_t target =
        (nowMs - *pumpStartMs_) * static_cast<std::uint64_t>(swf::kMixRate) / 1000;
    std::uint64_t done = outputFrames();
    if (target <= done) return;
    std::uint64_t missing = target - done;
    const std::uint64_t cap = static_cast<std::uint64_t>(swf::kMixRate) * kMaxCatchUpSeconds;
    if (missing > cap) missing = cap;  // a long stall is not mixed through, only its last second
    scratch_.resize(2 * 1024);
    while (missing > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(missing, 1024));
        pull(scratch_.data(), n);
        missing -= n;
    }
    // The clock follows the caller's from here: what was not mixed is left out.
    *pumpStartMs_ = nowMs - outputFrames() * 1000 / static_cast<std::uint64_t>(swf::kMixRate);
}

// The stream is fed `lead()` output frames ahead of the mix: one frame, two device buffers,
// and the longest recent wait between two calls (a slow frame to draw, a late timer), so
// its sound never runs out while the window's thread is busy.
std::uint64_t PlayerSound::lead() const {
    return static_cast<std::uint64_t>(std::ceil(framesPerTick_)) +
           (deviceRunning_ ? kDeviceLead : 0) + slack_;
}

int PlayerSound::dueTicks() {
    if (!paced_ || framesPerTick_ <= 0) return 0;
    const std::uint64_t now = outputFrames();
    const std::uint64_t gap = now - lastCall_;
    lastCall_ = now;
    slack_ = std::min<std::uint64_t>(std::max(gap, slack_ - slack_ / 32), kMaxSlack);
    const std::uint64_t clock = now - anchor_ + lead();
    const auto due =
        static_cast<std::uint64_t>(std::floor(static_cast<double>(clock) / framesPerTick_));
    if (due <= ticks_) return 0;
    std::uint64_t steps = due - ticks_;
    if (steps > static_cast<std::uint64_t>(maxCatchUp_)) {
        // A stall: the frames beyond the catch-up limit are dropped, the clock moves on.
        anchor_ += static_cast<std::uint64_t>(
            std::llround(static_cast<double>(steps - maxCatchUp_) * framesPerTick_));
        steps = static_cast<std::uint64_t>(maxCatchUp_);
    }
    ticks_ += steps;
    return static_cast<int>(steps);
}

void PlayerSound::ticked(swf::MoviePlayer& player) {
    const auto frames = player.takeFrameLog();
    const auto commands = player.takeSoundCommands();
    if (!sound_) return;
    sound_->prepare(frames);
    sound_->prepareCommands(commands);
    const auto perTick = static_cast<std::size_t>(std::ceil(framesPerTick_));
    const std::size_t keep = static_cast<std::size_t>(lead()) + perTick;
    std::lock_guard<SpinLock> hold(lock_);
    sound_->onFrames(frames);
    sound_->onCommands(commands);
    // A stream that could not play while its timeline ran on (the window's thread stalled
    // longer than the lead) would stay behind for good: it skips what it lost instead.
    if (paced_) sound_->trimRootStream(keep + 2 * perTick + kDeviceLead, keep);
}

void PlayerSound::setMuted(bool muted) {
    std::lock_guard<SpinLock> hold(lock_);
    mixer_.setMuted(muted);
}

}  // namespace saver
