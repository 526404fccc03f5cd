// The in-place INI editor must change exactly the line a reader takes the value from, and
// nothing else of the text.
#include <gtest/gtest.h>

#include "payload/IniDocument.h"
#include "payload/IniLineEditor.h"

namespace saver {
namespace {

struct EditCase {
    const char* label;
    std::string text;
    std::string section, key, value;
    std::string expected;  // "" = refused, text unchanged
};

TEST(IniLineEditorTest, ChangesTheLineAReaderReads) {
    const std::vector<EditCase> cases = {
        {"CR LF kept", "[zippos]\r\na_1=10\r\na_2=20\r\n", "zippos", "a_2", "99",
         "[zippos]\r\na_1=10\r\na_2=99\r\n"},
        {"LF and lone CR kept", "[zippos]\na_1=10\ra_2=20", "zippos", "a_1", "7",
         "[zippos]\na_1=7\ra_2=20"},
        {"spacing before = kept, after it replaced", "[zippos]\n  a_1 \t= 10  \n", "zippos", "A_1",
         "5", "[zippos]\n  a_1 \t=5\n"},
        {"section and key without regard to case", "[ ZipPos ]\nSC2.SWF_1=1\n", "zippos",
         "sc2.swf_1", "2", "[ ZipPos ]\nSC2.SWF_1=2\n"},
        {"first of a repeated key", "[zippos]\na_1=1\na_1=2\n", "zippos", "a_1", "3",
         "[zippos]\na_1=3\na_1=2\n"},
        {"second part of a split section", "[zippos]\nb_1=1\n[Set]\na_1=9\n[ZIPPOS]\na_1=4\n",
         "zippos", "a_1", "5", "[zippos]\nb_1=1\n[Set]\na_1=9\n[ZIPPOS]\na_1=5\n"},
        {"commented key is no key", "[zippos]\n; a_1=1\na_1=2\n", "zippos", "a_1", "3",
         "[zippos]\n; a_1=1\na_1=3\n"},
        {"key of another section", "[Set]\na_1=1\n", "zippos", "a_1", "3", ""},
        {"lines before any header", "a_1=1\n[zippos]\n", "zippos", "a_1", "3", ""},
        {"value with a line break", "[zippos]\na_1=1\n", "zippos", "a_1", "3\r\n", ""},
        {"\"**\" and high bytes in names", "[zippos]\nq**\xE9.swf_1=1\n", "zippos", "Q**\xC9.SWF_1",
         "8", "[zippos]\nq**\xE9.swf_1=8\n"},
        {"= inside the value", "[zippos]\na_1=1=2\n", "zippos", "a_1", "3", "[zippos]\na_1=3\n"},
        {"text after ] makes no header", "[zippos]\na_1=1\n[HD] x_1=2\na_2=5\n", "zippos", "a_2",
         "6", "[zippos]\na_1=1\n[HD] x_1=2\na_2=6\n"},
        {"bracketed key", "[zippos]\n[HD] x_1=2\n", "zippos", "[hd] X_1", "7",
         "[zippos]\n[HD] x_1=7\n"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.label);
        IniLineEditor editor(c.text);
        EXPECT_EQ(editor.value(c.section, c.key),
                  IniDocument::parse(c.text).read(c.section, c.key));
        const bool changed = editor.setValue(c.section, c.key, c.value);
        EXPECT_EQ(changed, !c.expected.empty());
        EXPECT_EQ(editor.text(), c.expected.empty() ? c.text : c.expected);
        if (changed) EXPECT_EQ(IniDocument::parse(editor.text()).read(c.section, c.key), c.value);
    }
}

}  // namespace
}  // namespace saver
