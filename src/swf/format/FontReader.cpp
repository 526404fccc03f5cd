// Glyph offsets count from the start of the offset table. A glyph's outline runs from its
// offset to its end record; it is not cut at the next offset, as tools write the outlines in
// any order and even let glyphs share bytes, and the player reads them the same way. Only the
// code table (DefineFont2/3) or the end of the tag (DefineFont) bounds them.
// The readers below work on the bytes from the offset table on, so a reader's position is an
// offset in the same terms, and each outline is parsed from a reader of exactly its own bytes.
#include "swf/format/FontReader.h"

#include "swf/format/ShapeReader.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

// A name of `length` bytes; the terminating NUL that some tools store is dropped.
std::string ReadName(SwfBitReader& in, std::size_t length) {
    const auto bytes = in.bytes(length);
    std::string name(bytes.begin(), bytes.end());
    while (!name.empty() && name.back() == '\0') name.pop_back();
    return name;
}

std::uint32_t ReadOffset(SwfBitReader& in, bool wide) {
    return wide ? in.u32() : in.u16();
}

// Reads one code per glyph of `font`, 16-bit when `wide`.
void ReadCodes(SwfBitReader& in, bool wide, Font& font, DecodeBudget& budget) {
    const std::size_t count = font.glyphs.size();
    if (count * (wide ? 2 : 1) > in.remaining()) throw SwfError("code table beyond the tag");
    budget.charge(count * sizeof(std::uint16_t));
    font.codes.assign(count, 0);
    for (auto& code : font.codes) code = wide ? in.u16() : in.u8();
}

}  // namespace

void FontReader::readGlyphs(std::span<const std::uint8_t> area,
                            const std::vector<std::uint32_t>& offsets, std::size_t end,
                            Font& font) {
    if (end > area.size()) throw SwfError("glyph table beyond the tag");
    budget_.charge(offsets.size() * sizeof(Shape));
    font.glyphs.reserve(offsets.size());
    for (const std::uint32_t from : offsets) {
        if (from > end) throw SwfError("glyph offset out of range");
        SwfBitReader in(area.subspan(from, end - from), "glyph");
        font.glyphs.push_back(ShapeReader(in, 1, budget_).readGlyph());
    }
}

// The first offset also tells the size of the offset table, hence the number of glyphs.
Font FontReader::readDefineFont(SwfBitReader& body) {
    Font font;
    font.id = body.u16();
    font.version = 1;
    const auto area = body.bytes(body.remaining());
    SwfBitReader in(area, "font");
    if (in.atEnd()) return font;
    const std::uint16_t first = in.u16();
    const std::size_t count = first / 2;
    if (first > area.size()) throw SwfError("glyph offset out of range");
    std::vector<std::uint32_t> offsets{first};
    budget_.charge(count * sizeof(std::uint32_t));
    offsets.reserve(count);
    for (std::size_t i = 1; i < count; ++i) offsets.push_back(in.u16());
    readGlyphs(area, offsets, area.size(), font);
    return font;
}

