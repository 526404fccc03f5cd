#include "platform/CodePageText.h"

#include <windows.h>

#include <vector>

namespace saver::text {

std::string convertCodePage(const std::string& s, unsigned from, unsigned to, char fallback) {
    if (s.empty()) return s;
    // Through UTF-16, the way Windows itself turns OEM names into ANSI ones.
    const int wide = MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (wide <= 0) {
        std::string out = s;
        for (char& c : out)
            if (static_cast<unsigned char>(c) >= 0x80) c = fallback;
        return out;
    }
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), utf16.data(), wide);
    // Bytes that are not text in `from` arrive as U+FFFD; they take the fallback too.
    for (wchar_t& c : utf16)
        if (c == 0xFFFD) c = static_cast<unsigned char>(fallback);
    const char defaultChar[2] = {fallback, '\0'};
    // UTF-8 takes neither a default character nor a "used default" flag.
    const bool toUtf8 = to == kCodePageUtf8;
    const int bytes = WideCharToMultiByte(to, 0, utf16.data(), wide, nullptr, 0,
                                          toUtf8 ? nullptr : defaultChar, nullptr);
    if (bytes <= 0) return std::string(s.size(), fallback);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(to, 0, utf16.data(), wide, out.data(), bytes,
                        toUtf8 ? nullptr : defaultChar, nullptr);
    return out;
}

}  // namespace saver::text
