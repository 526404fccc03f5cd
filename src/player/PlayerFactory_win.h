// PlayerFactory: makes the movie player of the full-screen window.
//
// The Flash ActiveX control plays when its class id is registered and its in-process server
// is a version that still plays content (ChoosePlayer); otherwise, and also when the control
// fails to start, the built-in player plays, reading movies through `fs`. PlayerError comes
// out only when neither can be created.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "player/PlayerChoice.h"
#include "player/PlayerControl.h"

namespace saver {

class FileSystem;

struct FlashControlRegistration {
    bool registered = false;
    std::string serverPath;  // the InprocServer32 default value, environment strings expanded
    std::optional<FileVersion> version;  // the server file's version resource, when it has one
};

// Reads HKEY_CLASSES_ROOT\CLSID\{control}\InprocServer32 and the server file's version.
FlashControlRegistration FindFlashControl();

std::unique_ptr<PlayerControl> CreatePlayer(HWND parent, FileSystem& fs);

}  // namespace saver
