// StreamVoice: a timeline's stream sound. The timeline hands it one SoundStreamBlock per frame
// (feed); the blocks decode into one queue that plays on without a seam, so the sound is as
// continuous as the blocks are. MP3 latency (the head's LatencySeek) is dropped from the start.
// When the queue runs dry the voice is silent and waits for the next block where it stopped;
// once closed (its timeline stopped or went away) it ends when the queue is empty.
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

    // Decodes one block (as stored in the file) onto the queue.
    void feed(std::span<const std::uint8_t> block);
    void close() { closed_ = true; }
    bool closed() const { return closed_; }
    // Source frames waiting to be played.
    std::size_t queuedFrames() const;

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
    bool closed_ = false;
};

}  // namespace saver::swf
