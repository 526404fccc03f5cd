// MemberName: turns a member name as stored in the archive into the bare file name it is
// extracted under, or refuses it.
//
// Contract: the name is converted to the ANSI code page of `pages` from its OEM code page, or
// from UTF-8 when `utf8` is set (general-purpose flag bit 11), as Windows converts names (a
// character without an ANSI byte becomes "_" from OEM text and "?" from UTF-8, which then
// refuses the name); any folder part (after the last "/" or
// "\") is dropped, and so are trailing dots and blanks, as Windows drops them when it creates
// the file. nullopt, meaning "skip this member", for names that cannot be a plain file
// inside the destination folder: empty (folder entries), "." or "..", only dots and blanks,
// containing ":" (drive or NTFS stream), control characters or one of <>"|?*, and device
// names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with or without an extension, in
// any case).
#pragma once

#include <optional>
#include <string>

#include "platform/CodePageText.h"

namespace saver {

class MemberName {
  public:
    static std::optional<std::string> fileNameFor(const std::string& rawName, bool utf8,
                                                  const CodePages& pages);
    static bool isDeviceName(const std::string& bareName);
};

}  // namespace saver
