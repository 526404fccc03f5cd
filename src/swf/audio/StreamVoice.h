// StreamVoice: a timeline's stream sound. The timeline hands it one SoundStreamBlock per frame
// (feed); the blocks decode into one queue that plays on without a seam, so the sound is as
// continuous as the blocks are. MP3 latency (the head's LatencySeek) is dropped from the start.
// Blocks rarely hold exactly one frame's time (MP3 frames come in 576 or 1152 samples), so the
// voice starts, and starts again after running dry, only once two blocks' worth (the head's
// samples per block) is queued: about one frame of latency buys a steady sound. Once closed
// (its timeline stopped or went away) it plays out what it has and ends.
#pragma once

#include <memory>
#include <span>

#include "swf/audio/PcmBuffer.h"
#include "swf/audio/SoundDecoder.h"
#include "swf/audio/SoundVoice.h"

namespace saver::swf {

class StreamVoice : public SoundVoice {
  public:
    StreamVoice(const SoundStreamHead& head, Interpolation mode);

    // Frames to drop from the start instead of the head's LatencySeek: a stream started at a
    // later block drops that block's SeekSamples. Only before the first feed().
    void setStartSkip(std::size_t frames) { skip_ = frames; }
    // Decodes one block (as stored in the file) onto the queue.
    void feed(std::span<const std::uint8_t> block);
    void close() { closed_ = true; }
    bool closed() const { return closed_; }
    // Source frames waiting to be played.
    std::size_t queuedFrames() const;
    // Skips `frames` of the queued sound (at most what is queued): a sound that fell behind
    // its timeline catches up by leaving out a stretch rather than playing on late.
    void dropQueued(std::size_t frames);
    double sourceRate() const { return queue_.rate; }

    bool mix(std::int32_t* acc, std::size_t frames) override;
    VoiceKind kind() const override { return VoiceKind::Stream; }

  private:
    void compact();

    SoundFormat format_;
    std::unique_ptr<SoundDecoder> decoder_;
    Interpolation mode_;
    PcmBuffer queue_;
    std::size_t skip_ = 0;    // latency frames still to drop
    SourcePosition pos_ = 0;  // into queue_
    std::size_t lead_ = 0;    // frames queued before playing starts
    bool playing_ = false;
    bool closed_ = false;
};

}  // namespace saver::swf
