// ActionReader: decodes action records as the SWF file format lays them out: one code byte;
// codes 0x80 and above carry a 16-bit little-endian length and that many payload bytes.
// PayloadReader reads the fields of one payload.
//
// Failure: ReadAction gives nothing for an offset at or past the end, or a record whose length
// runs past the end (the player ends the block there). PayloadReader reads zero/empty past the
// end of its payload and remembers that it ran out (`ok()` false).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace saver::swf::avm1 {

struct ActionRecord {
    std::uint8_t code = 0;
    std::size_t offset = 0;  // of the code byte
    std::size_t next = 0;    // offset of the following record
    std::span<const std::uint8_t> payload;
};

std::optional<ActionRecord> ReadAction(std::span<const std::uint8_t> code, std::size_t offset);

class PayloadReader {
  public:
    explicit PayloadReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32();
    float f32();
    double f64();          // Push's doubles: the two 32-bit halves swapped
    std::string string();  // up to a 0 byte (or the end)

    bool atEnd() const { return pos_ >= bytes_.size(); }
    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace saver::swf::avm1
