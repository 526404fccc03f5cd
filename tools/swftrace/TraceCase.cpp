#include "swftrace/TraceCase.h"

#include <cpptoml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace saver::swftrace {

namespace {

namespace fs = std::filesystem;

int SwfVersion(const fs::path& movie) {
    std::ifstream in(movie, std::ios::binary);
    char header[4] = {};
    in.read(header, 4);
    return in ? static_cast<unsigned char>(header[3]) : 0;
}

int RuffleFrames(const fs::path& toml) {
    try {
        const auto t = cpptoml::parse_file(toml.string());
        if (auto n = t->get_as<std::int64_t>("num_frames")) return static_cast<int>(*n);
        if (auto n = t->get_as<std::int64_t>("num_ticks")) return static_cast<int>(*n);
    } catch (const std::exception&) {
    }
    return 1;
}

// player_options.viewport_dimensions = { width = W, height = H, scale_factor = S }: the view,
// and a screen of W / S x H / S pixels (the recording machine's screen scaled for its DPI).
void RuffleViewport(const fs::path& toml, TraceEnvironment& e) {
    try {
        const auto t = cpptoml::parse_file(toml.string());
        const auto view = t->get_table_qualified("player_options.viewport_dimensions");
        if (!view) return;
        e.viewWidth = static_cast<int>(view->get_as<std::int64_t>("width").value_or(0));
        e.viewHeight = static_cast<int>(view->get_as<std::int64_t>("height").value_or(0));
        double scale = view->get_as<double>("scale_factor").value_or(1);
        if (!(scale > 0)) scale = 1;
        e.screenWidth = static_cast<int>(std::lround(e.viewWidth / scale));
        e.screenHeight = static_cast<int>(std::lround(e.viewHeight / scale));
    } catch (const std::exception&) {
    }
}

// Ruffle's recordings are compared with runs on a fixed machine: a 72 dpi screen and a clock
// standing at 2001-02-03 04:05:06 local time in a zone 5:45 ahead of UTC (one without
// daylight saving).
TraceEnvironment RuffleEnvironment() {
    TraceEnvironment e;
    e.screenDpi = 72;
    e.utcOffsetMinutes = 5 * 60 + 45;
    e.nowMs = 981152406000.0;  // 2001-02-02 22:20:06 UTC
    return e;
}

void LoadSwfdec(const fs::path& dir, std::vector<TraceCase>& out) {
    if (!fs::is_directory(dir)) return;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path p = entry.path();
        if (p.extension() != ".swf" || !fs::exists(p.string() + ".trace")) continue;
        TraceCase c;
        c.set = "swfdec-trace";
        c.name = p.stem().string();
        c.moviePath = p.string();
        c.expectedPath = p.string() + ".trace";
        c.frames = 11;
        c.version = SwfVersion(p);
        c.family = c.name.substr(0, c.name.find('-'));
        out.push_back(std::move(c));
    }
}

void LoadRuffle(const fs::path& dir, const char* set, std::vector<TraceCase>& out) {
    if (!fs::is_directory(dir)) return;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const fs::path p = entry.path();
        if (!fs::exists(p / "test.swf") || !fs::exists(p / "output.txt")) continue;
        TraceCase c;
        c.set = set;
        c.name = p.filename().string();
        c.moviePath = (p / "test.swf").string();
        c.expectedPath = (p / "output.txt").string();
        c.frames = RuffleFrames(p / "test.toml");
        c.environment = RuffleEnvironment();
        RuffleViewport(p / "test.toml", c.environment);
        c.tolerance = TraceTolerance::Read((p / "test.toml").string());
        c.version = SwfVersion(p / "test.swf");
        c.family = c.name.substr(0, c.name.find('_'));
        c.logLines = true;
        c.warnings = true;
        out.push_back(std::move(c));
    }
}

}  // namespace

std::vector<TraceCase> LoadTraceCases(const std::string& swfDir) {
    std::vector<TraceCase> cases;
    LoadSwfdec(fs::path(swfDir) / "swfdec-trace", cases);
    LoadRuffle(fs::path(swfDir) / "ruffle-avm1", "ruffle-avm1", cases);
    LoadRuffle(fs::path(swfDir) / "ruffle-audio", "ruffle-audio", cases);
    std::sort(cases.begin(), cases.end(),
              [](const TraceCase& a, const TraceCase& b) { return a.id() < b.id(); });
    return cases;
}

std::string NormaliseTrace(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    return out;
}

std::string WithoutWarnings(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text.compare(start, 9, "Warning: ") != 0) out.append(text, start, end - start);
        start = end;
    }
    return out;
}

std::string LogLines(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    // A lone surrogate is kept in our strings as its three-byte form (ED A0..BF xx); the log
    // file is written from UTF-16 through the system's conversion, which writes U+FFFD.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        if (byte(i) == 0xED && i + 2 < text.size() && byte(i + 1) >= 0xA0 && byte(i + 1) <= 0xBF &&
            (byte(i + 2) & 0xC0) == 0x80) {
            out += "\xEF\xBF\xBD";
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace saver::swftrace
