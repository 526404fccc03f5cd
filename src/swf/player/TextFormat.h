// TextFormat, TextRun, StyledText: text as a text field holds it: runs of characters that share
// one character format (face, size, colour, bold, italic, underline, link) and the format of
// the paragraph they are in (alignment, margins, indents, leading, bullet, tab stops).
// Paragraphs end at '\r'; a paragraph takes its format from its first run.
#pragma once

#include <string>
#include <vector>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct TextFormat {
    std::string font = "Times New Roman";  // face name as the movie gives it
    double size = 240;                     // twips
    Rgba color{0, 0, 0, 255};
    bool bold = false, italic = false, underline = false;
    bool kerning = false;      // the font's kerning pairs apply (embedded fonts)
    double letterSpacing = 0;  // twips added after each character
    std::string url, target;
    // Paragraph format, twips.
    TextAlign align = TextAlign::Left;
    double leftMargin = 0, rightMargin = 0, indent = 0, blockIndent = 0, leading = 0;
    bool bullet = false;
    std::vector<double> tabStops;

    bool operator==(const TextFormat&) const = default;
};

struct TextRun {
    std::u32string text;
    TextFormat format;
};

using StyledText = std::vector<TextRun>;

// The characters of `text` without their formats.
std::u32string PlainText(const StyledText& text);

}  // namespace saver::swf
