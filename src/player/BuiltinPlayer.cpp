// The built-in player keeps its own clock instead of counting timer messages: window timers
// are coarse (10-16 ms steps) and drop messages under load, so frames are run by elapsed time
// and the movie keeps its pace whatever the timer does.
#include "player/BuiltinPlayer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "platform/FileSystem.h"
#include "swf/avm1/LocalLoadPath.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"

namespace saver {

namespace {

constexpr int kIdleIntervalMs = 100;  // timer interval while no movie is loaded

swf::Rgba ColorOf(std::int32_t rgb) {
    return {static_cast<std::uint8_t>(rgb >> 16 & 0xFF), static_cast<std::uint8_t>(rgb >> 8 & 0xFF),
            static_cast<std::uint8_t>(rgb & 0xFF), 255};
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(FileSystem& fs, const std::string& path) {
    try {
        const auto file = fs.openRead(path);
        if (!file || file->size() > swf::kMaxMovieBytes) return std::nullopt;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->size()));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t n = file->readAt(done, bytes.data() + done, bytes.size() - done);
            if (n == 0) break;
            done += n;
        }
        bytes.resize(done);  // a file that shrank while read is read as far as it goes
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The movie's scripts read their files (LoadVars, XML) from the movie's own folder only,
// through the same reader and size cap as the movie itself.
MovieLoader::ScriptFileReader ScriptFilesBeside(const BuiltinPlayer::FileReader& reader,
                                                const std::string& location) {
    if (!reader) return nullptr;
    const std::string folder = location.substr(0, location.find_last_of("\\/") + 1);
    return [reader, folder](const std::string& url, std::string& contents) {
        const auto path = swf::avm1::LocalLoadPath(folder, url);
        if (!path) return false;
        std::optional<std::vector<std::uint8_t>> bytes;
        try {
            bytes = reader(*path);
        } catch (const std::exception&) {
            return false;
        }
        if (!bytes) return false;
        contents.assign(bytes->begin(), bytes->end());
        return true;
    };
}

}  // namespace

BuiltinPlayer::BuiltinPlayer(FileReader reader, MovieLoader::StartThread startThread,
                             std::unique_ptr<AudioOutput> audio)
    : reader_(std::move(reader)),
      loader_(std::move(startThread)),
      renderer_(std::make_unique<swf::Renderer>()),
      sound_(std::move(audio)) {}

BuiltinPlayer::~BuiltinPlayer() = default;

BuiltinPlayer::FileReader BuiltinPlayer::ReaderFor(FileSystem& fs) {
    return [&fs](const std::string& path) { return ReadWholeFile(fs, path); };
}

void BuiltinPlayer::setBackgroundColor(std::int32_t rgb) {
    background_ = rgb;
    changed_ = true;
}

void BuiltinPlayer::setQuality(std::int32_t quality) {
    quality_ = quality;
    changed_ = true;
}

void BuiltinPlayer::setAlignMode(std::int32_t mode) {
    alignMode_ = mode;
}

void BuiltinPlayer::setScaleMode(std::int32_t mode) {
    scaleMode_ = mode;
    if (player_) player_->setScaleMode(mode);
    changed_ = true;
}

std::string BuiltinPlayer::movie() {
    return location_;
}

void BuiltinPlayer::setMovie(const std::string& location) {
    location_ = location;
    loader_.cancel();
    sound_.detach();
    player_.reset();
    lastStepMs_.reset();
    changed_ = true;
    if (location.find("://") != std::string::npos) return;
    // Reading stays here: the worker then never holds a file of the workspace open, which
    // would keep the workspace from being emptied at exit.
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        if (reader_) bytes = reader_(location);
    } catch (const std::exception&) {
        bytes.reset();
    }
    if (bytes) loader_.start(std::move(*bytes), ScriptFilesBeside(reader_, location));
    takeLoadedMovie();
}

