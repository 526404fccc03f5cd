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
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/ButtonStates.h"
#include "swf/player/DisplayList.h"
#include "swf/player/Drawing.h"
#include "swf/player/EditTextLayout.h"
#include "swf/player/MorphCache.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

class BitmapLibrary;

inline constexpr int kMaxSpriteNesting = 16;
inline constexpr int kMaxLiveSprites = 4096;
inline constexpr std::size_t kMaxRenderItems = 65536;

// A queued script: a frame's DoAction, or (when `event` is set) a clip event of the timeline.
// `hold` keeps a clip removed from the stage alive until its unload event ran.
struct PendingActions {
    std::weak_ptr<TimelineInstance> timeline;
    const DoAction* actions = nullptr;
    std::uint32_t event = 0;  // a ClipEvent bit
    std::shared_ptr<TimelineInstance> hold;
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
// A number no player context of this process had before: the `source` of the render items
// whose shapes its movie owns.
std::uint64_t NewRenderSource();

struct PlayerContext {
    const Movie* movie = nullptr;
    const std::uint64_t source = NewRenderSource();  // for the movie's own shapes (RenderItem)
    int liveSprites = 0;
    std::uint64_t tickCount = 0;  // ticks so far; a sprite born in a tick does not advance in it
    std::deque<PendingActions> pending;
    // Construction of new clips: initialize events first, then construct events (registered
    // classes); both served before every item of `pending`.
    std::deque<PendingActions> pendingInit;
    std::deque<PendingActions> pendingFirst;
    // Every timeline made so far, oldest first (expired ones are dropped as the list is
    // walked): a frame advances them newest first, the root last, as Flash Player does.
    std::vector<std::weak_ptr<TimelineInstance>> execList;
    int instanceCount = 0;  // unnamed clips are called "instance1", "instance2", ...
    // Whether a clip leaving the stage has an unload handler (in it or a clip inside): such a
    // clip stays in its parent's list until the next frame starts (`parked`).
    std::function<bool(TimelineInstance&)> hasUnloadHandler;
    std::function<bool(TimelineInstance&)> hasOwnUnloadHandler;  // the clip's own, none inside
    std::function<void(const std::string&)> warning;  // the player's log, when someone reads it
    std::vector<std::weak_ptr<TimelineInstance>> parked;
    // The pointer in stage coordinates (twips), set by whoever delivers input.
    double mouseX = 0, mouseY = 0;
    MorphCache morphs;       // morph shapes at the ratios they are shown at
    ButtonStates buttons;    // buttons run their up state as a timeline of their own
    bool logFrames = false;  // fill `frameLog` (only when someone reads it)
    std::vector<FrameEntry> frameLog;
    std::map<std::uint16_t, EditTextLayout> editTexts;  // text fields, laid out when first drawn
    const FontSource* fonts = nullptr;                  // device text; none: it is not drawn
    // Inside the shapes of a script-set mask while collecting.
    int scriptMaskNesting = 0;
    // Text fields that scripts made masks, with the clip each masks (see setScriptMask).
    std::vector<std::pair<std::weak_ptr<TextFieldState>, std::weak_ptr<TimelineInstance>>>
        fieldMasks;
    // View pixels per stage pixel (MoviePlayer::setViewScale).
    double viewScaleX = 1, viewScaleY = 1;
    // The movie's bitmaps and the surfaces scripts make (owned by the player).
    BitmapLibrary* bitmaps = nullptr;
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
    // This timeline's own step of a tick: its enterFrame event is queued, then it goes to its
    // next frame when playing (frame 0 again after the last). Children are not touched.
    void advance();
    bool bornThisTick() const { return bornTick_ == context_.tickCount; }
    // Goes to `frame` (clamped to the timeline) and stops; the target frame's actions are
    // queued. Going to the current frame does nothing.
    void gotoFrameAndStop(int frame);
    void gotoLabelAndStop(const std::string& label);
    int labelFrame(const std::string& label) const;  // zero-based; -1 when no frame has it
    void nextFrame();                                // and stop; nothing at the last frame
    void prevFrame();                                // and stop; nothing at the first frame
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
    const Timeline& timeline() const { return timeline_; }
    PlayerContext& context() const { return context_; }

    // The tree. A sprite knows its parent and its depth there; the root has neither. A sprite
    // taken off the stage keeps both, but placement() is then null.
    std::shared_ptr<TimelineInstance> parent() const { return parent_.lock(); }
    int depth() const { return depth_; }
    // The object showing this timeline in its parent's list; for the root, an object of its
    // own (its transform applies to the whole movie). Null once removed.
    DisplayObject* placement();
    const DisplayObject* placement() const;
    bool onStage() const;  // every ancestor's placement holds it
    // Like onStage, but a clip parked until its unload event has run still counts.
    bool inDisplayTree() const;
    std::uint16_t characterId() const { return characterId_; }
    // The instance name and the onClipEvent handlers, also after the clip left the stage.
    std::string name() const;
    const std::vector<ClipAction>* clipActions() const;
    void setExecRegistered();  // adds this timeline to the context's exec list

