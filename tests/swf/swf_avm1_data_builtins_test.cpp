// Built-ins as data: flash.filters and flash.geom.ColorTransform (the clamping a write goes
// through, the defaults of a short argument list), ASnative handing out fresh copies of
// methods, and the player's odd answers of substr, fromCharCode and unescape.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"

namespace saver::swf::avm1 {
namespace {

struct Vm {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Value at(const std::string& path) {
        Value v = vm.global();
        std::size_t start = 0;
        while (start <= path.size()) {
            const std::size_t dot = std::min(path.find('.', start), path.size());
            v = vm.getMember(v, path.substr(start, dot - start));
            start = dot + 1;
        }
        return v;
    }
    std::string fields(const Value& o, std::initializer_list<const char*> names) {
        std::string out;
        for (const char* n : names) out += vm.toString(vm.getMember(o, n)) + "/";
        return out;
    }
};

TEST(Avm1DataBuiltins, BlurFilterClampsWhatItIsGiven) {
    const double inf = INFINITY, nan = NAN;
    struct Case {
        std::vector<Value> args;
        const char* expected;  // blurX/blurY/quality/
    };
    const Case cases[] = {
        {{}, "4/4/1/"},
        {{1.0}, "1/4/1/"},
        {{inf, -1.0, 255.125}, "255/0/15/"},
        {{nan, 0.5, 0.5}, "NaN/0.5/0/"},
        {{Value{}, 15.125, inf}, "NaN/15.125/0/"},
    };
    for (const Case& c : cases) {
        Vm t;
        const Value f = t.vm.construct(t.at("flash.filters.BlurFilter"), c.args);
        EXPECT_EQ(t.fields(f, {"blurX", "blurY", "quality"}), c.expected);
        const Value copy = t.vm.callMethod(f, "clone", {});
        EXPECT_NE(copy.asObject(), f.asObject());
        EXPECT_EQ(t.fields(copy, {"blurX", "blurY", "quality"}), c.expected);
    }
    Vm t;
    const Value glow = t.vm.construct(t.at("flash.filters.GlowFilter"), {});
    t.vm.setMember(glow, "color", -1.0);
    t.vm.setMember(glow, "alpha", 7.0);
    EXPECT_EQ(t.fields(glow, {"color", "alpha", "blurX", "strength"}), "16777215/1/6/2/");
}

TEST(Avm1DataBuiltins, ColorTransformKeepsNumbersAndConcatenates) {
    Vm t;
    const Value ctor = t.at("flash.geom.ColorTransform");
    const Value shortList = t.vm.construct(ctor, {0.5});
    EXPECT_EQ(t.vm.toString(shortList),
              "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
              "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)");
    const Value a = t.vm.construct(ctor, {2.0, 1.0, 1.0, 1.0, 10.0, 0.0, 0.0, 0.0});
    const Value b = t.vm.construct(ctor, {0.5, 1.0, 1.0, 1.0, 4.0, 0.0, 0.0, 0.0});
    t.vm.callMethod(a, "concat", {b});
    EXPECT_EQ(t.fields(a, {"redMultiplier", "redOffset"}), "1/18/");
    t.vm.setMember(a, "rgb", 0x102030);
    EXPECT_EQ(t.fields(a, {"redMultiplier", "redOffset", "greenOffset", "blueOffset", "rgb"}),
              "0/16/32/48/1056816/");
}

TEST(Avm1DataBuiltins, AsNativeGivesAFreshCopyOfTheMethod) {
    Vm t;
    const Value asnative = t.at("ASnative");
    const Value first = t.vm.call(asnative, Value{}, {101.0, 5.0});
    const Value second = t.vm.call(asnative, Value{}, {101.0, 5.0});
    ASSERT_TRUE(first.isObject());
    EXPECT_NE(first.asObject(), second.asObject());
    Object* o = t.vm.newObject();
    o->put("x", 1.0);
    EXPECT_TRUE(t.vm.toBool(t.vm.call(first, o, {Value("x")})));
    EXPECT_FALSE(t.vm.toBool(t.vm.call(first, o, {Value("y")})));
    EXPECT_TRUE(t.vm.call(asnative, Value{}, {9999.0, 1.0}).isUndefined());
}

TEST(Avm1DataBuiltins, StringFunctionsGiveThePlayersAnswers) {
    Vm t;
    struct Case {
        double start, count;
        const char* expected;
    };
    const Case substr[] = {
        {2, -3, "CDE"}, {2, -2, ""}, {-10, -5, "A"}, {0, -7, ""}, {2, 9, "CDEF"}};
    for (const Case& c : substr)
        EXPECT_EQ(t.vm.toString(t.vm.callMethod(Value("ABCDEF"), "substr", {c.start, c.count})),
                  c.expected)
            << c.start << ":" << c.count;
    const Value fromCharCode = t.vm.getMember(t.at("String"), "fromCharCode");
    EXPECT_EQ(t.vm.toString(t.vm.call(fromCharCode, t.at("String"), {65.0, 0.0, 66.0})), "A");
    EXPECT_EQ(t.vm.toString(t.vm.call(t.at("unescape"), Value{}, {Value("a%41+%&b%")})), "aA b");
}

}  // namespace
}  // namespace saver::swf::avm1
