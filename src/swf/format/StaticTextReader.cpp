// Each text record starts on a byte boundary: a style byte (TextRecordType 1, three reserved
// bits, HasFont, HasColor, HasYOffset, HasXOffset), the fields it announces, a glyph count and
// that many bit-packed glyph entries of the widths the tag's header gives.
#include "swf/format/StaticTextReader.h"

#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

TextRecord ReadRecord(SwfBitReader& in, std::uint8_t style, int version, unsigned glyphBits,
                      unsigned advanceBits, DecodeBudget& budget) {
    TextRecord record;
    if (style & 0x08) record.fontId = in.u16();
    if (style & 0x04) record.color = version >= 2 ? ReadRgba(in) : ReadRgb(in);
    if (style & 0x01) record.xOffset = static_cast<std::int16_t>(in.u16());
    if (style & 0x02) record.yOffset = static_cast<std::int16_t>(in.u16());
    if (style & 0x08) record.height = in.u16();
    const std::size_t count = in.u8();
    if ((count * (glyphBits + advanceBits) + 7) / 8 > in.remaining())
        throw SwfError("glyph entries beyond the tag");
    budget.charge(count * sizeof(GlyphEntry));
    record.glyphs.resize(count);
    for (GlyphEntry& glyph : record.glyphs) {
        glyph.index = in.ub(glyphBits);
        glyph.advance = in.sb(advanceBits);
    }
    in.align();
    return record;
}

}  // namespace

StaticText ReadStaticText(SwfBitReader& body, int version, DecodeBudget& budget) {
    StaticText text;
    text.id = body.u16();
    text.version = static_cast<std::uint8_t>(version);
    text.bounds = ReadRect(body);
    text.matrix = ReadMatrix(body);
    const unsigned glyphBits = body.u8();
    const unsigned advanceBits = body.u8();
    if (glyphBits > 32 || advanceBits > 32) throw SwfError("glyph entry field too wide");
    while (!body.atEnd()) {
        const std::uint8_t style = body.u8();
        if (style == 0) break;  // EndOfRecordsFlag
        budget.charge(sizeof(TextRecord));
        text.records.push_back(ReadRecord(body, style, version, glyphBits, advanceBits, budget));
    }
    return text;
}

// Flags, from the high bit of the first byte: HasText, WordWrap, Multiline, Password,
// ReadOnly, HasTextColor, HasMaxLength, HasFont; then HasFontClass, AutoSize, HasLayout,
// NoSelect, Border, WasStatic, HTML, UseOutlines.
EditText ReadEditText(SwfBitReader& body, DecodeBudget& budget) {
    EditText field;
    field.id = body.u16();
    field.bounds = ReadRect(body);
    const std::uint8_t a = body.u8(), b = body.u8();
    field.wordWrap = (a & 0x40) != 0;
    field.multiline = (a & 0x20) != 0;
    field.password = (a & 0x10) != 0;
    field.readOnly = (a & 0x08) != 0;
    field.autoSize = (b & 0x40) != 0;
    field.noSelect = (b & 0x10) != 0;
    field.border = (b & 0x08) != 0;
    field.wasStatic = (b & 0x04) != 0;
    field.html = (b & 0x02) != 0;
    field.useOutlines = (b & 0x01) != 0;
    if (a & 0x01) field.fontId = body.u16();
    if (b & 0x80) field.fontClass = body.string();
    if ((a & 0x01) || (b & 0x80)) field.fontHeight = body.u16();
    if (a & 0x04) field.color = ReadRgba(body);
    if (a & 0x02) field.maxLength = body.u16();
    if (b & 0x20) {
        field.hasLayout = true;
        field.align = body.u8();
        field.leftMargin = body.u16();
        field.rightMargin = body.u16();
        field.indent = static_cast<std::int16_t>(body.u16());
        field.leading = static_cast<std::int16_t>(body.u16());
    }
    field.variableName = body.string();
    if (a & 0x80) field.initialText = body.string();
    budget.charge(field.fontClass.size() + field.variableName.size() +
                  (field.initialText ? field.initialText->size() : 0));
    return field;
}

}  // namespace saver::swf
