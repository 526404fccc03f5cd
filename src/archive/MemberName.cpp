#include "archive/MemberName.h"

#include <array>
#include <string_view>

#include "platform/Text.h"

namespace saver {
namespace {

bool forbiddenChar(unsigned char c) {
    return c < 0x20 ||
           std::string_view("<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

bool MemberName::isDeviceName(const std::string& bareName) {
    // Windows maps these names to devices whatever the extension, and ignores blanks before
    // the extension ("NUL .txt").
    std::string base = bareName.substr(0, bareName.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    base = text::upper(base);
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (auto d : kPlain)
        if (base == d) return true;
    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0))
        return false;
    // COM1-9 and LPT1-9; Windows also counts the superscript digits 1-3 (Windows-1252 B9, B2, B3).
    const auto d = static_cast<unsigned char>(base[3]);
    return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

std::optional<std::string> MemberName::fileNameFor(const std::string& rawName, bool utf8,
                                                   const CodePages& pages) {
    // Names are converted with the system's own code pages: an archive whose names were
    // written on Cyrillic or Central European Windows must give the same names there.
    const std::string ansi = utf8 ? text::convertCodePage(rawName, kCodePageUtf8, pages.ansi, '?')
                                  : text::convertCodePage(rawName, pages.oem, pages.ansi, '_');
    const auto slash = ansi.find_last_of("/\\");
    std::string name = slash == std::string::npos ? ansi : ansi.substr(slash + 1);

    // Windows drops trailing dots and blanks when it creates a file; doing it here gives the
    // name the file really gets, on every build.
    name.erase(name.find_last_not_of(". ") + 1);
    if (name.empty()) return std::nullopt;  // "", ".", "..", folder entries
    for (unsigned char c : name)
        if (forbiddenChar(c)) return std::nullopt;
    if (isDeviceName(name)) return std::nullopt;
    return name;
}

}  // namespace saver
