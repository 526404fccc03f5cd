#include "platform/WinPath.h"

namespace saver::winpath {

namespace {

// Position just after the last separator out of `seps`, or 0.
std::size_t afterLast(const std::string& path, const char* seps) {
    std::size_t pos = path.find_last_of(seps);
    return pos == std::string::npos ? 0 : pos + 1;
}

}  // namespace

std::string folderOf(const std::string& path) {
    return path.substr(0, afterLast(path, "\\:"));
}

std::string fileNameOf(const std::string& path) {
    return path.substr(afterLast(path, "\\:"));
}

std::string bareNameOf(const std::string& path) {
    return path.substr(afterLast(path, "\\/:"));
}

std::string extensionOf(const std::string& path) {
    std::string name = fileNameOf(path);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string withTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + '\\';
}

std::string withoutTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder.substr(0, folder.size() - 1);
    return folder;
}

}  // namespace saver::winpath
