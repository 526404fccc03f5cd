// Sound costs per second of audio: MP3 decoding (libmpg123, 44.1 kHz stereo at 128 kbit/s),
// mixing event voices with rate conversion, and an MP3 stream fed block by block and mixed as
// the player does it. Each benchmark reports `audio_s_per_s`: seconds of audio produced per
// second of CPU (the inverse is the share of one core that real-time playback costs).
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/EventVoice.h"
#include "swf/audio/SoundChunks.h"
#include "swf/audio/SoundDecoder.h"
#include "swf/audio/StreamVoice.h"

namespace {

using namespace saver::swf;

constexpr double kMp3Seconds = 2.0;  // the length of the bench file

std::vector<std::uint8_t> ReadMp3() {
    std::ifstream in(SAVER_SOURCE_DIR "/bench/data/chords-44k-stereo-128k.mp3", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const SoundFormat kMp3Format{SoundCodec::Mp3, 3, true, true};

void BM_Mp3Decode(benchmark::State& state) {
    const auto mp3 = ReadMp3();
    std::size_t frames = 0;
    for (auto _ : state) {
        PcmBuffer out;
        MakeSoundDecoder(kMp3Format)->decode(mp3, out);
        frames = out.frames();
        benchmark::DoNotOptimize(out.samples.data());
    }
    if (frames < 44100) state.SkipWithError("the bench MP3 did not decode");
    state.counters["audio_s_per_s"] = benchmark::Counter(
        kMp3Seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mp3Decode)->Unit(benchmark::kMillisecond);

// N event voices of a 22.05 kHz sound (linear rate conversion), one second of output per
// iteration, in 1024-frame pulls as a device would make them.
void BM_MixEventVoices(benchmark::State& state) {
    auto pcm = std::make_shared<PcmBuffer>();
    pcm->rate = 22050;
    for (int i = 0; i < 22050 * 2; ++i)
        pcm->push(static_cast<std::int16_t>(i * 7), static_cast<std::int16_t>(-i * 5));
    SoundInfo info;
    info.loopCount = 65535;  // never ends within a run
    info.envelope = {{0, 0, 32768}, {44100, 32768, 0}};
    AudioMixer mixer;
    for (int v = 0; v < state.range(0); ++v)
        mixer.add(std::make_unique<EventVoice>(1, pcm, info, Interpolation::Linear));
    std::vector<std::int16_t> out(2 * 1024);
    for (auto _ : state) {
        for (int done = 0; done < 44100; done += 1024) mixer.render(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MixEventVoices)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// The MP3 cut into 24 fps stream blocks, fed one per frame and mixed frame by frame.
void BM_Mp3StreamPlayback(benchmark::State& state) {
    const auto mp3 = ReadMp3();
    const std::size_t blockBytes = mp3.size() / static_cast<std::size_t>(kMp3Seconds * 24);
    SoundStreamHead head;
    head.stream = kMp3Format;
    head.samplesPerBlock = 1837;
    std::vector<std::int16_t> out(2 * 1838);
    for (auto _ : state) {
        AudioMixer mixer;
        auto voice = std::make_unique<StreamVoice>(head, Interpolation::Linear);
        StreamVoice& stream = *voice;
        mixer.add(std::move(voice));
        for (std::size_t at = 0; at < mp3.size(); at += blockBytes) {
            std::vector<std::uint8_t> block = {0, 0, 0, 0};
            block.insert(block.end(), mp3.begin() + at,
                         mp3.begin() + std::min(mp3.size(), at + blockBytes));
            stream.feed(block);
            mixer.render(out.data(), 1837);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_s_per_s"] = benchmark::Counter(
        kMp3Seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mp3StreamPlayback)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
