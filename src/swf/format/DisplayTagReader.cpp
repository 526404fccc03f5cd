// PlaceObject2/3 put all optional fields behind one or two flag bytes; the fields follow in a
// fixed order whatever flags are set. Filters have no length prefix, so skipping them means
// knowing every filter kind.
#include "swf/format/DisplayTagReader.h"

#include "swf/format/FilterReader.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

// CLIPACTIONS: reserved u16, all event flags, then records up to one with no events.
void ReadClipActions(SwfBitReader& in, int swfVersion, std::vector<ClipAction>& out) {
    const auto flags = [&]() -> std::uint32_t {
        if (swfVersion <= 5) return in.remaining() >= 2 ? in.u16() : 0;
        return in.remaining() >= 4 ? in.u32() : 0;
    };
    if (in.remaining() < 2) return;
    in.u16();
    flags();
    while (!in.atEnd()) {
        ClipAction action;
        action.events = flags();
        if (action.events == 0 || in.remaining() < 4) return;
        std::uint32_t size = in.u32();
        if (size > in.remaining()) return;
        if ((action.events & kClipKeyPress) && size > 0) {
            action.keyCode = in.u8();
            --size;
        }
        const auto bytes = in.bytes(size);
        action.bytes.assign(bytes.begin(), bytes.end());
        out.push_back(std::move(action));
    }
}

}  // namespace

PlaceObject DisplayTagReader::readPlace(SwfBitReader& in, int version, int swfVersion) {
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
    if (flags2 & 0x01) {
        p.filters.emplace();
        if (!ReadFilterList(in, *p.filters)) return p;
    }
    // Some writers announce the trailing one-byte fields without writing them; as nothing
    // after them is used, a tag that ends early here is accepted.
    if ((flags2 & 0x02) && !in.atEnd()) p.blendMode = in.u8();
    if ((flags2 & 0x04) && !in.atEnd()) p.cacheAsBitmap = in.u8() != 0;
    if ((flags2 & 0x20) && !in.atEnd()) p.visible = in.u8() != 0;
    if (flags2 & 0x40) {
        if (in.remaining() < 4) return p;
        Rgba c;
        c.r = in.u8();
        c.g = in.u8();
        c.b = in.u8();
        in.u8();
        p.opaqueBackground = c;
    }
    if (flags & 0x80) ReadClipActions(in, swfVersion, p.clipActions);
    return p;
}

RemoveObject DisplayTagReader::readRemove(SwfBitReader& in, int version) {
    RemoveObject r;
    if (version == 1) r.characterId = in.u16();
    r.depth = in.u16();
    return r;
}

}  // namespace saver::swf
