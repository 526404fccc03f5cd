// Names compare case-insensitively, as Windows compares face names. A face without an italic
// file on the host (DejaVu's core set) uses its upright one.
#include "swf/text/DeviceFontNames.h"

#include <algorithm>
#include <cctype>

namespace saver::swf {

std::string FoldFaceName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::string TrimFaceName(const std::string& name) {
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

namespace {

struct HostFamily {
    const char* names;  // '|'-separated, lower case
    const char* folder;
    const char* files[4];  // regular, bold, italic, bold italic
};

constexpr HostFamily kFamilies[] = {
    {"arial|helvetica|liberation sans|ms sans serif|microsoft sans serif",
     "liberation",
     {"LiberationSans-Regular", "LiberationSans-Bold", "LiberationSans-Italic",
      "LiberationSans-BoldItalic"}},
    {"times new roman|times|liberation serif|ms serif",
     "liberation",
     {"LiberationSerif-Regular", "LiberationSerif-Bold", "LiberationSerif-Italic",
      "LiberationSerif-BoldItalic"}},
    {"courier new|courier|liberation mono|lucida console",
     "liberation",
     {"LiberationMono-Regular", "LiberationMono-Bold", "LiberationMono-Italic",
      "LiberationMono-BoldItalic"}},
    {"verdana|tahoma|dejavu sans|bitstream vera sans",
     "dejavu",
     {"DejaVuSans", "DejaVuSans-Bold", "DejaVuSans", "DejaVuSans-Bold"}},
    {"georgia|dejavu serif|bitstream vera serif",
     "dejavu",
     {"DejaVuSerif", "DejaVuSerif-Bold", "DejaVuSerif", "DejaVuSerif-Bold"}},
    {"dejavu sans mono|bitstream vera sans mono",
     "dejavu",
     {"DejaVuSansMono", "DejaVuSansMono-Bold", "DejaVuSansMono", "DejaVuSansMono-Bold"}},
};

bool Lists(const char* names, const std::string& name) {
    const std::string all = std::string("|") + names + "|";
    return all.find("|" + name + "|") != std::string::npos;
}

}  // namespace

std::string DeviceFaceName(const std::string& movieName) {
    const std::string name = TrimFaceName(movieName);
    const std::string lower = FoldFaceName(name);
    if (lower == "_sans" || lower.empty()) return kDefaultSansFace;
    if (lower == "_serif") return "Times New Roman";
    if (lower == "_typewriter") return "Courier New";
    return name;
}

std::string HostFontFile(const std::string& face, bool bold, bool italic,
                         const std::string& fontRoot, bool* known) {
    const std::string lower = FoldFaceName(TrimFaceName(face));
    const HostFamily* family = &kFamilies[0];
    bool found = false;
    for (const HostFamily& f : kFamilies)
        if (Lists(f.names, lower)) {
            family = &f;
            found = true;
            break;
        }
    if (known) *known = found;
    const int style = (bold ? 1 : 0) + (italic ? 2 : 0);
    return fontRoot + "/" + family->folder + "/" + family->files[style] + ".ttf";
}

}  // namespace saver::swf
