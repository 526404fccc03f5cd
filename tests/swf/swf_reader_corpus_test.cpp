// Reads every movie of the shared SWF test data. None may crash, all must parse, and each must
// hold as many frames as its header declares (a few files are known to declare a wrong count).
// Prints a summary: movies parsed, those with shapes and sprites only, skipped tags, refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "swf/format/SwfReader.h"

namespace saver::swf {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Movies whose header frame count differs from their ShowFrame tags (counted by hand), with
// the number of frames they really hold.
const std::map<std::string, std::size_t> kOtherFrameCounts = {
    {"swfdec-image/background-5.swf", 1},
    {"swfdec-image/background-6.swf", 1},
    {"swfdec-image/background-7.swf", 1},
    {"swfdec-image/background-8.swf", 1},
    {"swfdec-image/crash-0.6.4-huge-image-5.swf", 1},
    {"swfdec-image/crash-0.6.4-huge-image-6.swf", 1},
    {"swfdec-image/crash-0.6.4-huge-image-7.swf", 1},
    {"swfdec-image/crash-0.6.4-huge-image-8.swf", 1},
    {"swfdec-image/crash-0.6.6-1x1-jpeg-5.swf", 1},
    {"swfdec-image/crash-0.6.6-1x1-jpeg-6.swf", 1},
    {"swfdec-image/crash-0.6.6-1x1-jpeg-7.swf", 1},
    {"swfdec-image/crash-0.6.6-1x1-jpeg-8.swf", 1},
    {"ruffle-visual/from_shumway__invalidClipDepth/test.swf", 257},
    {"ruffle-avm1/looping_real_1_declared_2/test.swf", 1},
    {"ruffle-avm1/looping_real_2_declared_1/test.swf", 2},
    {"ruffle-avm1/set_target_2_swf5/test.swf", 3},
    {"swfdec-trace/attachMovie-height-5.swf", 1},
    {"swfdec-trace/attachMovie-height-6.swf", 1},
    {"swfdec-trace/attachMovie-height-7.swf", 1},
    {"swfdec-trace/attachMovie-height-8.swf", 1},
    {"swfdec-trace/crash-0.5.5-cvs-truncated2.swf", 0},
    // Its last tag claims more bytes than the file holds: the movie ends before it.
    {"ruffle-avm1/bad_swf_tag_past_eof/test.swf", 0},
};

// Movies the reader refuses on purpose, with the reason it gives.
const std::map<std::string, std::string> kRefused = {};

// How far (in twips) the farthest path point of `shape` lies outside its bounds. Writers
// compute bounds from the same points, so a decoding fault in the edges shows up here.
int FarthestOutside(const Shape& shape) {
    const Rect& r = shape.bounds;
    int worst = 0;
    auto check = [&](Point p) {
        worst = std::max({worst, r.xMin - p.x, p.x - r.xMax, r.yMin - p.y, p.y - r.yMax});
    };
    for (const auto& path : shape.paths) {
        check(path.start);
        for (const auto& edge : path.edges) check(edge.anchor);
    }
    return worst;
}

bool OnlyShapesAndSprites(const Movie& movie) {
    for (const auto& [id, character] : movie.dictionary)
        if (std::holds_alternative<UnsupportedCharacter>(character)) return false;
    return true;
}

TEST(SwfReaderCorpus, EveryMovieParsesOrFailsCleanly) {
    const fs::path root = fs::path(SAVER_TESTDATA) / "swf";
    ASSERT_TRUE(fs::is_directory(root)) << root;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GT(files.size(), 100u);

    int parsed = 0, shapesOnly = 0, shapes = 0;
    std::size_t points = 0;
    std::map<std::string, std::vector<std::string>> failures;  // reason -> files
    std::map<std::uint16_t, int> skipped;                      // tag code -> movies
    for (const auto& path : files) {
        const auto bytes = Slurp(path);
        const std::string name = fs::relative(path, root).string();
        try {
            const Movie movie = ReadMovie(bytes);
            ++parsed;
            for (const auto& [code, count] : movie.skippedTags) ++skipped[code];
            if (OnlyShapesAndSprites(movie)) ++shapesOnly;
            for (const auto& [id, character] : movie.dictionary) {
                if (const auto* shape = std::get_if<Shape>(&character)) {
                    ++shapes;
                    points += shape->paths.size();
                    for (const auto& path : shape->paths) points += path.edges.size();
                    // One pixel of slack: a few files round their bounds inwards.
                    EXPECT_LE(FarthestOutside(*shape), 20) << name << " shape " << id;
                }
            }
            const auto other = kOtherFrameCounts.find(name);
            EXPECT_EQ(movie.root.frames.size(),
                      other != kOtherFrameCounts.end() ? other->second : movie.header.frameCount)
                << name;
        } catch (const SwfError& e) {
            const auto refused = kRefused.find(name);
            if (refused != kRefused.end() && refused->second == e.what()) continue;
            failures[e.what()].push_back(name);
        }
    }
    // Every movie of the set is well-formed: a refusal is a reader fault.
    EXPECT_TRUE(failures.empty());
    std::cout << "SWF corpus: " << files.size() << " movies, " << parsed << " parsed ("
              << shapesOnly << " with shapes and sprites only), "
              << files.size() - static_cast<std::size_t>(parsed) << " refused; " << shapes
              << " shapes with " << points << " points checked against their bounds\n";
    std::cout << "  skipped tag codes (movies):";
    for (const auto& [code, movies] : skipped) std::cout << ' ' << code << " (" << movies << ')';
    std::cout << '\n';
    for (const auto& [reason, names] : failures) {
        std::cout << "  " << names.size() << " x \"" << reason << "\":";
        for (const auto& n : names) std::cout << ' ' << n;
        std::cout << '\n';
    }
}

}  // namespace
}  // namespace saver::swf
