// DecodeBudget: the memory the decoded form of one movie may take. A compressed movie of a few
// hundred kilobytes can inflate to kMaxMovieBytes of tiny records (ShowFrame tags, two-byte
// edges), each of which becomes a much larger object; the readers charge every object they
// keep against this budget, so such a movie is refused instead of exhausting memory.
//
// Failure: charge() throws SwfError("movie too large to decode") once the total would exceed
// the limit.
#pragma once

#include <cstddef>

#include "swf/format/SwfReader.h"

namespace saver::swf {

class DecodeBudget {
  public:
    // 128 MiB: generous for any real movie, whose bulk is bitmaps and sounds the reader skips
    // (some three million edges); vector growth may briefly take up to three times this.
    static constexpr std::size_t kDefaultLimit = kMaxMovieBytes / 2;

    explicit DecodeBudget(std::size_t limit = kDefaultLimit) : left_(limit) {}

    void charge(std::size_t bytes) {
        if (bytes > left_) throw SwfError("movie too large to decode");
        left_ -= bytes;
    }

  private:
    std::size_t left_;
};

}  // namespace saver::swf
