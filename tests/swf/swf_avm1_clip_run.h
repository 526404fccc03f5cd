// ClipRun: a version 8 movie whose root holds one empty sprite at depth 1, played with the
// script runner, for tests that call built-ins on a clip's script object.
#pragma once

#include <memory>
#include <string>

#include "swf/avm1/ScriptRunner.h"
#include "swf_player_fixture.h"

namespace saver::swf::test {

struct ClipRun {
    avm1::ScriptRunner* runner = nullptr;
    std::unique_ptr<MoviePlayer> player;
    std::shared_ptr<TimelineInstance> clip;
    avm1::Object* object = nullptr;

    ClipRun() {
        auto movie = MakeMovie(MakeTimeline({MakeFrame({Place(1, 20)})}),
                               {Sprite{20, MakeTimeline({MakeFrame({})})}});
        movie->header.version = 8;
        auto owned = std::make_unique<avm1::ScriptRunner>(movie, [](const std::string&) {});
        runner = owned.get();
        player = std::make_unique<MoviePlayer>(movie, std::move(owned));
        clip = player->root().displayList().at(1).sprite;
        object = runner->clipFor(*clip);
    }
    avm1::Interpreter& vm() { return runner->interpreter(); }
    avm1::Value global(const char* name) { return vm().getMember(vm().global(), name); }
};

}  // namespace saver::swf::test
