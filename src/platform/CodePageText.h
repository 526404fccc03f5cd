// Conversion of 8-bit text between Windows code pages (OEM, ANSI, UTF-8 as 65001).
//
// The Win32 build converts through the system (MultiByteToWideChar to UTF-16, then
// WideCharToMultiByte), so every code page Windows knows works, best-fit mappings included;
// the host build converts through iconv ("CP" + number), which knows every code page a
// Windows locale uses for its OEM and ANSI text.
#pragma once

#include <string>

namespace saver {

constexpr unsigned kCodePageUtf8 = 65001;

// The OEM and ANSI code pages of the system (437 and 1252 on US and Western European Windows).
struct CodePages {
    unsigned oem = 437;
    unsigned ansi = 1252;
    bool operator==(const CodePages&) const = default;
};

namespace text {

// `s` from code page `from` to code page `to`. A character that `to` has no byte for, and a
// byte sequence that is not text in `from`, becomes `fallback` (one per character or bad
// byte). An unknown code page gives every non-ASCII byte as `fallback`; ASCII text never
// changes between the code pages involved.
std::string convertCodePage(const std::string& s, unsigned from, unsigned to, char fallback);

}  // namespace text
}  // namespace saver
