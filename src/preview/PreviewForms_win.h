// The preview of run mode 4: TOtherPreviewForm or TCommercePreviewForm inside the preview window
// whose handle came on the command line (a top-level form when that handle is 0).
#pragma once

namespace saver {

struct Runtime;

// Chooses and creates the preview form, then runs the message loop until the form is destroyed
// or the preview parent stops existing (checked every 250 ms, since a host that is killed sends
// no message). Returns the exit code: 0, or 1 when the form cannot be created (a parent handle
// that names no window).
int RunPreview(Runtime& rt);

}  // namespace saver
