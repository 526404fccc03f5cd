// Built-in objects through the interpreter's own calls: XML parsing and writing with the
// player's status codes, Date arithmetic and text across time zones, and Rectangle methods on
// awkward values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "avm1_member_path.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"
#include "swf/avm1/XmlParser.h"

namespace saver::swf::avm1 {
namespace {

struct ZoneHost : NullInterpreterHost {
    double offsetMs = 0;
    double localTimeOffsetMs(double) override { return offsetMs; }
};

struct Vm {
    ZoneHost host;
    Interpreter vm{8, host};
    Value global(const std::string& path) { return MemberPath(vm, vm.global(), path); }
    std::string str(const Value& v) { return vm.toString(v); }
};

TEST(Avm1Builtins, XmlParsesWritesAndReportsErrors) {
    struct Case {
        const char* text;
        const char* written;
        int status;
    };
    const Case cases[] = {
        {"<a><b/></a>", "<a><b /></a>", 0},
        {"<a x='1' y=\"&lt;\">t&amp;</a>", "<a x=\"1\" y=\"&lt;\">t&amp;</a>", 0},
        {"<?xml v?><!DOCTYPE d><a/>", "<?xml v?><!DOCTYPE d><a />", 0},
        {"<a><![CDATA[<x>]]></a>", "<a>&lt;x&gt;</a>", 0},
        {"<a><!-- gone --></a>", "<a />", 0},
        {"<a/><?xml A", "<a />", -3},
        {"<a/><!DOCTYPE A", "<a />", -4},
        {"<a/><!-- b", "<a />", -5},
        {"<a A/><b/>", "", -6},
        {"<a A='x></a>", "", -8},
        {"<a>", "<a />", -9},
        {"<a><b></a><c/>", "<a><b /></a>", -9},
        {"<b><c/></a>", "<b><c /></b>", -10},
        {"<a/ ></a/>", "<a/ />", -10},
    };
    for (const Case& c : cases) {
        Vm t;
        const Value doc = t.vm.construct(t.global("XML"), {Value(c.text)});
        EXPECT_EQ(t.str(t.vm.callMethod(doc, "toString", {})), c.written) << c.text;
        EXPECT_EQ(t.vm.toNumber(t.vm.getMember(doc, "status")), c.status) << c.text;
    }
}

TEST(Avm1Builtins, XmlTreeMethodsKeepLinksAndChildNodesInStep) {
    Vm t;
    const Value doc = t.vm.construct(t.global("XML"), {Value("<r><a/><b/></r>")});
    const Value r = t.vm.getMember(doc, "firstChild");
    const Value a = t.vm.getMember(r, "firstChild");
    const Value b = t.vm.getMember(r, "lastChild");
    t.vm.callMethod(r, "insertBefore", {b, a});  // already a child: it stays where it is
    EXPECT_EQ(t.str(doc), "<r><a /><b /></r>");
    t.vm.callMethod(b, "removeNode", {});
    t.vm.callMethod(r, "insertBefore", {b, a});  // move b in front of a
    EXPECT_EQ(t.str(doc), "<r><b /><a /></r>");
    EXPECT_TRUE(t.vm.getMember(a, "previousSibling").sameAs(b));
    EXPECT_EQ(t.vm.toNumber(t.vm.getMember(t.vm.getMember(r, "childNodes"), "length")), 2);
    t.vm.callMethod(a, "appendChild", {r});  // an ancestor: refused
    EXPECT_EQ(t.str(doc), "<r><b /><a /></r>");
    t.vm.callMethod(b, "removeNode", {});
    EXPECT_TRUE(t.vm.getMember(b, "parentNode").isNull());
    EXPECT_EQ(t.vm.toNumber(t.vm.getMember(t.vm.getMember(r, "childNodes"), "length")), 1);
    const Value copy = t.vm.callMethod(r, "cloneNode", {Value(true)});
    EXPECT_EQ(t.str(copy), "<r><a /></r>");
    EXPECT_FALSE(t.vm.getMember(copy, "firstChild").sameAs(a));
}

TEST(Avm1Builtins, DateFieldsAndTextFollowTheTimeZone) {
    struct Case {
        double offsetMinutes;
        std::vector<Value> args;
        const char* text;
        double utcHours;
    };
    const Case cases[] = {
        {0, {2000, 8, 3}, "Sun Sep 3 00:00:00 GMT+0000 2000", 0},
        {345, {2001, 1, 3, 4, 5, 6}, "Sat Feb 3 04:05:06 GMT+0545 2001", 22},
        {-300, {99, 11, 31, 23}, "Fri Dec 31 23:00:00 GMT-0500 1999", 4},
        {0, {1969, 11, 31, 23, 59, 59, 500}, "Wed Dec 31 23:59:59 GMT+0000 1969", 23},
        {0, {2000, 13, 1}, "Thu Feb 1 00:00:00 GMT+0000 2001", 0},  // month past December
    };
    for (const Case& c : cases) {
        Vm t;
        t.host.offsetMs = c.offsetMinutes * 60'000;
        const Value d = t.vm.construct(t.global("Date"), c.args);
        EXPECT_EQ(t.str(d), c.text);
        EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(d, "getUTCHours", {})), c.utcHours) << c.text;
        EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(d, "getTimezoneOffset", {})), -c.offsetMinutes);
    }
    Vm t;
    const Value d = t.vm.construct(t.global("Date"), {Value(0.0)});
    EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(d, "setMonth", {1, 29})), 5097600000.0);  // Mar 1
    EXPECT_EQ(t.str(t.vm.callMethod(d, "setTime", {Value(8.65e15)})), "NaN");
    EXPECT_EQ(t.str(d), "Invalid Date");
    EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(d, "setFullYear", {1970})), 0);
}