// Flags: HasLayout, ShiftJIS, SmallText, ANSI, WideOffsets, WideCodes, Italic, Bold.
Font FontReader::readDefineFont2(SwfBitReader& body, int version) {
    Font font;
    font.id = body.u16();
    font.version = static_cast<std::uint8_t>(version);
    const std::uint8_t flags = body.u8();
    font.hasLayout = (flags & 0x80) != 0;
    font.shiftJis = (flags & 0x40) != 0;
    font.smallText = (flags & 0x20) != 0;
    font.ansi = (flags & 0x10) != 0;
    const bool wideOffsets = (flags & 0x08) != 0;
    font.wideCodes = (flags & 0x04) != 0;  // DefineFont3 fonts are written without it too
    font.italic = (flags & 0x02) != 0;
    font.bold = (flags & 0x01) != 0;
    font.languageCode = body.u8();
    font.name = ReadName(body, body.u8());
    budget_.charge(font.name.size());
    const std::size_t count = body.u16();
    const auto area = body.bytes(body.remaining());
    SwfBitReader in(area, "font");
    const std::size_t offsetBytes = wideOffsets ? 4 : 2;
    if ((count + 1) * offsetBytes > area.size() && count > 0)
        throw SwfError("glyph table beyond the tag");
    budget_.charge(count * sizeof(std::uint32_t));
    std::vector<std::uint32_t> offsets(count);
    for (auto& offset : offsets) offset = ReadOffset(in, wideOffsets);
    // Without glyphs, some tools still write the code table offset and some do not; a font
    // with layout has at least eight more bytes, so the field is there when more remain.
    const std::size_t layoutBytes = font.hasLayout ? 8 : 0;
    std::size_t codeTable = in.position();
    if (count > 0 || in.remaining() >= offsetBytes + layoutBytes)
        codeTable = ReadOffset(in, wideOffsets);
    if (count == 0) codeTable = in.position();
    readGlyphs(area, offsets, codeTable, font);
    if (codeTable < in.position()) throw SwfError("glyph offset out of range");
    in.skip(codeTable - in.position());
    ReadCodes(in, font.wideCodes, font, budget_);
    if (font.hasLayout) readLayout(in, font);
    return font;
}

// Ascent, descent, leading, one advance and one bounds rectangle per glyph, then the kerning
// pairs, whose codes are 16-bit when the font's codes are.
void FontReader::readLayout(SwfBitReader& in, Font& font) {
    const std::size_t count = font.glyphs.size();
    font.ascent = in.u16();
    font.descent = in.u16();
    font.leading = static_cast<std::int16_t>(in.u16());
    if (count * 3 > in.remaining()) throw SwfError("font layout beyond the tag");
    budget_.charge(count * (sizeof(std::int16_t) + sizeof(Rect)));
    font.advances.resize(count);
    for (auto& advance : font.advances) advance = in.u16();
    font.glyphBounds.resize(count);
    for (auto& bounds : font.glyphBounds) bounds = ReadRect(in);
    if (in.atEnd()) return;  // some tools leave out an empty kerning table
    const std::size_t pairs = in.u16();
    const std::size_t pairBytes = font.wideCodes ? 6 : 4;
    if (pairs * pairBytes > in.remaining()) throw SwfError("kerning table beyond the tag");
    budget_.charge(pairs * sizeof(KerningPair));
    font.kerning.resize(pairs);
    for (auto& pair : font.kerning) {
        pair.left = font.wideCodes ? in.u16() : in.u8();
        pair.right = font.wideCodes ? in.u16() : in.u8();
        pair.adjustment = static_cast<std::int16_t>(in.u16());
    }
}

// Flags: reserved (2), SmallText, ShiftJIS, ANSI, Italic, Bold, WideCodes. DefineFontInfo2
// adds a language code and always has 16-bit codes.
void FontReader::readFontInfo(SwfBitReader& body, int version, Font& font) {
    std::string name = ReadName(body, body.u8());
    const std::uint8_t flags = body.u8();
    const std::uint8_t language = version >= 2 ? body.u8() : 0;
    const bool wide = (flags & 0x01) != 0 || version >= 2;
    budget_.charge(name.size());
    ReadCodes(body, wide, font, budget_);
    font.name = std::move(name);
    font.smallText = (flags & 0x20) != 0;
    font.shiftJis = (flags & 0x10) != 0;
    font.ansi = (flags & 0x08) != 0;
    font.italic = (flags & 0x04) != 0;
    font.bold = (flags & 0x02) != 0;
    font.wideCodes = wide;
    font.languageCode = language;
}

void FontReader::readFontName(SwfBitReader& body, Font& font) {
    font.displayName = body.string();
    font.copyright = body.atEnd() ? std::string() : body.string();
    budget_.charge(font.displayName.size() + font.copyright.size());
}

}  // namespace saver::swf
