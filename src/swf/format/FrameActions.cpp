// Decoding of the timeline actions. The bytes come straight from the file, so every length is
// checked against what is left before it is used; nothing here can read past the span.
#include "swf/format/FrameActions.h"

#include <cstring>

namespace saver::swf {

namespace {

constexpr std::uint8_t kEnd = 0x00;
constexpr std::uint8_t kNextFrame = 0x04;
constexpr std::uint8_t kPrevFrame = 0x05;
constexpr std::uint8_t kPlay = 0x06;
constexpr std::uint8_t kStop = 0x07;
constexpr std::uint8_t kGotoFrame = 0x81;
constexpr std::uint8_t kGotoLabel = 0x8C;
constexpr std::uint8_t kJump = 0x99;
constexpr std::uint8_t kIf = 0x9D;

// A label is a NUL-terminated string inside the payload; one without its NUL ends at the
// payload's end.
std::string PayloadString(std::span<const std::uint8_t> payload) {
    const auto* begin = reinterpret_cast<const char*>(payload.data());
    const void* nul = payload.empty() ? nullptr : std::memchr(begin, 0, payload.size());
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : payload.size();
    return std::string(begin, length);
}

void AddRecord(std::uint8_t code, std::span<const std::uint8_t> payload,
               std::vector<FrameAction>& out) {
    using Kind = FrameAction::Kind;
    switch (code) {
        case kNextFrame:
            out.push_back({Kind::NextFrame, 0, {}});
            break;
        case kPrevFrame:
            out.push_back({Kind::PrevFrame, 0, {}});
            break;
        case kPlay:
            out.push_back({Kind::Play, 0, {}});
            break;
        case kStop:
            out.push_back({Kind::Stop, 0, {}});
            break;
        case kGotoFrame:
            if (payload.size() >= 2)
                out.push_back({Kind::GotoFrame, payload[0] | payload[1] << 8, {}});
            break;
        case kGotoLabel:
            if (!payload.empty()) out.push_back({Kind::GotoLabel, 0, PayloadString(payload)});
            break;
        default:
            break;  // not a timeline action: ignored
    }
}

}  // namespace

std::vector<FrameAction> DecodeFrameActions(std::span<const std::uint8_t> bytes) {
    std::vector<FrameAction> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::uint8_t code = bytes[pos++];
        if (code == kEnd || code == kJump || code == kIf) break;
        std::span<const std::uint8_t> payload;
        if (code >= 0x80) {
            if (bytes.size() - pos < 2) break;
            const std::size_t length = bytes[pos] | bytes[pos + 1] << 8;
            pos += 2;
            if (bytes.size() - pos < length) break;
            payload = bytes.subspan(pos, length);
            pos += length;
        }
        AddRecord(code, payload, out);
    }
    return out;
}

}  // namespace saver::swf
