// PngFile: reading and writing PNG pictures as 8-bit RGBA, for swfrender and the reference
// comparisons of the host tools. Built on libpng's simplified interface, so any PNG colour
// type and depth reads back as RGBA.
//
// Failure: both functions return false and put a short English reason into `error`; the
// picture is then left empty (read) or the file may be missing or incomplete (write).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "swf/render/BgraImage.h"

namespace saver::swfrender {

// Top-down rows of 4 bytes per pixel: R, G, B, A.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

bool ReadPng(const std::string& path, RgbaPicture& picture, std::string& error);
bool WritePng(const std::string& path, const RgbaPicture& picture, std::string& error);

// The renderer's BGRA frame as an RGBA picture (alpha kept as it is).
RgbaPicture FromBgra(const swf::BgraImage& image);

}  // namespace saver::swfrender
