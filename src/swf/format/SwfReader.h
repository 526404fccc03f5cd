// ReadMovie: parses a complete SWF file held in memory.
//
// The reader is strict and bounded: every count and length is checked against the bytes that
// are really there before anything is allocated, nesting is limited (sprites inside sprites are
// refused beyond the format's single level), and the uncompressed size of a CWS body is capped
// (kMaxMovieBytes) before inflating. Unknown tags and tags the player does not use are skipped
// by their length and counted in Movie::skippedTags.
//
// Failure: throws SwfError with a short English reason ("not an SWF file", "truncated tag",
// "ZWS (LZMA) movies are not supported", ...) for anything malformed; never crashes and never
// allocates more than the caps allow.
//
// Accepted, as real files often are slightly cut or padded: a tag stream that ends on a tag
// boundary without an End tag (the movie ends there), a last tag cut short by the end of the
// file (the movie ends before it), a CWS body whose compressed stream stops
// early (its tags must still be whole), bytes after the declared file length, after the End
// tag or after the compressed stream, a header frame count that differs from the frames
// present, and a PlaceObject3 missing the one-byte fields its flags announce after the filters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "swf/format/SwfMovie.h"

namespace saver::swf {

class SwfError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kMaxMovieBytes = 256u * 1024 * 1024;

Movie ReadMovie(std::span<const std::uint8_t> file);

}  // namespace saver::swf
