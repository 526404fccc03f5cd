// Text helpers with the player's two string models: SWF 5 and older count bytes, SWF 6 and
// newer count UTF-16 code units of UTF-8 text (a character past 0xFFFF counts two).
#pragma once

#include <string>
#include <vector>

namespace saver::swf::avm1 {

std::size_t StringLength(const std::string& s, int version);
// `count` characters from the 0-based `start` (clamped; a negative count means to the end).
// Half of a surrogate pair cut off from its partner comes out as U+FFFD.
std::string StringExtract(const std::string& s, long start, long count, int version);
int CharCode(const std::string& s, int version);  // of the first character, 0 when empty
std::string CharFromCode(int code, int version);  // "" for 0; 16 bits (8 in SWF 5)
// MBChr: as CharFromCode from SWF 6; in SWF 5 a code above 255 gives its two bytes (high
// first, the string ending at a zero byte) and a code above 0xFFFF nothing.
std::string MbCharFromCode(int code, int version);
// The characters as code points (bytes for SWF 5 and older), and back.
std::vector<std::uint32_t> Decode(const std::string& s, int version);
std::string Encode(const std::vector<std::uint32_t>& chars, int version);
void AppendChar(std::string& out, std::uint32_t c, int version);

}  // namespace saver::swf::avm1
