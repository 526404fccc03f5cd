// The playback state machine. The timer is the only clock: every limit is counted in ticks of
// 100 ms, so a slow machine stretches the limits instead of skipping movies early.
#include "player/FlashPlayback.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <random>
#include <vector>

#include "payload/MediaLists.h"
#include "payload/Runtime.h"
#include "platform/Text.h"
#include "platform/WinPath.h"
#include "player/PlayerInput.h"
#include "player/InputRules.h"

namespace saver {
namespace {

constexpr std::int64_t kTicksPerSecond = 10;

std::optional<std::size_t> FindEntry(const MediaList& list, const std::string& text) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (text::sameText(list[i], text)) return i;
    return std::nullopt;
}

}  // namespace

std::int32_t PlayerColor(std::int32_t windowsColor) {
    const auto c = static_cast<std::uint32_t>(windowsColor);
    const std::uint32_t red = c & 0xFF, green = (c >> 8) & 0xFF, blue = (c >> 16) & 0xFF;
    return static_cast<std::int32_t>((red << 16) | (green << 8) | blue);
}

void SetUpPlayer(PlayerControl& player, const SaverSetting& setting) {
    player.setBackgroundColor(PlayerColor(setting.FlashColor));
    player.setQuality(setting.FlashQuality);
    player.setAlignMode(0);
    switch (setting.FlashSize) {
        case 0:
            player.setScaleMode(0);
            break;
        case 1:
            player.setScaleMode(2);
            break;
        case 2:
            player.setScaleMode(3);
            break;
        default:
            break;
    }
}

FlashPlayback::FlashPlayback(Runtime& rt, PlaybackHost& host) : rt_(rt), host_(host) {}

void FlashPlayback::formShow() {
    // FlashMute takes effect once the player exists (muteSound): before that nothing plays.
    state_.WasUnloaded = false;
    state_.PlaybackFailed = false;
    rt_.MouseMoveBudget = kMouseMoveAllowance;
    state_.CurrentMovie.clear();
    closed_ = false;
    host_.setPlaybackTimer(true);
}

void FlashPlayback::timer1Tick() {
    if (closed_) return;
    if (state_.PlaybackFailed) {
        host_.closeWindow();
        return;
    }
    if (timerTag_ == 0) {
        startPlayer();
        return;
    }
    watchProgress();
}

void FlashPlayback::startPlayer() {
    // An empty list leaves the window black; input still ends the show.
    if (rt_.Setting.FlashList.empty()) return;
    try {
        if (!player_) {
            try {
                player_ = host_.createPlayer();
            } catch (const std::exception&) {
                player_.reset();
            }
            if (!player_) {
                reportNoPlayer();
                return;
            }
        }
        timerTag_ = 1;
        muteSound();
        SetUpPlayer(*player_, rt_.Setting);
        state_.CurrentMovie.clear();
        nextMovie();
    } catch (const std::exception&) {
        // A player that refuses a set-up property still plays; the next ticks carry on.
    }
}

// FlashMute: a player with a sound output of its own is silenced and the system's volume is
// left alone; the control's sound is only reached through wave-out volume, which is zeroed and
// given back at close.
void FlashPlayback::muteSound() {
    if (!rt_.Setting.FlashMute || waveMuted_) return;
    bool ownOutput = false;
    try {
        ownOutput = player_->setSoundMuted(true);
    } catch (const std::exception&) {
        ownOutput = false;
    }
    if (ownOutput) return;
    host_.muteWaveOut(true);
    waveMuted_ = true;
}

void FlashPlayback::reportNoPlayer() {
    state_.PlaybackFailed = true;
    host_.setSaverRunning(false);
    host_.showCursor(true);
    host_.setPlaybackTimer(false);
    host_.hideWindow();
    if (rt_.sys.messageBox(kNoPlayerText, kNoPlayerCaption, MessageBoxKind::YesNo) ==
        MessageBoxAnswer::Yes)
        host_.openAddress(kPlayerDownloadPage);
    host_.closeWindow();
}

void FlashPlayback::watchProgress() {
    const SaverSetting& s = rt_.Setting;
    host_.setSaverRunning(true);
    // One call per tick: the password dialog or the system may have shown the cursor again.
    if (!s.ShowCursor) host_.showCursor(false);
    if (!player_) return;

    const std::int64_t download = s.FlashDownloadTime * kTicksPerSecond;
    const bool remote = state_.CurrentMovie.find("://") != std::string::npos;
    const std::int64_t limit = remote ? download : s.FlashStopTime * kTicksPerSecond;
    std::int32_t frame = 0;
    try {
        frame = player_->frameNum();
    } catch (const std::exception&) {
        // A player that cannot say where it is shows nothing new: it is stalled, and the stall
        // limit moves on from it rather than letting the show sit on it for ever.
        if (++state_.StallTicks > limit) {
            state_.StallTicks = 0;
            nextMovie();
        }
        return;
    }
    if (frame < 0) {
        // Nothing to show yet: loading, or the movie was not found.
        state_.WasUnloaded = true;
        if (++state_.StallTicks > download) nextMovie();
        return;
    }
    if (state_.WasUnloaded || frame > state_.MaxFrame)
        state_.StallTicks = 0;
    else
        ++state_.StallTicks;
    state_.WasUnloaded = false;
    state_.MaxFrame = std::max(state_.MaxFrame, frame);
    if (state_.StallTicks > limit) {
        // A looping movie never passes its highest frame again: this is where it ends.
        state_.StallTicks = 0;
        nextMovie();
    } else if (frame > static_cast<std::int64_t>(totalFrames()) - 1) {
        nextMovie();
    }
}

