// SwfHeader: the frame rate and frame count from the header of an SWF file (the SWF file
// format: signature "FWS" uncompressed or "CWS" zlib-compressed after the first 8 bytes, a
// RECT of 5 + 4 x n bits, frame rate as 8.8 fixed point, frame count, both little-endian).
// Files with the "ZWS" (LZMA) signature or a header that ends early are not readable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace testcontrol {

struct SwfHeader {
    std::uint16_t frameRate88 = 0;  // frames per second x 256
    std::uint16_t frameCount = 0;
};

// The header of the file's bytes; nullopt when they are no readable SWF.
std::optional<SwfHeader> ParseSwfHeader(const std::string& bytes);

}  // namespace testcontrol
