// TextField and TextFormat objects as scripts use them: properties that read and change the
// field, formats applied to a stretch of text and read back (null where the stretch mixes
// values), and an object whose field has left the stage.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"
#include "swf/avm1/TextFieldObject.h"

namespace saver::swf::avm1 {
namespace {

struct Fixture {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Movie movie;
    std::shared_ptr<TextFieldState> state;
    Object* field = nullptr;

    Fixture() {
        EditText e;
        e.bounds = {0, 2000, 0, 400};
        e.fontHeight = 240;
        e.initialText = "hello";
        e.variableName = "v";
        state = std::make_shared<TextFieldState>(e, movie);
        field = NewTextFieldObject(vm, state);
    }
    std::string str(const char* name) { return vm.toString(vm.getMember(field, name)); }
};

TEST(SwfTextFieldObjectTest, PropertiesReadAndChangeTheField) {
    Fixture f;
    struct Case {
        const char* name;
        Value value;
        const char* readBack;
    };
    const Case cases[] = {
        {"text", "a\rb", "a\rb"},   {"textColor", 0xFF0000, "16711680"},
        {"border", true, "true"},   {"autoSize", "center", "center"},
        {"autoSize", true, "left"}, {"autoSize", "none", "none"},
        {"variable", "w", "w"},     {"_width", 50, "50"},
    };
    EXPECT_EQ(f.str("text"), "hello");
    EXPECT_EQ(f.str("variable"), "v");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.vm.setMember(f.field, c.name, c.value);
        EXPECT_EQ(f.str(c.name), c.readBack);
    }
    EXPECT_EQ(f.state->text(), "a\rb");
    EXPECT_TRUE(f.state->box().border);
    EXPECT_EQ(f.state->styled().front().format.color, (Rgba{255, 0, 0, 255}));

    f.vm.setMember(f.field, "html", true);
    f.vm.setMember(f.field, "htmlText", "<b>x</b>y");
    EXPECT_EQ(f.state->text(), "xy");
    EXPECT_TRUE(f.state->styled().front().format.bold);
}

TEST(SwfTextFieldObjectTest, FormatsOnStretchesOfText) {
    Fixture f;
    const Value ctor = f.vm.getMember(f.vm.global(), "TextFormat");
    const Value bold = f.vm.construct(ctor, {"Arial", 20, Null{}, true});
    f.vm.callMethod(f.field, "setTextFormat", {1, 3, bold});  // "e" and "l"
    const auto& runs = f.state->styled();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].text, U"el");
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_EQ(runs[1].format.size, 400);
    EXPECT_FALSE(runs[2].format.bold);

    auto formatAt = [&](std::vector<Value> args, const char* property) {
        const Value fmt = f.vm.callMethod(f.field, "getTextFormat", args);
        return f.vm.toString(f.vm.getMember(fmt, property));
    };
    EXPECT_EQ(formatAt({1}, "bold"), "true");
    EXPECT_EQ(formatAt({1}, "size"), "20");
    EXPECT_EQ(formatAt({}, "bold"), "null");  // mixed over the whole text
    EXPECT_EQ(formatAt({}, "size"), "null");
    EXPECT_EQ(formatAt({}, "color"), "0");  // black throughout

    f.vm.callMethod(f.field, "setNewTextFormat", {bold});
    f.vm.setMember(f.field, "text", "new");
    EXPECT_TRUE(f.state->styled().front().format.bold);
    EXPECT_EQ(
        f.vm.toString(f.vm.getMember(f.vm.callMethod(f.field, "getNewTextFormat", {}), "font")),
        "Arial");

    f.state.reset();  // the field left the stage
    EXPECT_TRUE(f.vm.getMember(f.field, "text").isUndefined());
    f.vm.setMember(f.field, "text", "ignored");
}

}  // namespace
}  // namespace saver::swf::avm1
