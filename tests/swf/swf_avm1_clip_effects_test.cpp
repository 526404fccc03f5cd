// Effects scripts give clips: the `filters` array (copied in, read back as new objects),
// `blendMode`, and the arguments of the gradient drawing methods the player accepts or ignores.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "swf/avm1/ArrayElements.h"
#include "swf/avm1/Builtins.h"
#include "swf_avm1_clip_run.h"

namespace saver::swf::test {
namespace {

using avm1::Value;

struct EffectsRun : ClipRun {
    Value make(const char* cls, std::vector<Value> args) {
        avm1::Object* package = avm1::PackageObject(vm(), "flash.filters");
        return vm().construct(vm().getMember(package, cls), args);
    }
    Value array(std::vector<Value> v) { return vm().newArray(std::move(v)); }
    DisplayObject& placement() { return *clip->placement(); }
};

TEST(SwfClipEffects, FiltersAreCopiedInAndReadBackAsNewObjects) {
    EffectsRun run;
    ASSERT_TRUE(run.object);
    avm1::Interpreter& vm = run.vm();
    const Value blur = run.make("BlurFilter", {4.0, 6.0, 2.0});
    const Value glow = run.make("GlowFilter", {});
    const Value shadow = run.make("DropShadowFilter", {5.0, 90.0, 255.0, 0.5});
    vm.setMember(run.object, "filters", run.array({blur, std::string("junk"), glow, shadow}));

    const std::vector<Filter>* list = run.placement().filters;
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0].kind, FilterKind::Blur);
    EXPECT_EQ((*list)[0].blurX, 4);
    EXPECT_EQ((*list)[0].blurY, 6);
    EXPECT_EQ((*list)[0].passes, 2);
    EXPECT_EQ((*list)[1].kind, FilterKind::Glow);
    EXPECT_EQ((*list)[1].color.r, 255);
    EXPECT_EQ((*list)[1].strength, 2);
    EXPECT_EQ((*list)[2].kind, FilterKind::DropShadow);
    EXPECT_NEAR((*list)[2].angle, M_PI / 2, 1e-9);
    EXPECT_EQ((*list)[2].color.b, 255);
    EXPECT_EQ((*list)[2].color.a, 128);

    // Changing the object afterwards changes nothing; a read gives new objects.
    vm.setMember(blur, "blurX", 20.0);
    EXPECT_EQ((*run.placement().filters)[0].blurX, 4);
    const Value read = vm.getMember(run.object, "filters");
    ASSERT_TRUE(read.asObject());
    ASSERT_EQ(ArrayLength(vm, read.asObject()), 3);
    const Value first = GetElement(read.asObject(), 0);
    EXPECT_NE(first.asObject(), blur.asObject());
    EXPECT_EQ(vm.toNumber(vm.getMember(first, "blurY")), 6);
    EXPECT_EQ(vm.toNumber(vm.getMember(GetElement(read.asObject(), 2), "distance")), 5);

    // Anything but an array clears them.
    vm.setMember(run.object, "filters", 5.0);
    EXPECT_EQ(run.placement().filters, nullptr);
    EXPECT_EQ(ArrayLength(vm, vm.getMember(run.object, "filters").asObject()), 0);
}

TEST(SwfClipEffects, BlendModeByNameOrNumber) {
    EffectsRun run;
    avm1::Interpreter& vm = run.vm();
    struct Case {
        Value written;
        int mode;
    };
    const Case cases[] = {
        {std::string("multiply"), 3}, {std::string("bogus"), 3},     {12.0, 12}, {99.0, 12},
        {std::string("normal"), 1},   {std::string("hardlight"), 14}};
    for (const Case& c : cases) {
        vm.setMember(run.object, "blendMode", c.written);
        EXPECT_EQ(run.placement().blendMode, c.mode) << vm.toString(c.written);
    }
    EXPECT_EQ(vm.toString(vm.getMember(run.object, "blendMode")), "hardlight");
    vm.setMember(run.object, "cacheAsBitmap", true);
    EXPECT_TRUE(run.placement().cacheAsBitmap);
}

TEST(SwfClipEffects, GradientFillArgumentsThePlayerAccepts) {
    struct Case {
        const char* what;
        std::vector<double> ratios;
        std::string type;
        int extraArgs;  // beyond the matrix
        bool gradient;  // false: the solid fill set before stays
        int lastRatio, firstAlpha;
    };
    const Case cases[] = {
        {"ratios cut to whole numbers", {-0.99, 255.9}, "linear", 0, true, 255, 127},
        {"ratio -1 is rejected", {-1, 255}, "linear", 0, false, 0, 0},
        {"ratio 256 is rejected", {0, 256}, "linear", 0, false, 0, 0},
        {"the type is case-sensitive", {0, 255}, "LINEAR", 0, false, 0, 0},
        {"at most eight arguments", {0, 255}, "radial", 4, false, 0, 0},
        {"spread, interpolation, focal", {0, 255}, "radial", 3, true, 255, 127},
    };
    for (const Case& c : cases) {
        EffectsRun run;
        avm1::Interpreter& vm = run.vm();
        vm.callMethod(run.object, "beginFill", {255.0});
        std::vector<Value> args{c.type, run.array({255.0, 65280.0}), run.array({50.0, 100.0}),
                                run.array({c.ratios[0], c.ratios[1]}), vm.newObject()};
        const Value extra[] = {std::string("reflect"), std::string("linearRGB"), 0.8, 1.0};
        for (int i = 0; i < c.extraArgs; ++i) args.push_back(extra[i]);
        vm.callMethod(run.object, "beginGradientFill", args);
        vm.callMethod(run.object, "moveTo", {0.0, 0.0});
        vm.callMethod(run.object, "lineTo", {10.0, 0.0});
        vm.callMethod(run.object, "lineTo", {10.0, 10.0});
        vm.callMethod(run.object, "endFill", {});
        const Shape& shape = run.clip->drawing().shape();
        ASSERT_FALSE(shape.fills.empty()) << c.what;
        const FillStyle& fill = shape.fills.back();
        EXPECT_EQ(fill.type != FillType::Solid, c.gradient) << c.what;
        if (!c.gradient) continue;
        EXPECT_EQ(fill.gradient.stops.back().ratio, c.lastRatio) << c.what;
        EXPECT_EQ(fill.gradient.stops.front().color.a, c.firstAlpha) << c.what;
        if (c.extraArgs == 3) {
            EXPECT_EQ(fill.type, FillType::FocalRadialGradient);
            EXPECT_EQ(fill.gradient.focalPoint, 204.0 / 256);  // 8.8 fixed point
            EXPECT_EQ(fill.gradient.spread, SpreadMode::Reflect);
        }
    }
}

