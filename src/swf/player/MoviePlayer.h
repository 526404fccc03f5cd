// MoviePlayer: the timeline engine of the built-in SWF player. It keeps the character
// dictionary of a decoded Movie, a display list per timeline (the root and every placed
// sprite, each sprite playing and looping its own frames) and runs the frame actions stop,
// play, gotoFrame, nextFrame, prevFrame and gotoLabel on the timeline they belong to; other
// actions are ignored, unless a ScriptHost runs the scripts.
//
// Time is not its concern: each tick() advances by one frame; the caller paces the ticks by
// frameRate(). Like the Flash control by default, the root timeline loops after its last frame
// unless an action stops it.
//
// Failure: none at run time. A placement of an unknown or undrawable character shows nothing;
// a goto outside the timeline is clamped to its last frame; an unknown label is ignored.
#pragma once

#include <memory>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/FontSource.h"
#include "swf/player/ScriptHost.h"
#include "swf/player/TimelineInstance.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

class MoviePlayer {
  public:
    // Shows the first frame of `movie` (its frame 0 commands and actions have run) and plays.
    // With a `scripts` host, frame actions run through it (the player owns it); without one,
    // only the timeline actions run. `logFrames`: keep the frame log that takeFrameLog() hands
    // out. `fonts`: the system's fonts from the start, so the first frame's scripts measure
    // device text as it will be drawn (as setFontSource, which can change them later).
    explicit MoviePlayer(std::shared_ptr<const Movie> movie,
                         std::unique_ptr<ScriptHost> scripts = nullptr, bool logFrames = false,
                         std::shared_ptr<const FontSource> fonts = nullptr);
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Back to the first frame of the root timeline, display list rebuilt; the playing state is
    // kept.
    void rewind();
    void play();
    void stop();
    bool isPlaying() const;

    // Advances one frame: the root (when playing) and every sprite on the display list.
    void tick();

    // Input: the pointer position in stage pixels (scripts read it as _xmouse/_ymouse), and
    // a clip event (kClipMouseMove, kClipMouseDown, kClipMouseUp, kClipKeyDown, kClipKeyUp)
    // sent to every clip on the stage, newest first, with the scripts it queues run at once.
    void setMousePosition(double x, double y);
    void broadcastEvent(std::uint32_t event);
    TimelineInstance& root();

    int currentFrame() const;  // the root's frame, counted from 0
    int totalFrames() const;   // the root's frame count, at least 1

    // The shapes to draw now, in painting order; they carry the movie's bitmaps, decoded as
    // their fills first need them.
    std::vector<RenderItem> renderList() const;
    // Decodes the movie's bitmaps now rather than at their first draw (BitmapLibrary::
    // decodeAhead): the loader's worker calls it, so no frame waits for a large photo.
    void decodeBitmaps();
    Rgba background() const;   // the movie's background colour (white when it sets none)
    double frameRate() const;  // frames per second, always > 0
    const Movie& movie() const;

    // The frames the timelines went to since construction or the last call, in order (the
    // sound layer starts a frame's sounds from them). Empty unless made with `logFrames`.
    std::vector<FrameEntry> takeFrameLog();
    // What scripts asked of the sound since construction or the last call, in order.
    std::vector<SoundCommand> takeSoundCommands();

    // Input between frames, in stage pixels of the movie (the caller maps the view through
    // the stage transform). The mouse drives the buttons (see PointerInput) and, like the
    // keys, reaches the scripts' clip events and Key/Mouse listeners; the frame actions they
    // cause run before these return. Key codes are the Key object's (Windows virtual keys).
    void mouseMove(double x, double y);
    void mouseDown();
    void mouseUp();
    void mouseWheel(int delta);
    void keyDown(int keyCode, int ascii);
    void keyUp(int keyCode, int ascii);
    // The view the stage is shown in changed size (Stage.onResize).
    void viewResized(int width, int height);
    // The movie's scripts asked to hide the mouse pointer (Mouse.hide).
    bool cursorHidden() const;
    // The scale mode the caller shows the stage with (StageTransform's numbering), for
    // Stage.scaleMode; scaleMode() is the one to draw with: the movie's own choice once its
    // scripts made one, else `shown`.
    void setScaleMode(int shown);
    int scaleMode(int shown) const;
    // The system's fonts, for text without embedded outlines (device text); without them such
    // text is not drawn. Takes effect from the next renderList().
    void setFontSource(std::shared_ptr<const FontSource> fonts);
    // View pixels per stage pixel the caller draws renderList() with (1 by default): text fields
    // draw device text fitted to the pixel grid only where one of their pixels is a view pixel.
    void setViewScale(double x, double y);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace saver::swf
