// HtmlTextWriter: styled text written back as the HTML a text field's htmlText gives: per
// paragraph (text up to each '\r') a <P ALIGN="..."> (<LI> for bullets), wrapped in a
// <TEXTFORMAT> naming the paragraph settings that are not zero (LEFTMARGIN, RIGHTMARGIN,
// INDENT, BLOCKINDENT, LEADING, TABSTOPS); inside it a <FONT> with the first run's FACE, SIZE,
// COLOR, LETTERSPACING and KERNING. A later run with another character format opens a <FONT>
// inside the open ones naming only what differs from the innermost; a run whose format is
// still open further out closes the FONTs inside it. Links as <A HREF TARGET>, then <B>, <I>,
// <U>. Characters that mean something in HTML are written as entities. Sizes and lengths are
// whole pixels, colours "#RRGGBB".
//
// Failure: none; empty text gives an empty string.
#pragma once

#include <string>

#include "swf/player/TextFormat.h"

namespace saver::swf {

std::u32string WriteHtmlText(const StyledText& text);

}  // namespace saver::swf
