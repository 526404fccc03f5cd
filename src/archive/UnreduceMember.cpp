// Reduce (methods 2-5, PKWARE APPNOTE "Expanding"): a byte stream coded with per-character
// follower sets, which itself holds literal bytes and DLE-escaped (length, distance) pairs.
// No end marker exists: the declared uncompressed size ends the member.
#include <array>
#include <cstdint>

#include "archive/BitReader.h"
#include "archive/HistoryWindow.h"
#include "archive/MemberDecoders.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"

namespace saver {
namespace {

constexpr std::uint8_t kDle = 144;
constexpr unsigned kMaxFollowers = 32;

struct FollowerSets {
    std::array<std::array<std::uint8_t, kMaxFollowers>, 256> sets{};
    std::array<std::uint8_t, 256> count{};
    std::array<std::uint8_t, 256> indexBits{};  // bits needed to index the set (count - 1)
};

unsigned bitsForIndex(unsigned count) {
    unsigned bits = 1;
    while ((1u << bits) < count) ++bits;
    return bits;
}

void readFollowerSets(BitReader& bits, FollowerSets& f) {
    for (int j = 255; j >= 0; --j) {
        const unsigned n = bits.read(6);
        if (n > kMaxFollowers) throw ZipDataError("reduced member: bad follower set");
        f.count[j] = static_cast<std::uint8_t>(n);
        f.indexBits[j] = static_cast<std::uint8_t>(bitsForIndex(n));
        for (unsigned i = 0; i < n; ++i) f.sets[j][i] = static_cast<std::uint8_t>(bits.read(8));
    }
}

std::uint8_t nextByte(BitReader& bits, const FollowerSets& f, std::uint8_t last) {
    if (f.count[last] == 0 || bits.read(1) == 1) return static_cast<std::uint8_t>(bits.read(8));
    const unsigned i = bits.read(f.indexBits[last]);
    if (i >= f.count[last]) throw ZipDataError("reduced member: follower index out of range");
    return f.sets[last][i];
}

}  // namespace

void unreduceMember(MemberReader& in, MemberWriter& out, int factor) {
    BitReader bits(in);
    auto followers = std::make_unique<FollowerSets>();
    readFollowerSets(bits, *followers);
    HistoryWindow window(out);

    const unsigned lengthMask = 0xFFu >> factor;  // low bits of V hold the length
    std::uint8_t last = 0;
    int state = 0;
    unsigned v = 0;
    unsigned length = 0;
    while (!window.full()) {
        const std::uint8_t c = nextByte(bits, *followers, last);
        last = c;
        switch (state) {
            case 0:  // plain bytes; DLE starts an escape
                if (c != kDle)
                    window.put(c);
                else
                    state = 1;
                break;
            case 1:  // DLE 0 is a literal DLE, anything else starts a match
                if (c == 0) {
                    window.put(kDle);
                    state = 0;
                } else {
                    v = c;
                    length = v & lengthMask;
                    state = (length == lengthMask) ? 2 : 3;
                }
                break;
            case 2:  // long match: one more length byte
                length += c;
                state = 3;
                break;
            default: {  // distance: high bits from V, low byte from C
                const std::size_t distance = ((v >> (8 - factor)) << 8) + c + 1;
                window.copy(distance, length + 3);
                state = 0;
                break;
            }
        }
    }
    window.flush();
}

}  // namespace saver
