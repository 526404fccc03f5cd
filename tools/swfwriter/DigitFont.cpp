#include "DigitFont.h"

#include <stdexcept>

#include "ShapeBuilder.h"
#include "SwfRecords.h"

namespace saver::swfwriter {
namespace {

constexpr std::int32_t kCell = 128 * 20;  // a grid cell in DefineFont3 units

struct Glyph {
    char code;
    int width;  // cells inked
    const char* rows[7];
};

constexpr Glyph kGlyphs[] = {
    {'0', 5, {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', 5, {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', 5, {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', 5, {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', 5, {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', 5, {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', 5, {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', 5, {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', 5, {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', 5, {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {':', 1, {".", "#", "#", ".", "#", "#", "."}},
    {'.', 1, {".", ".", ".", ".", ".", "#", "#"}},
};

std::vector<std::uint8_t> Outline(const Glyph& g) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({0, 0, 0})));
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < g.width; ++col)
            if (g.rows[row][col] == '#')
                s.RoundedRect(col * kCell, (row - 7) * kCell, kCell, kCell, 0);
    return s.EncodeGlyph();
}

}  // namespace

std::vector<std::uint8_t> DigitFont3(std::uint16_t id, const std::string& name) {
    if (name.size() > 255) throw std::invalid_argument("font name longer than 255 bytes");
    BitWriter w;
    w.WriteU16(id);
    w.WriteU8(0x80 | 0x08 | 0x04);  // HasLayout, WideOffsets, WideCodes
    w.WriteU8(1);                   // Latin
    w.WriteU8(static_cast<std::uint8_t>(name.size()));
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    const std::size_t count = std::size(kGlyphs);
    w.WriteU16(static_cast<std::uint16_t>(count));
    std::vector<std::vector<std::uint8_t>> shapes;
    for (const Glyph& g : kGlyphs) shapes.push_back(Outline(g));
    auto offset = static_cast<std::uint32_t>(4 * (count + 1));
    for (const auto& s : shapes) {
        w.WriteU32(offset);
        offset += static_cast<std::uint32_t>(s.size());
    }
    w.WriteU32(offset);  // where the code table starts
    for (const auto& s : shapes) w.WriteBytes(s);
    for (const Glyph& g : kGlyphs) w.WriteU16(static_cast<std::uint8_t>(g.code));
    w.WriteU16(7 * kCell);  // ascent
    w.WriteU16(kCell);      // descent
    w.WriteU16(0);          // leading
    for (const Glyph& g : kGlyphs) w.WriteU16(static_cast<std::uint16_t>((g.width + 1) * kCell));
    for (const Glyph& g : kGlyphs) WriteRect(w, {0, g.width * kCell, -7 * kCell, 0});
    w.WriteU16(0);  // no kerning pairs
    return w.Bytes();
}

}  // namespace saver::swfwriter