void BuiltinPlayer::takeLoadedMovie() {
    auto loaded = loader_.take();
    if (!loaded) return;
    player_ = std::move(*loaded);
    if (player_) player_->setScaleMode(scaleMode_);
    if (player_) sound_.attach(*player_);
    lastStepMs_.reset();  // the movie's clock starts with the next advance
    changed_ = true;
}

void BuiltinPlayer::rewind() {
    takeLoadedMovie();
    if (!player_) return;
    player_->rewind();
    changed_ = true;
}

void BuiltinPlayer::play() {
    takeLoadedMovie();
    if (player_) player_->play();
}

std::int32_t BuiltinPlayer::frameNum() {
    takeLoadedMovie();
    return player_ ? player_->currentFrame() : -1;
}

std::int32_t BuiltinPlayer::totalFrames() {
    takeLoadedMovie();
    if (!player_) return 0;
    const std::uint16_t declared = player_->movie().header.frameCount;
    return declared > 0 ? declared : player_->totalFrames();
}

bool BuiltinPlayer::setSoundMuted(bool muted) {
    sound_.setMuted(muted);
    return true;
}

bool BuiltinPlayer::advanceTo(std::uint64_t nowMs) {
    takeLoadedMovie();
    sound_.pump(nowMs);
    const bool changed = std::exchange(changed_, false);
    if (!player_) return changed;
    const double now = static_cast<double>(nowMs);
    bool first = false;
    if (!lastStepMs_ || now < *lastStepMs_) {
        lastStepMs_ = now;
        if (!sound_.pacesTimeline()) return true;
        // The sound's clock starts here too, and the frames of its lead are due at once, so
        // the stream starts with the movie.
        sound_.startClock();
        first = true;
    }
    const int steps = stepsDue(now);
    if (steps < 1) return changed || first;
    for (int i = 0; i < steps; ++i) player_->tick();
    sound_.ticked(*player_);
    return true;
}

// On the sound's clock when the movie has a stream sound, else on the caller's.
int BuiltinPlayer::stepsDue(double now) {
    if (sound_.pacesTimeline()) {
        lastStepMs_ = now;
        return sound_.dueTicks();
    }
    const double interval = 1000.0 / player_->frameRate();
    const double due = std::floor((now - *lastStepMs_) / interval);
    if (due < 1) return 0;
    if (due > kMaxCatchUpFrames) {
        lastStepMs_ = now;  // a stall: drop the frames missed instead of racing through them
        return kMaxCatchUpFrames;
    }
    const int steps = static_cast<int>(due);
    *lastStepMs_ += steps * interval;
    return steps;
}

int BuiltinPlayer::frameIntervalMs() const {
    if (!player_) return kIdleIntervalMs;
    return std::max(1, static_cast<int>(std::lround(1000.0 / player_->frameRate())));
}

void BuiltinPlayer::renderInto(swf::BgraImage& image, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (image.width != width || image.height != height) image.resize(width, height);
    const swf::Quality quality =
        (quality_ == 0 || quality_ == 2) ? swf::Quality::Low : swf::Quality::High;
    if (!player_) {
        const swf::Rgba fill = background_ >= 0 ? ColorOf(background_) : swf::Rgba{0, 0, 0, 255};
        renderer_->render({}, fill, swf::Matrix{}, quality, image);
        return;
    }
    const swf::Rgba fill = background_ >= 0 ? ColorOf(background_) : player_->background();
    const swf::Matrix stage =
        swf::StageTransform(player_->movie().header.frameSize, width, height,
                            player_->scaleMode(scaleMode_));
    if (width != viewWidth_ || height != viewHeight_) player_->viewResized(width, height);
    viewWidth_ = width;
    viewHeight_ = height;
    player_->setViewScale(std::abs(stage.a) * 20, std::abs(stage.d) * 20);
    const auto items = player_->renderList();
    renderer_->render(items, fill, stage, quality, image);
}

}  // namespace saver
