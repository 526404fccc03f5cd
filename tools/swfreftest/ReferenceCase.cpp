#include "swfreftest/ReferenceCase.h"

#include <cpptoml.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace saver::swfreftest {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRuffleSet = "ruffle-visual";
constexpr const char* kSwfdecSet = "swfdec-image";

// The "features" column of manifest.tsv, comma-separated, by test name.
std::map<std::string, std::vector<std::string>> ReadFeatures(const fs::path& manifest) {
    std::map<std::string, std::vector<std::string>> out;
    std::ifstream in(manifest);
    std::string line;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t')) cells.push_back(cell);
        if (header.empty()) {
            header = cells;
            continue;
        }
        const auto col = std::find(header.begin(), header.end(), "features") - header.begin();
        if (cells.empty() || col >= static_cast<long>(cells.size())) continue;
        std::vector<std::string> features;
        std::stringstream fl(cells[col]);
        while (std::getline(fl, cell, ',')) {
            if (!cell.empty()) features.push_back(cell);
        }
        out[cells[0]] = features;
    }
    return out;
}

std::vector<ImageCheck> ReadChecks(const cpptoml::table& comparison) {
    std::vector<ImageCheck> checks;
    if (auto list = comparison.get_table_array("checks")) {
        for (const auto& t : *list) {
            checks.push_back(
                {static_cast<int>(t->get_as<std::int64_t>("tolerance").value_or(0)),
                 static_cast<int>(t->get_as<std::int64_t>("max_outliers").value_or(0))});
        }
    }
    if (checks.empty()) {
        checks.push_back(
            {static_cast<int>(comparison.get_as<std::int64_t>("tolerance").value_or(0)),
             static_cast<int>(comparison.get_as<std::int64_t>("max_outliers").value_or(0))});
    }
    return checks;
}

// with_default_font, [default_fonts] (generic name to a list of families) and [fonts.*] (each
// with its family).
CaseFonts ReadFonts(const cpptoml::table& toml) {
    CaseFonts fonts;
    fonts.onlyThese = true;
    fonts.defaultFont =
        toml.get_qualified_as<bool>("player_options.with_default_font").value_or(false);
    if (const auto defaults = toml.get_table("default_fonts")) {
        for (const auto& [generic, value] : *defaults) {
            const auto names = value->as_array();
            if (!names) continue;
            for (const auto& name : *names)
                if (const auto s = name->as<std::string>())
                    fonts.defaults[generic].push_back(s->get());
        }
    }
    if (const auto files = toml.get_table("fonts")) {
        for (const auto& [key, value] : *files) {
            if (!value->is_table()) continue;
            if (const auto family = value->as_table()->get_as<std::string>("family"))
                fonts.families.push_back(*family);
        }
    }
    return fonts;
}

// One ruffle-visual folder. Every output*.expected.png is a capture; its comparison table (by
// the picture's base name) gives trigger and checks, defaults otherwise.
ReferenceCase LoadRuffleCase(const fs::path& dir) {
    ReferenceCase c;
    c.set = kRuffleSet;
    c.name = dir.filename().string();
    c.moviePath = (dir / "test.swf").string();
    try {
        const auto toml = cpptoml::parse_file((dir / "test.toml").string());
        const int lastFrame =
            static_cast<int>(toml->get_as<std::int64_t>("num_frames")
                                 .value_or(toml->get_as<std::int64_t>("num_ticks").value_or(1)));
        const auto quality =
            toml->get_qualified_as<std::string>("player_options.with_renderer.quality");
        c.quality = quality && *quality == "low" ? swf::Quality::Low : swf::Quality::High;
        c.fonts = ReadFonts(*toml);
        const auto comparisons = toml->get_table("image_comparisons");
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string file = entry.path().filename().string();
            const std::string suffix = ".expected.png";
            if (file.size() <= suffix.size() ||
                file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string key = file.substr(0, file.size() - suffix.size());
            ImageCapture capture;
            capture.expectedPng = entry.path().string();
            capture.frame = lastFrame;
            const auto table = comparisons ? comparisons->get_table(key) : nullptr;
            if (table) {
                capture.frame =
                    static_cast<int>(table->get_as<std::int64_t>("trigger").value_or(lastFrame));
                capture.checks = ReadChecks(*table);
            } else {
                capture.checks = {ImageCheck{}};
            }
            capture.frame = std::max(1, capture.frame);
            c.captures.push_back(std::move(capture));
        }
        std::sort(c.captures.begin(), c.captures.end(),
                  [](const ImageCapture& a, const ImageCapture& b) { return a.frame < b.frame; });
    } catch (const std::exception& e) {
        c.loadError = std::string("test.toml: ") + e.what();
    }
    return c;
}

ReferenceCase SwfdecCase(const fs::path& movie) {
    ReferenceCase c;
    c.set = kSwfdecSet;
    c.name = movie.stem().string();
    c.moviePath = movie.string();
    c.quality = swf::Quality::High;
    c.captures.push_back({movie.string() + ".png", 10, {{3, 0}}});
    return c;
}

}  // namespace

std::vector<ReferenceCase> LoadReferenceCases(const std::string& swfDir) {
    std::vector<ReferenceCase> cases;
    std::error_code ec;
    const fs::path ruffle = fs::path(swfDir) / kRuffleSet;
    if (fs::is_directory(ruffle, ec)) {
        const auto features = ReadFeatures(ruffle / "manifest.tsv");
        for (const auto& entry : fs::directory_iterator(ruffle)) {
            if (!entry.is_directory() || !fs::exists(entry.path() / "test.swf") ||
                !fs::exists(entry.path() / "test.toml"))
                continue;
            ReferenceCase c = LoadRuffleCase(entry.path());
            if (c.captures.empty() && c.loadError.empty()) continue;
            if (auto it = features.find(c.name); it != features.end()) c.features = it->second;
            cases.push_back(std::move(c));
        }
    }
    const fs::path swfdec = fs::path(swfDir) / kSwfdecSet;
    if (fs::is_directory(swfdec, ec)) {
        for (const auto& entry : fs::directory_iterator(swfdec)) {
            if (entry.path().extension() != ".swf" || !fs::exists(entry.path().string() + ".png"))
                continue;
            cases.push_back(SwfdecCase(entry.path()));
        }
    }
    std::sort(cases.begin(), cases.end(),
              [](const ReferenceCase& a, const ReferenceCase& b) { return a.id() < b.id(); });
    return cases;
}

}  // namespace saver::swfreftest
