// EventVoice: a DefineSound started by StartSound, played as its SOUNDINFO says: from the in
// point to the out point (44.1 kHz sample positions into the sound; the whole sound when
// absent), that stretch repeated loopCount times, shaped by the envelope. Envelope positions
// count 44.1 kHz frames from the start of playing, loops included; between two points the
// levels are interpolated linearly, before the first and after the last they hold.
#pragma once

#include <memory>

#include "swf/audio/PcmBuffer.h"
#include "swf/audio/SoundVoice.h"
#include "swf/format/SoundRecords.h"

namespace saver::swf {

class EventVoice : public SoundVoice {
  public:
    EventVoice(std::uint16_t soundId, std::shared_ptr<const PcmBuffer> pcm, const SoundInfo& info,
               Interpolation mode);

    bool mix(std::int32_t* acc, std::size_t frames) override;
    VoiceKind kind() const override { return VoiceKind::Event; }
    std::uint16_t soundId() const override { return soundId_; }

  private:
    void envelopeAt(std::uint64_t played, std::int32_t& left, std::int32_t& right);

    std::uint16_t soundId_;
    std::shared_ptr<const PcmBuffer> pcm_;
    Interpolation mode_;
    std::size_t first_ = 0;      // the in point, in source frames
    SourcePosition length_ = 0;  // in point to out point, 32.32 source frames
    SourcePosition step_ = 0;
    SourcePosition pos_ = 0;  // within the current loop
    unsigned loopsLeft_ = 1;
    std::vector<SoundEnvelopePoint> envelope_;
    std::size_t envelopeIndex_ = 0;  // the first point after the current position
    std::uint64_t played_ = 0;       // output frames so far
};

}  // namespace saver::swf
