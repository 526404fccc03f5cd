// BuiltinPlayer: the movie player of our own, for systems where the Flash control is missing
// or no longer plays content. It reads the SWF file, runs its timelines and draws frames into
// a BGRA image; the Win32 half (BuiltinPlayerWindow) puts that image on the screen.
//
// Properties, as the control has them:
//   BackgroundColor  0x00RRGGBB; when set (>= 0) it replaces the movie's own background
//                    colour, as the control's property does; -1 (the default) shows the movie's
//                    colour (white when the movie sets none).
//   Quality          0 Low and 2 Auto Low draw without anti-aliasing; 1 High, 3 Auto High and
//                    anything else draw anti-aliased.
//   ScaleMode        0 show all, 1 no border, 2 exact fit, 3 no scale (others as 0).
//                    A movie that sets Stage.scaleMode is shown in its own mode instead,
//                    as in the control.
//   AlignMode        kept; the stage is always centred.
//
// setMovie() reads the file at once and hands its decoding to a MovieLoader, whose worker
// threads come from the StartThread given at construction (by default none: the movie decodes
// within setMovie()). While the movie decodes, frameNum() is negative, totalFrames() 0, and
// rewind() and play() do nothing (a new movie starts at its first frame, playing); every
// operation and advanceTo() first take a finished load. A location containing "://" (an
// address: nothing is downloaded) or a file that cannot be read or is no readable SWF movie
// leaves no movie loaded, and frameNum() stays negative until another movie is set; movie()
// returns the location given either way. A new setMovie(), or the player's destruction,
// abandons a load still running. The root timeline loops after its last frame unless the movie's
// actions stop it. TotalFrames is the frame count of the file header (the number of frames in the
// file when the header says 0); 0 while nothing is loaded.
//
// Time comes from the caller: advanceTo(nowMs) runs the frames due since the movie started at
// the header's frame rate; after a stall it runs at most kMaxCatchUpFrames and then carries on
// from now. A movie whose root timeline has a stream sound runs on its sound's clock instead
// (see PlayerSound): the frames due are run and drawn once, skipped rather than slowing the
// sound.
//
// Sound: the movie's sounds play through the output given at construction (none: mixed at the
// caller's pace and heard by nobody). A new movie, a movie that cannot be loaded and the
// player's destruction stop every sound at once. setSoundMuted() silences the player's own
// output only.
//
// Failure: no operation throws (a read error counts as an unreadable file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"
#include "player/MovieLoader.h"
#include "player/PlayerControl.h"
#include "player/PlayerSound.h"
#include "swf/render/BgraImage.h"

namespace saver {

class FileSystem;

namespace swf {
class MoviePlayer;
class Renderer;
}  // namespace swf

class BuiltinPlayer final : public PlayerControl {
  public:
    // The whole file at a path; nullopt when it cannot be read.
    using FileReader =
        std::function<std::optional<std::vector<std::uint8_t>>(const std::string& path)>;

    static constexpr int kMaxCatchUpFrames = 4;

    explicit BuiltinPlayer(FileReader reader,
                           MovieLoader::StartThread startThread = MovieLoader::Inline(),
                           std::unique_ptr<AudioOutput> audio = nullptr);
    ~BuiltinPlayer() override;
    BuiltinPlayer(const BuiltinPlayer&) = delete;
    BuiltinPlayer& operator=(const BuiltinPlayer&) = delete;

    // A reader over the file system seam; files above the movie reader's size cap count as
    // unreadable.
    static FileReader ReaderFor(FileSystem& fs);

    void setBackgroundColor(std::int32_t rgb) override;
    void setQuality(std::int32_t quality) override;
    void setAlignMode(std::int32_t mode) override;
    void setScaleMode(std::int32_t mode) override;
    std::string movie() override;
    void setMovie(const std::string& location) override;
    void rewind() override;
    void play() override;
    std::int32_t frameNum() override;
    std::int32_t totalFrames() override;
    bool setSoundMuted(bool muted) override;

    // Runs the frames due at `nowMs` (any monotonic millisecond clock). The first call after a
    // movie is set starts its clock. True when the picture changed (a frame ran, or a movie was
    // set, rewound or dropped since the last call).
    bool advanceTo(std::uint64_t nowMs);
    // The screen the movies' scripts see (System.capabilities), for the movies set after.
    void setScreen(swf::avm1::InterpreterHost::Screen screen) { loader_.setScreen(screen); }
    // True while a movie set last is still decoding.
    bool loading() const { return loader_.busy(); }
    // Milliseconds between frames of the loaded movie (a default when none is loaded), >= 1.
    int frameIntervalMs() const;
    // Draws the current frame into `image`, resized to width x height; without a movie the
    // image is filled with the background colour (black when none is set).
    void renderInto(swf::BgraImage& image, int width, int height);

    // Mouse and key input for the movie, positions in pixels of the view last drawn (its
    // origin top left), mapped to the stage as the scale mode places it. Ignored while no
    // movie is loaded. The picture changes at the next advanceTo().
    void input(const PlayerInput& in) override;
    // The movie asked to hide the mouse pointer (its scripts called Mouse.hide).
    bool cursorHidden() const;

  private:
    void takeLoadedMovie();
    int stepsDue(double now);

    FileReader reader_;
    MovieLoader loader_;
    std::string location_;
    std::unique_ptr<swf::MoviePlayer> player_;
    std::unique_ptr<swf::Renderer> renderer_;
    PlayerSound sound_;  // after player_: it stops before the movie it plays goes
    std::int32_t background_ = -1;
    std::int32_t quality_ = 1;
    std::int32_t scaleMode_ = 0;
    std::int32_t alignMode_ = 0;
    int viewWidth_ = 0, viewHeight_ = 0;  // of the last renderInto()
    std::optional<double> lastStepMs_;  // when the current frame ran; unset until the first advance
    bool changed_ = true;
};

}  // namespace saver
