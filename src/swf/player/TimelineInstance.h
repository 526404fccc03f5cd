// TimelineInstance: one running timeline, the root movie's or a placed sprite's: its current
// frame, whether it plays, and its display list (whose sprites are TimelineInstances too).
//
// Frame actions are not run where they are met: they go to the shared PlayerContext queue and
// the player runs them once every display command of the tick is done, each on the timeline
// it belongs to (a timeline that is gone by then is skipped).
//
// Limits that keep a hostile file harmless: sprites nest at most kMaxSpriteNesting deep and at
// most kMaxLiveSprites run at once; a sprite placement beyond either shows nothing. The render
// list is capped at kMaxRenderItems shapes and mask openings, plus the Unmask items that close
// the masks still open when the cap is reached.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/ButtonStates.h"
#include "swf/player/DisplayList.h"
#include "swf/player/Drawing.h"
#include "swf/player/MorphCache.h"
#include "swf/player/EditTextLayout.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

inline constexpr int kMaxSpriteNesting = 16;
inline constexpr int kMaxLiveSprites = 4096;
inline constexpr std::size_t kMaxRenderItems = 65536;

struct PendingActions {
    std::weak_ptr<TimelineInstance> timeline;
    const DoAction* actions = nullptr;
};

// A frame a timeline went to, as the sound layer follows the timelines: `continued` when it
// is the frame after the previous one (or the loop back to the first), so a stream sound goes
// on; a jump, a restart or a first frame start it afresh.
struct FrameEntry {
    std::weak_ptr<const TimelineInstance> instance;
    const Timeline* timeline = nullptr;
    int frame = 0;
    bool continued = false;
};

inline constexpr std::size_t kMaxFrameLog = 65536;  // entries kept between two reads

// What all timelines of one player share.
struct PlayerContext {
    const Movie* movie = nullptr;
    int liveSprites = 0;
    std::uint64_t tickCount = 0;  // ticks so far; a sprite born in a tick does not advance in it
    std::deque<PendingActions> pending;
    MorphCache morphs;     // morph shapes at the ratios they are shown at
    ButtonStates buttons;  // buttons run their up state as a timeline of their own
    bool logFrames = false;  // fill `frameLog` (only when someone reads it)
    std::vector<FrameEntry> frameLog;
    std::map<std::uint16_t, EditTextLayout> editTexts;  // text fields, laid out when first drawn
    const FontSource* fonts = nullptr;  // device text; none: it is not drawn
};

class TimelineInstance : public std::enable_shared_from_this<TimelineInstance> {
  public:
    TimelineInstance(PlayerContext& context, const Timeline& timeline, int nesting);
    ~TimelineInstance();
    TimelineInstance(const TimelineInstance&) = delete;
    TimelineInstance& operator=(const TimelineInstance&) = delete;

    // Empties the display list, shows frame 0 and queues its actions; the playing state is
    // left as it is.
    void restart();
    // One tick: the next frame when playing (frame 0 again after the last), then every sprite
    // of the display list that existed before this tick.
    void tick();
    // Goes to `frame` (clamped to the timeline) and stops; the target frame's actions are
    // queued. Going to the current frame does nothing.
    void gotoFrameAndStop(int frame);
    void gotoLabelAndStop(const std::string& label);
    void nextFrame();  // and stop; nothing at the last frame
    void prevFrame();  // and stop; nothing at the first frame
    void play() { playing_ = true; }
    void stop() { playing_ = false; }

    bool playing() const { return playing_; }
    int currentFrame() const { return frame_; }
    int frameCount() const;  // at least 1
    const DisplayList& displayList() const { return list_; }
    DisplayList& displayList() { return list_; }
    // What scripts drew into this timeline's clip; drawn below its children. Made on first use.
    Drawing& drawing();
    const Drawing* drawingIfAny() const { return drawing_.get(); }

    // Appends the shapes of this timeline (sprites flattened) in painting order. An object
    // placed with a clip depth is a mask for the objects above it up to that depth: BeginMask,
    // its shapes as Mask items (a sprite's flattened, colour ignored), the clipped objects'
    // items, then Unmask (also when the list ends inside the range). Masks within a mask's
    // range nest inside it, their range cut to the outer one; a mask whose range holds no
    // depth is left out; a clip depth of 0 makes no mask (the object is drawn). Every
    // BeginMask appended is closed before this returns. An object with filters, a blend mode,
    // or bitmap caching under a transparency is wrapped in BeginGroup / EndGroup items (always
    // closed too).
    void collect(const Matrix& parentMatrix, const ColorTransform& parentColor,
                 std::vector<RenderItem>& out) const;

  private:
    void gotoFrame(int frame);
    void runFrameCommands(int frame);
    void rebuildTo(int frame);
    void queueActions(int frame);
    void logFrame(int frame, bool continued);
    void startSprite(DisplayObject& object);
    void collectObject(const DisplayObject& object, const Character& character,
                       const Matrix& matrix, const ColorTransform& color,
                       std::vector<RenderItem>& out) const;
    void collectMask(const DisplayObject& object, const Character& character, const Matrix& matrix,
                     std::vector<RenderItem>& out) const;

    class MaskStack;

    PlayerContext& context_;
    const Timeline& timeline_;
    const int nesting_;
    const std::uint64_t bornTick_;
    int frame_ = 0;
    bool playing_ = true;
    DisplayList list_;
    std::unique_ptr<Drawing> drawing_;
};

}  // namespace saver::swf
