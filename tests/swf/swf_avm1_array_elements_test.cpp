// Arrays keep their elements as ordinary properties beside `length`: holes are missing
// properties, `length` may be written to anything (elements past it go), the methods work on
// any object that has a `length`, and they read stored values without asking accessors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avm1_member_path.h"
#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"
#include "swf/avm1/UnicodeCase.h"

namespace saver::swf::avm1 {
namespace {

struct Vm {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Value array(std::vector<Value> items) { return vm.newArray(std::move(items)); }
    std::string keys(const Value& o) {
        std::string out;
        o.asObject()->forEachOwn([&](const Property& p) {
            if (!(p.flags & kDontEnum)) out += p.name + ",";
        });
        return out;
    }
    bool own(const Value& o, const char* name) {
        return vm.toBool(vm.callMethod(o, "hasOwnProperty", {Value(name)}));
    }
};

TEST(Avm1ArrayElements, LengthAndElementsStayInStep) {
    struct Case {
        const char* name;
        double index;  // written with "x"
        const char* length;
        const char* keys;
    };
    // Each case starts from [1, 2, 3].
    const Case cases[] = {
        {"inside", 1, "3", "0,1,2,"},
        {"past the end leaves holes", 5, "6", "0,1,2,5,"},
        {"negative index", -5, "3", "0,1,2,-5,"},
        {"largest index wraps the length (and drops the rest)", 2147483647, "-2147483648",
         "2147483647,"},
        {"past 32 bits is a plain name", 2147483648.0, "3", "0,1,2,2147483648,"},
    };
    for (const Case& c : cases) {
        Vm t;
        const Value a = t.array({1.0, 2.0, 3.0});
        t.vm.setMember(a, t.vm.toString(c.index), Value("x"));
        EXPECT_EQ(t.vm.toString(t.vm.getMember(a, "length")), c.length) << c.name;
        EXPECT_EQ(t.keys(a), c.keys) << c.name;
    }
    Vm t;
    const Value a = t.array({1.0, 2.0, 3.0});
    t.vm.setMember(a, "length", 1.0);
    EXPECT_FALSE(t.own(a, "1"));
    t.vm.setMember(a, "length", 3.0);
    EXPECT_EQ(t.vm.toString(t.vm.callMethod(a, "join", {})), "1,undefined,undefined");
    EXPECT_FALSE(t.own(a, "2"));  // growing the length makes holes, not elements
    t.vm.setMember(a, "length", -1.0);
    EXPECT_EQ(t.vm.toString(t.vm.getMember(a, "length")), "-1");
    EXPECT_EQ(t.keys(a), "");
}

TEST(Avm1ArrayElements, MethodsMoveElementsAndHoles) {
    struct Case {
        const char* method;
        std::vector<Value> args;
        const char* result;
        const char* after;
    };
    // Each case starts from [a, b, <hole>, d]; a hole joins as undefined (SWF 7 and later).
    const Case cases[] = {
        {"push", {Value("e")}, "5", "a,b,undefined,d,e"},
        {"pop", {}, "d", "a,b,undefined"},
        {"shift", {}, "a", "b,undefined,d"},
        {"unshift", {Value("z")}, "5", "z,a,b,undefined,d"},
        {"reverse", {}, "d,undefined,b,a", "d,undefined,b,a"},
        {"splice", {1.0, 1.0}, "b", "a,undefined,d"},
        {"splice", {1.0, 0.0, Value("x"), Value("y")}, "", "a,x,y,b,undefined,d"},
        {"splice", {Value{}}, "undefined", "a,b,undefined,d"},
        {"slice", {-2.0}, "undefined,d", "a,b,undefined,d"},
    };
    for (const Case& c : cases) {
        Vm t;
        const Value a = t.array({Value("a"), Value("b")});
        t.vm.setMember(a, "3", Value("d"));  // index 2 stays a hole
        const Value r = t.vm.callMethod(a, c.method, c.args);
        EXPECT_EQ(t.vm.toString(r), c.result) << c.method;
        EXPECT_EQ(t.vm.toString(t.vm.callMethod(a, "join", {})), c.after) << c.method;
    }
}

TEST(Avm1ArrayElements, MethodsWorkOnPlainObjectsAndStoredValues) {
    Vm t;
    const Value o = t.vm.newObject();
    t.vm.setMember(o, "length", 1.0);
    const Value push = t.vm.getMember(
        t.vm.getMember(MemberPath(t.vm, t.vm.global(), "Array"), "prototype"), "push");
    EXPECT_EQ(t.vm.toNumber(t.vm.call(push, o, {Value("x")})), 2);
    EXPECT_EQ(t.vm.toString(t.vm.getMember(o, "1")), "x");
    // A getter on an element is passed over by the methods, which read the value stored.
    const Value a = t.array({1.0, 2.0, 3.0});
    const Value ten = t.vm.newFunction([](CallInfo&) { return Value(10.0); });
    t.vm.callMethod(a, "addProperty", {Value("2"), ten, Value(Null{})});
    EXPECT_EQ(t.vm.toNumber(t.vm.getMember(a, "2")), 10);
    EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(a, "pop", {})), 3);
}

TEST(Avm1ArrayElements, CaseMappingBeyondAscii) {
    EXPECT_EQ(MapUtf8Case("Ärger ǅ Σ", false), "ärger ǆ σ");
    EXPECT_EQ(MapUtf8Case("straße ǅ ſ", true), "STRAßE Ǆ S");
    EXPECT_EQ(MapUtf8Case("\xFF\xC3", true), "\xFF\xC3");  // broken UTF-8 is kept as it is
    EXPECT_EQ(FoldCase("CLIPÄǱ"), FoldCase("clipäǳ"));
}

}  // namespace
}  // namespace saver::swf::avm1
