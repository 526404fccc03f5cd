// Per-user overrides of the exit conditions and Flash options, kept in the current user's
// registry under "Software\Orvanta\" + the program file's name (with its extension).
#pragma once

namespace saver {

struct Runtime;

// Replaces fields with the values stored for this program file. A missing key or value leaves
// the field alone; a value of another type than DWORD ends the step silently (the values read
// before it stay applied).
void ApplyUserOverrides(Runtime& rt);
// Writes all eleven values from rt.Setting, creating the key; failures are silent.
void StoreUserOverrides(Runtime& rt);

}  // namespace saver
