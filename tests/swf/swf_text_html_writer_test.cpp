// htmlText as the player writes it from styled text: the paragraph's first run in a full FONT,
// later runs nested with only what differs, paragraph settings in a TEXTFORMAT, entities.
#include <gtest/gtest.h>

#include "swf/player/HtmlText.h"
#include "swf/player/HtmlTextWriter.h"

namespace saver::swf {
namespace {

constexpr const char* kFont =
    R"(<FONT FACE="Times New Roman" SIZE="12" COLOR="#000000" LETTERSPACING="0" KERNING="0">)";

TEST(SwfTextHtmlWriterTest, WritesRunsParagraphsAndEntities) {
    const TextFormat base;
    TextFormat big = base, boldRed = base, margin = base, sans = base, sansBig = base;
    sans.font = sansBig.font = "Arial";
    sansBig.size = 280;
    big.size = 2000;
    boldRed.bold = true;
    boldRed.color = {255, 0, 0, 255};
    margin.leftMargin = 100;
    margin.align = TextAlign::Center;
    struct Case {
        StyledText text;
        std::string html;
    };
    const std::string p = R"(<P ALIGN="LEFT">)";
    const Case cases[] = {
        {{}, ""},
        {{{U"\r", base}}, p + kFont + "</FONT></P>"},
        {{{U"hello", base}, {U"world", big}},
         p + kFont + R"(hello<FONT SIZE="100">world</FONT></FONT></P>)"},
        // Each run nests inside the FONTs still open; going back to an outer one closes them.
        {{{U"a", base}, {U"b", sans}, {U"c", sansBig}, {U"d", big}, {U"e", base}},
         p + kFont +
             R"(a<FONT FACE="Arial">b<FONT SIZE="14">c<FONT FACE="Times New Roman" )"
             R"(SIZE="100">d</FONT></FONT></FONT>e</FONT></P>)"},
        {{{U"a<&>'\"", base}}, p + kFont + "a&lt;&amp;&gt;&apos;&quot;</FONT></P>"},
        {{{U"a\r", base}, {U"b", boldRed}},
         p + kFont + "a</FONT></P>" + p +
             R"(<FONT FACE="Times New Roman" SIZE="12" COLOR="#FF0000" LETTERSPACING="0" KERNING="0"><B>b</B></FONT></P>)"},
        {{{U"m", margin}},
         R"(<TEXTFORMAT LEFTMARGIN="5"><P ALIGN="CENTER">)" + std::string(kFont) +
             "m</FONT></P></TEXTFORMAT>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        EXPECT_EQ(EncodeUtf8(WriteHtmlText(c.text)), c.html);
    }
}

}  // namespace
}  // namespace saver::swf
