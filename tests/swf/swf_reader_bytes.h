// Hand-built SWF bytes for the reader tests: an MSB-first bit writer and helpers that wrap tag
// bodies into tags and tags into FWS / CWS files.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace saver::swf::test {

using Bytes = std::vector<std::uint8_t>;

class Bits {
  public:
    Bits& ub(unsigned bits, std::uint32_t value) {
        for (unsigned i = bits; i-- > 0;) {
            if (used_ == 0) out_.push_back(0);
            if ((value >> i) & 1u) out_.back() |= static_cast<std::uint8_t>(0x80u >> used_);
            used_ = (used_ + 1) % 8;
        }
        return *this;
    }
    Bits& sb(unsigned bits, std::int32_t value) {
        return ub(bits, static_cast<std::uint32_t>(value) & (bits >= 32 ? ~0u : (1u << bits) - 1));
    }
    Bits& align() {
        used_ = 0;
        return *this;
    }
    Bits& u8(std::uint8_t v) {
        align();
        out_.push_back(v);
        return *this;
    }
    Bits& u16(std::uint16_t v) { return u8(v & 0xFF).u8(static_cast<std::uint8_t>(v >> 8)); }
    Bits& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(static_cast<std::uint16_t>(v >> 16)); }
    Bits& bytes(const Bytes& b) {
        align();
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    Bits& str(const std::string& s) {
        align();
        out_.insert(out_.end(), s.begin(), s.end());
        out_.push_back(0);
        return *this;
    }
    Bits& rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return u8(r).u8(g).u8(b); }
    Bits& rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
        return rgb(r, g, b).u8(a);
    }
    // RECT with 16-bit fields.
    Bits& rect(int xMin, int xMax, int yMin, int yMax) {
        align();
        return ub(5, 16).sb(16, xMin).sb(16, xMax).sb(16, yMin).sb(16, yMax).align();
    }
    // MATRIX with only a translation (16-bit fields).
    Bits& translate(int tx, int ty) {
        align();
        return ub(1, 0).ub(1, 0).ub(5, 16).sb(16, tx).sb(16, ty).align();
    }
    Bytes done() const { return out_; }

  private:
    Bytes out_;
    unsigned used_ = 0;
};

// A tag with a short header, or a long one when forced or needed.
inline Bytes Tag(std::uint16_t code, const Bytes& body, bool longHeader = false) {
    Bits b;
    if (longHeader || body.size() >= 0x3F) {
        b.u16(static_cast<std::uint16_t>(code << 6 | 0x3F))
            .u32(static_cast<std::uint32_t>(body.size()));
    } else {
        b.u16(static_cast<std::uint16_t>(code << 6 | body.size()));
    }
    return b.bytes(body).done();
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The part of a movie after the 8-byte signature: 550x400 px stage, 24 fps, `frames`.
inline Bytes MovieBody(const Bytes& tags, std::uint16_t frames = 1) {
    return Bits().rect(0, 11000, 0, 8000).u16(24 << 8).u16(frames).bytes(tags).done();
}

inline Bytes Fws(const Bytes& tags, std::uint16_t frames = 1, std::uint8_t version = 10) {
    const Bytes body = MovieBody(tags, frames);
    return Bits()
        .bytes({'F', 'W', 'S', version})
        .u32(static_cast<std::uint32_t>(body.size() + 8))
        .bytes(body)
        .done();
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

// A CWS file declaring `declared` bytes (the real length unless given).
inline Bytes Cws(const Bytes& body, std::uint32_t declared = 0) {
    if (declared == 0) declared = static_cast<std::uint32_t>(body.size() + 8);
    return Bits().bytes({'C', 'W', 'S', 10}).u32(declared).bytes(Deflate(body)).done();
}

// Tag codes used by the tests.
enum : std::uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kDefineShape = 2,
    kPlaceObject = 4,
    kRemoveObject = 5,
    kDefineBits = 6,
    kSetBackgroundColor = 9,
    kDoAction = 12,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineText2 = 33,
    kDefineSprite = 39,
    kDefineVideoStream = 60,
    kFrameLabel = 43,
    kPlaceObject3 = 70,
    kDefineShape4 = 83,
};

inline Bytes End() {
    return Tag(kEnd, {});
}
inline Bytes ShowFrame() {
    return Tag(kShowFrame, {});
}

}  // namespace saver::swf::test
