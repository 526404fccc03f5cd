// ZipDataError: a member's compressed data is corrupt, ends early, or decodes to a size other
// than the one the archive declares. Raised by the member decoders and caught per member by
// ZipExtractor, which then removes the partly written file and goes on with the next member.
#pragma once

#include <stdexcept>

namespace saver {

class ZipDataError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace saver
