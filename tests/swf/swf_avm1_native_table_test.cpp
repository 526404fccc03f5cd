// The numbered built-ins (ASnative, ASSetNative), strings as UTF-16 code units, and the XML
// document's attribute order and idMap.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "avm1_member_path.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"
#include "swf/avm1/StringUtil.h"

namespace saver::swf::avm1 {
namespace {

struct Vm {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Value at(const std::string& path) { return MemberPath(vm, vm.global(), path); }
    Value native(double table, double index) {
        return vm.call(at("ASnative"), Value{}, {table, index});
    }
};

TEST(Avm1NativeTable, NumbersNameFunctionsOfKnownTables) {
    Vm t;
    // Both numbers wrap to 32 bits; an index past 16 bits names nothing.
    EXPECT_EQ(t.vm.toString(t.vm.call(t.native(100, 0), Value{}, {Value("&")})), "%26");
    EXPECT_EQ(t.vm.toString(t.vm.call(t.native(100, 4294967296.0 + 1), Value{}, {Value("%26")})),
              "&");
    EXPECT_TRUE(t.vm.call(t.native(100, 65536.0 + 1), Value{}, {Value("%26")}).isUndefined());
    EXPECT_EQ(t.vm.toNumber(t.vm.call(t.native(200, 2), Value{}, {1.0, 3.0})), 3);
    // An unknown number of Math answers NaN, of another known table undefined; an unknown
    // table gives no function, and neither does a third argument.
    EXPECT_TRUE(std::isnan(t.vm.toNumber(t.vm.call(t.native(200, 50), Value{}, {}))));
    EXPECT_TRUE(t.vm.call(t.native(101, 50), Value{}, {}).isUndefined());
    EXPECT_TRUE(t.native(9999, 0).isUndefined());
    EXPECT_TRUE(t.vm.call(t.at("ASnative"), Value{}, {100.0, 0.0, 0.0}).isUndefined());
}

TEST(Avm1NativeTable, SetNativeNumbersTheNamesInOrder) {
    Vm t;
    Object* o = t.vm.newObject();
    o->put("c", 1.0);
    // Empty names use up their numbers; "7b" is hidden from movies before 7 (only on a name
    // the object did not have); "2c" keeps its digit, and c is set over.
    t.vm.call(t.at("ASSetNative"), Value{}, {o, 200.0, Value("a,,7b,c,2c")});
    EXPECT_EQ(t.vm.toNumber(t.vm.call(t.vm.getMember(o, "a"), Value{}, {-4.0})), 4);      // abs
    EXPECT_EQ(t.vm.toNumber(t.vm.call(t.vm.getMember(o, "b"), Value{}, {1.0, 3.0})), 3);  // max
    EXPECT_EQ(o->findOwn("b")->flags, 0x400);
    EXPECT_TRUE(t.vm.getMember(o, "c").isObject());
    EXPECT_EQ(o->findOwn("c")->flags, 0);
    EXPECT_NE(o->findOwn("2c"), nullptr);
    EXPECT_EQ(o->findOwn(""), nullptr);
}

TEST(Avm1StringUnits, CharactersPast0xFFFFCountTwoUnits) {
    const std::string emoji = "\xF0\x9F\x98\x8B";  // U+1F60B
    EXPECT_EQ(StringLength("a" + emoji, 6), 3u);
    EXPECT_EQ(StringExtract("a" + emoji, 1, 2, 6), emoji);  // the pair joins again
    // Half of a pair cut off reads as U+FFFD; a lone half made by code stays a unit.
    EXPECT_EQ(StringExtract(emoji, 0, 1, 6), "\xEF\xBF\xBD");
    EXPECT_EQ(StringExtract(emoji, 1, 1, 6), "\xEF\xBF\xBD");
    const std::string lone = CharFromCode(0xD804, 6);
    EXPECT_EQ(lone, "\xED\xA0\x84");
    EXPECT_EQ(StringLength(lone + "a", 6), 2u);
    EXPECT_EQ(CharCode(emoji, 6), 0xFFFD);
}

TEST(Avm1XmlDocument, AttributesKeepDocumentOrderAndIdsAreMapped) {
    Vm t;
    const Value doc = t.vm.construct(t.at("XML"), {Value("<a id=\"x\" b=\"1\"><c id=\"y\"/></a>")});
    EXPECT_EQ(t.vm.toString(doc), "<a id=\"x\" b=\"1\"><c id=\"y\" /></a>");
    const Value ids = t.vm.getMember(doc, "idMap");
    const Value a = t.vm.getMember(doc, "firstChild");
    EXPECT_EQ(t.vm.getMember(ids, "x").asObject(), a.asObject());
    EXPECT_EQ(t.vm.getMember(ids, "y").asObject(), t.vm.getMember(a, "firstChild").asObject());
}

}  // namespace
}  // namespace saver::swf::avm1
