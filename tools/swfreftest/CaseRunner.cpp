#include "swfreftest/CaseRunner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "swf/avm1/ScriptRunner.h"
#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/StageTransform.h"
#include "swfrender/PngFile.h"

namespace saver::swfreftest {
namespace {

bool ReadBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Compares one capture; empty string when it matches.
std::string Compare(const swfrender::RgbaPicture& actual, const swfrender::RgbaPicture& expected,
                    const ImageCapture& capture, long long& worst) {
    for (const ImageCheck& check : capture.checks) {
        const long long outliers = CountOutliers(actual.pixels, expected.pixels, check.tolerance);
        worst = std::max(worst, outliers);
        if (outliers > check.maxOutliers) {
            return "frame " + std::to_string(capture.frame) + ": " + std::to_string(outliers) +
                   " pixels beyond tolerance " + std::to_string(check.tolerance) + " (allowed " +
                   std::to_string(check.maxOutliers) + ")";
        }
    }
    return {};
}

bool TimelineHasScripts(const swf::Timeline& timeline) {
    return std::ranges::any_of(timeline.frames, [](const swf::Frame& f) {
        return !f.initActions.empty() ||
               std::ranges::any_of(f.commands, [](const swf::FrameCommand& c) {
                   const auto* place = std::get_if<swf::PlaceObject>(&c);
                   return std::holds_alternative<swf::DoAction>(c) ||
                          (place && !place->clipActions.empty());
               });
    });
}

}  // namespace

bool HasScripts(const swf::Movie& movie) {
    return TimelineHasScripts(movie.root) ||
           std::ranges::any_of(movie.dictionary, [](const auto& entry) {
               const auto* sprite = std::get_if<swf::Sprite>(&entry.second);
               const auto* button = std::get_if<swf::Button>(&entry.second);
               return (sprite && TimelineHasScripts(sprite->timeline)) ||
                      (button && !button->actions.empty());
           });
}

long long CountOutliers(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                        int tolerance) {
    if (a.size() != b.size()) return -1;
    long long count = 0;
    for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
        int diff = 0;
        for (int k = 0; k < 4; ++k) diff = std::max(diff, std::abs(int(a[i + k]) - int(b[i + k])));
        if (diff > tolerance) ++count;
    }
    return count;
}

CaseResult RunReferenceCase(const ReferenceCase& c, const std::string& saveDir) {
    CaseResult result;
    if (!c.loadError.empty()) {
        result.detail = c.loadError;
        return result;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadBytes(c.moviePath, bytes)) {
        result.detail = "cannot read the movie";
        return result;
    }
    std::shared_ptr<const swf::Movie> movie;
    try {
        movie = std::make_shared<const swf::Movie>(swf::ReadMovie(bytes));
    } catch (const std::exception& e) {
        result.detail = std::string("reader: ") + e.what();
        return result;
    }
    result.scripted = HasScripts(*movie);
    // Scripts run as in the runtime (their trace output goes nowhere): many pictures are made
    // by them (text fields filled or styled, clips moved).
    swf::MoviePlayer player(movie, std::make_unique<swf::avm1::ScriptRunner>(movie, nullptr));
    player.setFontSource(MakeReferenceFonts(c.fonts));
    swf::Renderer renderer;
    int shown = 1;
    int index = 0;
    for (const ImageCapture& capture : c.captures) {
        for (; shown < capture.frame; ++shown) player.tick();
        swfrender::RgbaPicture expected;
        std::string error;
        if (!swfrender::ReadPng(capture.expectedPng, expected, error)) {
            result.detail = "expected picture: " + error;
            return result;
        }
        swf::BgraImage image;
        image.resize(expected.width, expected.height);
        const swf::Matrix stage =
            swf::StageTransform(movie->header.frameSize, image.width, image.height, 0);
        player.setViewScale(std::abs(stage.a) * 20, std::abs(stage.d) * 20);
        const std::vector<swf::RenderItem> items = player.renderList();
        renderer.render(items, player.background(), stage, c.quality, image);
        const swfrender::RgbaPicture actual = swfrender::FromBgra(image);
        if (!saveDir.empty()) {
            swfrender::WritePng(
                saveDir + "/" + c.set + "__" + c.name + "." + std::to_string(index) + ".png",
                actual, error);
        }
        ++index;
        const std::string mismatch = Compare(actual, expected, capture, result.worstOutliers);
        if (!mismatch.empty()) {
            result.detail = mismatch;
            return result;
        }
    }
    result.passed = true;
    return result;
}

}  // namespace saver::swfreftest
