// Implode (method 6, PKWARE APPNOTE "Imploding"): LZ77 over a 4 KiB or 8 KiB window whose
// literals, lengths and distances are coded with Shannon-Fano trees stored at the start of
// the data. No end marker exists: the declared uncompressed size ends the member.
#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "archive/BitReader.h"
#include "archive/HistoryWindow.h"
#include "archive/MemberDecoders.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"

namespace saver {
namespace {

constexpr unsigned kMaxCodeBits = 16;

// A Shannon-Fano code turned into a lookup table indexed by the next maxBits input bits (in
// stream order). Each entry holds symbol << 5 | code length; 0 marks bit patterns no code uses.
class ShannonFanoTable {
  public:
    void read(BitReader& bits, unsigned symbols) {
        std::vector<std::uint8_t> lengths = readLengths(bits, symbols);
        build(lengths);
    }

    unsigned decode(BitReader& bits) const {
        const std::uint16_t e = table_[bits.peek(maxBits_)];
        if (e == 0) throw ZipDataError("imploded member: undefined code");
        bits.skip(e & 31u);
        return e >> 5;
    }

  private:
    // Stored as run-length bytes: low nibble = bit length - 1, high nibble = count - 1, the
    // number of those bytes - 1 in front.
    static std::vector<std::uint8_t> readLengths(BitReader& bits, unsigned symbols) {
        std::vector<std::uint8_t> lengths;
        lengths.reserve(symbols);
        const unsigned runs = bits.read(8) + 1;
        for (unsigned r = 0; r < runs; ++r) {
            const unsigned b = bits.read(8);
            const unsigned count = (b >> 4) + 1;
            if (lengths.size() + count > symbols)
                throw ZipDataError("imploded member: tree too large");
            lengths.insert(lengths.end(), count, static_cast<std::uint8_t>((b & 15) + 1));
        }
        if (lengths.size() != symbols) throw ZipDataError("imploded member: tree too small");
        return lengths;
    }

    static unsigned reverseBits(unsigned code, unsigned length) {
        unsigned r = 0;
        for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
        return r;
    }

    // Codes as APPNOTE builds them: sort by length (stable), then hand out codes from the
    // longest length upwards, counting in 16-bit left-aligned steps.
    void build(const std::vector<std::uint8_t>& lengths) {
        std::vector<unsigned> order(lengths.size());
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](unsigned a, unsigned b) { return lengths[a] < lengths[b]; });
        maxBits_ = lengths[order.back()];
        table_.assign(std::size_t{1} << maxBits_, 0);

        std::uint32_t code = 0;
        std::uint32_t increment = 0;
        unsigned lastLength = 0;
        for (auto i = order.size(); i-- > 0;) {
            const unsigned symbol = order[i];
            const unsigned len = lengths[symbol];
            code += increment;
            if (len != lastLength) {
                lastLength = len;
                increment = 1u << (kMaxCodeBits - len);
            }
            if (code > 0xFFFF || code % increment != 0)
                throw ZipDataError("imploded member: inconsistent code lengths");
            const unsigned first = reverseBits(code >> (kMaxCodeBits - len), len);
            const auto entry = static_cast<std::uint16_t>(symbol << 5 | len);
            for (std::size_t k = first; k < table_.size(); k += std::size_t{1} << len) {
                if (table_[k] != 0) throw ZipDataError("imploded member: overlapping codes");
                table_[k] = entry;
            }
        }
    }

    std::vector<std::uint16_t> table_;
    unsigned maxBits_ = 0;
};

}  // namespace

bool earlyPkzipMatchesDiffer(std::uint16_t flags) {
    return ((flags & 2) != 0) != ((flags & 4) != 0);
}

void explodeMember(MemberReader& in, MemberWriter& out, std::uint16_t flags,
                   bool earlyPkzipMatches) {
    const bool bigWindow = (flags & 2) != 0;
    const bool literalTree = (flags & 4) != 0;
    BitReader bits(in);
    ShannonFanoTable literals, lengths, distances;
    if (literalTree) literals.read(bits, 256);
    lengths.read(bits, 64);
    distances.read(bits, 64);

    const unsigned minMatch = (earlyPkzipMatches ? bigWindow : literalTree) ? 3 : 2;
    const unsigned lowDistanceBits = bigWindow ? 7 : 6;
    HistoryWindow window(out);
    while (!window.full()) {
        if (bits.read(1) != 0) {
            const unsigned c = literalTree ? literals.decode(bits) : bits.read(8);
            window.put(static_cast<std::uint8_t>(c));
            continue;
        }
        const unsigned low = bits.read(lowDistanceBits);
        const unsigned distance = ((distances.decode(bits) << lowDistanceBits) | low) + 1;
        unsigned length = lengths.decode(bits);
        if (length == 63) length += bits.read(8);
        window.copy(distance, length + minMatch);
    }
    window.flush();
}

}  // namespace saver
