// Plays every movie of the shared SWF test data that the reader takes for a few seconds of
// frames: the player core must never crash, keep its frame inside the timeline, and hand the
// renderer only shapes of the movie (or of its morph shapes at a ratio), with every mask it
// opens closed again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf/player/MoviePlayer.h"

namespace saver::swf {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusMovies() {
    std::vector<fs::path> movies;
    const fs::path root = fs::path(SAVER_TESTDATA) / "swf";
    if (!fs::exists(root)) return movies;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            movies.push_back(entry.path());
    return movies;
}

bool OwnedShape(const Movie& movie, const Shape* shape) {
    for (const auto& [id, character] : movie.dictionary)  // a glyph of a font
        if (const auto* font = std::get_if<Font>(&character))
            for (const Shape& glyph : font->glyphs)
                if (&glyph == shape) return true;
    const auto it = movie.dictionary.find(shape->id);
    if (it == movie.dictionary.end()) return false;
    return std::get_if<Shape>(&it->second) == shape ||
           std::holds_alternative<MorphShape>(it->second);
}

TEST(SwfPlayerCorpus, EveryReadableMoviePlays) {
    const auto movies = CorpusMovies();
    if (movies.empty()) GTEST_SKIP() << "no test data";
    int played = 0;
    for (const auto& path : movies) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        std::shared_ptr<Movie> movie;
        try {
            movie = std::make_shared<Movie>(ReadMovie(bytes));
        } catch (const SwfError&) {
            continue;  // the reader's tests cover refusals
        }
        MoviePlayer player(movie);
        for (int tick = 0; tick < 60; ++tick) {
            player.tick();
            ASSERT_GE(player.currentFrame(), 0) << path;
            ASSERT_LT(player.currentFrame(), player.totalFrames()) << path;
            int openMasks = 0, openGroups = 0;
            for (const RenderItem& item : player.renderList()) {
                if (item.role == ClipRole::BeginMask || item.role == ClipRole::Unmask) {
                    ASSERT_EQ(item.shape, nullptr) << path;
                    openMasks += item.role == ClipRole::BeginMask ? 1 : -1;
                    ASSERT_GE(openMasks, 0) << path;
                } else if (item.role == ClipRole::BeginGroup || item.role == ClipRole::EndGroup) {
                    ASSERT_EQ(item.shape, nullptr) << path;
                    openGroups += item.role == ClipRole::BeginGroup ? 1 : -1;
                    ASSERT_GE(openGroups, 0) << path;
                } else {
                    // Shapes the player makes itself (text field frames) have no id.
                    ASSERT_NE(item.shape, nullptr) << path;
                    ASSERT_TRUE(item.shape->id == 0 || OwnedShape(*movie, item.shape)) << path;
                }
            }
            ASSERT_EQ(openMasks, 0) << path;
            ASSERT_EQ(openGroups, 0) << path;
        }
        // Back where a fresh load starts (frame 1's actions may already have moved on).
        player.rewind();
        EXPECT_EQ(player.currentFrame(), MoviePlayer(movie).currentFrame()) << path;
        ++played;
    }
    EXPECT_GT(played, 250);
}

}  // namespace
}  // namespace saver::swf
