// PayloadUpgrade: moves the payload of a finished screensaver onto another runtime.
//
// The old file's runtime is everything before its first packed item (or before the marker when
// it packs none). The new file is the new runtime followed by the old file's bytes from there to
// the marker, unchanged (gaps between items included), then marker, settings member name, "**"
// and the settings archive. Every [zippos] position moves by the difference of the two runtime
// sizes; in the settings file only those values change (edited in place, every other byte kept).
// The settings archive is rebuilt with the same members in the same order, each with its decoded
// content unchanged (stored members stay stored, all others are deflated; an archive comment is
// not carried over); when no position moves, the old archive is kept as it is. Bytes after the
// old settings archive (a code signature, which could not match the new file) are dropped.
//
// UpgradePayload refuses with PayloadLayoutError or PayloadUpgradeError, before anything is
// written, when the old file has no payload or its positions do not add up (LayoutProblems), a
// settings archive member cannot be decoded or carries a UTF-8 name, the new runtime is empty,
// unreadable or carries the marker in its last PayloadWindowSize bytes, a moved item would end
// beyond 2147483647, the new tail would not fit the payload window, bytes ahead of the marker in
// the new window would contain a false marker, or the output is one of the inputs. A failure
// while writing deletes the partial output.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "payload/PayloadLayout.h"

namespace saver {

class FileSystem;

class PayloadUpgradeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct UpgradeResult {
    std::uint64_t oldRuntimeSize = 0;
    std::uint64_t newRuntimeSize = 0;
    std::int64_t shift = 0;  // added to every [zippos] position
    std::uint64_t fileSize = 0;
    std::uint64_t markerOffset = 0;
    std::string settingsText;           // the settings file as packed now
    std::vector<PackedRange> items;     // at their new positions
    std::uint64_t droppedTrailing = 0;  // bytes after OLD's settings archive, not carried over
};

// All paths are Windows paths on `fs`. `outPath` is created or replaced.
UpgradeResult UpgradePayload(FileSystem& fs, const std::string& oldPath,
                             const std::string& runtimePath, const std::string& outPath);

}  // namespace saver
