#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigFormView.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using testing::SaverFixture;

// A runtime as start-up leaves it: program in C:\Savers, builder folder C:\Builder\.
struct FormFixture : SaverFixture {
    explicit FormFixture(bool payload = false) {
        rt.PayloadPresent = payload;
        rt.ProgramFilePath = "C:\\Savers\\Aqua.scr";
        rt.ProgramFolder = "C:\\Savers\\";
        rt.BuilderFolder = "C:\\Builder\\";
    }
};

TEST(ConfigFormView, CaptionTitleAndCredit) {
    FormFixture f;
    f.rt.Setting.ScrName = "Aquarium";
    ConfigFormView v = DescribeConfigForm(f.rt);
    EXPECT_EQ(v.caption, "Zivuv Eredo Setting - Aquarium");
    EXPECT_EQ(v.title, "Aquarium");
    EXPECT_TRUE(v.creditVisible);
    f.rt.Setting.HideKestroText = true;
    EXPECT_FALSE(DescribeConfigForm(f.rt).creditVisible);
    // The default name when the file gives none.
    f.rt.Setting = SaverSetting{};
    EXPECT_EQ(DescribeConfigForm(f.rt).caption, "Zivuv Eredo Setting - Screensaver Setting");
}

struct LabelCase {
    const char* name;
    std::string author, website, email;
    std::string authorText, websiteText, websiteHint, authorHint;
    bool authorIsLink, authorOnWebsiteRow;
};

class HeaderLabels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(HeaderLabels, TextsHintsAndLinks) {
    const LabelCase& c = GetParam();
    FormFixture f;
    f.rt.Setting.Author = c.author;
    f.rt.Setting.Website = c.website;
    f.rt.Setting.ScrEmail = c.email;
    const ConfigFormView v = DescribeConfigForm(f.rt);
    EXPECT_EQ(v.authorText, c.authorText);
    EXPECT_EQ(v.websiteText, c.websiteText);
    EXPECT_EQ(v.websiteHint, c.websiteHint);
    EXPECT_EQ(v.authorHint, c.authorHint);
    EXPECT_EQ(v.authorIsLink, c.authorIsLink);
    EXPECT_EQ(v.authorOnWebsiteRow, c.authorOnWebsiteRow);
}

const std::string kLongHost(120, 'h');

