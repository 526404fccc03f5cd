// Shrink (method 1, PKWARE APPNOTE "UnShrinking"): LZW with 9- to 13-bit codes. Code 256
// escapes a command: 256,1 widens the codes by one bit; 256,2 frees every dictionary entry
// that no other entry extends (a leaf), and freed codes are reused lowest first.
#include <cstdint>
#include <memory>

#include "archive/BitReader.h"
#include "archive/HistoryWindow.h"
#include "archive/MemberDecoders.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"

namespace saver {
namespace {

constexpr unsigned kControl = 256;
constexpr unsigned kFirstFree = 257;
constexpr unsigned kCodes = 8192;  // 13-bit codes
constexpr std::uint16_t kUnused = 0xFFFF;

class Dictionary {
  public:
    Dictionary() {
        for (unsigned c = 0; c < kCodes; ++c) prefix_[c] = c < 256 ? c : kUnused;
        for (unsigned c = 0; c < 256; ++c) suffix_[c] = static_cast<std::uint8_t>(c);
        prefix_[kControl] = kControl;  // reserved, never a string
    }

    bool defined(unsigned code) const { return code != kControl && prefix_[code] != kUnused; }
    unsigned nextFree() const { return free_; }

    // Adds prefix + byte at the lowest free code (nothing happens when the table is full).
    void add(unsigned prefixCode, std::uint8_t byte) {
        if (free_ >= kCodes) return;
        prefix_[free_] = static_cast<std::uint16_t>(prefixCode);
        suffix_[free_] = byte;
        advanceFree(free_ + 1);
    }

    // Writes the string of a defined code to the window; returns its first byte.
    std::uint8_t emit(unsigned code, HistoryWindow& window) {
        unsigned n = 0;
        while (code >= 256) {
            // A chain longer than the table has a loop: only corrupt data makes one.
            if (n == kCodes || prefix_[code] == kUnused)
                throw ZipDataError("shrunk member: broken code chain");
            stack_[n++] = suffix_[code];
            code = prefix_[code];
        }
        const auto first = static_cast<std::uint8_t>(code);
        window.put(first);
        while (n > 0 && !window.full()) window.put(stack_[--n]);
        return first;
    }

    std::uint8_t firstByte(unsigned code) const {
        for (unsigned n = 0; code >= 256; ++n) {
            if (n == kCodes || prefix_[code] == kUnused)
                throw ZipDataError("shrunk member: broken code chain");
            code = prefix_[code];
        }
        return static_cast<std::uint8_t>(code);
    }

    void partialClear() {
        auto isPrefix = std::make_unique<bool[]>(kCodes);
        for (unsigned c = kFirstFree; c < kCodes; ++c)
            if (prefix_[c] != kUnused) isPrefix[prefix_[c]] = true;
        for (unsigned c = kFirstFree; c < kCodes; ++c)
            if (!isPrefix[c]) prefix_[c] = kUnused;
        advanceFree(kFirstFree);
    }

  private:
    void advanceFree(unsigned from) {
        free_ = from;
        while (free_ < kCodes && prefix_[free_] != kUnused) ++free_;
    }

    std::uint16_t prefix_[kCodes];
    std::uint8_t suffix_[kCodes];
    std::uint8_t stack_[kCodes];
    unsigned free_ = kFirstFree;
};

}  // namespace

void unshrinkMember(MemberReader& in, MemberWriter& out) {
    BitReader bits(in);
    auto dict = std::make_unique<Dictionary>();
    HistoryWindow window(out);
    unsigned codeBits = 9;
    int previous = -1;
    while (!window.full()) {
        const unsigned code = bits.read(codeBits);
        if (code == kControl) {
            const unsigned command = bits.read(codeBits);
            if (command == 1 && codeBits < 13)
                ++codeBits;
            else if (command == 2)
                dict->partialClear();
            else
                throw ZipDataError("shrunk member: bad control code");
            continue;
        }
        if (previous < 0) {
            if (code >= 256) throw ZipDataError("shrunk member: bad first code");
            window.put(static_cast<std::uint8_t>(code));
            previous = static_cast<int>(code);
            continue;
        }
        if (dict->defined(code)) {
            const std::uint8_t first = dict->emit(code, window);
            dict->add(static_cast<unsigned>(previous), first);
        } else if (code == dict->nextFree()) {
            // The code being defined right now: previous string + its own first byte.
            dict->add(static_cast<unsigned>(previous), dict->firstByte(previous));
            dict->emit(code, window);
        } else {
            throw ZipDataError("shrunk member: undefined code");
        }
        previous = static_cast<int>(code);
    }
    window.flush();
}

}  // namespace saver
