// saverpack upgrade and extract from the command line: an old screensaver made on another
// runtime moves onto ours and comes out item for item the same; malformed files are refused
// without leaving anything behind; extract writes every part under the runtime's safe names.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "CliSandbox.h"
#include "payload/PayloadLocator.h"
#include "payload_test_support.h"

namespace saver {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::Filler;
using testing::Outcome;
using testing::PayloadTail;
using testing::ZipOf;

class UpgradeCli : public ::testing::Test, public testing::CliSandbox {
  protected:
    void SetUp() override {
        // The old runtime: other bytes, another size.
        std::string other(123457, '\0');
        for (std::size_t i = 0; i < other.size(); ++i) other[i] = static_cast<char>(i % 241);
        put("old-runtime.exe", other);
        put("flashsaver.scr", Filler(200000));
        put("set.ini",
            "[Set]\r\nScrName=Old One\r\nFlashQuality=3\r\n[Flash]\r\nsc2.swf=1\r\n"
            "C:\\movies\\a**b.swf=1\r\nzipped.swf=1\r\n(Resource) res.xml=1\r\n"
            "(External) data**1.bin=1\r\n");
        put("sc2.swf", "CWS" + std::string(5000, 'm'));
        put("ab.swf", "FWS" + std::string(300, 'b'));
        put("zipped.swf", "FWS" + std::string(900, 'z'));
        put("res.xml", "<x/>");
        put("data.bin", std::string(777, 'd'));
        put("extra.txt", "an extra member\r\n");
        const Outcome b =
            run("build --runtime old-runtime.exe --settings set.ini --name Old --item sc2.swf "
                "--item ab.swf=a**b.swf --item zipped.swf:zip --item res.xml:zip "
                "--item data.bin=data**1.bin --member extra.txt -o Old.scr");
        ASSERT_EQ(b.status, 0) << b.err;
    }
    json inspect(const std::string& file) {
        const Outcome r = run("inspect " + file + " --json --resolve");
        EXPECT_EQ(r.status, 0) << r.err;
        return json::parse(r.out, nullptr, false);
    }
    // Extracts `file` into a folder and returns every file there but the settings file.
    std::map<std::string, std::string> extracted(const std::string& file, const std::string& to) {
        const Outcome r = run("extract " + file + " " + to);
        EXPECT_EQ(r.status, 0) << r.err << r.out;
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(dir(to)))
            if (e.path().filename() != "Old.002")
                files[e.path().filename().string()] =
                    slurp(to + "/" + e.path().filename().string());
        return files;
    }
};

