// The host has no sound device as far as the runtime is concerned: tools and tests write WAV
// files instead.
#include "platform/AudioOutput.h"

namespace saver {

namespace {

class NullAudioOutput : public AudioOutput {
  public:
    bool start(Pull) override { return false; }
    void stop() override {}
};

}  // namespace

std::unique_ptr<AudioOutput> MakeAudioOutput() {
    return std::make_unique<NullAudioOutput>();
}

}  // namespace saver
