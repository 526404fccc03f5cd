// The HTML subset of text fields: which runs and formats each piece of markup gives, how
// paragraphs break, and how entities and broken markup read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/player/HtmlText.h"

namespace saver::swf {
namespace {

std::string Runs(const StyledText& text) {
    // One line per run: text|size|bold italic underline|colour|align|url|leading.
    std::string out;
    for (const TextRun& r : text) {
        std::string t = EncodeUtf8(r.text);
        for (char& c : t)
            if (c == '\r') c = '/';
        const TextFormat& f = r.format;
        char line[256];
        std::snprintf(line, sizeof line, "%s|%g|%d%d%d|%02x%02x%02x|%d|%s|%g\n", t.c_str(),
                      f.size / 20, f.bold, f.italic, f.underline, f.color.r, f.color.g, f.color.b,
                      int(f.align), f.url.c_str(), f.leading / 20);
        out += line;
    }
    return out;
}

TEST(SwfTextHtmlTest, MarkupToRuns) {
    struct Case {
        const char* html;
        const char* runs;
    };
    const Case cases[] = {
        {"plain", "plain|12|000|000000|0||0\n"},
        {"a<b>b<i>c</i></b>d",
         "a|12|000|000000|0||0\nb|12|100|000000|0||0\nc|12|110|000000|0||0\n"
         "d|12|000|000000|0||0\n"},
        {"<p align=\"center\">x</p><p align='right'>y</p>",
         "x/|12|000|000000|2||0\ny/|12|000|000000|1||0\n"},
        {"<font size=\"20\" color=\"#FF8000\">big</font><font size=\"+2\">up</font>",
         "big|20|000|ff8000|0||0\nup|14|000|000000|0||0\n"},
        {"<u><a href=\"http://x\">link</a></u>", "link|12|001|000000|0|http://x|0\n"},
        {"<textformat leading=\"4\"><li>one</li></textformat>", "one/|12|000|000000|0||4\n"},
        {"a<br>b\nc", "a/b/c|12|000|000000|0||0\n"},
        {"&lt;&amp;&gt;&#65;&#x42;&bogus; &nbsp", "<&>AB&bogus; &nbsp|12|000|000000|0||0\n"},
        {"<unknown attr=1>x</unknown></b>y<b", "xy<b|12|000|000000|0||0\n"},
        {"<p>last</p>", "last/|12|000|000000|0||0\n"},
        // The break of </p> is plain text in the last closed FONT's format.
        {"<p><font size=\"20\"><b>x</b></font></p>",
         "x|20|100|000000|0||0\n/|20|000|000000|0||0\n"},
        // Colours: hex digits after '#' and blanks, the last six counting; none: ignored.
        {"<font color=\"#2345678\">a</font><font color=\"# \tabfg\">b</font>"
         "<font color=\" #123456\">c</font>",
         "a|12|000|345678|0||0\nb|12|000|000abf|0||0\nc|12|000|000000|0||0\n"},
        // A closing tag that does not close the tag opened last is ignored; nested paragraphs
        // end once.
        {"<b><i>x</b>y</i>z", "xy|12|110|000000|0||0\nz|12|100|000000|0||0\n"},
        {"<p>a<p>b</p></p>", "ab/|12|000|000000|0||0\n"},
    };
    TextFormat base;
    base.size = 240;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        EXPECT_EQ(Runs(ParseHtmlText(DecodeText(c.html, true), base)), c.runs);
    }
    EXPECT_TRUE(ParseHtmlText(DecodeText("<li>x</li>", true), base).front().format.bullet);
    // A field of one line keeps only the breaks written as text; SWF 7 drops blank text.
    EXPECT_EQ(Runs(ParseHtmlText(DecodeText("<p>a</p><br>b\n", true), base, nullptr, {false, 8})),
              "ab/|12|000|000000|0||0\n");
    EXPECT_EQ(Runs(ParseHtmlText(DecodeText("<b> </b>x ", true), base, nullptr, {true, 7})),
              "x |12|000|000000|0||0\n");
    // condenseWhite: a run of white space is one space, and none starts a line.
    EXPECT_EQ(Runs(ParseHtmlText(DecodeText(" a \n\t b <p> c</p>", true), base, nullptr,
                                 {true, 8, true})),
              "a b c/|12|000|000000|0||0\n");
    // Before SWF 8 HTML text starts left aligned.
    TextFormat centred = base;
    centred.align = TextAlign::Center;
    EXPECT_EQ(
        ParseHtmlText(DecodeText("x", true), centred, nullptr, {true, 7}).front().format.align,
        TextAlign::Left);
    const auto tabs =
        ParseHtmlText(DecodeText("<textformat tabstops=\"10,40\">t</textformat>", true), base);
    EXPECT_EQ(tabs.front().format.tabStops, (std::vector<double>{200, 800}));
}

}  // namespace
}  // namespace saver::swf