TEST_F(UpgradeCli, OldScreensaverMovesOntoOurRuntimeItemForItem) {
    const Outcome u = run("upgrade Old.scr -o New.scr --runtime flashsaver.scr");
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.out.find("positions moved by +76543"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("verified"), std::string::npos) << u.out;
    EXPECT_FALSE(fs::exists(dir("New.scr.upgrading~")));
    EXPECT_EQ(slurp("New.scr").substr(0, 200000), Filler(200000));

    const json before = inspect("Old.scr"), after = inspect("New.scr");
    EXPECT_EQ(after["settings"], before["settings"]);
    EXPECT_EQ(after["lists"], before["lists"]);
    ASSERT_EQ(after["resolved"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(after["resolved"][i]["entry"], before["resolved"][i]["entry"]);
        EXPECT_EQ(after["resolved"][i]["ok"], true) << after["resolved"][i].dump();
    }
    // Every extracted file alike, but the settings file and its archive copy, whose positions
    // moved.
    auto withoutSettings = [](json files) {
        json out = json::array();
        for (auto& f : files)
            if (f["name"] != "Old.002" && f["name"] != "Old.002~") out.push_back(f);
        return out;
    };
    EXPECT_EQ(withoutSettings(after["workspace"]), withoutSettings(before["workspace"]));
    EXPECT_EQ(after["workspace"].size(), before["workspace"].size());

    const auto old = extracted("Old.scr", "old-parts"), now = extracted("New.scr", "new-parts");
    EXPECT_EQ(now, old);
    for (const char* name :
         {"sc2.swf", "a=b.swf", "zipped.swf", "res.xml", "data=1.bin", "extra.txt"})
        EXPECT_EQ(now.count(name), 1u) << name;
    EXPECT_EQ(now.at("data=1.bin"), std::string(777, 'd'));
    EXPECT_TRUE(tmpEmpty());
}

TEST_F(UpgradeCli, SignedScreensaverIsReadAndUpgradedWithoutItsSignature) {
    // Code signing pads the file to 8 bytes and appends the certificate table behind the
    // payload; stand-in bytes do here, the Wine tests sign for real.
    const std::string old = slurp("Old.scr");
    const std::string signature = std::string((8 - old.size() % 8) % 8, '\0') +
                                  "\x10\x0b\0\0\0\x02\x02\0" + std::string(2824, '\x30');
    put("Signed.scr", old + signature);

    const json plain = inspect("Old.scr"), signed_ = inspect("Signed.scr");
    EXPECT_EQ(signed_["settings"], plain["settings"]);
    ASSERT_EQ(signed_["resolved"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(signed_["resolved"][i]["entry"], plain["resolved"][i]["entry"]);
        EXPECT_EQ(signed_["resolved"][i]["ok"], true) << signed_["resolved"][i].dump();
    }

    const Outcome u = run("upgrade Signed.scr -o New.scr --runtime flashsaver.scr");
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.out.find("dropped: " + std::to_string(signature.size()) + " bytes"),
              std::string::npos)
        << u.out;
    ASSERT_EQ(run("upgrade Old.scr -o Plain.scr --runtime flashsaver.scr").status, 0);
    EXPECT_EQ(slurp("New.scr"), slurp("Plain.scr"));
}

TEST_F(UpgradeCli, DefaultRuntimeIsTheOneBesideSaverpack) {
    fs::create_directories(dir("kit"));
    fs::copy_file(SAVERPACK_EXE, dir("kit/saverpack"));
    fs::permissions(dir("kit/saverpack"), fs::perms::owner_exec, fs::perm_options::add);
    const Outcome missing = run("upgrade Old.scr -o New.scr", dir("kit/saverpack"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("--runtime"), std::string::npos) << missing.err;

    fs::copy_file(dir("flashsaver.scr"), dir("kit/flashsaver.scr"));
    const Outcome u = run("upgrade Old.scr -o New.scr", dir("kit/saverpack"));
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(slurp("New.scr").substr(0, 200000), Filler(200000));
}

struct Refused {
    const char* label;
    std::string args;
    std::string errHas;
};

TEST_F(UpgradeCli, MalformedInputsAreRefusedAndLeaveNoOutput) {
    const std::string tail = [] {
        return PayloadTail("Bad.002", ZipOf({{"Bad.002",
                                              "[zippos]\r\na.swf_1=1000\r\na.swf_2=1100\r\n"
                                              "b.swf_1=1050\r\nb.swf_2=1200\r\n"}}));
    }();
    put("overlap.scr", Filler(1000) + std::string(200, 'x') + tail);
    put("outside.scr",
        Filler(1000) + std::string(200, 'x') +
            PayloadTail("Bad.002",
                        ZipOf({{"Bad.002", "[zippos]\r\na.swf_1=1000\r\na.swf_2=9999999\r\n"}})));
    put("marker.scr",
        Filler(1000) + std::string(200, 'x') +
            PayloadTail("Bad.002",
                        ZipOf({{"Bad.002", "[zippos]\r\na.swf_1=1000\r\na.swf_2=1204\r\n"}})));
    const std::vector<Refused> cases = {
        {"no payload", "upgrade old-runtime.exe -o New.scr --runtime flashsaver.scr", "no payload"},
        {"overlapping items", "upgrade overlap.scr -o New.scr --runtime flashsaver.scr", "overlap"},
        {"item outside the file", "upgrade outside.scr -o New.scr --runtime flashsaver.scr",
         "outside the file"},
        {"item inside the marker area", "upgrade marker.scr -o New.scr --runtime flashsaver.scr",
         "marker area"},
        {"a finished screensaver as runtime", "upgrade Old.scr -o New.scr --runtime Old.scr",
         "carries a payload marker"},
        {"output over the old file", "upgrade Old.scr -o Old.scr --runtime flashsaver.scr",
         "also an input"},
        {"runtime carrying a payload", "upgrade Old.scr -o New.scr --runtime overlap.scr",
         "carries a payload marker"},
        {"runtime missing", "upgrade Old.scr -o New.scr --runtime gone.scr", "gone.scr"},
        {"no -o", "upgrade Old.scr --runtime flashsaver.scr", "-o"},
        {"unknown option", "upgrade Old.scr -o New.scr --fast", "--fast"},
        {"extract: no payload", "extract flashsaver.scr New.scr", "no payload"},
        {"extract: one argument", "extract Old.scr", "usage"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.label);
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir("New.scr")));
        EXPECT_FALSE(fs::exists(dir("New.scr.upgrading~")));
    }
    EXPECT_TRUE(tmpEmpty());
}

TEST_F(UpgradeCli, ExtractUsesTheRuntimesSafeNames) {
    const std::string settings =
        "[zippos]\r\nCON_1=1000\r\nCON_2=1004\r\n"
        "z.zip_1=1004\r\nz.zip_2=" +
        std::to_string(1004 + ZipOf({{"../../up.txt", "u"}}).size()) + "\r\n[notzip]\r\nCON=1\r\n";
    const std::string zipped = ZipOf({{"../../up.txt", "u"}});
    put("odd.scr", Filler(1000) + "dev!" + zipped +
                       PayloadTail("Odd.002", ZipOf({{"Odd.002", settings},
                                                     {"sub/dir/inner.txt", "in"},
                                                     {"aux.txt", "device"}})));
    const Outcome r = run("extract odd.scr parts");
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.out.find("skipped item \"CON\": not a safe file name"), std::string::npos) << r.out;
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir("parts")))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"Odd.002", "inner.txt", "up.txt"}));
}

TEST_F(UpgradeCli, InspectReadsWellForAPerson) {
    const Outcome r = run("inspect Old.scr");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* has :
         {"finished screensaver", "runtime:  bytes 0..123457", "settings member \"Old.002\"",
          "FlashQuality = 3  (default 1)", "FlashList (3)", "packed items: 5", "a**b.swf  ",
          "resolves to a=b.swf (303 bytes)", "data**1.bin", "resolves to data=1.bin"})
        EXPECT_NE(r.out.find(has), std::string::npos) << has << "\n" << r.out;
    const Outcome bare = run("inspect flashsaver.scr");
    EXPECT_NE(bare.out.find("no payload"), std::string::npos) << bare.out;
    EXPECT_EQ(bare.out.find("packed items"), std::string::npos) << bare.out;
}

}  // namespace
}  // namespace saver
