#include "ToolPlatform.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/Text.h"

#ifdef _WIN32
#include "platform/Win32FileSystem_win.h"
#include "platform/Win32Services_win.h"
#else
#include "platform/PosixFileSystem_posix.h"
#endif

namespace saver {

ToolPlatform::ToolPlatform() {
#ifdef _WIN32
    fs_ = std::make_unique<Win32FileSystem>();
#else
    fs_ = std::make_unique<PosixFileSystem>(PosixFileSystem::withRootDrive());
#endif
}

ToolPlatform::~ToolPlatform() = default;

std::optional<std::string> ToolPlatform::windowsPath(const std::string& nativePath) const {
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(nativePath, ec);
    if (ec) return std::nullopt;
#ifdef _WIN32
    return abs.string();
#else
    return static_cast<const PosixFileSystem&>(*fs_).windowsPathOf(abs.lexically_normal().string());
#endif
}

// The Windows console hands main() ANSI text already; a Linux terminal speaks UTF-8.
std::string ToolPlatform::ansiFromArgument(const std::string& argument) {
#ifdef _WIN32
    return argument;
#else
    return text::utf8ToCp1252(argument);
#endif
}

std::string ToolPlatform::consoleFromAnsi(const std::string& ansi) {
#ifdef _WIN32
    return ansi;
#else
    return text::cp1252ToUtf8(ansi);
#endif
}

std::string ToolPlatform::executablePath() {
#ifdef _WIN32
    return Win32Services().moduleFileName();
#else
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
#endif
}

std::optional<std::string> ToolPlatform::shippedRuntime() {
    const std::string self = executablePath();
    if (self.empty()) return std::nullopt;
    const std::filesystem::path folder = std::filesystem::path(self).parent_path();
    for (const auto& candidate :
         {folder / "flashsaver.scr", folder.parent_path().parent_path() / "flashsaver.scr"}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
    }
    return std::nullopt;
}

ScratchFolder::ScratchFolder() {
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    std::mt19937_64 rng(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("saverpack-" + std::to_string(rng() % 1000000000));
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate.string();
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace saver
