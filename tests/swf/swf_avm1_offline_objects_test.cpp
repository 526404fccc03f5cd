// The objects a screensaver only answers for (no page, network, dialog or printer): the
// ExternalInterface serialisers on awkward values, and the failures that arrive on the next
// timer pass rather than inside the call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avm1_member_path.h"
#include "swf/avm1/Interpreter.h"
#include "swf/avm1/LocalLoadPath.h"
#include "swf/avm1/NullInterpreterHost.h"

namespace saver::swf::avm1 {
namespace {

struct Vm {
    NullInterpreterHost host;
    Interpreter vm{8, host};
    Value global(const std::string& path) { return MemberPath(vm, vm.global(), path); }
    std::string str(const Value& v) { return vm.toString(v); }
};

TEST(Avm1OfflineObjects, ExternalInterfaceTextHelpers) {
    Vm t;
    const Value ei = t.global("flash.external.ExternalInterface");
    struct Case {
        const char* method;
        const char* in;
        const char* out;  // nullptr: null
    };
    const Case cases[] = {
        {"_escapeXML", "a<b>&'\"", "a&lt;b&gt;&amp;&apos;&quot;"},
        {"_escapeXML", "", nullptr},
        {"_unescapeXML", "&amp;gt;&lt;", "&gt;<"},  // one pass per entity, &amp; last
        {"_unescapeXML", "&LT;&#x20;", "&LT;&#x20;"},
        {"_jsQuoteString", "\\\"", "\\\\\""},
        {"_jsQuoteString", "", nullptr},
    };
    for (const Case& c : cases) {
        const Value r = t.vm.callMethod(ei, c.method, {Value(c.in)});
        if (!c.out)
            EXPECT_TRUE(r.isNull()) << c.method << " " << c.in;
        else
            EXPECT_EQ(t.str(r), c.out) << c.method << " " << c.in;
    }
    EXPECT_TRUE(t.vm.callMethod(ei, "_escapeXML", {}).isNull());
    EXPECT_EQ(t.str(t.vm.getMember(ei, "available")), "false");
    EXPECT_TRUE(t.vm.callMethod(ei, "call", {Value("f")}).isNull());
}

TEST(Avm1OfflineObjects, ExternalInterfaceToXmlAndBack) {
    Vm t;
    const Value ei = t.global("flash.external.ExternalInterface");
    Object* o = t.vm.newObject();
    o->put("s", Value("<"));
    o->put("self", o);  // a loop ends in <null/> past the depth limit, never a crash
    const std::string xml = t.str(t.vm.callMethod(ei, "_toXML", {o}));
    EXPECT_EQ(xml.rfind("<object><property id=\"self\"><object>", 0), 0u) << xml.substr(0, 80);
    EXPECT_NE(xml.find("<null/>"), std::string::npos);
    EXPECT_NE(xml.find("<string>&lt;</string>"), std::string::npos);

    const Value arr = t.vm.newArray({Value(1.5), Value(true), Value("")});
    EXPECT_EQ(t.str(t.vm.callMethod(ei, "_toXML", {arr})),
              "<array><property id=\"0\"><number>1.5</number></property><property id=\"1\">"
              "<true/></property><property id=\"2\"><string>null</string></property></array>");

    Object* node = t.vm.newObject();
    node->put("nodeName", Value("number"));
    node->put("firstChild", Value(" -2.5"));
    EXPECT_EQ(t.vm.toNumber(t.vm.callMethod(ei, "_toAS", {node})), -2.5);
    node->put("nodeName", Value("NULL"));
    EXPECT_TRUE(t.vm.callMethod(ei, "_toAS", {node}).isUndefined());
}

// Handlers log "tag:argument" (or the status code); nothing arrives inside the calls but the
// local connection's success.
TEST(Avm1OfflineObjects, FailuresArriveOnTheNextTimerPass) {
    Vm t;
    Object* log = t.vm.newArray();
    auto handler = [&](const char* tag) {
        Object* f = t.vm.newFunction([](CallInfo& c) -> Value {
            const Value code = c.arg(0).isObject() ? c.vm.getMember(c.arg(0), "code") : Value{};
            const std::string line = c.vm.toString(c.callee->bound[1]) + ":" +
                                     c.vm.toString(code.isUndefined() ? c.arg(0) : code);
            c.vm.callMethod(c.callee->bound[0], "push", {Value(line)});
            return Value{};
        });
        f->bound = {log, Value(tag)};
        return Value(f);
    };

    const Value socket = t.vm.construct(t.global("XMLSocket"), {});
    t.vm.setMember(socket, "onConnect", handler("socket"));
    EXPECT_EQ(t.str(t.vm.callMethod(socket, "connect", {Value("localhost"), Value(1024)})), "true");

    const Value file = t.vm.construct(t.global("flash.net.FileReference"), {});
    Object* listener = t.vm.newObject();
    listener->put("onCancel", handler("file"));
    t.vm.callMethod(file, "addListener", {listener});
    EXPECT_EQ(t.str(t.vm.callMethod(file, "browse", {})), "true");
    EXPECT_EQ(t.str(t.vm.callMethod(file, "browse", {})), "false");  // one dialog at a time
    EXPECT_EQ(t.str(t.vm.callMethod(file, "browse", {t.vm.newArray()})), "false");

    const Value conn = t.vm.construct(t.global("NetConnection"), {});
    t.vm.setMember(conn, "onStatus", handler("conn"));
    t.vm.callMethod(conn, "connect", {Value(Null{})});  // reported inside the call
    const Value stream = t.vm.construct(t.global("NetStream"), {conn});
    t.vm.setMember(stream, "onStatus", handler("stream"));
    t.vm.callMethod(stream, "play", {Value("a.flv")});
    EXPECT_EQ(t.str(log), "conn:NetConnection.Connect.Success");

    t.vm.runTimers(1);
    EXPECT_EQ(t.str(log),
              "conn:NetConnection.Connect.Success,socket:false,file:[object Object],"
              "stream:NetStream.Play.StreamNotFound");
    EXPECT_EQ(t.str(t.vm.callMethod(file, "browse", {})), "true");  // dismissed: may open again

    const Value lc1 = t.vm.construct(t.global("LocalConnection"), {});
    const Value lc2 = t.vm.construct(t.global("LocalConnection"), {});
    EXPECT_EQ(t.str(t.vm.callMethod(lc1, "connect", {Value("saver")})), "true");
    EXPECT_EQ(t.str(t.vm.callMethod(lc2, "connect", {Value("saver")})), "false");
    t.vm.callMethod(lc1, "close", {});
    EXPECT_EQ(t.str(t.vm.callMethod(lc2, "connect", {Value("saver")})), "true");
}

TEST(Avm1OfflineObjects, LoadsReadOnlyPlainNamesBesideTheMovie) {
    const char* const folder = "C:\\Temp\\Kestro\\";
    struct Case {
        const char* url;
        const char* path;  // nullptr: refused
    };
    const Case cases[] = {
        {"vars.txt", "C:\\Temp\\Kestro\\vars.txt"},
        {"data/a.xml?x=1", "C:\\Temp\\Kestro\\data\\a.xml"},
        {"../secret.txt", nullptr},
        {"a/./b", nullptr},
        {"/etc/passwd", nullptr},
        {"C:\\boot.ini", nullptr},
        {"http://example.com/v.txt", nullptr},
        {"file:///c:/v.txt", nullptr},
        {"", nullptr},
        {"a//b", nullptr},
    };
    for (const Case& c : cases) {
        const auto path = LocalLoadPath(folder, c.url);
        if (!c.path)
            EXPECT_FALSE(path) << c.url;
        else
            EXPECT_EQ(path.value_or("(none)"), c.path) << c.url;
    }

    // A file that is there arrives (its byte order mark dropped) on the next timer pass.
    Vm t;
    t.vm.loadFile = [](const std::string& url, std::string& contents) {
        if (url != "vars.txt") return false;
        contents =
            "\xEF\xBB\xBF"
            "a=1&b=two";
        return true;
    };
    const Value lv = t.vm.construct(t.global("LoadVars"), {});
    const Value missing = t.vm.construct(t.global("LoadVars"), {});
    t.vm.callMethod(lv, "load", {Value("vars.txt")});
    t.vm.callMethod(missing, "load", {Value("none.txt")});
    EXPECT_TRUE(t.vm.getMember(lv, "a").isUndefined());
    t.vm.runTimers(1);
    EXPECT_EQ(t.str(t.vm.getMember(lv, "a")), "1");
    EXPECT_EQ(t.str(t.vm.getMember(lv, "b")), "two");
    EXPECT_EQ(t.str(t.vm.getMember(lv, "loaded")), "true");
    EXPECT_EQ(t.str(t.vm.getMember(missing, "loaded")), "false");
}

}  // namespace
}  // namespace saver::swf::avm1
