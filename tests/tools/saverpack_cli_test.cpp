#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "CliSandbox.h"
#include "payload/PayloadLocator.h"
#include "payload_test_support.h"

namespace saver {
namespace {

namespace fs = std::filesystem;
using testing::Filler;
using testing::Outcome;

// A scratch folder with the inputs of a screensaver; saverpack runs inside it with TMPDIR
// pointing at a folder of its own, so leftovers of `inspect` would show.
class Cli : public ::testing::Test, public testing::CliSandbox {
  protected:
    void SetUp() override {
        put("runtime.scr", Filler(200000));
        put("set.ini", "[Set]\r\nScrName=Aqua\r\n[Flash]\r\nsc2.swf=1\r\n(Resource) x.xml=1\r\n");
        put("sc2.swf", "CWS" + std::string(5000, 'm'));
        put("x.xml", "<x/>");
    }
};

const char kBuild[] =
    "build --runtime runtime.scr --settings set.ini --item sc2.swf --item x.xml:zip -o Aqua.scr";

TEST_F(Cli, BuildThenInspectRoundTrip) {
    const Outcome b = run(kBuild);
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(b.err, "");

    const Outcome i = run("inspect Aqua.scr --json --resolve");
    ASSERT_EQ(i.status, 0) << i.err;
    const auto r = nlohmann::json::parse(i.out);
    EXPECT_EQ(r["payload_present"], true);
    EXPECT_EQ(r["settings_member"], "Aqua.002");
    EXPECT_EQ(r["settings"]["ScrName"], "Aqua");
    EXPECT_EQ(r["lists"]["FlashList"], nlohmann::json::parse(R"(["sc2.swf"])"));
    ASSERT_EQ(r["resolved"].size(), 1u);
    EXPECT_EQ(r["resolved"][0]["ok"], true);
    bool movie = false, aux = false;
    for (const auto& w : r["workspace"]) {
        movie = movie || (w["name"] == "sc2.swf" && w["size"] == 5003);
        aux = aux || (w["name"] == "x.xml" && w["size"] == 4);
    }
    EXPECT_TRUE(movie && aux) << r["workspace"].dump();
    EXPECT_TRUE(tmpEmpty());  // the temporary workspace went with the run

    fs::copy_file(dir("Aqua.scr"), dir("Aqua.Exe"));
    const Outcome exe = run("inspect Aqua.Exe --json");
    ASSERT_EQ(exe.status, 0) << exe.err;
    EXPECT_EQ(nlohmann::json::parse(exe.out)["run_as_exe"], true);

    const Outcome summary = run("inspect Aqua.scr");
    EXPECT_EQ(summary.status, 0);
    EXPECT_NE(summary.out.find("Aqua.002"), std::string::npos) << summary.out;
}

struct ExitCase {
    const char* label;
    std::string args;
    int status;
    std::string errHas;  // text the error output must contain
};

TEST_F(Cli, ExitStatus) {
    put("bad.scr", Filler(1000) + PayloadMarker() + "Bad.002**not an archive");
    put("marked.scr", Filler(1000) + PayloadMarker());
    const std::vector<ExitCase> cases = {
        {"help", "--help", 0, ""},
        {"no command", "", 1, "usage"},
        {"unknown command", "pack", 1, "unknown command"},
        {"inspect: missing file", "inspect nothere.scr", 1, "nothere.scr"},
        {"inspect: a folder", "inspect tmp", 1, "tmp"},
        {"inspect: no file", "inspect --json", 1, "FILE"},
        {"inspect: damaged settings archive", "inspect bad.scr", 2, "Incomplete Zip File"},
        {"inspect: damaged, as json", "inspect bad.scr --json", 2, "Incomplete Zip File"},
        {"inspect: bare runtime", "inspect runtime.scr --json", 0, ""},
        {"build: runtime missing", "build --settings set.ini -o o.scr", 1, "--runtime"},
        {"build: unreadable item",
         "build --runtime runtime.scr --settings set.ini "
         "--item gone.swf -o o.scr",
         1, "gone.swf"},
        {"build: runtime with a marker", "build --runtime marked.scr --settings set.ini -o o.scr",
         1, "marker"},
        {"build: output over the runtime",
         "build --runtime runtime.scr --settings set.ini -o runtime.scr", 1, "input"},
        {"build: same item name twice",
         "build --runtime runtime.scr --settings set.ini "
         "--item sc2.swf --item other.swf=sc2.swf -o o.scr",
         1, ""},
        {"build: item nobody names warns",
         "build --runtime runtime.scr --settings set.ini --item sc2.swf --item x.xml "
         "--item set.ini=extra.ini -o o.scr",
         0, "no media entry of the settings file names item \"extra.ini\""},
        {"build: entry without an item warns",
         "build --runtime runtime.scr --settings set.ini --item x.xml -o o.scr", 0,
         "media entry \"sc2.swf\" has no packed item"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        if (c.status == 1 && c.args.rfind("build", 0) == 0) EXPECT_FALSE(fs::exists(dir("o.scr")));
    }
    EXPECT_EQ(slurp("runtime.scr").size(), 200000u);
    EXPECT_TRUE(tmpEmpty());
}

}  // namespace
}  // namespace saver
