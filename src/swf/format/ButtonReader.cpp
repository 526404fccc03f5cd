// Buttons are a list of records closed by a zero flag byte, then actions. The filter list of a
// SWF 8 record has no length of its own, so it is measured by skipping it the way PlaceObject3
// does and kept as the bytes it spans.
#include "swf/format/ButtonReader.h"

#include "swf/format/DisplayTagReader.h"
#include "swf/format/FilterReader.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

constexpr std::uint16_t kOverDownToOverUp = 0x0008;
constexpr std::uint8_t kHasFilterList = 0x10, kHasBlendMode = 0x20;

// SOUNDINFO: flags, then the optional in point, out point, loop count and envelope.
void SkipSoundInfo(SwfBitReader& in) {
    const std::uint8_t flags = in.u8();
    if (flags & 0x01) in.u32();  // in point
    if (flags & 0x02) in.u32();  // out point
    if (flags & 0x04) in.u16();  // loop count
    if (flags & 0x08) in.skip(std::size_t{in.u8()} * 8);
}

}  // namespace

Button ButtonReader::readButton(SwfBitReader& in, int version, DecodeBudget& budget) {
    Button button;
    button.id = in.u16();
    button.version = static_cast<std::uint8_t>(version);
    std::size_t actionsAt = 0;
    if (version >= 2) {
        button.trackAsMenu = (in.u8() & 0x01) != 0;
        const std::size_t base = in.position();
        const std::size_t offset = in.u16();
        actionsAt = offset == 0 ? 0 : base + offset;
    }
    while (readRecord(in, version, button, budget)) {
    }
    if (version < 2) {
        const auto bytes = in.bytes(in.remaining());
        budget.charge(sizeof(ButtonAction) + bytes.size());
        button.actions.push_back({kOverDownToOverUp, {bytes.begin(), bytes.end()}});
        return button;
    }
    if (actionsAt == 0) return button;
    const std::size_t here = in.position();
    if (actionsAt > here && actionsAt - here < in.remaining()) in.skip(actionsAt - here);
    readActions(in, button, budget);
    return button;
}

bool ButtonReader::readRecord(SwfBitReader& in, int version, Button& button, DecodeBudget& budget) {
    const std::uint8_t flags = in.u8();
    if (flags == 0) return false;
    ButtonRecord record;
    record.states = flags & 0x0F;
    record.characterId = in.u16();
    record.depth = in.u16();
    record.matrix = ReadMatrix(in);
    if (version >= 2) {
        record.colorTransform = ReadColorTransform(in, true);
        if (flags & kHasFilterList) {
            in.align();
            const std::size_t start = in.position();
            SwfBitReader filters = in;
            std::vector<Filter> decoded;  // read to find the list's end; kept as bytes
            if (!ReadFilterList(in, decoded)) throw SwfError("unknown filter in button");
            const auto bytes = filters.bytes(in.position() - start);
            budget.charge(bytes.size());
            record.filters.assign(bytes.begin(), bytes.end());
        }
        if (flags & kHasBlendMode) record.blendMode = in.u8();
    }
    budget.charge(sizeof(ButtonRecord));
    button.records.push_back(std::move(record));
    return true;
}

void ButtonReader::readActions(SwfBitReader& in, Button& button, DecodeBudget& budget) {
    while (in.remaining() >= 4) {
        const std::size_t size = in.u16();
        ButtonAction action;
        action.conditions = in.u16();
        std::span<const std::uint8_t> bytes;
        if (size == 0) {
            bytes = in.bytes(in.remaining());  // the last one runs to the end of the tag
        } else if (size >= 4 && size - 4 <= in.remaining()) {
            bytes = in.bytes(size - 4);
        } else {
            return;
        }
        budget.charge(sizeof(ButtonAction) + bytes.size());
        action.bytes.assign(bytes.begin(), bytes.end());
        button.actions.push_back(std::move(action));
        if (size == 0) return;
    }
}

void ButtonReader::readColorTransforms(SwfBitReader& in, Button& button) {
    for (ButtonRecord& record : button.records) {
        if (in.atEnd()) return;
        try {
            record.colorTransform = ReadColorTransform(in, false);
        } catch (const SwfError&) {
            return;  // a transform cut short changes nothing
        }
    }
}

void ButtonReader::readSounds(SwfBitReader& in, Button& button, DecodeBudget& budget) {
    for (auto& sound : button.sounds) {
        if (in.remaining() < 2) return;
        const std::uint16_t id = in.u16();
        if (id == 0) continue;
        SwfBitReader info = in;
        const std::size_t start = in.position();
        try {
            SkipSoundInfo(in);
        } catch (const SwfError&) {
            return;  // a sound cut short is left out
        }
        const auto bytes = info.bytes(in.position() - start);
        budget.charge(sizeof(ButtonSound) + bytes.size());
        sound = ButtonSound{id, {bytes.begin(), bytes.end()}};
    }
}

}  // namespace saver::swf
