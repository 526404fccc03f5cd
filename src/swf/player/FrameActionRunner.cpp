#include "swf/player/FrameActionRunner.h"

#include "swf/player/TimelineInstance.h"

namespace saver::swf {

void RunFrameAction(TimelineInstance& timeline, const FrameAction& action) {
    using Kind = FrameAction::Kind;
    switch (action.kind) {
        case Kind::Stop:
            timeline.stop();
            break;
        case Kind::Play:
            timeline.play();
            break;
        case Kind::NextFrame:
            timeline.nextFrame();
            break;
        case Kind::PrevFrame:
            timeline.prevFrame();
            break;
        case Kind::GotoFrame:
            timeline.gotoFrameAndStop(action.frame);
            break;
        case Kind::GotoLabel:
            timeline.gotoLabelAndStop(action.label);
            break;
    }
}

}  // namespace saver::swf
