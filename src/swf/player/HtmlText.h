// ParseHtmlText: the HTML subset of text fields, read into styled text. Understood:
// <p align="left|right|center|justify">, <br>, <b>, <i>, <u>, <font face size color> (size in
// pixels, or +n / -n relative to the size around it; colour #RRGGBB), <a href target> (drawn
// as text), <li> (a bulleted paragraph), <textformat leading leftmargin rightmargin indent
// blockindent tabstops> (pixels), and the entities &lt; &gt; &amp; &quot; &apos; &nbsp; and
// numeric ones. Other tags are dropped with their brackets; their content stays.
//
// Paragraphs: in a multiline field </p>, </li> and <br> end one ('\r'), and <li> ends the one
// before it; CR and LF in the text end one in any field. The break of </p> is plain text in
// the paragraph's format and the last closed FONT's character format. Movies of SWF 7 and
// older drop text between tags that is only white space. With condenseWhite every run of
// white space (line ends included) reads as one space, and from SWF 8 none starts a line.
//
// Failure: none; an unclosed tag or entity is taken as text, unknown attributes are ignored.
#pragma once

#include <string>

#include "swf/player/TextFormat.h"

    namespace saver::swf {

    struct HtmlOptions {
        bool multiline = true;       // the field's
        int version = 8;             // the movie's SWF version
        bool condenseWhite = false;  // runs of white space in the text read as one space
    };

    // `open`, when given, receives the format of the tags still open at the end (the base when all
    // were closed).
    StyledText ParseHtmlText(const std::u32string& html, const TextFormat& base,
                             TextFormat* open = nullptr, const HtmlOptions& options = {});

    // The text decoded from a movie's bytes: UTF-8 when `utf8` and valid, else byte by byte.
    std::u32string DecodeText(const std::string& bytes, bool utf8);
    std::string EncodeUtf8(const std::u32string& text);

}  // namespace saver::swf
