#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/SaverPassword.h"
#include "payload/Runtime.h"
#include "platform/FakeServices.h"
#include "platform/PosixFileSystem_posix.h"

namespace saver {
namespace {

// Libraries that exist only as far as a test says; every call is recorded in order.
class FakeLibraries : public PasswordLibraries {
  public:
    std::string sysDir = "C:\\WINDOWS\\SYSTEM";
    bool verifyLoads = true;          // PASSWORD.CPL with its export
    int verifyResult = 1;             // what VerifyScreenSavePwd returns
    std::optional<int> changeResult;  // PwdChangePasswordA; nullopt = library or export missing
    bool throwOnCall = false;

    std::vector<std::string> calls;

    std::string systemDirectory() override { return sysDir; }
    std::optional<int> callVerifyScreenSavePwd(const std::string& path,
                                               WindowHandle owner) override {
        calls.push_back("verify " + path + " " + std::to_string(owner));
        if (throwOnCall) throw std::runtime_error("boom");
        if (!verifyLoads) return std::nullopt;
        return verifyResult;
    }
    std::optional<int> callPwdChangePassword(const std::string& path, const std::string& provider,
                                             WindowHandle parent) override {
        calls.push_back("change " + path + " " + provider + " " + std::to_string(parent));
        if (throwOnCall) throw std::runtime_error("boom");
        return changeResult;
    }
    void showCursor(bool show) override { calls.push_back(show ? "show" : "hide"); }
};

struct PasswordFixture {
    PosixFileSystem fs;
    FakeServices sys;
    Runtime rt{fs, sys};
    FakeLibraries libs;
};

enum class Reg { NoKey, NoValue, Zero, One, Big, Text, TextOne, Other };

void setRegistry(FakeServices& sys, Reg reg) {
    switch (reg) {
        case Reg::NoKey:
            return;
        case Reg::NoValue:
            sys.createKey(kPasswordKey);
            return;
        case Reg::Zero:
            sys.setDword(kPasswordKey, kPasswordValue, 0);
            return;
        case Reg::One:
            sys.setDword(kPasswordKey, kPasswordValue, 1);
            return;
        case Reg::Big:
            sys.setDword(kPasswordKey, kPasswordValue, 0x80000000u);
            return;
        case Reg::Text:
            sys.setString(kPasswordKey, kPasswordValue, "0");
            return;
        case Reg::TextOne:
            sys.setString(kPasswordKey, kPasswordValue, "1");
            return;
        case Reg::Other:
            sys.setValue(kPasswordKey, kPasswordValue, {RegType::Other, 0, ""});
            return;
    }
}

TEST(PasswordTest, VerifyDecisions) {
    const std::string verifyCall = "verify C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL 77";
    struct Case {
        const char* what;
        WindowHandle parent;
        bool runAsExe;
        Reg reg;
        bool loads;
        int result;
        bool expected;
        std::vector<std::string> calls;  // with handleCursor off
    };
    const Case cases[] = {
        {"parent window: no, nothing asked", 4711, false, Reg::One, true, 1, false, {}},
        {"parent window, no password: still no", 4711, false, Reg::NoKey, true, 1, false, {}},
        {"copy run as .exe ignores the parent", 4711, true, Reg::NoKey, true, 0, true, {}},
        {"no key", 0, false, Reg::NoKey, true, 0, true, {}},
        {"no value", 0, false, Reg::NoValue, true, 0, true, {}},
        {"DWORD 0", 0, false, Reg::Zero, true, 0, true, {}},
        {"string value", 0, false, Reg::Text, true, 0, true, {}},
        {"string \"1\" is still another type", 0, false, Reg::TextOne, true, 0, true, {}},
        {"value of another type", 0, false, Reg::Other, true, 0, true, {}},
        {"library or export missing", 0, false, Reg::One, false, 0, true, {verifyCall}},
        {"export says 0", 0, false, Reg::One, true, 0, false, {verifyCall}},
        {"export says 1", 0, false, Reg::One, true, 1, true, {verifyCall}},
        {"export says -1", 0, false, Reg::Big, true, -1, true, {verifyCall}},
        {"copy run as .exe asks too", 4711, true, Reg::One, true, 0, false, {verifyCall}},
    };
    for (const Case& c : cases) {
        PasswordFixture f;
        f.rt.ParentWindowHandle = c.parent;
        f.rt.RunAsExe = c.runAsExe;
        setRegistry(f.sys, c.reg);
        f.libs.verifyLoads = c.loads;
        f.libs.verifyResult = c.result;
        EXPECT_EQ(VerifySaverPassword(f.rt, f.libs, 77, false), c.expected) << c.what;
        EXPECT_EQ(f.libs.calls, c.calls) << c.what;
    }
}

TEST(PasswordTest, CursorShownAndHiddenOnlyAroundTheQuestion) {
    const std::string verifyCall = "verify C:\\WINDOWS\\SYSTEM\\PASSWORD.CPL 5";
    struct Case {
        const char* what;
        Reg reg;
        bool loads;
        bool throws;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"no password: cursor untouched", Reg::Zero, true, false, {}},
        {"asked", Reg::One, true, false, {"show", verifyCall, "hide"}},
        {"library missing: hidden again", Reg::One, false, false, {"show", verifyCall, "hide"}},
        {"call fails: hidden again", Reg::One, true, true, {"show", verifyCall, "hide"}},
    };
    for (const Case& c : cases) {
        PasswordFixture f;
        setRegistry(f.sys, c.reg);
        f.libs.verifyLoads = c.loads;
        f.libs.throwOnCall = c.throws;
        EXPECT_TRUE(VerifySaverPassword(f.rt, f.libs, 5, true)) << c.what;
        EXPECT_EQ(f.libs.calls, c.calls) << c.what;
    }
}

TEST(PasswordTest, SystemLibraryPath) {
    struct Case {
        std::string dir;
        std::string expected;
    };
    for (const Case& c : {Case{"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\MPR.DLL"},
                          Case{"C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\system32\\MPR.DLL"},
                          Case{"C:\\", "C:\\MPR.DLL"},
                          // Unknown system folder: never a bare name from the search path.
                          Case{"", ""}}) {
        EXPECT_EQ(SystemLibraryPath(c.dir, "MPR.DLL"), c.expected) << c.dir;
    }
}

TEST(PasswordTest, UnknownSystemFolderLoadsNothing) {
    PasswordFixture f;
    f.libs.sysDir = "";
    f.sys.setDword(kPasswordKey, kPasswordValue, 1);
    f.rt.ParentWindowHandle = 4711;
    f.rt.RunAsExe = true;
    EXPECT_TRUE(VerifySaverPassword(f.rt, f.libs, 1, true));
    EXPECT_EQ(ChangeSaverPassword(f.rt, f.libs), -1);
    EXPECT_EQ(f.libs.calls, (std::vector<std::string>{"show", "hide"}));
}

TEST(PasswordTest, ChangeResult) {
    struct Case {
        const char* what;
        std::optional<int> result;
        bool throws;
        int expected;
    };
    const Case cases[] = {
        {"called, 0", 0, false, 0},
        {"called, error code", 1223, false, 1223},
        {"not called", std::nullopt, false, -1},
        {"error swallowed", 0, true, -1},
    };
    for (const Case& c : cases) {
        PasswordFixture f;
        f.rt.RunMode = 5;
        f.rt.ParentWindowHandle = -12;
        f.libs.sysDir = "C:\\WINDOWS\\system32\\";
        f.libs.changeResult = c.result;
        f.libs.throwOnCall = c.throws;
        EXPECT_EQ(ChangeSaverPassword(f.rt, f.libs), c.expected) << c.what;
        EXPECT_EQ(f.libs.calls,
                  (std::vector<std::string>{"change C:\\WINDOWS\\system32\\MPR.DLL SCRSAVE -12"}))
            << c.what;
    }
}

}  // namespace
}  // namespace saver
