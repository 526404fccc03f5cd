// The block letters are 5x7 grids of squares, one glyph square per set cell, in a font of 1024
// units per EM: a cell is 128 units, the letters stand on the baseline, 896 units tall.
#include "ClockMovie.h"

#include <string>

#include "ShapeBuilder.h"
#include "SwfRecords.h"
#include "SwfWriter.h"

namespace saver::swfwriter {

namespace {

constexpr std::int32_t kCell = 128;
constexpr std::int16_t kAdvance = 6 * kCell;

struct Letter {
    char code;
    const char* rows[7];
};

constexpr Letter kLetters[] = {
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
};

std::vector<std::uint8_t> Glyph(const Letter& letter) {
    ShapeBuilder glyph;
    glyph.SetFill1(glyph.AddFill(FillStyle::Solid({0, 0, 0})));
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
            if (letter.rows[row][col] == '#')
                glyph.RoundedRect(col * kCell, (row - 7) * kCell, kCell, kCell, 0);
    return glyph.EncodeGlyph();
}

// DefineFont2 with the block letters, wide codes and offsets, and a layout.
std::vector<std::uint8_t> BlockFont(std::uint16_t id) {
    BitWriter w;
    w.WriteU16(id);
    w.WriteU8(0x80 | 0x08 | 0x04);  // HasLayout, WideOffsets, WideCodes
    w.WriteU8(1);                   // Latin
    const std::string name = "Blocks";
    w.WriteU8(static_cast<std::uint8_t>(name.size()));
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    const std::size_t count = std::size(kLetters);
    w.WriteU16(static_cast<std::uint16_t>(count));
    std::vector<std::vector<std::uint8_t>> glyphs;
    for (const Letter& l : kLetters) glyphs.push_back(Glyph(l));
    std::uint32_t offset = static_cast<std::uint32_t>(4 * (count + 1));
    for (const auto& g : glyphs) {
        w.WriteU32(offset);
        offset += static_cast<std::uint32_t>(g.size());
    }
    w.WriteU32(offset);  // the code table
    for (const auto& g : glyphs) w.WriteBytes(g);
    for (const Letter& l : kLetters) w.WriteU16(static_cast<std::uint8_t>(l.code));
    w.WriteU16(7 * kCell);  // ascent
    w.WriteU16(kCell);      // descent
    w.WriteU16(0);          // leading
    for (std::size_t i = 0; i < count; ++i) w.WriteU16(static_cast<std::uint16_t>(kAdvance));
    for (std::size_t i = 0; i < count; ++i) WriteRect(w, {0, 5 * kCell, -7 * kCell, 0});
    w.WriteU16(0);  // no kerning
    return w.Bytes();
}

// A DefineFont2 that only names a system font.
std::vector<std::uint8_t> DeviceFont(std::uint16_t id, const std::string& name) {
    BitWriter w;
    w.WriteU16(id);
    w.WriteU8(0x04);  // WideCodes
    w.WriteU8(1);
    w.WriteU8(static_cast<std::uint8_t>(name.size()));
    w.WriteBytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    w.WriteU16(0);
    return w.Bytes();
}

std::vector<std::uint8_t> StaticText(std::uint16_t id, std::uint16_t font, const char* text) {
    constexpr std::int32_t height = 60 * kTwipsPerPixel;
    const std::int32_t advance = kAdvance * height / 1024;
    BitWriter w;
    w.WriteU16(id);
    const std::int32_t length = static_cast<std::int32_t>(std::string(text).size());
    WriteRect(w, {0, advance * length, -height * 7 / 8, 0});
    WriteMatrix(w, Matrix::Translate(40 * kTwipsPerPixel, 100 * kTwipsPerPixel));
    w.WriteU8(8);     // glyph bits
    w.WriteU8(16);    // advance bits
    w.WriteU8(0x8F);  // a record with font, colour, x and y
    w.WriteU16(font);
    w.WriteU8(200), w.WriteU8(0), w.WriteU8(0), w.WriteU8(255);
    w.WriteU16(0);  // x
    w.WriteU16(0);  // y
    w.WriteU16(static_cast<std::uint16_t>(height));
    w.WriteU8(static_cast<std::uint8_t>(length));
    for (const char* c = text; *c; ++c) {
        std::uint32_t index = 0;
        while (index < std::size(kLetters) && kLetters[index].code != *c) ++index;
        w.WriteUB(index, 8);
        w.WriteSB(advance, 16);
    }
    w.Align();
    w.WriteU8(0);
    return w.Bytes();
}

std::vector<std::uint8_t> ClockField(std::uint16_t id, std::uint16_t font) {
    BitWriter w;
    w.WriteU16(id);
    WriteRect(
        w, {40 * kTwipsPerPixel, 360 * kTwipsPerPixel, 140 * kTwipsPerPixel, 220 * kTwipsPerPixel});
    w.WriteU8(0x80 | 0x08 | 0x04 | 0x01);  // HasText, ReadOnly, HasTextColor, HasFont
    w.WriteU8(0x20 | 0x10);                // HasLayout, NoSelect
    w.WriteU16(font);
    w.WriteU16(48 * kTwipsPerPixel);
    w.WriteU8(0), w.WriteU8(0), w.WriteU8(200), w.WriteU8(255);
    w.WriteU8(2);  // centred
    w.WriteU16(0), w.WriteU16(0), w.WriteU16(0), w.WriteU16(0);
    w.WriteString("clock");
    w.WriteString("--:--:--");
    return w.Bytes();
}

// t = new Date().getTime(); clock = hours + ":" + minutes + ":" + seconds of t (UTC).
ActionList ClockScript() {
    ActionList a;
    a.Push("t").Push(0).Push(0).Push("Date").NewObject().Push("getTime").CallMethod();
    a.SetVariable();
    a.Push("clock");
    const std::int32_t units[][2] = {{3600000, 24}, {60000, 60}, {1000, 60}};
    for (int i = 0; i < 3; ++i) {
        a.Push("t").GetVariable().Push(units[i][0]).Divide().ToInteger();
        a.Push(units[i][1]).Modulo();
        if (i > 0) a.Add2();
        if (i < 2) a.Push(":").Add2();
    }
    return a.SetVariable();
}

}  // namespace

std::vector<std::uint8_t> BuildClockMovie(bool compress) {
    SwfWriter movie({.width = 400 * kTwipsPerPixel,
                     .height = 300 * kTwipsPerPixel,
                     .frameRate = 12,
                     .compress = compress});
    movie.SetBackgroundColor({255, 255, 255});
    Timeline& root = movie.Root();
    root.AppendTag(TagCode::DefineFont2, BlockFont(1));
    root.AppendTag(TagCode::DefineText2, StaticText(2, 1, "CLOCK"));
    root.AppendTag(TagCode::DefineFont2, DeviceFont(3, "_sans"));
    root.AppendTag(TagCode::DefineEditText, ClockField(4, 3));
    root.Place(PlaceObject::New(1, 2, {}));
    root.Place(PlaceObject::New(2, 4, {}));
    root.DoAction(ClockScript());
    root.ShowFrame();
    root.ShowFrame();
    return movie.Build();
}

}  // namespace saver::swfwriter
