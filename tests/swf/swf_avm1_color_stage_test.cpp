// Color keeps a clip's colour transform in the player's 16-bit fields, and the Stage object
// normalises what scripts write into align, scaleMode and displayState.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf_avm1_clip_run.h"

namespace saver::swf::test {
namespace {

using avm1::Value;

TEST(SwfColorStage, ColorWrapsItsFieldsAt16Bits) {
    ClipRun run;
    avm1::Interpreter& vm = run.vm();
    const Value color = vm.construct(run.global("Color"), {run.object});
    ASSERT_TRUE(color.asObject());
    EXPECT_EQ(vm.getMember(color, "target").asObject(), run.object);

    struct Case {
        double given;  // ra and rb as written
        double mul;    // the multiplier kept (8.8 fixed point, wrapped)
        double add;    // the offset kept (wrapped)
    } const cases[] = {
        {50, 0.5, 50},
        {99999, static_cast<std::int16_t>(255997 & 0xFFFF) / 256.0,
         static_cast<std::int16_t>(99999 & 0xFFFF)},
        {-100, -1, -100},
        {65561, static_cast<std::int16_t>(167836 & 0xFFFF) / 256.0, 25},
    };
    for (const Case& c : cases) {
        avm1::Object* t = vm.newObject();
        t->put("ra", c.given);
        t->put("rb", c.given);
        vm.callMethod(color, "setTransform", {t});
        const ColorTransform& ct = run.clip->placement()->colorTransform;
        EXPECT_DOUBLE_EQ(ct.mulR, c.mul) << c.given;
        EXPECT_DOUBLE_EQ(ct.addR, c.add) << c.given;
        EXPECT_DOUBLE_EQ(ct.mulG, 1) << "members not given stay";
    }

    // Inherited members count for nothing.
    avm1::Object* base = vm.newObject();
    base->put("ba", 10.0);
    vm.callMethod(color, "setTransform", {vm.newObject(base)});
    EXPECT_DOUBLE_EQ(run.clip->placement()->colorTransform.mulB, 1);

    // Negative offsets spread their sign over the channels above them.
    ColorTransform& ct = run.clip->placement()->colorTransform;
    ct.addR = -50, ct.addG = -25, ct.addB = 25;
    EXPECT_EQ(vm.toNumber(vm.callMethod(color, "getRGB", {})), -6375);
}

TEST(SwfColorStage, StageNormalisesWhatScriptsWrite) {
    ClipRun run;
    avm1::Interpreter& vm = run.vm();
    const Value stage = run.global("Stage");
    const std::pair<const char*, const char*> aligns[] = {
        {"TRLB", "LTRB"}, {"BT", "TB"}, {"rl", "LR"}, {"true", "TR"}, {"xyz", ""}};
    for (const auto& [given, kept] : aligns) {
        vm.setMember(stage, "align", std::string(given));
        EXPECT_EQ(vm.toString(vm.getMember(stage, "align")), kept) << given;
    }
    const std::pair<const char*, const char*> modes[] = {
        {"EXACTFIT", "exactFit"}, {"nonsense", "showAll"}, {"noborder", "noBorder"}};
    for (const auto& [given, kept] : modes) {
        vm.setMember(stage, "scaleMode", std::string(given));
        EXPECT_EQ(vm.toString(vm.getMember(stage, "scaleMode")), kept) << given;
    }
    const std::pair<const char*, const char*> states[] = {
        {"FULLSCREEN", "fullScreen"}, {"A", "fullScreen"}, {"Normal", "normal"}};
    for (const auto& [given, kept] : states) {
        vm.setMember(stage, "displayState", std::string(given));
        EXPECT_EQ(vm.toString(vm.getMember(stage, "displayState")), kept) << given;
    }
}

}  // namespace
}  // namespace saver::swf::test
