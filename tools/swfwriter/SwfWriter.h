// Writes one SWF movie: the header (FWS, or CWS with the body zlib-compressed), definitions of
// shapes and sprites, and the movie's own timeline. Definitions and control tags go out in the
// order they are made, so a character must be defined before a frame places it.
//
//   SwfWriter movie({.width = 400 * 20, .height = 300 * 20, .frameRate = 24});
//   movie.SetBackgroundColor({0, 0, 64});
//   ShapeBuilder box; box.SetFill1(box.AddFill(FillStyle::Solid({255, 0, 0})));
//   box.RoundedRect(0, 0, 2000, 2000, 0);
//   const auto id = movie.DefineShape(box, ShapeVersion::Shape1);
//   movie.Root().Place(PlaceObject::New(1, id, Matrix::Translate(100, 100)));
//   movie.Root().ShowFrame();
//   std::vector<std::uint8_t> bytes = movie.Build();
//
// Failures throw: std::invalid_argument for what the chosen version cannot store (DefineShape4
// before SWF 8, compression before SWF 6, see also ShapeBuilder and SwfRecords),
// std::out_of_range for more than 65535 characters, std::runtime_error if zlib fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "JpegEncoder.h"
#include "MorphShape.h"
#include "ShapeBuilder.h"
#include "SwfTypes.h"
#include "Timeline.h"

namespace saver::swfwriter {

struct MovieOptions {
    std::uint8_t version = 8;
    std::int32_t width = 550 * kTwipsPerPixel;  // frame size in twips, origin at 0,0
    std::int32_t height = 400 * kTwipsPerPixel;
    double frameRate = 24;  // frames per second, stored as 8.8 fixed point
    bool compress = false;  // CWS instead of FWS
};

// The state bits of a button record.
enum ButtonState : std::uint8_t { kUp = 1, kOver = 2, kDown = 4, kHit = 8 };
struct ButtonRecord {
    std::uint8_t states = 0;  // ButtonState bits
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    Matrix matrix;
};

class SwfWriter {
  public:
    explicit SwfWriter(const MovieOptions& options = {});

    void SetBackgroundColor(Rgba color);  // opaque: the tag stores RGB

    // Writes a DefineShape tag of `version` and returns the new character id.
    std::uint16_t DefineShape(const ShapeBuilder& shape, ShapeVersion version);
    // Writes a DefineMorphShape and returns the new character id.
    std::uint16_t DefineMorphShape(const MorphShape& morph);
    // A fresh character id for a definition the caller writes itself (Root().AppendTag).
    std::uint16_t ReserveId() { return NextId(); }
    // Writes a DefineSprite holding `sprite`'s tags (closed with End) and returns its id.
    std::uint16_t DefineSprite(const Timeline& sprite);

    // A DefineButton2: `records` name the characters of its up, over, down and hit states
    // (ButtonState bits); `releaseActions` (ActionList::Encode) run when it is clicked.
    std::uint16_t DefineButton2(const std::vector<ButtonRecord>& records,
                                const std::vector<std::uint8_t>& releaseActions = {});
    // Bitmaps, each a new character id; `image`'s alpha is stored by DefineBitsJpeg3 only.
    // DefineBits: the JPEG's tables go into the movie's one JPEGTables tag, written before the
    // first DefineBits; every later one must use the same `quality` (else
    // std::invalid_argument), as it shares those tables.
    std::uint16_t DefineBits(const RgbaImage& image, int quality = 85);
    // DefineBitsJPEG2: a complete JPEG; `strayMarkers` puts the end/start-of-image pair older
    // tools wrote in front of it.
    std::uint16_t DefineBitsJpeg2(const RgbaImage& image, int quality = 85,
                                  bool strayMarkers = false);
    // DefineBitsJPEG3: a JPEG of the premultiplied colours and the zlib-compressed alpha.
    std::uint16_t DefineBitsJpeg3(const RgbaImage& image, int quality = 85);

    // DefineSound of uncompressed little-endian 16-bit samples (interleaved when stereo) at
    // 5512 << rateCode Hz (rateCode 0..3); returns the new character id.
    std::uint16_t DefineSound(const std::vector<std::int16_t>& samples, std::uint8_t rateCode,
                              bool stereo);

    // The movie's own timeline; definitions above are written into it too.
    Timeline& Root() { return root_; }

    // The whole file. The header's frame count is the root timeline's ShowFrame count and its
    // file length the uncompressed length, filled in after the tags. From SWF 8 on a
    // FileAttributes tag (no flags: AS1/2 actions, no network access) leads the tags.
    std::vector<std::uint8_t> Build() const;
    // Build() written to `path`; false (and nothing guaranteed on disk) if writing fails.
    bool WriteFile(const std::string& path) const;

    const MovieOptions& Options() const { return options_; }

  private:
    std::uint16_t NextId();

    MovieOptions options_;
    Timeline root_;
    std::uint16_t nextId_ = 1;
    int jpegTablesQuality_ = 0;  // 0 until the JPEGTables tag is written
};

// The uncompressed form of a CWS file (an FWS file is returned unchanged); throws
// std::runtime_error if the data is not an SWF file or does not inflate to its stated length.
std::vector<std::uint8_t> Decompress(const std::vector<std::uint8_t>& file);

}  // namespace saver::swfwriter
