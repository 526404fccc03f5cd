// The file system saverpack works through, and the translation of the paths a user types into
// the Windows paths the core expects. On the host the whole Linux tree is drive Z: (as under
// Wine); on Windows the Win32 file system is used and paths stay as they are.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace saver {

class FileSystem;

class ToolPlatform {
  public:
    ToolPlatform();
    ~ToolPlatform();

    FileSystem& fs() { return *fs_; }
    // The Windows path of a path given on the command line (relative ones taken from the
    // current folder); nullopt when it has none.
    std::optional<std::string> windowsPath(const std::string& nativePath) const;
    // A command-line text (item and member names) in the ANSI code page the core uses.
    static std::string ansiFromArgument(const std::string& argument);
    // Output text for the console from ANSI text.
    static std::string consoleFromAnsi(const std::string& ansi);
    // Native path of the running saverpack program ("" when the system does not say).
    static std::string executablePath();
    // The runtime that ships with saverpack: "flashsaver.scr" in saverpack's own folder, else
    // "flashsaver.scr" two folders up (saverpack's place in the build tree,
    // BUILD/tools/saverpack/, with the runtime in BUILD/). Native path; nullopt when neither
    // exists.
    static std::optional<std::string> shippedRuntime();

  private:
    std::unique_ptr<FileSystem> fs_;
};

// A new, empty folder under the system's temporary folder, removed with all its contents when
// the object goes. `path()` is its native path ("" when it could not be created).
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace saver
