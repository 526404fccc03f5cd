// The interpreter on hand-assembled action blocks: control flow and functions the compilers
// emit, the limits that keep a hostile script harmless, and garbage that must be freed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"
#include "swf/avm1/NullInterpreterHost.h"

namespace saver::swf::avm1 {
namespace {

struct RecordingHost : NullInterpreterHost {
    std::string out;
    void trace(const std::string& line) override { out += line + "\n"; }
    void warning(const std::string& text) override { out += "W:" + text + "\n"; }
};

// A tiny assembler for the records the tests need.
struct Asm {
    std::vector<std::uint8_t> b;
    Asm& op(std::uint8_t code) {
        b.push_back(code);
        return *this;
    }
    Asm& rec(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
        b.push_back(code);
        b.push_back(static_cast<std::uint8_t>(payload.size()));
        b.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
        b.insert(b.end(), payload.begin(), payload.end());
        return *this;
    }
    static std::vector<std::uint8_t> str(const std::string& s) {
        std::vector<std::uint8_t> v(s.begin(), s.end());
        v.push_back(0);
        return v;
    }
    Asm& pushStr(const std::string& s) {
        auto p = str(s);
        p.insert(p.begin(), 0);
        return rec(0x96, p);
    }
    Asm& pushInt(std::int32_t n) {
        const auto u = static_cast<std::uint32_t>(n);
        return rec(0x96, {7, std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16),
                          std::uint8_t(u >> 24)});
    }
    Asm& pushReg(std::uint8_t r) { return rec(0x96, {4, r}); }
    Asm& pushNull() { return rec(0x96, {2}); }
    Asm& get(const std::string& name) { return pushStr(name).op(0x1C); }
    // function name() { body }
    Asm& function(const std::string& name, const Asm& body) {
        std::vector<std::uint8_t> def = str(name);
        def.insert(def.end(), {0, 0, std::uint8_t(body.size()), std::uint8_t(body.size() >> 8)});
        rec(0x9B, def);
        b.insert(b.end(), body.b.begin(), body.b.end());
        return *this;
    }
    Asm& trace() { return op(0x26); }
    Asm& jump(std::int16_t offset, std::uint8_t code = 0x99) {
        return rec(code, {std::uint8_t(offset), std::uint8_t(offset >> 8)});
    }
    std::size_t size() const { return b.size(); }
};

std::string RunBlocks(const std::vector<std::uint8_t>& code, int version = 8, int frames = 1) {
    RecordingHost host;
    Interpreter vm(version, host);
    Object* clip = vm.newObject();
    for (int i = 0; i < frames; ++i) {
        vm.runBlock(code, clip);
        vm.endFrame({clip});
    }
    return host.out;
}

TEST(Avm1Interpreter, RunsWhatCompilersEmit) {
    // i = 0; while (i < 3) { trace(i); i++; }  — a backward jump and a conditional branch
    Asm loop;
    loop.pushStr("i").pushInt(0).op(0x1D);
    const std::size_t top = loop.size();
    loop.pushStr("i").op(0x1C).pushInt(3).op(0x48).op(0x12);
    Asm body;
    body.pushStr("i").op(0x1C).trace().pushStr("i").pushStr("i").op(0x1C).op(0x50).op(0x1D);
    loop.jump(static_cast<std::int16_t>(body.size() + 5), 0x9D);
    loop.b.insert(loop.b.end(), body.b.begin(), body.b.end());
    loop.jump(static_cast<std::int16_t>(top) - static_cast<std::int16_t>(loop.size() + 5));

    // function f(a) in DefineFunction2: `this` preloaded into r1, a into r2; returns a + 1
    Asm fbody;
    fbody.pushReg(2).pushInt(1).op(0x47).op(0x3E);
    std::vector<std::uint8_t> f2 = Asm::str("f");
    f2.insert(f2.end(), {1, 0, 3, 0x01, 0x00, 2});  // 1 param, 3 registers, PreloadThis
    auto pname = Asm::str("a");
    f2.insert(f2.end(), pname.begin(), pname.end());
    f2.push_back(static_cast<std::uint8_t>(fbody.size()));
    f2.push_back(0);
    Asm call;
    call.rec(0x8E, f2);
    call.b.insert(call.b.end(), fbody.b.begin(), fbody.b.end());
    call.pushInt(41).pushInt(1).pushStr("f").op(0x3D).trace();

    // try { throw "x" } catch (e) { trace(e) } finally { trace("fin") }
    Asm tryBody, catchBody, finallyBody;
    tryBody.pushStr("x").op(0x2A);
    catchBody.pushStr("e").op(0x1C).trace();
    finallyBody.pushStr("fin").trace();
    std::vector<std::uint8_t> t = {
        3, std::uint8_t(tryBody.size()),     0, std::uint8_t(catchBody.size()),
        0, std::uint8_t(finallyBody.size()), 0};
    const auto e = Asm::str("e");
    t.insert(t.end(), e.begin(), e.end());
    Asm tryAsm;
    tryAsm.rec(0x8F, t);
    for (const Asm* part : {&tryBody, &catchBody, &finallyBody})
        tryAsm.b.insert(tryAsm.b.end(), part->b.begin(), part->b.end());

    // ConstantPool then a push of entry 1
    Asm pool;
    std::vector<std::uint8_t> cp = {2, 0};
    for (const char* s : {"zero", "one"}) {
        const auto v = Asm::str(s);
        cp.insert(cp.end(), v.begin(), v.end());
    }
    pool.rec(0x88, cp).rec(0x96, {8, 1}).trace();

    const struct {
        const char* name;
        std::vector<std::uint8_t> code;
        const char* out;
    } cases[] = {
        {"loop", loop.b, "0\n1\n2\n"},
        {"DefineFunction2", call.b, "42\n"},
        {"try/catch/finally", tryAsm.b, "x\nfin\n"},
        {"constant pool", pool.b, "one\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(RunBlocks(c.code), c.out) << c.name;
}

// Defines `f` (DefineFunction2 with `registers` registers and no flags) and calls it.
Asm CallFunction2(const Asm& body, std::uint8_t registers) {
    std::vector<std::uint8_t> f2 = Asm::str("f");
    f2.insert(f2.end(), {0, 0, registers, 0, 0, std::uint8_t(body.size()), 0});
    Asm a;
    a.rec(0x8E, f2);
    a.b.insert(a.b.end(), body.b.begin(), body.b.end());
    a.pushInt(0).pushStr("f").op(0x3D).op(0x17);
    return a;
}

TEST(Avm1Interpreter, VersionRulesOfNamesRegistersAndFunctionBodies) {
    // this = "t"; trace(this)
    Asm rebind;
    rebind.pushStr("this").pushStr("t").op(0x1D).pushStr("this").op(0x1C).trace();
    // A function of one register reads r3: the global one from players after version 10.
    Asm readR3;
    readR3.pushReg(3).trace();
    Asm underflow;
    underflow.pushStr("g").rec(0x87, {3}).op(0x17);
    const Asm call = CallFunction2(readR3, 1);
    underflow.b.insert(underflow.b.end(), call.b.begin(), call.b.end());
    // trace(1 == 1) with the SWF 4 Equals, at frame level and in a function body
    Asm equals;
    equals.pushInt(1).pushInt(1).op(0x0E).trace();
    Asm swf4 = equals;
    std::vector<std::uint8_t> f1 = Asm::str("f");
    f1.insert(f1.end(), {0, 0, std::uint8_t(equals.size()), 0});
    swf4.rec(0x9B, f1);
    swf4.b.insert(swf4.b.end(), equals.b.begin(), equals.b.end());
    swf4.pushInt(0).pushStr("f").op(0x3D).op(0x17);
    // trace(this): a plain (unset) variable in SWF 4
    Asm thisName;
    thisName.get("this").trace();
    // function B() { trace("B"); } _global.String = B; trace("ab".length)
    Asm traceB;
    traceB.pushStr("B").trace();
    Asm boxed;
    boxed.function("B", traceB).get("_global").pushStr("String").get("B").op(0x4F);
    boxed.pushStr("ab").pushStr("length").op(0x4E).trace();

    const struct {
        const char* name;
        std::vector<std::uint8_t> code;
        int version;
        const char* out;
    } cases[] = {
        {"this rebound", rebind.b, 6, "t\n"},
        {"register past the count, SWF 10", underflow.b, 10, "undefined\n"},
        {"register past the count, SWF 11", underflow.b, 11, "g\n"},
        {"SWF 4 function body", swf4.b, 4, "1\ntrue\n"},
        {"this in SWF 4", thisName.b, 4, "undefined\n"},
        {"this in SWF 5", thisName.b, 5, "[object Object]\n"},
        {"strings boxed by _global.String", boxed.b, 6, "B\nundefined\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(RunBlocks(c.code, c.version), c.out) << c.name;
}

TEST(Avm1Interpreter, LimitsStopScriptsAndTheMovieGoesOn) {
    // function r() { r(); } r(); trace("after")  — recursion ends at the call limit
    Asm body;
    body.pushInt(0).pushStr("r").op(0x3D);
    std::vector<std::uint8_t> def = Asm::str("r");
    def.insert(def.end(), {0, 0, std::uint8_t(body.size()), 0});
    Asm recurse;
    recurse.rec(0x9B, def);
    recurse.b.insert(recurse.b.end(), body.b.begin(), body.b.end());
    recurse.pushInt(0).pushStr("r").op(0x3D).op(0x17).pushStr("after").trace();
    EXPECT_EQ(RunBlocks(recurse.b), "");  // the block is stopped, nothing crashes

    // trace("f"); for (;;) {}  — stopped by the budget every frame; each frame starts again
    Asm spin;
    spin.pushStr("f").trace().jump(-5);
    RecordingHost host;
    Interpreter vm(8, host);
    vm.setBudget(10'000, std::chrono::milliseconds(1000));
    Object* clip = vm.newObject();
    for (int i = 0; i < 3; ++i) {
        vm.runBlock(spin.b, clip);
        vm.endFrame({clip});
    }
    EXPECT_EQ(host.out, "f\nf\nf\n");

    // s = "xx"; for (;;) s = s + s;  — stopped by the memory budget, not by the machine
    Asm grow;
    grow.pushStr("f").trace().pushStr("s").pushStr("xx").op(0x1D);
    const std::size_t top = grow.size();
    grow.pushStr("s").pushStr("s").op(0x1C).pushStr("s").op(0x1C).op(0x47).op(0x1D);
    grow.jump(static_cast<std::int16_t>(top) - static_cast<std::int16_t>(grow.size() + 5));
    EXPECT_EQ(RunBlocks(grow.b, 8, 2), "f\nf\n");
}

TEST(Avm1Interpreter, GarbageCyclesAreFreed) {
    // a = {}; a.self = a; b = [a]; delete a; delete b — every frame makes a fresh cycle
    Asm code;
    code.pushStr("a").pushInt(0).op(0x43).op(0x1D);
    code.pushStr("a").op(0x1C).pushStr("self").pushStr("a").op(0x1C).op(0x4F);
    code.pushStr("b").pushStr("a").op(0x1C).pushInt(1).op(0x42).op(0x1D);
    code.pushStr("a").op(0x3B).op(0x17).pushStr("b").op(0x3B).op(0x17);
    RecordingHost host;
    Interpreter vm(8, host);
    Object* clip = vm.newObject();
    vm.endFrame({clip});
    const std::size_t baseline = vm.heap().size();
    for (int i = 0; i < 50; ++i) {
        vm.runBlock(code.b, clip);
        vm.endFrame({clip});
    }
    EXPECT_EQ(vm.heap().size(), baseline);
}

TEST(Avm1Interpreter, PathsNameMembersOfObjectsOnTheScopeChain) {
    Asm code;
    code.pushStr("o").pushInt(0).op(0x43).op(0x1D);               // o = {}
    code.pushStr("o.a").pushStr("A").op(0x1D);                    // set "o.a"
    code.get("o:a").trace();                                      // A
    code.pushStr("o.a").op(0x3B).trace();                         // Delete2 "o.a": true
    code.get("o.a").trace();                                      // undefined
    code.pushStr("s").pushStr("text").op(0x1D);                   // a primitive on the way
    code.pushStr("s.y").op(0x3B).trace();                         // the player's note, false
    code.pushStr("b").pushStr("a").pushInt(-1).op(0x42).trace();  // a bad count takes nothing
    code.trace().trace();
    EXPECT_EQ(RunBlocks(code.b),
              "A\ntrue\nundefined\nParameters of primitive types are no longer coerced into "
              "the required type - Object.\nfalse\nundefined\na\nb\n");
}

TEST(Avm1Interpreter, UncaughtThrowsAndRunawayAccessors) {
    // throw "Oh no!"; trace("hidden")  — then the next block runs
    Asm thrower;
    thrower.pushStr("Oh no!").op(0x2A).pushStr("hidden").trace();
    Asm next;
    next.pushStr("next").trace();
    RecordingHost host;
    Interpreter vm(8, host);
    Object* clip = vm.newObject();
    vm.runBlock(thrower.b, clip);
    vm.runBlock(next.b, clip);
    EXPECT_EQ(host.out, "W:Uncaught exception, Oh no!\nnext\n");

    // o.addProperty("p", function g() { n++; return o.p; }, null); trace(o.p); trace(n)
    Asm getter;
    getter.pushStr("n").get("n").op(0x50).op(0x1D).get("o.p").op(0x3E);
    Asm code;
    code.function("g", getter).pushStr("n").pushInt(0).op(0x1D);
    code.pushStr("o").pushInt(0).op(0x43).op(0x1D);
    code.pushNull().get("g").pushStr("p").pushInt(3).get("o").pushStr("addProperty");
    code.op(0x52).op(0x17).get("o.p").trace().get("n").trace();
    EXPECT_EQ(RunBlocks(code.b), "undefined\n65\n");    // 65 nested reads, then the stored value
    EXPECT_EQ(RunBlocks(code.b, 6), "undefined\n1\n");  // SWF 6 never re-enters the getter
}

}  // namespace
}  // namespace saver::swf::avm1
