// MovieSound: the sound of one playing movie. Fed the frames the player's timelines went to
// (MoviePlayer::takeFrameLog, after the player was made with frame logging), it starts the
// frames' event sounds on the mixer and keeps each timeline's stream sound going:
//
// - StartSound: the DefineSound plays as its SOUNDINFO says; with the stop flag its playing
//   instances stop instead, with "no multiple" it does not start while one plays. A sound is
//   decoded once, on its first start. StartSound2 (a class name, for scripts of a later
//   player generation) starts nothing.
// - Streams: a timeline with a SoundStreamHead plays its frames' blocks on one StreamVoice
//   while it goes frame after frame; a jump (goto, restart) starts the stream afresh from the
//   new frame's block (MP3: less the block's SeekSamples, or the head's LatencySeek at the
//   first block). A timeline that stops lets what is queued play out; one removed from
//   the stage is silenced at once.
//
// - Script commands: a started sound plays its DefineSound from the offset, looping, through
//   its transform (volume times the channel mix); stop and transform address it by channel.
//   The transforms scripts give clips (ClipTransform, GlobalTransform) reach the event and
//   stream sounds the clips' frames play (ClipMixes), at once for those already playing;
//   StopClip silences what one clip's frames started.
//
// Failure: none; sounds that cannot be decoded are silent.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/ClipMixes.h"
#include "swf/audio/PcmBuffer.h"
#include "swf/format/SwfMovie.h"
#include "swf/player/SoundCommand.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

class MovieSound {
  public:
    // Both must outlive this object.
    MovieSound(const Movie& movie, AudioMixer& mixer, Interpolation mode = Interpolation::Linear);
    ~MovieSound();
    MovieSound(const MovieSound&) = delete;
    MovieSound& operator=(const MovieSound&) = delete;

    void onFrames(const std::vector<FrameEntry>& entries);
    // Decodes the DefineSounds these frames will start, without touching the mixer: a caller
    // that guards the mixer against another thread does this first, outside its lock.
    void prepare(const std::vector<FrameEntry>& entries);
    // Carries out what scripts asked (MoviePlayer::takeSoundCommands).
    void onCommands(const std::vector<SoundCommand>& commands);
    // Decodes the sounds these commands start, without touching the mixer (see prepare()).
    void prepareCommands(const std::vector<SoundCommand>& commands);
    // Every sound of this movie stops at once.
    void stopAll();

    // Source frames queued on the root timeline's stream (0 without one); what a frame clock
    // that follows the sound looks at.
    std::size_t rootStreamQueued() const;
    // When the root timeline's stream holds more than `limit` output frames of sound (it fell
    // behind: the timeline ran on while it could not play), skips its oldest sound down to
    // `keep` output frames. True when it skipped.
    bool trimRootStream(std::size_t limit, std::size_t keep);

  private:
    struct Stream {
        std::weak_ptr<const TimelineInstance> instance;
        std::uint64_t serial = 0;  // the StreamVoice in the mixer
        bool root = false;
    };

    // A voice a clip's frame started, to follow its clip's transform.
    struct FrameVoice {
        std::uint64_t serial = 0;
        std::weak_ptr<const TimelineInstance> clip;
    };

    void startSound(const StartSound& start, const FrameEntry& entry);
    void followClip(std::uint64_t serial, const std::weak_ptr<const TimelineInstance>& clip);
    void remixFrameVoices();
    void stopClip(const std::weak_ptr<const TimelineInstance>& clip);
    void feedStream(const FrameEntry& entry, const Frame& frame);
    void reapStreams();
    std::optional<std::size_t> laterBlockSeek(const FrameEntry& entry) const;
    std::shared_ptr<const PcmBuffer> decoded(std::uint16_t id);

    const Movie& movie_;
    AudioMixer& mixer_;
    Interpolation mode_;
    std::map<std::uint16_t, std::shared_ptr<const PcmBuffer>> cache_;
    std::map<const TimelineInstance*, Stream> streams_;
    std::vector<std::uint64_t> voices_;                // serials of every voice started here
    std::map<std::uint64_t, std::uint64_t> channels_;  // script channel to voice serial
    ClipMixes mixes_;
    std::vector<FrameVoice> frameVoices_;
};

}  // namespace saver::swf