std::int32_t FlashPlayback::totalFrames() {
    try {
        return player_->totalFrames();
    } catch (const std::exception&) {
        // Without a frame count no end is seen; the stall limit still ends a movie.
        return INT32_MAX;
    }
}

void FlashPlayback::nextMovie() {
    MediaList& list = rt_.Setting.FlashList;
    if (list.empty()) return;
    host_.setPlaybackTimer(false);
    state_.StallTicks = 0;
    state_.MaxFrame = 0;
    // Every entry gets a chance; after the last try the last choice is played as it stands.
    for (std::size_t tries = 1;; ++tries) {
        const std::size_t n = chooseIndex();
        const bool there = resolveEntry(n);
        state_.CurrentMovie = list[n];
        if (there || tries > list.size()) break;
    }
    loadCurrentMovie();
    host_.setPlaybackTimer(true);
}

std::size_t FlashPlayback::chooseIndex() {
    const MediaList& list = rt_.Setting.FlashList;
    if (rt_.Setting.FlashSequence == 1) {
        // Shuffle: never the same file twice in a row. Picking uniformly among the entries
        // with another file name equals drawing again until one comes up, but cannot hang
        // when every entry names the same file.
        const std::string current = winpath::fileNameOf(state_.CurrentMovie);
        std::vector<std::size_t> others;
        if (list.size() >= 2)
            for (std::size_t i = 0; i < list.size(); ++i)
                if (winpath::fileNameOf(list[i]) != current) others.push_back(i);
        if (others.empty()) {
            std::uniform_int_distribution<std::size_t> any(0, list.size() - 1);
            return any(rt_.Random);
        }
        std::uniform_int_distribution<std::size_t> pick(0, others.size() - 1);
        return others[pick(rt_.Random)];
    }
    std::optional<std::size_t> pos = FindEntry(list, winpath::fileNameOf(state_.CurrentMovie));
    if (!pos) pos = FindEntry(list, state_.CurrentMovie);
    if (!pos) return 0;
    return (*pos + 1) % list.size();
}

bool FlashPlayback::resolveEntry(std::size_t index) {
    // The entry is rewritten in the list, so the in-order lookup finds the resolved location
    // of the movie that played last.
    try {
        return ResolveMediaEntry(rt_, rt_.Setting.FlashList[index]);
    } catch (const std::exception&) {
        return false;
    }
}

void FlashPlayback::loadCurrentMovie() {
    if (!player_) return;
    try {
        // The same movie again is restarted rather than reloaded.
        if (player_->movie() == state_.CurrentMovie) {
            player_->rewind();
            player_->play();
        } else {
            player_->setMovie(state_.CurrentMovie);
        }
    } catch (const std::exception&) {
        // A movie the player rejects shows no frame and is skipped by the stall limit.
    }
}

bool FlashPlayback::onMessage(std::uint32_t message, std::uint64_t wParam, bool windowVisible,
                              int screenX, int screenY) {
    if (closed_) return false;
    const InputDecision d =
        DecideInput(rt_.Setting, message, wParam, rt_.MouseMoveBudget, windowVisible);
    if (d.action == InputAction::SpendMouseMove)
        --rt_.MouseMoveBudget;
    else if (d.action == InputAction::ExitAttempt)
        exitAttempt();
    forwardInput(message, wParam, screenX, screenY, d, windowVisible);
    return d.handled;
}

void FlashPlayback::forwardInput(std::uint32_t message, std::uint64_t wParam, int screenX,
                                 int screenY, const InputDecision& decision, bool windowVisible) {
    const auto in =
        ForwardedInput(rt_.Setting, message, wParam, screenX, screenY, decision, windowVisible);
    if (!in || !player_ || closed_) return;
    try {
        player_->input(*in);
    } catch (const std::exception&) {
        // input the player cannot take is lost; the show goes on
    }
}

void FlashPlayback::onCloseRequest(bool windowVisible) {
    if (closed_) return;
    if (DecideCloseRequest(rt_.Setting, windowVisible).action == InputAction::ExitAttempt)
        exitAttempt();
}

void FlashPlayback::mouseTimerTick() {
    rt_.MouseMoveBudget = kMouseMoveAllowance;
}

void FlashPlayback::exitAttempt() {
    host_.showCursor(true);
    bool mayClose = true;
    try {
        mayClose = host_.verifySaverPassword(!rt_.Setting.ShowCursor);
    } catch (const std::exception&) {
        mayClose = true;  // a password check that breaks must not lock the user in
    }
    if (mayClose) host_.closeWindow();
    rt_.MouseMoveBudget = kMouseMoveAllowance;
}

void FlashPlayback::formClose() {
    if (closed_) return;
    closed_ = true;
    host_.hideWindow();
    host_.setSaverRunning(false);
    host_.showCursor(true);
    host_.destroyCovers();
    host_.setPlaybackTimer(false);
    timerTag_ = 0;
    player_.reset();  // PlayerControl destructors do not throw
    if (waveMuted_) host_.muteWaveOut(false);
    waveMuted_ = false;
    host_.terminate();
}

}  // namespace saver
