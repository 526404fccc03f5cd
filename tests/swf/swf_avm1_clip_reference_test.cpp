// A clip object outlives its clip as a path: once the clip is removed the object reads as
// nothing, and a new clip at the same path answers through it.
#include <gtest/gtest.h>

#include <string>

#include "swf_avm1_clip_run.h"

namespace saver::swf::test {
namespace {

using avm1::Value;

TEST(SwfClipReference, ARemovedClipsObjectFollowsItsPath) {
    ClipRun run;
    avm1::Interpreter& vm = run.vm();
    const Value root(run.runner->clipFor(run.player->root()));
    const Value first = vm.callMethod(root, "createEmptyMovieClip", {std::string("a"), 5.0});
    ASSERT_TRUE(first.asObject());
    vm.callMethod(first, "removeMovieClip", {});
    EXPECT_TRUE(vm.getMember(first, "_x").isUndefined());
    EXPECT_EQ(vm.toString(first), "");

    const Value second = vm.callMethod(root, "createEmptyMovieClip", {std::string("a"), 6.0});
    ASSERT_TRUE(second.asObject());
    ASSERT_NE(second.asObject(), first.asObject());
    vm.setMember(first, "_x", 42.0);  // lands on the clip now at the path
    EXPECT_EQ(vm.toNumber(vm.getMember(second, "_x")), 42);
    EXPECT_EQ(vm.toString(first), "_level0.a");
    EXPECT_TRUE(vm.looseEquals(first, second));
}

}  // namespace
}  // namespace saver::swf::test
