// swfaudio: renders the sound of a movie into a WAV file, the way to hear and test the built-in
// player's sound without a sound card.
//
//   swfaudio MOVIE.swf --seconds S -o OUT.wav
//   swfaudio MOVIE.swf --seconds S --play
//
// Plays S seconds of movie time (frames advance at the movie's rate on the sound's clock, as
// in the player) and writes the mixed output as 44.1 kHz 16-bit stereo; with --play it goes to
// the system's output device in real time instead (on a machine without one, or on the host,
// nothing is played and the run still succeeds). Exit status 0 on success, 1 when the movie
// cannot be read or the file cannot be written, 2 on bad usage.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"
#include "swf/audio/AudioMixer.h"
#include "swf/audio/MovieSound.h"
#include "swf/audio/SoundPacer.h"
#include "swf/audio/WavWriter.h"
#include "swf/player/MoviePlayer.h"
#include "swfaudio/MovieFile.h"

namespace {

constexpr const char* kUsage = "usage: swfaudio MOVIE.swf --seconds S (-o OUT.wav | --play)\n";
constexpr double kMaxSeconds = 24 * 3600;

struct Options {
    std::string movie, out;
    double seconds = -1;
    bool play = false;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--play") {
            o.play = true;
        } else if ((arg == "--seconds" || arg == "-o") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "-o") {
                o.out = value;
                continue;
            }
            char* end = nullptr;
            o.seconds = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0') return false;
        } else if (o.movie.empty() && !arg.empty() && arg[0] != '-') {
            o.movie = arg;
        } else {
            return false;
        }
    }
    return !o.movie.empty() && (o.out.empty() == o.play) && o.seconds >= 0 &&
           o.seconds <= kMaxSeconds;
}

// Everything runs in the device's pulls; this thread only waits, so nothing is shared.
int Play(saver::swf::SoundPacer& pacer, double seconds) {
    const auto output = saver::MakeAudioOutput();
    std::atomic<std::uint64_t> pulled{0};
    const bool started = output->start([&](std::int16_t* out, std::size_t frames) {
        pacer.render(out, frames);
        pulled += frames;
    });
    if (!started) {
        std::printf("no audio device: the movie plays silently\n");
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    output->stop();
    std::printf("played %.3f s, %llu frames shown\n", static_cast<double>(pulled) / 44100,
                static_cast<unsigned long long>(pacer.ticks() + 1));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace saver::swf;
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string error;
    const auto movie = saver::swfaudio::LoadMovieFile(o.movie, error);
    if (!movie) {
        std::fprintf(stderr, "swfaudio: %s\n", error.c_str());
        return 1;
    }
    MoviePlayer player(movie, nullptr, true);
    AudioMixer mixer;
    MovieSound sound(*movie, mixer);
    SoundPacer pacer(player, sound, mixer);
    if (o.play) return Play(pacer, o.seconds);
    WavWriter wav;
    if (!wav.open(o.out)) {
        std::fprintf(stderr, "swfaudio: cannot write %s\n", o.out.c_str());
        return 1;
    }
    const auto total = static_cast<std::uint64_t>(o.seconds * kMixRate + 0.5);
    std::vector<std::int16_t> buffer(2 * 4096);
    for (std::uint64_t done = 0; done < total;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(4096, total - done));
        pacer.render(buffer.data(), n);
        wav.write(buffer.data(), n);
        done += n;
    }
    if (!wav.finish()) {
        std::fprintf(stderr, "swfaudio: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::printf("%s: %.3f s, %llu frames shown\n", o.out.c_str(), o.seconds,
                static_cast<unsigned long long>(pacer.ticks() + 1));
    return 0;
}
