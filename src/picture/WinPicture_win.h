// WinPicture: a picture file loaded for drawing in a window (the dialog's banner, the preview's
// static picture).
//
// The decoder is chosen by the file's extension, without regard to case: ".jpg"/".jpeg" through
// libjpeg (DecodeJpeg), ".bmp", ".gif", ".ico" and ".wmf"/".emf" through the system's own
// picture decoder (OleLoadPicture). Any other extension is not loaded.
//
// Failure: Load returns nullptr when the file cannot be read or decoded; nothing is shown and
// nothing is reported (callers hide the picture's control).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace saver {

class WinPicture {
  public:
    virtual ~WinPicture() = default;

    // Loads the file at `path` (ANSI path); nullptr on any failure.
    static std::unique_ptr<WinPicture> Load(const std::string& path);

    // The picture's own size in pixels.
    virtual SIZE size() const = 0;
    // Draws the picture stretched to fill `box` exactly (aspect ratio not kept, not centred).
    virtual void drawStretched(HDC dc, const RECT& box) const = 0;
};

}  // namespace saver
