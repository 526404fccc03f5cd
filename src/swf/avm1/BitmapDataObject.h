// flash.display.BitmapData for scripts: an object whose payload is a BitmapSurface (render/)
// made through the player's BitmapLibrary, so its pixels count against the movie's bitmap
// budget, and the MovieClip methods that show one (attachBitmap, beginBitmapFill).
//
// Failure, as the player answers: a constructor given fewer than two arguments, a side
// outside 1..2880 (SWF 10 and later: below 8192 with fewer than 2^24 pixels) or a size the
// budget cannot hold makes nothing (`new` gives undefined). A method of a disposed bitmap, or
// called on anything else, returns -1 (its properties too); a method given another bitmap
// that is disposed or no bitmap returns a negative code of its own and changes nothing.
#pragma once

#include <memory>

#include "swf/avm1/Interpreter.h"

namespace saver::swf {
class BitmapSurface;
}

namespace saver::swf::avm1 {

// The live (not disposed) surface of a BitmapData object; null for anything else.
std::shared_ptr<BitmapSurface> SurfaceOf(const Value& v);

// Installs flash.display.BitmapData and the MovieClip methods above; the host must be a
// ScriptRunner (the surfaces come from its player).
void InstallBitmapDataBuiltins(Interpreter& vm);

// BitmapData.draw(source, matrix, colorTransform, blendMode, clipRect, smoothing): a clip or
// another bitmap rendered onto `this` (BitmapDataDraw.cpp).
Value BitmapDataDraw(CallInfo& c);
// MovieClip.attachBitmap and beginBitmapFill (BitmapDataDraw.cpp).
void InstallBitmapClipMethods(Interpreter& vm);

}  // namespace saver::swf::avm1