TEST(SwfClipEffects, GradientMatrixForms) {
    EffectsRun run;
    avm1::Interpreter& vm = run.vm();
    auto matrixOf = [&](std::vector<std::pair<const char*, Value>> members) {
        avm1::Object* m = vm.newObject();
        for (auto& [name, value] : members) vm.setMember(m, name, value);
        vm.callMethod(run.object, "clear", {});
        vm.callMethod(
            run.object, "beginGradientFill",
            {std::string("linear"), run.array({0.0}), run.array({100.0}), run.array({0.0}), m});
        vm.callMethod(run.object, "lineTo", {10.0, 10.0});
        vm.callMethod(run.object, "lineTo", {0.0, 10.0});
        vm.callMethod(run.object, "endFill", {});
        return run.clip->drawing().shape().fills.at(0).matrix;
    };
    // The 3x3 form maps a one-pixel square: 80 scales the gradient to 80 pixels.
    const Matrix old =
        matrixOf({{"a", 0.0}, {"b", -80.0}, {"d", 80.0}, {"e", 0.0}, {"g", 50.0}, {"h", 60.0}});
    EXPECT_NEAR(old.b, -80 / 1638.4, 1e-12);
    EXPECT_NEAR(old.c, 80 / 1638.4, 1e-12);
    EXPECT_EQ(old.tx, 1000);
    EXPECT_EQ(old.ty, 1200);
    // A box turned a quarter: the gradient's x axis runs down the box's height.
    const Matrix box = matrixOf({{"matrixType", std::string("box")},
                                 {"x", 0.0},
                                 {"y", 0.0},
                                 {"w", 100.0},
                                 {"h", 300.0},
                                 {"r", M_PI / 2}});
    EXPECT_NEAR(box.b, 300 / 1638.4, 1e-12);
    EXPECT_NEAR(box.c, -100 / 1638.4, 1e-12);
}

// The colour a fill call leaves: the last fill of a square drawn after it.
TEST(SwfClipEffects, FillColoursAsThePlayerReadsThem) {
    struct Case {
        const char* what;
        const char* method;
        std::vector<Value> args;  // for beginGradientFill: the colours, alphas and ratios
        Rgba color;               // beginFill's colour, or the first gradient stop's
        int ratio;                // the first stop's
    };
    const Case cases[] = {
        {"null is black", "beginFill", {avm1::Null{}}, {0, 0, 0, 255}, 0},
        {"undefined fills invisibly", "beginFill", {Value{}, 50.0}, {0, 0, 0, 0}, 0},
        {"an undefined alpha is 0", "beginFill", {255.0, Value{}}, {0, 0, 255, 0}, 0},
        {"a missing alpha is the colour, a missing ratio the alpha",
         "beginGradientFill",
         {64.0},
         {0, 0, 64, 163},
         64},
    };
    for (const Case& c : cases) {
        EffectsRun run;
        avm1::Interpreter& vm = run.vm();
        std::vector<Value> args = c.args;
        if (std::string(c.method) == "beginGradientFill") {
            // Lists that only say their length leave the stops to the rules for missing ones.
            avm1::Object* alphas = vm.newObject();
            avm1::Object* ratios = vm.newObject();
            vm.setMember(alphas, "length", 1.0);
            vm.setMember(ratios, "length", 1.0);
            args = {std::string("linear"), run.array(c.args), alphas, ratios, vm.newObject()};
        }
        vm.callMethod(run.object, c.method, args);
        vm.callMethod(run.object, "lineTo", {10.0, 0.0});
        vm.callMethod(run.object, "lineTo", {10.0, 10.0});
        vm.callMethod(run.object, "endFill", {});
        const Shape& shape = run.clip->drawing().shape();
        ASSERT_FALSE(shape.fills.empty()) << c.what;
        const FillStyle& fill = shape.fills.back();
        const bool gradient = fill.type != FillType::Solid;
        const Rgba got = gradient ? fill.gradient.stops.at(0).color : fill.color;
        EXPECT_EQ(got, c.color) << c.what;
        if (gradient) EXPECT_EQ(fill.gradient.stops.at(0).ratio, c.ratio) << c.what;
    }
}

}  // namespace
}  // namespace saver::swf::test