INSTANTIATE_TEST_SUITE_P(
    Rules, HeaderLabels,
    ::testing::Values(LabelCase{"SchemeDropped", "Ann", "http://www.aqua.example/", "", "Ann",
                                "www.aqua.example/", "http://www.aqua.example/", "", false, false},
                      LabelCase{"SchemeInCapitals", "Ann", "HTTP://AQUA.EXAMPLE", "", "Ann",
                                "AQUA.EXAMPLE", "HTTP://AQUA.EXAMPLE", "", false, false},
                      LabelCase{"OtherSchemeKept", "Ann", "https://aqua.example", "", "Ann",
                                "https://aqua.example", "https://aqua.example", "", false, false},
                      LabelCase{"ShownTextAtMost100", "", "http://" + kLongHost, "", "",
                                kLongHost.substr(0, 100), "http://" + kLongHost, "", false, false},
                      LabelCase{"EmailAndWebsite", "Ann", "www.aqua.example", "ann@aqua.example",
                                "Ann", "www.aqua.example", "www.aqua.example",
                                "mailto:ann@aqua.example", true, false},
                      LabelCase{"EmailOnly", "Ann", "", "ann@aqua.example", "Ann",
                                "ann@aqua.example", "mailto:ann@aqua.example", "", false, false},
                      LabelCase{"Neither", "Ann", "", "", "Ann", "", "", "", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct TabCase {
    const char* name;
    bool noUserSetting;
    std::string readme;
    std::vector<ConfigPage> tabs;
    ConfigPage active;
};

class Tabs : public ::testing::TestWithParam<TabCase> {};

TEST_P(Tabs, NoUserSettingHidesThePages) {
    const TabCase& c = GetParam();
    FormFixture f;
    f.rt.Setting.NoUserSetting = c.noUserSetting;
    if (!c.readme.empty()) f.drive.put("C:\\Builder\\readme.txt", c.readme);
    const ConfigFormView v = DescribeConfigForm(f.rt);
    EXPECT_EQ(v.tabs, c.tabs);
    EXPECT_EQ(v.activePage, c.active);
}

using P = ConfigPage;
INSTANTIATE_TEST_SUITE_P(
    Rules, Tabs,
    ::testing::Values(
        TabCase{"AllPages", false, "", {P::Options, P::ExitConditions, P::Readme}, P::Options},
        TabCase{"AllPagesWithReadme",
                false,
                "Hello",
                {P::Options, P::ExitConditions, P::Readme},
                P::Options},
        TabCase{"OnlyReadme", true, "Hello", {P::Readme}, P::Readme},
        TabCase{"NoTabAtAll", true, "", {}, P::Readme}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFormView, ReadmeOfTheBuilderWithoutPayload) {
    FormFixture f;
    EXPECT_EQ(DescribeConfigForm(f.rt).readme, "");
    f.drive.put("C:\\Builder\\readme.txt", "line 1\nline 2\r\nline 3\rend");
    EXPECT_EQ(DescribeConfigForm(f.rt).readme, "line 1\r\nline 2\r\nline 3\r\nend");
}

TEST(ConfigFormView, ReadmeOfThePayloadNotTheBuilders) {
    FormFixture f(true);
    f.drive.put("C:\\Builder\\readme.txt", "builder");
    // Not packed: nothing, and the builder's readme is not taken instead.
    EXPECT_EQ(DescribeConfigForm(f.rt).readme, "");
    // Extracted earlier into the workspace: used as is.
    f.drive.put(f.ws() + "readme.txt", "packed\n");
    EXPECT_EQ(DescribeConfigForm(f.rt).readme, "packed\r\n");
}

TEST(ConfigFormView, ReadmeTextForTheMemo) {
    EXPECT_EQ(ReadmeForMemo(std::string("a\0b\n\n\r\r\nc", 9)), "a b\r\n\r\n\r\n\r\nc");
    EXPECT_EQ(ReadmeForMemo("\r"), "\r\n");
    EXPECT_EQ(ReadmeForMemo(""), "");
}

struct WebCase {
    std::vector<std::string> list;
    bool visible;
};

TEST(ConfigFormView, DownloadTimeOnlyForWebMovies) {
    for (const WebCase& c : {WebCase{{}, false}, WebCase{{"a.swf", "(File) C:\\x\\b.swf"}, false},
                             WebCase{{"a.swf", "(URL) http://movies.example/a.swf"}, true},
                             WebCase{{"(URL) HTTP://MOVIES.EXAMPLE/A.SWF"}, true},
                             WebCase{{"(URL) https://movies.example/a.swf?x**1"}, true}}) {
        FormFixture f;
        f.rt.Setting.FlashList = c.list;
        EXPECT_EQ(DescribeConfigForm(f.rt).downloadTimeVisible, c.visible)
            << (c.list.empty() ? "" : c.list.back());
    }
}

struct BannerCase {
    const char* name;
    bool filePresent, useBanner, hideTitle;
    std::string tips, url;
    BannerState state;
    bool inFront, hand;
};

class Banner : public ::testing::TestWithParam<BannerCase> {};

TEST_P(Banner, Decisions) {
    const BannerCase& c = GetParam();
    FormFixture f;
    SaverSetting& s = f.rt.Setting;
    s.Build_UseBanner = c.useBanner;
    s.Build_HideTitle = c.hideTitle;
    s.Build_BannerTips = c.tips;
    s.Build_BannerURL = c.url;
    // Without a payload a bare name is looked up in the "sample" folder beside the program.
    if (c.filePresent) f.drive.put("C:\\Savers\\sample\\kestrobanner.jpg", "jpeg");
    const ConfigFormView v = DescribeConfigForm(f.rt);
    EXPECT_EQ(v.banner, c.state);
    EXPECT_EQ(v.bannerInFront, c.inFront);
    EXPECT_EQ(v.bannerHandCursor, c.hand);
    if (c.state == BannerState::Shown) {
        EXPECT_EQ(v.bannerPath, "C:\\Savers\\sample\\kestrobanner.jpg");
        EXPECT_EQ(v.bannerHint, c.tips);
    }
}

using B = BannerState;
INSTANTIATE_TEST_SUITE_P(Rules, Banner,
                         ::testing::Values(BannerCase{"NotFound", false, true, true, "t", "u",
                                                      B::AsDesigned, false, false},
                                           BannerCase{"SwitchedOff", true, false, true, "t", "u",
                                                      B::Hidden, false, false},
                                           BannerCase{"BehindTitle", true, true, false, "Tip", "",
                                                      B::Shown, false, false},
                                           BannerCase{"OverTitleWithLink", true, true, true, "Tip",
                                                      "www.aqua.example", B::Shown, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigFormView, ControlsComeFromTheSettings) {
    FormFixture f;
    f.rt.Setting.FlashQuality = 3;
    f.rt.Setting.OnlyEscKeyExit = true;
    const ConfigFormView v = DescribeConfigForm(f.rt);
    EXPECT_EQ(v.controls.FlashQualityIndex, 3);
    EXPECT_TRUE(v.controls.EscKeyCheck);
}

}  // namespace
}  // namespace saver
