#include "Timeline.h"

#include <limits>
#include <stdexcept>

#include "BitWriter.h"
#include "SwfRecords.h"

namespace saver::swfwriter {

void Timeline::Place(const PlaceObject& p) {
    if (!p.move && !p.characterId) throw std::invalid_argument("a new object needs a character");
    BitWriter w;
    // Flags, most significant first: ClipActions, ClipDepth, Name, Ratio, ColorTransform,
    // Matrix, Character, Move. Clip actions are never written.
    w.WriteFlag(false);
    w.WriteFlag(p.clipDepth.has_value());
    w.WriteFlag(p.name.has_value());
    w.WriteFlag(p.ratio.has_value());
    w.WriteFlag(p.colorTransform.has_value());
    w.WriteFlag(p.matrix.has_value());
    w.WriteFlag(p.characterId.has_value());
    w.WriteFlag(p.move);
    const bool third = !p.filters.empty() || p.blendMode;
    if (third) {
        // Reserved, OpaqueBackground, Visible, Image, ClassName, CacheAsBitmap, BlendMode,
        // FilterList.
        w.WriteUB(0, 6);
        w.WriteFlag(p.blendMode.has_value());
        w.WriteFlag(!p.filters.empty());
    }
    w.WriteU16(p.depth);
    if (p.characterId) w.WriteU16(*p.characterId);
    if (p.matrix) WriteMatrix(w, *p.matrix);
    if (p.colorTransform) WriteColorTransform(w, *p.colorTransform, true);
    if (p.ratio) w.WriteU16(*p.ratio);
    if (p.name) w.WriteString(*p.name);
    if (p.clipDepth) w.WriteU16(*p.clipDepth);
    if (!p.filters.empty()) WriteFilterList(w, p.filters);
    if (p.blendMode) w.WriteU8(*p.blendMode);
    AppendTag(third ? TagCode::PlaceObject3 : TagCode::PlaceObject2, w.Bytes());
}

void Timeline::Remove(std::uint16_t depth) {
    BitWriter w;
    w.WriteU16(depth);
    AppendTag(TagCode::RemoveObject2, w.Bytes());
}

void Timeline::FrameLabel(std::string_view name) {
    BitWriter w;
    w.WriteString(name);
    AppendTag(TagCode::FrameLabel, w.Bytes());
}

void Timeline::DoAction(const ActionList& actions) {
    AppendTag(TagCode::DoAction, actions.Encode());
}

void Timeline::ShowFrame() {
    if (frames_ == std::numeric_limits<std::uint16_t>::max())
        throw std::out_of_range("more than 65535 frames");
    AppendTag(TagCode::ShowFrame, {});
    ++frames_;
}

void Timeline::AppendTag(TagCode code, std::span<const std::uint8_t> body) {
    const std::vector<std::uint8_t> tag = EncodeTag(code, body);
    tags_.insert(tags_.end(), tag.begin(), tag.end());
}

std::vector<std::uint8_t> Timeline::EncodeTag(TagCode code, std::span<const std::uint8_t> body) {
    BitWriter w;
    const auto codeBits = static_cast<std::uint16_t>(static_cast<std::uint16_t>(code) << 6);
    if (body.size() < 0x3F) {
        w.WriteU16(static_cast<std::uint16_t>(codeBits | body.size()));
    } else {
        if (body.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw std::length_error("tag body too long");
        w.WriteU16(static_cast<std::uint16_t>(codeBits | 0x3F));
        w.WriteU32(static_cast<std::uint32_t>(body.size()));
    }
    w.WriteBytes(body);
    return w.Bytes();
}

}  // namespace saver::swfwriter
