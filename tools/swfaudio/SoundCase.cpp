// Each voice's own output is captured through the mixer's capture hook, keyed by the serial the
// mixer gave it; the serials handed out while a frame's sounds start tell which frame started it.
#include "swfaudio/SoundCase.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "swf/audio/AudioMixer.h"
#include "swf/audio/MovieSound.h"
#include "swf/audio/SoundPacer.h"
#include "swf/player/MoviePlayer.h"
#include "swfaudio/MovieFile.h"

namespace saver::swfaudio {

namespace {

constexpr int kFramesRun = 10;

struct Captured {
    int frame = 0, index = 0;
    std::vector<std::int32_t> samples;
};

std::string Compare(const std::vector<std::int32_t>& got, const std::vector<std::uint8_t>& raw) {
    if (raw.size() % 4 != 0) return "reference size not a multiple of 4";
    const std::size_t expectedFrames = raw.size() / 4;
    const std::size_t gotFrames = got.size() / 2;
    std::size_t i = 0;
    for (; i < expectedFrames && 8 * i + 7 < gotFrames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const auto want =
                static_cast<std::int16_t>(raw[4 * i + 2 * ch] | raw[4 * i + 2 * ch + 1] << 8);
            const auto have =
                static_cast<std::int16_t>(std::clamp(got[2 * (8 * i + 7) + ch], -32768, 32767));
            if (want != have) {
                char text[96];
                std::snprintf(text, sizeof text, "sample %zu %s is %d, expected %d", i,
                              ch ? "right" : "left", have, want);
                return text;
            }
        }
    }
    if (i < expectedFrames)
        return "only " + std::to_string(i) + " of " + std::to_string(expectedFrames) + " samples";
    for (std::size_t k = 2 * (8 * i + 7); k < got.size(); ++k)
        if (got[k] != 0) return "sound after the reference ends";
    return "";
}

std::vector<std::uint8_t> ReadAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<SoundCase> LoadSoundCases(const std::string& dir) {
    namespace fs = std::filesystem;
    std::map<std::string, SoundCase> cases;
    const std::regex rawName(R"((.+\.swf)\.(\d+)\.(\d+)\.raw)");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string file = entry.path().filename().string();
        std::smatch m;
        if (!std::regex_match(file, m, rawName)) continue;
        SoundCase& c = cases[m[1]];
        c.name = m[1];
        c.moviePath = (fs::path(dir) / c.name).string();
        c.expected.push_back({std::stoi(m[2]), std::stoi(m[3]), entry.path().string()});
    }
    std::vector<SoundCase> out;
    for (auto& [name, c] : cases) {
        if (fs::exists(c.moviePath)) out.push_back(std::move(c));
    }
    return out;
}

SoundCaseResult RunSoundCase(const SoundCase& c) {
    using namespace swf;
    std::string error;
    const auto movie = LoadMovieFile(c.moviePath, error);
    if (!movie) return {false, error};
    MoviePlayer player(movie, nullptr, true);
    AudioMixer mixer;
    std::map<std::uint64_t, Captured> voices;
    mixer.setCapture([&](std::uint64_t serial, std::span<const std::int32_t> samples) {
        auto& v = voices[serial].samples;
        v.insert(v.end(), samples.begin(), samples.end());
    });
    MovieSound sound(*movie, mixer, Interpolation::Hold);
    auto label = [&](std::uint64_t from, int frame) {
        for (std::uint64_t s = from, n = 0; s < mixer.nextSerial(); ++s, ++n)
            voices[s] = {frame, static_cast<int>(n), {}};
    };
    SoundPacer pacer(player, sound, mixer);
    label(1, 1);
    std::vector<std::int16_t> out;
    for (int frame = 1; frame <= kFramesRun; ++frame) {
        const std::uint64_t before = mixer.nextSerial();
        out.resize(2 * pacer.framesToNextTick());
        pacer.render(out.data(), out.size() / 2);
        if (frame < kFramesRun) label(before, frame + 1);
    }
    for (const ExpectedSound& e : c.expected) {
        const auto it = std::find_if(voices.begin(), voices.end(), [&](const auto& v) {
            return v.second.frame == e.frame && v.second.index == e.index;
        });
        const std::string which = std::to_string(e.frame) + "." + std::to_string(e.index);
        if (it == voices.end()) return {false, "sound " + which + " never started"};
        bool ok = false;
        const auto raw = ReadAll(e.rawPath, ok);
        if (!ok) return {false, "cannot read " + e.rawPath};
        const std::string diff = Compare(it->second.samples, raw);
        if (!diff.empty()) return {false, "sound " + which + ": " + diff};
        voices.erase(it);
    }
    for (const auto& [serial, v] : voices) {
        if (v.frame >= 1 && v.frame <= kFramesRun)
            return {false,
                    "unexpected sound " + std::to_string(v.frame) + "." + std::to_string(v.index)};
    }
    return {true, ""};
}

}  // namespace saver::swfaudio
