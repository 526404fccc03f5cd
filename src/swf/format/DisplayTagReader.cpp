// PlaceObject2/3 put all optional fields behind one or two flag bytes; the fields follow in a
// fixed order whatever flags are set. Filters have no length prefix, so skipping them means
// knowing the size of every filter kind.
#include "swf/format/DisplayTagReader.h"

#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

// Fixed byte sizes of the filter kinds after their id byte, or 0 for the variable ones.
constexpr std::size_t kDropShadow = 23, kBlur = 9, kGlow = 15, kBevel = 27, kColorMatrix = 80;
// Gradient glow / bevel after the colour count: 4 per colour, 1 per ratio, then 19 bytes.
constexpr std::size_t kGradientFilterTail = 19;
// Convolution after its two dimension bytes: divisor, bias, matrix, colour, flags.
constexpr std::size_t kConvolutionFixed = 4 + 4 + 4 + 1;

}  // namespace

bool DisplayTagReader::skipFilters(SwfBitReader& in) {
    const unsigned count = in.u8();
    for (unsigned i = 0; i < count; ++i) {
        switch (in.u8()) {
            case 0:
                in.skip(kDropShadow);
                break;
            case 1:
                in.skip(kBlur);
                break;
            case 2:
                in.skip(kGlow);
                break;
            case 3:
                in.skip(kBevel);
                break;
            case 4:
            case 7: {
                const std::size_t colors = in.u8();
                in.skip(colors * 5 + kGradientFilterTail);
                break;
            }
            case 5: {
                const std::size_t cols = in.u8(), rows = in.u8();
                in.skip(cols * rows * 4 + kConvolutionFixed);
                break;
            }
            case 6:
                in.skip(kColorMatrix);
                break;
            default:
                return false;
        }
    }
    return true;
}

PlaceObject DisplayTagReader::readPlace(SwfBitReader& in, int version) {
    PlaceObject p;
    p.version = static_cast<std::uint8_t>(version);
    if (version == 1) {
        p.characterId = in.u16();
        p.depth = in.u16();
        p.matrix = ReadMatrix(in);
        if (!in.atEnd()) p.colorTransform = ReadColorTransform(in, false);
        return p;
    }
    const std::uint8_t flags = in.u8();
    const std::uint8_t flags2 = version >= 3 ? in.u8() : 0;
    p.depth = in.u16();
    p.move = flags & 0x01;
    const bool hasCharacter = flags & 0x02;
    if ((flags2 & 0x08) || ((flags2 & 0x10) && hasCharacter)) in.string();  // class name
    if (hasCharacter) p.characterId = in.u16();
    if (flags & 0x04) p.matrix = ReadMatrix(in);
    if (flags & 0x08) p.colorTransform = ReadColorTransform(in, true);
    if (flags & 0x10) p.ratio = in.u16();
    if (flags & 0x20) p.name = in.string();
    if (flags & 0x40) p.clipDepth = in.u16();
    if ((flags2 & 0x01) && !skipFilters(in)) return p;
    // Some writers announce the trailing one-byte fields without writing them; as nothing
    // after them is used, a tag that ends early here is accepted.
    if ((flags2 & 0x02) && !in.atEnd()) p.blendMode = in.u8();
    return p;  // cacheAsBitmap, visible, background and clip actions are not used
}

RemoveObject DisplayTagReader::readRemove(SwfBitReader& in, int version) {
    RemoveObject r;
    if (version == 1) r.characterId = in.u16();
    r.depth = in.u16();
    return r;
}

}  // namespace saver::swf
