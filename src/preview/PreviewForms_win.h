// The preview of run mode 4: TOtherPreviewForm or TCommercePreviewForm inside the preview window
// whose handle came on the command line.
#pragma once

namespace saver {

struct Runtime;

// Creates the chosen preview form and runs the message loop until the preview ends; returns the
// exit code.
int RunPreview(Runtime& rt);

}  // namespace saver
