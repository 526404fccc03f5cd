// 8-bit ANSI text (Windows-1252) helpers used throughout the core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace saver::text {

// Upper case as the ANSI code page defines it (accented letters of Windows-1252 included).
std::string upper(const std::string& s);
bool sameText(const std::string& a, const std::string& b);
bool startsWith(const std::string& s, const std::string& prefix);  // exact, case kept
bool endsWith(const std::string& s, const std::string& suffix);
std::string replaceAll(std::string s, const std::string& from, const std::string& to);
std::string trim(const std::string& s);  // blanks, tabs, CR and LF at both ends

// A signed decimal integer, or hexadecimal after "0x"/"0X"/"$"; blanks around it are allowed.
// nullopt when the text does not convert or does not fit in 32 bits (hexadecimal up to
// 0xFFFFFFFF, taken as its 32-bit pattern).
std::optional<std::int32_t> toInt32(const std::string& s);
// A plain signed decimal integer that fits in 64 bits; nullopt otherwise.
std::optional<std::int64_t> toInt64Decimal(const std::string& s);

// Windows-1252 to UTF-8 (bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081 etc.).
std::string cp1252ToUtf8(const std::string& s);
// UTF-8 to Windows-1252; characters it has no byte for become "?".
std::string utf8ToCp1252(const std::string& s);
// OEM code page 437 (ZIP member names) to Windows-1252; characters without a byte become "_".
std::string cp437ToCp1252(const std::string& s);

}  // namespace saver::text
