// Built-ins as data: flash.filters and flash.geom.ColorTransform (the clamping a write goes
// through, the defaults of a short argument list), ASnative handing out fresh copies of
// methods, the player's odd answers of substr, fromCharCode, unescape, parseInt and
// parseFloat, flash.geom.Matrix, and the members every function carries.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "avm1_member_path.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"

namespace saver::swf::avm1 {
namespace {

struct Vm {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Value at(const std::string& path) { return MemberPath(vm, vm.global(), path); }
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

TEST(Avm1DataBuiltins, MatrixComposesAfterItsOwnTransform) {
    Vm t;
    const Value ctor = t.at("flash.geom.Matrix");
    const char* const six[] = {"a", "b", "c", "d", "tx", "ty"};
    auto all = [&](const Value& m) {
        std::string out;
        for (const char* n : six) out += t.vm.toString(t.vm.getMember(m, n)) + "/";
        return out;
    };
    struct Case {
        const char* method;
        std::vector<Value> args;
        const char* expected;
    };
    const Case cases[] = {
        {"scale", {7.0, 11.0}, "14/0/0/22/700/1100/"},
        {"translate", {7.0, 11.0}, "2/0/0/2/107/111/"},
        {"invert", {}, "0.5/0/0/0.5/-50/-50/"},
        {"createBox", {2.0, 3.0}, "NaN/NaN/NaN/NaN/0/0/"},  // the rotation is required
        {"createGradientBox", {200.0, 300.0}, "0.1220703125/0/0/0.18310546875/100/150/"},
    };
    for (const Case& c : cases) {
        const Value m = t.vm.construct(ctor, {2.0, 0.0, 0.0, 2.0, 100.0, 100.0});
        t.vm.callMethod(m, c.method, c.args);
        EXPECT_EQ(all(m), c.expected) << c.method;
    }
    const Value m = t.vm.construct(ctor, {2.0, 3.0, 5.0, 7.0, 11.0, 13.0});
    const Value p = t.vm.construct(t.at("flash.geom.Point"), {1.0, 1.0});
    EXPECT_EQ(t.vm.toString(t.vm.callMethod(m, "transformPoint", {p})), "(x=18, y=23)");
    EXPECT_EQ(t.vm.toString(t.vm.callMethod(m, "deltaTransformPoint", {p})), "(x=7, y=10)");
    t.vm.callMethod(m, "concat", {t.vm.construct(ctor, {})});
    EXPECT_EQ(t.vm.toString(m), "(a=2, b=3, c=5, d=7, tx=11, ty=13)");
    // A short argument list leaves the rest unset.
    EXPECT_EQ(all(t.vm.construct(ctor, {1.0, 2.0})),
              "1/2/undefined/undefined/undefined/undefined/");
}

TEST(Avm1DataBuiltins, NumberParsingFollowsThePlayer) {
    Vm t;
    auto call = [&](const char* fn, std::vector<Value> args) {
        return t.vm.toString(t.vm.call(t.at(fn), Value{}, args));
    };
    EXPECT_EQ(call("parseInt", {}), "undefined");
    EXPECT_EQ(call("parseInt", {Value("100"), Value{}}), "NaN");  // an undefined radix is 0
    EXPECT_EQ(call("parseInt", {Value("-0100")}), "-64");         // octal, sign and all
    EXPECT_EQ(call("parseInt", {Value("0x100"), 36.0}), "1296");  // the prefix goes anyway
    EXPECT_EQ(call("parseInt", {Value("-0x100"), 36.0}), "1540944");
    EXPECT_EQ(call("parseInt", {Value("-0x100")}), "NaN");
    EXPECT_EQ(call("parseInt", {Value("0x -100")}), "-256");
    EXPECT_EQ(call("parseFloat", {Value("1.2345.678")}), "1.2345678");
    EXPECT_EQ(call("parseFloat", {Value("1.2345.6e50")}), "1.23456");
    EXPECT_EQ(call("parseFloat", {Value("1e4294967297")}), "10");  // the exponent wraps
    EXPECT_EQ(call("parseFloat", {Value("10e-")}), "10");
    EXPECT_EQ(call("parseFloat", {Value(std::string(400, '0') + "1")}), "1");
    EXPECT_EQ(call("parseFloat", {Value("e10")}), "NaN");
}

TEST(Avm1DataBuiltins, FunctionsCarryThePlayersOwnMembers) {
    Vm t;
    const Value function = t.at("Function");
    for (const char* path : {"Object", "Function", "String.prototype.charAt", "Math.max"}) {
        Object* f = t.at(path).asObject();
        ASSERT_NE(f, nullptr) << path;
        const Property* ctor = f->findOwn("constructor");
        ASSERT_NE(ctor, nullptr) << path;
        EXPECT_EQ(ctor->value.asObject(), function.asObject()) << path;
        EXPECT_EQ(ctor->flags & (kDontEnum | kDontDelete), kDontEnum | kDontDelete) << path;
    }
    EXPECT_EQ(t.at("String.prototype.charAt").asObject()->findOwn("prototype"), nullptr);
    // The geometry classes are the player's script classes: their methods enumerate.
    EXPECT_EQ(t.at("flash.geom.Point.prototype").asObject()->findOwn("add")->flags, 0);
    EXPECT_EQ(t.at("Date.prototype.valueOf").asObject(), t.at("Date.prototype.getTime").asObject());
}

}  // namespace
}  // namespace saver::swf::avm1
