// Text benchmarks: a text-heavy frame, a full-stage text field of about 2,400 characters of
// device text (HTML with bold runs and two sizes, word-wrapped) in the host's fonts, as a
// screensaver showing a poem or credits draws it.
//
// BM_TextLayout lays the field out afresh (as after every change of its text);
// BM_TextFrame draws the whole frame at 1920x1080, High quality, the layout kept between
// frames as the player keeps it. Figures: docs/performance.md.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "swf/player/EditTextLayout.h"
#include "swf/player/MoviePlayer.h"
#include "swf/render/Renderer.h"
#include "swf/render/StageTransform.h"
#include "swf/text/SystemFontSource.h"

namespace saver::swf {
namespace {

std::string Poem() {
    std::string html;
    for (int i = 0; i < 24; ++i)
        html += "<p>Line " + std::to_string(i + 1) +
                ": the <b>quick brown fox</b> jumps over the lazy dog, <font size=\"22\">and "
                "the night sky</font> turns slowly above the sleeping town.</p>";
    return html;
}

std::shared_ptr<const Movie> TextMovie() {
    auto movie = std::make_shared<Movie>();
    movie->header.version = 8;
    movie->header.frameRate = 12;
    movie->header.frameSize = {0, 16000, 0, 12000};
    movie->header.frameCount = 1;
    Font font;
    font.id = 1;
    font.version = 2;
    font.name = "_sans";
    movie->dictionary[1] = font;
    EditText field;
    field.id = 2;
    field.bounds = {200, 15800, 200, 11800};
    field.wordWrap = field.multiline = field.html = true;
    field.fontId = 1;
    field.fontHeight = 320;
    field.color = Rgba{20, 20, 80, 255};
    field.initialText = Poem();
    movie->dictionary[2] = field;
    PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 2;
    Frame frame;
    frame.commands.push_back(place);
    movie->root.frames.push_back(frame);
    movie->root.declaredFrameCount = 1;
    return movie;
}

void BM_TextLayout(benchmark::State& state) {
    const auto movie = TextMovie();
    const auto fonts = MakeSystemFontSource();
    const EditText& field = std::get<EditText>(movie->dictionary.at(2));
    std::size_t glyphs = 0;
    for (auto _ : state) {
        const EditTextLayout layout = LayOutEditText(field, *movie, fonts.get());
        glyphs = layout.glyphs.size();
        benchmark::DoNotOptimize(layout.glyphs.data());
    }
    state.counters["glyphs"] = static_cast<double>(glyphs);
}
BENCHMARK(BM_TextLayout)->Unit(benchmark::kMillisecond);

void BM_TextFrame(benchmark::State& state) {
    const auto movie = TextMovie();
    MoviePlayer player(movie);
    player.setFontSource(MakeSystemFontSource());
    Renderer renderer;
    BgraImage image;
    image.resize(1920, 1080);
    const Matrix stage = StageTransform(movie->header.frameSize, 1920, 1080, 0);
    for (auto _ : state) {
        const std::vector<RenderItem> items = player.renderList();
        renderer.render(items, player.background(), stage, Quality::High, image);
        benchmark::DoNotOptimize(image.pixels.data());
        player.tick();
    }
}
BENCHMARK(BM_TextFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace saver::swf

BENCHMARK_MAIN();
