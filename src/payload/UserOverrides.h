// Per-user overrides of the exit conditions and Flash options, kept in the current user's
// registry under "Software\Orvanta\" + the program file's name (with its extension).
#pragma once

namespace saver {

struct Runtime;

// Replaces fields with the values stored for this program file. A missing key or value leaves
// the field alone; a value of another type than DWORD ends the step silently (the values read
// before it stay applied). Booleans are true when not 0; FlashSequence keeps the low 8 bits.
// Does nothing without a payload: a runtime beside its own settings file keeps that file's values.
void ApplyUserOverrides(Runtime& rt);
// Writes all eleven values from rt.Setting as DWORDs (booleans 1 or 0), creating the key;
// failures are silent. Does nothing without a payload.
void StoreUserOverrides(Runtime& rt);

}  // namespace saver
