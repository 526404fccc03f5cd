// libFuzzer target: any byte string as an SWF file. Crashes, sanitizer reports, hangs and
// runaway memory are findings; SwfError is an answer. A parsed movie is walked so that every
// decoded value is touched.
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "swf/format/SwfReader.h"
#include "swf/player/MorphInterpolation.h"

namespace {

// A style index the renderer would trust.
bool StylesInRange(const saver::swf::Shape& shape) {
    for (const auto& path : shape.paths)
        if (path.fill0 > shape.fills.size() || path.fill1 > shape.fills.size() ||
            path.line > shape.lines.size())
            return false;
    return true;
}

std::size_t Walk(const saver::swf::Timeline& timeline) {
    std::size_t n = 0;
    for (const auto& frame : timeline.frames) n += frame.commands.size() + frame.labels.size();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace saver::swf;
    try {
        const Movie movie = ReadMovie(std::span<const std::uint8_t>(data, size));
        std::size_t n = Walk(movie.root);
        for (const auto& [id, character] : movie.dictionary) {
            if (const auto* shape = std::get_if<Shape>(&character)) {
                std::uint32_t previous = 0;
                for (const std::uint32_t start : shape->layerStarts) {
                    if (start < previous || start > shape->paths.size()) __builtin_trap();
                    previous = start;
                }
                if (!StylesInRange(*shape)) __builtin_trap();
                for (const auto& path : shape->paths) n += path.edges.size();
            } else if (const auto* font = std::get_if<Font>(&character)) {
                for (const auto& glyph : font->glyphs)
                    for (const auto& path : glyph.paths)
                        if (path.fill0 > glyph.fills.size() || path.fill1 > glyph.fills.size() ||
                            path.line != 0)
                            __builtin_trap();  // glyphs have their one fill and no lines
            } else if (const auto* sprite = std::get_if<Sprite>(&character)) {
                n += Walk(sprite->timeline);
            } else if (const auto* morph = std::get_if<MorphShape>(&character)) {
                for (const std::uint16_t ratio : {0, 40000, 65535}) {
                    const Shape now = InterpolateMorph(*morph, ratio);
                    if (!StylesInRange(now)) __builtin_trap();
                    n += now.paths.size();
                }
            } else if (const auto* button = std::get_if<Button>(&character)) {
                for (const auto& action : button->actions) n += action.bytes.size();
                n += button->records.size();
            }
        }
        if (n == static_cast<std::size_t>(-1)) __builtin_trap();
    } catch (const SwfError&) {
    }
    return 0;
}
