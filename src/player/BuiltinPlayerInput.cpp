// Input for the built-in player: the view's pixels go back through the stage transform the
// picture was drawn with, so the pointer meets the movie where the user sees it.
#include "player/BuiltinPlayer.h"
#include "player/PlayerInput.h"
#include "swf/player/MoviePlayer.h"
#include "swf/player/ShapeHitTest.h"
#include "swf/render/StageTransform.h"

namespace saver {

void BuiltinPlayer::input(const PlayerInput& in) {
    takeLoadedMovie();
    if (!player_) return;
    using Kind = PlayerInput::Kind;
    switch (in.kind) {
        case Kind::MouseMove:
        case Kind::MouseDown:
        case Kind::MouseUp: {
            const swf::Matrix stage =
                swf::StageTransform(player_->movie().header.frameSize, viewWidth_, viewHeight_,
                                    player_->scaleMode(scaleMode_));
            swf::Matrix toStage;
            if (!swf::InvertMatrix(stage, toStage)) return;  // nothing drawn yet
            double x = 0, y = 0;
            toStage.apply(in.x + 0.5, in.y + 0.5, x, y);  // the pixel's centre, in twips
            player_->mouseMove(x / 20, y / 20);
            if (in.kind == Kind::MouseDown) player_->mouseDown();
            if (in.kind == Kind::MouseUp) player_->mouseUp();
            break;
        }
        case Kind::MouseWheel:
            player_->mouseWheel(in.wheelDelta);
            break;
        case Kind::KeyDown:
            player_->keyDown(in.keyCode, in.ascii);
            break;
        case Kind::KeyUp:
            player_->keyUp(in.keyCode, in.ascii);
            break;
    }
    changed_ = true;
}

bool BuiltinPlayer::cursorHidden() const {
    return player_ && player_->cursorHidden();
}

}  // namespace saver
