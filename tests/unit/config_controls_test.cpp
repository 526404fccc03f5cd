#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/ColorChoices.h"
#include "config/ConfigControls.h"
#include "config/ConfigDialogLayout.h"
#include "config/resource_config.h"

namespace saver {
namespace {

// --- settings -> controls -> settings -----------------------------------------------------

struct SequenceCase {
    int sequence;
    bool normalize, shuffle, intelli;
    int storedBack;  // what OK writes when the radios are left alone
};

class SequenceRadios : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SequenceRadios, ShowAndStoreTheSequence) {
    const SequenceCase& c = GetParam();
    SaverSetting s;
    s.FlashSequence = static_cast<std::uint8_t>(c.sequence);
    const ConfigControls controls = ControlsFromSetting(s);
    EXPECT_EQ(controls.FlashNormalizeRadio, c.normalize);
    EXPECT_EQ(controls.FlashShuffleRadio, c.shuffle);
    EXPECT_EQ(controls.IntelliRadio, c.intelli);
    StoreControls(controls, s);
    EXPECT_EQ(s.FlashSequence, c.storedBack);
}

INSTANTIATE_TEST_SUITE_P(Values, SequenceRadios,
                         ::testing::Values(SequenceCase{0, true, false, false, 0},
                                           SequenceCase{1, false, true, false, 1},
                                           SequenceCase{2, false, false, true, 2},
                                           // No radio checked: OK takes the last choice.
                                           SequenceCase{7, false, false, false, 2}));

struct ListCase {
    int size, quality;
    int sizeIndex, qualityIndex;
    int storedSize, storedQuality;
};

class FlashLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(FlashLists, IndexIsTheValueAndUnknownValuesSurvive) {
    const ListCase& c = GetParam();
    SaverSetting s;
    s.FlashSize = c.size;
    s.FlashQuality = c.quality;
    const ConfigControls controls = ControlsFromSetting(s);
    EXPECT_EQ(controls.FlashSizeIndex, c.sizeIndex);
    EXPECT_EQ(controls.FlashQualityIndex, c.qualityIndex);
    StoreControls(controls, s);
    EXPECT_EQ(s.FlashSize, c.storedSize);
    EXPECT_EQ(s.FlashQuality, c.storedQuality);
}

INSTANTIATE_TEST_SUITE_P(Values, FlashLists,
                         ::testing::Values(ListCase{0, 1, 0, 1, 0, 1}, ListCase{2, 3, 2, 3, 2, 3},
                                           ListCase{3, 4, -1, -1, 3, 4},
                                           ListCase{-1, -5, -1, -1, -1, -5}));

TEST(ConfigControls, ListItemsAreTheDesignedTexts) {
    EXPECT_EQ(FlashSizeItems(), (std::vector<std::string>{"Fullscreen", "Extact Fit", "Original"}));
    EXPECT_EQ(FlashQualityItems(),
              (std::vector<std::string>{"Low", "High", "Auto Low", "Auto High"}));
}

TEST(ConfigControls, EveryControlReachesItsField) {
    SaverSetting s;
    ConfigControls c = ControlsFromSetting(s);
    // Defaults as the dialog shows them.
    EXPECT_FALSE(c.MouseMoveCheck);
    EXPECT_TRUE(c.MousePressCheck);
    EXPECT_TRUE(c.KeyboardCheck);
    EXPECT_EQ(c.FlashDownloadTime, 20);
    // Flip every one and store.
    c = {false, true, false, 2, 0, 0x00FF8040, 4711, true, true, false, false, true, true};
    StoreControls(c, s);
    EXPECT_EQ(s.FlashSequence, 1);
    EXPECT_EQ(s.FlashSize, 2);
    EXPECT_EQ(s.FlashQuality, 0);
    EXPECT_EQ(s.FlashColor, 0x00FF8040);
    EXPECT_EQ(s.FlashDownloadTime, 4711);
    EXPECT_TRUE(s.FlashMute);
    EXPECT_TRUE(s.MouseMove);
    EXPECT_FALSE(s.MousePress);
    EXPECT_FALSE(s.KeyboardPress);
    EXPECT_TRUE(s.ShowCursor);
    EXPECT_TRUE(s.OnlyEscKeyExit);
}

TEST(ConfigControls, AllExitConditionsClearedAreStoredAsTheyStand) {
    SaverSetting s;
    ConfigControls c = ControlsFromSetting(s);
    c.MousePressCheck = c.KeyboardCheck = false;
    StoreControls(c, s);
    EXPECT_FALSE(s.MouseMove || s.MousePress || s.KeyboardPress || s.ShowCursor ||
                 s.OnlyEscKeyExit);
}

struct EnableCase {
    bool showCursor, esc, enabled;
};

TEST(ConfigControls, EnablingRuleOfTheExitChecks) {
    for (const EnableCase& c : {EnableCase{false, false, true}, EnableCase{true, false, false},
                                EnableCase{false, true, false}, EnableCase{true, true, false}}) {
        ConfigControls controls;
        controls.MouseMoveCheck = controls.MousePressCheck = controls.KeyboardCheck = true;
        controls.ShowCursorCheck = c.showCursor;
        controls.EscKeyCheck = c.esc;
        EXPECT_EQ(ExitChecksEnabled(controls), c.enabled) << c.showCursor << c.esc;
        // Greyed boxes keep their ticks, and OK stores them.
        SaverSetting s;
        StoreControls(controls, s);
        EXPECT_TRUE(s.MouseMove && s.MousePress && s.KeyboardPress);
    }
}

struct SpinCase {
    std::string text;
    int current, expected;
};

TEST(ConfigControls, DownloadTimeStaysInTheSpinRange) {
    for (const SpinCase& c :
         {SpinCase{"45", 20, 45}, SpinCase{" 10000 ", 20, 10000}, SpinCase{"10001", 20, 10000},
          SpinCase{"0", 20, 1}, SpinCase{"-3", 20, 1}, SpinCase{"", 33, 33},
          SpinCase{"abc", 33, 33}, SpinCase{"99999999999999999999999", 33, 33}})
        EXPECT_EQ(DownloadTimeFromText(c.text, c.current), c.expected) << "'" << c.text << "'";
    for (const auto& [stored, shown] :
         std::vector<std::pair<int, int>>{{0, 1}, {-7, 1}, {10000, 10000}, {50000, 10000}}) {
        SaverSetting s;
        s.FlashDownloadTime = stored;
        EXPECT_EQ(ControlsFromSetting(s).FlashDownloadTime, shown) << stored;
    }
}

// --- colour list ---------------------------------------------------------------------------

TEST(ColorChoices, StandardColoursAndACustomOneWhenNeeded) {
    const std::vector<NamedColor> standard = FlashColorChoices(0);
    ASSERT_EQ(standard.size(), 16u);
    EXPECT_EQ(standard.front().name, "Black");
    EXPECT_EQ(ColorIndexOf(standard, 0x0000FF), 9);  // Red: Windows colours are 0x00BBGGRR
    EXPECT_EQ(standard[ColorIndexOf(standard, 0xFFFFFF)].name, "White");
    std::set<std::int32_t> values;
    for (const NamedColor& c : standard) values.insert(c.value);
    EXPECT_EQ(values.size(), standard.size());

    const std::vector<NamedColor> custom = FlashColorChoices(0x123456);
    ASSERT_EQ(custom.size(), 17u);
    EXPECT_EQ(custom.back().name, "Custom");
    EXPECT_EQ(ColorIndexOf(custom, 0x123456), 16);
}

// --- layout --------------------------------------------------------------------------------

bool inside(const LayoutBox& b, int width, int height) {
    return b.x >= 0 && b.y >= 0 && b.right() <= width && b.bottom() <= height;
}

bool overlap(const LayoutBox& a, const LayoutBox& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

bool isGroup(int id) {
    return id == IDC_SEQUENCE_GROUP || id == IDC_FLASH_OPTIONS_GROUP || id == IDC_EXIT_GROUP;
}

TEST(ConfigLayout, EveryPageControlFitsItsPageWithoutOverlap) {
    for (int page : {IDD_PAGE_OPTIONS, IDD_PAGE_EXIT, IDD_PAGE_README}) {
        const std::vector<LayoutBox>& boxes = PageLayout(page);
        ASSERT_FALSE(boxes.empty()) << page;
        for (const LayoutBox& b : boxes) {
            EXPECT_TRUE(inside(b, configlayout::kPageWidth, configlayout::kPageHeight)) << b.id;
            for (const LayoutBox& other : boxes)
                if (&b != &other && !isGroup(b.id) && !isGroup(other.id))
                    EXPECT_FALSE(overlap(b, other)) << b.id << " " << other.id;
        }
    }
    EXPECT_TRUE(PageLayout(IDD_CONFIG_FORM).empty());
}

TEST(ConfigLayout, FormControlsFitTheClientAndTheHeader) {
    const LayoutBox header = configlayout::kHeaderBox;
    std::set<int> ids;
    for (const LayoutBox& b : FormLayout()) {
        ids.insert(b.id);
        EXPECT_TRUE(inside(b, configlayout::kClientWidth, configlayout::kClientHeight)) << b.id;
        const bool inHeader = b.id == IDC_TITLE_LABEL || b.id == IDC_AUTHOR_LABEL ||
                              b.id == IDC_WEBSITE_LABEL || b.id == IDC_BANNER_IMAGE;
        const bool within = b.x >= header.x && b.y >= header.y && b.right() <= header.right() &&
                            b.bottom() <= header.bottom();
        EXPECT_EQ(within, inHeader) << b.id;
        if (b.id == IDC_PAGE_CONTROL) EXPECT_GE(b.height, configlayout::kPageHeight);
    }
    EXPECT_EQ(ids.size(), FormLayout().size());
}

TEST(ConfigLayout, ScalingAndRightAlignment) {
    struct Case {
        int pixels, dpi, expected;
    };
    for (const Case& c : {Case{503, 96, 503}, Case{503, 144, 755}, Case{350, 120, 438},
                          Case{1, 144, 2}, Case{476, 192, 952}, Case{-3, 144, -5}})
        EXPECT_EQ(ScaleForDpi(c.pixels, c.dpi), c.expected) << c.pixels << "@" << c.dpi;
    EXPECT_EQ(RightAlignedLeft(100, 96), 376);
    EXPECT_EQ(RightAlignedLeft(150, 144), 714 - 150);
}

}  // namespace
}  // namespace saver
