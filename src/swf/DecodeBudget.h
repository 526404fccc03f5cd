// DecodeBudget: the memory the decoded form of one movie may take. A compressed movie of a few
// hundred kilobytes can inflate to kMaxMovieBytes of tiny records (ShowFrame tags, two-byte
// edges), each of which becomes a much larger object; the readers charge every object they
// keep against this budget, so such a movie is refused instead of exhausting memory.
//
// Failure: charge() throws SwfError("movie too large to decode") once the total would exceed
// the limit.
#pragma once

#include <cstddef>

#include "swf/SwfReader.h"

namespace saver::swf {

class DecodeBudget {
  public:
    // Generous for any real movie: twice the largest file the reader accepts.
    static constexpr std::size_t kDefaultLimit = 2 * kMaxMovieBytes;

    explicit DecodeBudget(std::size_t limit = kDefaultLimit) : left_(limit) {}

    void charge(std::size_t bytes) {
        if (bytes > left_) throw SwfError("movie too large to decode");
        left_ -= bytes;
    }

  private:
    std::size_t left_;
};

}  // namespace saver::swf
