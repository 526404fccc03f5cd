// HistoryWindow: the output side of the legacy decoders. Keeps the most recent output so
// back-references (at most 8 KiB back for these methods) can be copied, and passes the bytes
// on to the MemberWriter in chunks.
//
// Contract: the window stops at the member's declared size: put() and copy() never produce
// more, so a decoder loops `while (!full())`. Positions before the start of the member read as
// zero bytes, as the historical decoders treat them. flush() must be called once at the end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/MemberWriter.h"

namespace saver {

class HistoryWindow {
  public:
    static constexpr std::size_t kMaxDistance = 8192;

    explicit HistoryWindow(MemberWriter& out)
        : out_(out), buf_(new std::uint8_t[kSize]()), limit_(out.declaredSize()) {}

    bool full() const { return pos_ == limit_; }
    std::uint64_t produced() const { return pos_; }

    void put(std::uint8_t b) {
        buf_[pos_ & kMask] = b;
        if (++pos_ - flushed_ == kFlushAt) flush();
    }

    // Copies `length` bytes from `distance` back (1..kMaxDistance), clipped to the declared size.
    void copy(std::size_t distance, std::uint64_t length) {
        length = std::min(length, limit_ - pos_);
        while (length-- > 0) put(buf_[(pos_ - distance) & kMask]);
    }

    void flush() {
        while (flushed_ < pos_) {
            const std::size_t start = flushed_ & kMask;
            const auto n =
                static_cast<std::size_t>(std::min<std::uint64_t>(pos_ - flushed_, kSize - start));
            out_.write(buf_.get() + start, n);
            flushed_ += n;
        }
    }

  private:
    static constexpr std::size_t kSize = 64 * 1024;
    static constexpr std::size_t kMask = kSize - 1;
    // Unflushed bytes plus the reachable history must fit in the buffer.
    static constexpr std::size_t kFlushAt = 32 * 1024;
    static_assert(kFlushAt + kMaxDistance <= kSize);

    MemberWriter& out_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::uint64_t limit_;
    std::uint64_t pos_ = 0;
    std::uint64_t flushed_ = 0;
};

}  // namespace saver