TEST(Avm1Builtins, RectangleAnswersOnOddValues) {
    struct Case {
        std::vector<Value> rect;
        const char* method;
        std::vector<Value> args;
        const char* result;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, "contains", {5, 5}, "true"},
        {{0, 0, 10, 10}, "contains", {10, 5}, "false"},  // right edge is outside
        {{Value{}, 0, 10, 10}, "contains", {5, 5}, "undefined"},
        {{0, 0, 10, 10}, "intersection", {}, "(x=0, y=0, w=0, h=0)"},
        {{0, 0, 4, 4}, "isEmpty", {}, "false"},
        {{0, 0, 0, 4}, "isEmpty", {}, "true"},
        {{1, 2}, "toString", {}, "(x=1, y=2, w=undefined, h=undefined)"},
    };
    for (const Case& c : cases) {
        Vm t;
        const Value rect = t.global("flash.geom.Rectangle");
        const Value r = t.vm.construct(rect, c.rect);
        EXPECT_EQ(t.str(t.vm.callMethod(r, c.method, c.args)), c.result) << c.method;
    }
    Vm t;
    const Value rect = t.global("flash.geom.Rectangle");
    const Value a = t.vm.construct(rect, {0, 0, 10, 10});
    const Value b = t.vm.construct(rect, {5, 5, 10, 10});
    EXPECT_EQ(t.str(t.vm.callMethod(a, "intersection", {b})), "(x=5, y=5, w=5, h=5)");
    EXPECT_EQ(t.str(t.vm.callMethod(a, "union", {b})), "(x=0, y=0, w=15, h=15)");
    t.vm.setMember(a, "left", 4);
    EXPECT_EQ(t.str(a), "(x=4, y=0, w=6, h=10)");
}

TEST(Avm1Builtins, XmlEntitiesRoundTrip) {
    EXPECT_EQ(XmlEscape("<a href=\"x\">'&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&apos;&amp;&apos;&lt;/a&gt;");
    EXPECT_EQ(XmlUnescape("&lt;&gt;&amp;&quot;&apos;&nbsp;&"), "<>&\"'&nbsp;&");
}

TEST(Avm1Builtins, LoadsFailAsAMissingFileAndSharedObjectsLastTheRun) {
    Vm t;
    // load() answers on the next timer pass: onData(undefined), then onLoad(false).
    const Value lv = t.vm.construct(t.global("LoadVars"), {});
    EXPECT_EQ(t.str(t.vm.callMethod(lv, "load", {Value("vars.txt")})), "true");
    t.vm.setMember(lv, "onLoad", t.global("String"));  // records its argument as text
    const Value xml = t.vm.construct(t.global("XML"), {});
    t.vm.callMethod(xml, "load", {Value("a.xml")});
    t.vm.runTimers(1);
    EXPECT_EQ(t.str(t.vm.getMember(lv, "loaded")), "false");
    EXPECT_TRUE(t.vm.timers.empty());

    t.vm.callMethod(lv, "decode", {Value("a=1&b%20c=x%26y&=skip")});
    EXPECT_EQ(t.str(t.vm.getMember(lv, "b c")), "x&y");
    EXPECT_TRUE(t.vm.getMember(lv, "").isUndefined());

    const Value so = t.global("SharedObject");
    const Value a = t.vm.callMethod(so, "getLocal", {Value("prefs")});
    t.vm.setMember(t.vm.getMember(a, "data"), "n", 3);
    const Value again = t.vm.callMethod(so, "getLocal", {Value("prefs")});
    EXPECT_TRUE(again.sameAs(a));
    EXPECT_EQ(t.str(t.vm.getMember(t.vm.getMember(again, "data"), "n")), "3");
    EXPECT_TRUE(t.vm.callMethod(so, "getLocal", {Value("")}).isNull());

    const std::string version = t.str(t.vm.callMethod(t.vm.global(), "getVersion", {}));
    EXPECT_EQ(t.str(t.global("System.capabilities.version")), version);
    EXPECT_EQ(t.str(t.global("$version")), version);
}

}  // namespace
}  // namespace saver::swf::avm1
