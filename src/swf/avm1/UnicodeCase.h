// UnicodeCase: the player's case mapping beyond ASCII, used by String's toUpperCase and
// toLowerCase and by the case-insensitive names of SWF 6 and older movies. It maps single
// characters of the Basic Multilingual Plane one to one (no character turns into two, and
// letters added to Unicode after the player's table stay as they are).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace saver::swf::avm1 {

std::uint32_t UnicodeLower(std::uint32_t c);  // c itself when it has no lower-case form
std::uint32_t UnicodeUpper(std::uint32_t c);

// Maps every character of UTF-8 text; bytes that form no well-made character of up to three
// bytes are kept as they are.
std::string MapUtf8Case(std::string_view s, bool upper);

}  // namespace saver::swf::avm1
