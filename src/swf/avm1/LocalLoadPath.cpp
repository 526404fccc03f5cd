// The checks are on the name as written: a movie's URLs are short, and rejecting anything
// unusual (rather than normalising it) keeps the reader inside the folder by construction.
#include "swf/avm1/LocalLoadPath.h"

namespace saver::swf::avm1 {

std::optional<std::string> LocalLoadPath(const std::string& folder, const std::string& url) {
    std::string name = url.substr(0, url.find('?'));
    if (name.empty() || name.size() > 260) return std::nullopt;
    if (name.find(':') != std::string::npos) return std::nullopt;  // a scheme or a drive
    for (char& ch : name) {
        if (ch == '/') ch = '\\';
        if (static_cast<unsigned char>(ch) < 0x20) return std::nullopt;
    }
    if (name.front() == '\\') return std::nullopt;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('\\', start), name.size());
        const std::string step = name.substr(start, end - start);
        if (step.empty() || step == "." || step == "..") return std::nullopt;
        start = end + 1;
    }
    return folder + name;
}

}  // namespace saver::swf::avm1
