#include <gtest/gtest.h>

#include <algorithm>

#include "InspectReport.h"
#include "app/Startup.h"
#include "payload/MediaLists.h"
#include "payload/PayloadBuilder.h"
#include "payload/SaverSetting.h"
#include "payload/SettingsFile.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using nlohmann::json;
using testing::Filler;
using testing::SaverFixture;

// A finished screensaver with text outside ASCII in its settings, lists and file names.
void BuildSaver(SaverFixture& f) {
    PayloadBuilder b(f.drive.fs);
    b.setRuntime(ByteSource::memory(Filler(30000)));
    b.setSettingsText(
        "[Set]\r\nScrName=Caf\xE9 \x80\r\nFlashSequence=0\r\nuseeffects=9,3,151,7,\r\n"
        "MouseMove=1\r\nFlashColor=255\r\n[Caption]\r\nPosition=4\r\n"
        "[Flash]\r\n\xE9t\xE9.swf=1\r\nmissing.swf=1\r\n(Resource) x.xml=1\r\n"
        "[Web]\r\n(URL) http://a/?q**1=1\r\n");
    b.setMemberName("Aqua.002");
    b.addItem({"\xE9t\xE9.swf", ByteSource::memory("CWS-movie"), true});
    b.addItem({"x.xml", ByteSource::memory("<x/>"), false});
    std::string bytes;
    b.buildToString(bytes);
    f.writeProgram(bytes);
}

std::vector<ResolvedEntry> ResolveAll(Runtime& rt) {
    std::vector<ResolvedEntry> out;
    for (const auto& e : rt.Setting.FlashList) {
        ResolvedEntry r{e, e, false};
        r.ok = ResolveMediaEntry(rt, r.path);
        out.push_back(r);
    }
    return out;
}

TEST(InspectReportTest, ShapeAndTypes) {
    SaverFixture f;
    BuildSaver(f);
    LocatePayload(f.rt);
    LoadEverything(f.rt);
    const json r = InspectReport(f.rt, true, ResolveAll(f.rt));

    std::vector<std::string> top;
    for (const auto& [k, v] : r.items()) top.push_back(k);
    EXPECT_EQ(top, (std::vector<std::string>{"lists", "payload_present", "resolved", "run_as_exe",
                                             "settings", "settings_member", "workspace"}));
    EXPECT_EQ(r["payload_present"], true);
    EXPECT_EQ(r["run_as_exe"], false);
    EXPECT_EQ(r["settings_member"], "Aqua.002");

    // Every key of the settings table, typed by its kind.
    const json& s = r["settings"];
    EXPECT_EQ(s.size(), SettingKeys().size());
    for (const SettingKey& key : SettingKeys()) {
        SCOPED_TRACE(key.name);
        ASSERT_TRUE(s.contains(key.name));
        switch (key.kind) {
            case SettingKind::Bool:
                EXPECT_TRUE(s[key.name].is_boolean());
                break;
            case SettingKind::Text:
                EXPECT_TRUE(s[key.name].is_string());
                break;
            case SettingKind::Effects:
                EXPECT_TRUE(s[key.name].is_array());
                break;
            default:
                EXPECT_TRUE(s[key.name].is_number_integer());
                break;
        }
    }
    EXPECT_EQ(s["useeffects"], json::parse("[3, 7, 9, 151]"));
    EXPECT_EQ(s["MouseMove"], true);
    EXPECT_EQ(s["FlashColor"], 255);
    EXPECT_EQ(s["Position"], 4);
    EXPECT_EQ(s["ScrName"], "Caf\u00E9 \u20AC");  // Windows-1252 0x80 is the euro sign

    const json& lists = r["lists"];
    EXPECT_EQ(lists.size(), 5u);
    for (const char* name : {"PictureList", "MusicList", "FlashList", "VideoList", "WebList"})
        EXPECT_TRUE(lists[name].is_array()) << name;
    EXPECT_EQ(lists["FlashList"], json::parse(R"(["\u00e9t\u00e9.swf", "missing.swf"])"));
    EXPECT_EQ(lists["WebList"], json::parse(R"(["(URL) http://a/?q**1"])"));

    // Files only, sorted, with their sizes; the resolved movie and the auxiliary file included.
    std::vector<std::string> names;
    for (const auto& w : r["workspace"]) {
        ASSERT_TRUE(w["name"].is_string());
        ASSERT_TRUE(w["size"].is_number_unsigned());
        names.push_back(w["name"]);
        if (w["name"] == "\u00E9t\u00E9.swf") EXPECT_EQ(w["size"], 9);
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "x.xml"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "tmp"), names.end());

    const json& res = r["resolved"];
    ASSERT_EQ(res.size(), 2u);
    EXPECT_EQ(res[0]["entry"], "\u00E9t\u00E9.swf");
    EXPECT_EQ(res[0]["path"], "C:\\TEMP\\Kestro\\\u00E9t\u00E9.swf");
    EXPECT_EQ(res[0]["ok"], true);
    EXPECT_EQ(res[1]["ok"], false);
}

TEST(InspectReportTest, BareRuntime) {
    SaverFixture f;
    f.writeProgram(Filler(30000));
    LocatePayload(f.rt);
    LoadEverything(f.rt);
    const json r = InspectReport(f.rt, false, {});
    EXPECT_EQ(r["payload_present"], false);
    EXPECT_TRUE(r["settings_member"].is_null());
    EXPECT_FALSE(r.contains("resolved"));
    EXPECT_TRUE(r["workspace"].empty());
    EXPECT_EQ(r["settings"]["FlashSequence"], 0);  // defaults
    EXPECT_EQ(r["settings"]["FontName"], "MS Sans Serif");
    EXPECT_EQ(r["settings"]["useeffects"].size(), ParseEffectList(DefaultEffectList).size());
}

}  // namespace
}  // namespace saver
