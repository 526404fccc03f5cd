#include "SwfWriter.h"

#include <zlib.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "BitWriter.h"
#include "SwfRecords.h"

namespace saver::swfwriter {
namespace {

constexpr std::size_t kCompressedHeader = 8;  // signature, version and file length

TagCode ShapeTag(ShapeVersion version) {
    switch (version) {
        case ShapeVersion::Shape1:
            return TagCode::DefineShape;
        case ShapeVersion::Shape2:
            return TagCode::DefineShape2;
        case ShapeVersion::Shape3:
            return TagCode::DefineShape3;
        case ShapeVersion::Shape4:
            return TagCode::DefineShape4;
    }
    throw std::invalid_argument("unknown shape version");
}

std::vector<std::uint8_t> Deflate(const std::uint8_t* data, std::size_t size) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    std::vector<std::uint8_t> out(bound);
    if (compress2(out.data(), &bound, data, static_cast<uLong>(size), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(bound);
    return out;
}

}  // namespace

SwfWriter::SwfWriter(const MovieOptions& options) : options_(options) {
    if (options.compress && options.version < 6)
        throw std::invalid_argument("compressed movies need SWF 6 or later");
    if (options.width < 0 || options.height < 0) throw std::invalid_argument("negative frame size");
    if (!(options.frameRate > 0 && options.frameRate < 256))
        throw std::invalid_argument("frame rate outside the 8.8 range");
}

void SwfWriter::SetBackgroundColor(Rgba color) {
    BitWriter w;
    WriteColor(w, {color.r, color.g, color.b, 255}, false);
    root_.AppendTag(TagCode::SetBackgroundColor, w.Bytes());
}

std::uint16_t SwfWriter::DefineShape(const ShapeBuilder& shape, ShapeVersion version) {
    if (version == ShapeVersion::Shape4 && options_.version < 8)
        throw std::invalid_argument("DefineShape4 needs SWF 8 or later");
    const std::vector<std::uint8_t> styles = shape.Encode(version);
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    WriteRect(w, shape.Bounds());
    if (version == ShapeVersion::Shape4) {
        WriteRect(w, shape.EdgeBounds());
        // Reserved UB[5], UsesFillWindingRule, UsesNonScalingStrokes, UsesScalingStrokes.
        w.WriteU8(shape.HasLines() ? 0x01 : 0x00);
    }
    w.WriteBytes(styles);
    root_.AppendTag(ShapeTag(version), w.Bytes());
    return id;
}

std::uint16_t SwfWriter::DefineMorphShape(const MorphShape& morph) {
    const std::uint16_t id = NextId();
    root_.AppendTag(TagCode::DefineMorphShape, morph.Encode(id));
    return id;
}

std::uint16_t SwfWriter::DefineSprite(const Timeline& sprite) {
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    w.WriteU16(sprite.FrameCount());
    w.WriteBytes(sprite.Tags());
    w.WriteBytes(Timeline::EncodeTag(TagCode::End, {}));
    root_.AppendTag(TagCode::DefineSprite, w.Bytes());
    return id;
}

std::uint16_t SwfWriter::DefineButton2(const std::vector<ButtonRecord>& records,
                                       const std::vector<std::uint8_t>& releaseActions) {
    const std::uint16_t id = NextId();
    BitWriter body;
    for (const ButtonRecord& r : records) {
        body.WriteU8(r.states & 0x0F);
        body.WriteU16(r.characterId);
        body.WriteU16(r.depth);
        WriteMatrix(body, r.matrix);
        WriteColorTransform(body, {}, true);
        body.Align();
    }
    body.WriteU8(0);  // CharacterEndFlag
    BitWriter w;
    w.WriteU16(id);
    w.WriteU8(0);  // not a menu button
    // ActionOffset: from this field to the first BUTTONCONDACTION, 0 when there is none.
    w.WriteU16(releaseActions.empty() ? 0 : static_cast<std::uint16_t>(2 + body.Size()));
    w.WriteBytes(body.Bytes());
    if (!releaseActions.empty()) {
        w.WriteU16(0);       // CondActionSize: the last one
        w.WriteU16(0x0008);  // OverDownToOverUp
        w.WriteBytes(releaseActions);
    }
    root_.AppendTag(TagCode::DefineButton2, w.Bytes());
    return id;
}

std::uint16_t SwfWriter::DefineSound(const std::vector<std::int16_t>& samples,
                                     std::uint8_t rateCode, bool stereo) {
    const std::uint16_t id = NextId();
    BitWriter w;
    w.WriteU16(id);
    // Format 3 (uncompressed, little-endian), rate, 16-bit, mono/stereo.
    w.WriteU8(static_cast<std::uint8_t>(3 << 4 | (rateCode & 3) << 2 | 1 << 1 | (stereo ? 1 : 0)));
    w.WriteU32(static_cast<std::uint32_t>(samples.size() / (stereo ? 2 : 1)));
    for (std::int16_t s : samples) w.WriteU16(static_cast<std::uint16_t>(s));
    root_.AppendTag(TagCode::DefineSound, w.Bytes());
    return id;
}

std::vector<std::uint8_t> SwfWriter::Build() const {
    BitWriter w;
    w.WriteBytes(std::vector<std::uint8_t>{
        options_.compress ? std::uint8_t{'C'} : std::uint8_t{'F'}, 'W', 'S', options_.version});
    const std::size_t lengthAt = w.Size();
    w.WriteU32(0);  // file length, filled in below
    WriteRect(w, {0, options_.width, 0, options_.height});
    w.WriteU16(static_cast<std::uint16_t>(std::lround(options_.frameRate * 256.0)));
    const std::size_t framesAt = w.Size();
    w.WriteU16(0);  // frame count, filled in below
    if (options_.version >= 8) {
        const std::uint8_t noFlags[4] = {0, 0, 0, 0};
        w.WriteBytes(Timeline::EncodeTag(TagCode::FileAttributes, noFlags));
    }
    w.WriteBytes(root_.Tags());
    w.WriteBytes(Timeline::EncodeTag(TagCode::End, {}));
    if (w.Size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("movie larger than 4 GiB");
    w.PatchU16(framesAt, root_.FrameCount());
    w.PatchU32(lengthAt, static_cast<std::uint32_t>(w.Size()));
    if (!options_.compress) return w.Bytes();

    const std::vector<std::uint8_t>& plain = w.Bytes();
    std::vector<std::uint8_t> out(plain.begin(), plain.begin() + kCompressedHeader);
    const std::vector<std::uint8_t> body =
        Deflate(plain.data() + kCompressedHeader, plain.size() - kCompressedHeader);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool SwfWriter::WriteFile(const std::string& path) const {
    const std::vector<std::uint8_t> bytes = Build();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

std::uint16_t SwfWriter::NextId() {
    if (nextId_ == std::numeric_limits<std::uint16_t>::max())
        throw std::out_of_range("more than 65534 characters");
    return nextId_++;
}

std::vector<std::uint8_t> Decompress(const std::vector<std::uint8_t>& file) {
    if (file.size() < kCompressedHeader || file[1] != 'W' || file[2] != 'S' ||
        (file[0] != 'F' && file[0] != 'C'))
        throw std::runtime_error("not an SWF file");
    if (file[0] == 'F') return file;
    const std::uint32_t length =
        file[4] | file[5] << 8 | file[6] << 16 | static_cast<std::uint32_t>(file[7]) << 24;
    if (length < kCompressedHeader) throw std::runtime_error("SWF length too small");
    std::vector<std::uint8_t> out(file.begin(), file.begin() + kCompressedHeader);
    out[0] = 'F';
    out.resize(length);
    uLongf produced = length - kCompressedHeader;
    const int rc =
        uncompress(out.data() + kCompressedHeader, &produced, file.data() + kCompressedHeader,
                   static_cast<uLong>(file.size() - kCompressedHeader));
    if (rc != Z_OK || produced != length - kCompressedHeader)
        throw std::runtime_error("compressed SWF body does not inflate to its stated length");
    return out;
}

}  // namespace saver::swfwriter
