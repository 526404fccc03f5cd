#include "ActionList.h"

#include <cstring>
#include <stdexcept>

namespace saver::swfwriter {

ActionList& ActionList::Stop() {
    bytes_.push_back(0x07);
    return *this;
}

ActionList& ActionList::Play() {
    bytes_.push_back(0x06);
    return *this;
}

ActionList& ActionList::NextFrame() {
    bytes_.push_back(0x04);
    return *this;
}

ActionList& ActionList::PrevFrame() {
    bytes_.push_back(0x05);
    return *this;
}

ActionList& ActionList::GotoFrame(std::uint16_t frame) {
    Long(0x81, {static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(frame >> 8)});
    return *this;
}

ActionList& ActionList::GotoLabel(std::string_view label) {
    if (label.find('\0') != std::string_view::npos)
        throw std::invalid_argument("frame label holds a zero byte");
    std::vector<std::uint8_t> payload(label.begin(), label.end());
    payload.push_back(0);
    Long(0x8C, payload);
    return *this;
}

ActionList& ActionList::Push(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        throw std::invalid_argument("pushed string holds a zero byte");
    std::vector<std::uint8_t> payload{0};  // type 0: string
    payload.insert(payload.end(), text.begin(), text.end());
    payload.push_back(0);
    Long(0x96, payload);
    return *this;
}

ActionList& ActionList::Push(std::int32_t number) {
    const auto u = static_cast<std::uint32_t>(number);
    Long(0x96, {7, static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)});
    return *this;
}

ActionList& ActionList::GetVariable() {
    bytes_.push_back(0x1C);
    return *this;
}

ActionList& ActionList::SetVariable() {
    bytes_.push_back(0x1D);
    return *this;
}

ActionList& ActionList::NewObject() {
    bytes_.push_back(0x40);
    return *this;
}

ActionList& ActionList::CallMethod() {
    bytes_.push_back(0x52);
    return *this;
}

ActionList& ActionList::Add2() {
    bytes_.push_back(0x47);
    return *this;
}

ActionList& ActionList::Divide() {
    bytes_.push_back(0x0D);
    return *this;
}

ActionList& ActionList::Modulo() {
    bytes_.push_back(0x3F);
    return *this;
}

ActionList& ActionList::ToInteger() {
    bytes_.push_back(0x18);
    return *this;
}

ActionList& ActionList::PushDouble(double number) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    // The file keeps the high 32 bits first, each half little-endian.
    const auto high = static_cast<std::uint32_t>(bits >> 32),
               low = static_cast<std::uint32_t>(bits);
    std::vector<std::uint8_t> payload{6};
    for (const std::uint32_t half : {high, low})
        for (int b = 0; b < 4; ++b) payload.push_back(static_cast<std::uint8_t>(half >> (8 * b)));
    Long(0x96, payload);
    return *this;
}

ActionList& ActionList::Pop() {
    return Short(0x17);
}
ActionList& ActionList::Subtract() {
    return Short(0x0B);
}
ActionList& ActionList::Multiply() {
    return Short(0x0C);
}
ActionList& ActionList::GetMember() {
    return Short(0x4E);
}
ActionList& ActionList::SetMember() {
    return Short(0x4F);
}
ActionList& ActionList::CallFunction() {
    return Short(0x3D);
}
ActionList& ActionList::GetProperty() {
    return Short(0x22);
}
ActionList& ActionList::SetProperty() {
    return Short(0x23);
}
ActionList& ActionList::DuplicateMovieClip() {
    return Short(0x24);
}
ActionList& ActionList::RandomNumber() {
    return Short(0x30);
}
ActionList& ActionList::Trace() {
    return Short(0x26);
}

ActionList& ActionList::Append(const ActionList& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    return *this;
}

ActionList& ActionList::Short(std::uint8_t code) {
    bytes_.push_back(code);
    return *this;
}

std::vector<std::uint8_t> ActionList::Encode() const {
    std::vector<std::uint8_t> out = bytes_;
    out.push_back(0x00);
    return out;
}

void ActionList::Long(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
    // Action codes from 0x80 on carry a UI16 length before their payload.
    if (payload.size() > 0xFFFF) throw std::invalid_argument("action payload too long");
    bytes_.push_back(code);
    bytes_.push_back(static_cast<std::uint8_t>(payload.size()));
    bytes_.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
}

}  // namespace saver::swfwriter
