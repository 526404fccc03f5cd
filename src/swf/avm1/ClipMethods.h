// ClipMethods: the display methods of MovieClip (attachMovie, duplicateMovieClip,
// createEmptyMovieClip, removeMovieClip, depths, bounds, hit tests, coordinates, dragging,
// byte counts) and Object.registerClass. They work on the timeline behind `this` through the
// ScriptRunner that hosts the interpreter.
//
// Failure: a call on something that is no clip on the stage, or with arguments Flash rejects
// (a depth out of range, an unknown linkage name), does nothing and returns undefined.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "swf/avm1/Interpreter.h"

namespace saver::swf::avm1 {

// Script depths a script may place clips at (the display list adds kScriptDepthOffset).
inline constexpr double kMinScriptDepth = -16384;
inline constexpr double kMaxScriptDepth = 2130690044;

void InstallClipMethods(Interpreter& vm);
// The zero-based frame a goto to frame number `frame` (1 the first, already wrapped to 32 bits)
// plus a scene's first frame `bias` reaches, or -1 when the goto does nothing. Flash keeps frame
// numbers in 16 bits: past 65535 they wrap, and past the last frame the clip shows its last.
int GotoFrameIndex(std::int32_t frame, int bias);
// The class registered for `linkage` in the registry ScriptRunner keeps; null when none.
Object* RegisteredClass(const Object& registry, const std::string& linkage);
// Runs the named method of the list above on `clip` (for the SWF 4 actions that reach them).
Value CallClipMethod(Interpreter& vm, Object* clip, const std::string& name,
                     const std::vector<Value>& args);

}  // namespace saver::swf::avm1