    // Script-side changes to the list (depths are display-list depths). Each returns the new
    // sprite, or null when the character is no sprite or a limit is reached; the occupant of
    // the depth is removed first (with its unload event). `characterId` 0 makes an empty clip.
    std::shared_ptr<TimelineInstance> addSprite(int depth, std::uint16_t characterId,
                                                const std::string& name,
                                                const DisplayObject* copyOf = nullptr);
    // Takes the object at `depth` off the stage with the unload events of the clips that
    // leave; a clip with an unload handler moves to depth -(depth + 1), below every depth in
    // use, and stays there until dropParked() at the next frame.
    void removeAt(int depth);
    // Shows `surface` at `depth` (replacing the occupant, as addSprite does), drawn smoothed
    // when `smooth`; nothing happens for a disposed surface.
    void attachBitmap(int depth, std::shared_ptr<BitmapSurface> surface, bool smooth);
    static void dropParked(PlayerContext& context);
    void swapDepths(int from, int to);
    // The root sits on no list, yet a script may give it a depth (swapDepths on _root): only
    // what getDepth reports changes. Nothing happens on any other timeline.
    void setRootDepth(int depth) {
        if (parent_.expired() && nesting_ == 0) depth_ = depth;
    }
    // A mask set by a script (setMask): this clip is drawn only where `mask`'s shapes are,
    // and `mask` itself is then not drawn. A clip masks at most one other: taking it for a
    // new clip frees the old one, as a new mask frees this clip's old mask. Null (or this
    // clip itself) takes the mask off. Either way this clip, and the new mask, stop masking
    // the depths of a clip depth they were placed with.
    void setScriptMask(const std::shared_ptr<TimelineInstance>& mask);
    std::shared_ptr<TimelineInstance> scriptMask() const { return scriptMask_.lock(); }
    // A text field as the mask: the field is not drawn, and as its text is the system's it
    // masks everything away (device text never masks in Flash). `holder` is the timeline
    // whose list holds the field (a field never changes timelines, only depths).
    void setScriptMask(const std::shared_ptr<TextFieldState>& field,
                       const std::shared_ptr<TimelineInstance>& holder);
    // Whether this clip is the script mask of a clip on the stage (and so not drawn).
    bool masksOtherClip() const;

    // The bounds (twips) of this timeline's content in the space `toSpace` maps it into;
    // false when it shows nothing.
    bool bounds(const Matrix& toSpace, Rect& out) const;
    // Whether a stage point (twips) lies on the content, by shape outlines (`shapes`) or by
    // the bounds of each drawn object; `toStage` maps this timeline to the stage.
    bool hitTest(const Matrix& toStage, double x, double y, bool shapes) const;

    // Appends the shapes of this timeline (sprites flattened) in painting order. An object
    // placed with a clip depth is a mask for the objects above it up to that depth: BeginMask,
    // its shapes as Mask items (a sprite's flattened, colour ignored), the clipped objects'
    // items, then Unmask (also when the list ends inside the range). Masks within a mask's
    // range nest inside it, the outer range growing to theirs (what they clip stays clipped by
    // both); a mask whose range holds no depth is left out; a clip depth of 0 makes no mask (the
    // object is drawn). Every BeginMask appended is closed before this returns. An object with
    // filters, a blend mode, or bitmap caching under a transparency is wrapped in BeginGroup /
    // EndGroup items (always closed too).
    void collect(const Matrix& parentMatrix, const ColorTransform& parentColor,
                 std::vector<RenderItem>& out) const;
    // This timeline drawn on its own (BitmapData.draw): its content through `matrix`, clipped
    // by the mask a script gave it, placed as it stands to this clip on the stage; nothing
    // when the clip is itself another clip's mask.
    void collectAlone(const Matrix& matrix, std::vector<RenderItem>& out) const;

  private:
    void gotoFrame(int frame);
    // Runs the frame's commands from index `from`; returns the index after a placement of
    // nothing (which ends the frame there), or -1 when the frame ran to its end.
    int runFrameCommands(int frame, bool queueScripts = false, std::size_t from = 0);
    void unloadObject(DisplayObject& object);
    void queueEvent(std::uint32_t event, std::shared_ptr<TimelineInstance> hold = nullptr);
    void rebuildTo(int frame);
    void queueActions(int frame);
    void logFrame(int frame, bool continued);
    void startSprite(DisplayObject& object, int depth);
    void collectObject(const DisplayObject& object, const Character& character,
                       const Matrix& matrix, const ColorTransform& color,
                       std::vector<RenderItem>& out) const;
    void collectMask(const DisplayObject& object, const Character& character, const Matrix& matrix,
                     std::vector<RenderItem>& out) const;
    bool openScriptMask(std::vector<RenderItem>& out) const;
    void appendFieldMask(const TextFieldState& field, std::vector<RenderItem>& out) const;
    bool fieldMasksOtherClip(const DisplayObject& object) const;
    bool reachesRoot(bool countParked) const;

    class MaskStack;

    PlayerContext& context_;
    const Timeline& timeline_;
    const int nesting_;
    const std::uint64_t bornTick_;
    int frame_ = 0;
    std::size_t resumeAt_ = 0;  // where frame_ + 1 goes on after a placement of nothing
    bool playing_ = true;
    DisplayList list_;
    std::unique_ptr<Drawing> drawing_;
    std::weak_ptr<TimelineInstance> parent_;
    int depth_ = 0;
    std::uint16_t characterId_ = 0;
    DisplayObject self_;    // the root's own transform
    std::string lastName_;  // kept when the clip leaves the stage
    const std::vector<ClipAction>* lastClipActions_ = nullptr;

    std::weak_ptr<TimelineInstance> scriptMask_;  // the clip masking this one
    std::weak_ptr<TimelineInstance> maskOwner_;   // the clip this one masks
    std::weak_ptr<TextFieldState> fieldMask_;     // a text field masking this clip
    // The timeline whose list holds `fieldMask_`.
    std::weak_ptr<TimelineInstance> fieldMaskHolder_;
};

}  // namespace saver::swf
