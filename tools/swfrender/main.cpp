// swfrender: plays a movie with the built-in player and writes one frame as a PNG.
//
//   swfrender MOVIE.swf [--frames N] [--size WxH] [--quality low|high] [--scale-mode 0..3]
//             [--scripts] -o OUT.png
//
// --frames N (default 1) picks the Nth frame the player shows: the player is created, which
// shows the first frame, then ticked N - 1 times. This is the count of frames a reference
// player has run when its picture was taken (ruffle's num_frames / num_ticks, where the first
// frame is tick 1; swfdec's "advanced 10 times").
// --scripts runs the movie's ActionScript as the runtime does (trace output dropped); without
// it only the timeline plays.
// --size defaults to the stage size in pixels; --quality to high; --scale-mode to 0 (show
// all). Quality values 2 and 3 (auto low/high) are taken as low/high. The PNG is RGBA and
// opaque.
//
// Exit status: 0 written, 1 the movie could not be read or the PNG not written, 2 bad usage.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/text/SystemFontSource.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swfrender/PngFile.h"

namespace {

using namespace saver;

struct Options {
    std::string movie;
    std::string output;
    int frames = 1;
    std::optional<std::pair<int, int>> size;
    swf::Quality quality = swf::Quality::High;
    int scaleMode = 0;
    bool scripts = false;
};

constexpr const char* kUsage =
    "usage: swfrender MOVIE.swf [--frames N] [--size WxH] [--quality low|high] "
    "[--scale-mode 0|1|2|3] [--scripts] -o OUT.png\n";

bool ParseInt(const std::string& text, int lo, int hi, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < lo || v > hi) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseSize(const std::string& text, std::pair<int, int>& out) {
    const auto x = text.find_first_of("xX");
    return x != std::string::npos && ParseInt(text.substr(0, x), 1, 16384, out.first) &&
           ParseInt(text.substr(x + 1), 1, 16384, out.second);
}

bool ParseQuality(const std::string& text, swf::Quality& out) {
    if (text == "low" || text == "0" || text == "2")
        out = swf::Quality::Low;
    else if (text == "high" || text == "1" || text == "3")
        out = swf::Quality::High;
    else
        return false;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            o.output = argv[++i];
        } else if (arg == "--frames" && hasValue) {
            if (!ParseInt(argv[++i], 1, 1000000, o.frames)) return false;
        } else if (arg == "--size" && hasValue) {
            std::pair<int, int> size;
            if (!ParseSize(argv[++i], size)) return false;
            o.size = size;
        } else if (arg == "--quality" && hasValue) {
            if (!ParseQuality(argv[++i], o.quality)) return false;
        } else if (arg == "--scale-mode" && hasValue) {
            if (!ParseInt(argv[++i], 0, 3, o.scaleMode)) return false;
        } else if (arg == "--scripts") {
            o.scripts = true;
        } else if (!arg.empty() && arg[0] != '-' && o.movie.empty()) {
            o.movie = arg;
        } else {
            return false;
        }
    }
    return !o.movie.empty() && !o.output.empty();
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The stage in whole pixels, at least one each way.
std::pair<int, int> StageSize(const swf::Rect& frame) {
    return {std::max(1, static_cast<int>(std::lround(frame.width() / 20.0))),
            std::max(1, static_cast<int>(std::lround(frame.height() / 20.0)))};
}

int Run(const Options& o) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(o.movie, bytes)) {
        std::fprintf(stderr, "swfrender: cannot read %s\n", o.movie.c_str());
        return 1;
    }
    std::shared_ptr<const swf::Movie> movie;
    try {
        movie = std::make_shared<const swf::Movie>(swf::ReadMovie(bytes));
    } catch (const swf::SwfError& e) {
        std::fprintf(stderr, "swfrender: %s: %s\n", o.movie.c_str(), e.what());
        return 1;
    }
    swf::MoviePlayer player(
        movie, o.scripts ? std::make_unique<swf::avm1::ScriptRunner>(movie, nullptr) : nullptr);
    player.setFontSource(swf::MakeSystemFontSource());
    for (int i = 1; i < o.frames; ++i) player.tick();

    const swf::Rect& frame = movie->header.frameSize;
    const auto [w, h] = o.size.value_or(StageSize(frame));
    swf::BgraImage image;
    image.resize(w, h);
    swf::Renderer renderer;
    const swf::Matrix stage = swf::StageTransform(frame, w, h, o.scaleMode);
    player.setViewScale(std::abs(stage.a) * 20, std::abs(stage.d) * 20);
    const std::vector<swf::RenderItem> items = player.renderList();
    renderer.render(items, player.background(), stage, o.quality, image);

    std::string error;
    if (!swfrender::WritePng(o.output, swfrender::FromBgra(image), error)) {
        std::fprintf(stderr, "swfrender: %s: %s\n", o.output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return Run(options);
}
