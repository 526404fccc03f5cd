// The decoders of the compression methods an archive member may use. Each reads the member's
// compressed data from `in` and writes the decoded bytes to `out`.
//
// Contract for all: they stop at the member's declared uncompressed size and never write past
// it; corrupt or truncated data throws ZipDataError (the caller discards the output). They
// check no CRC: the caller compares MemberWriter::crc() afterwards. Memory use is fixed and
// does not depend on the member's size.
#pragma once

#include <cstdint>

namespace saver {

class MemberReader;
class MemberWriter;

// Method 0: the data as is; the compressed size must equal the uncompressed size.
void copyStoredMember(MemberReader& in, MemberWriter& out);
// Method 8: raw DEFLATE (RFC 1951) through zlib.
void inflateMember(MemberReader& in, MemberWriter& out);
// Method 1: dynamic LZW with partial clearing.
void unshrinkMember(MemberReader& in, MemberWriter& out);
// Methods 2-5: follower-set coding over run/length-distance coding; factor = method - 1.
void unreduceMember(MemberReader& in, MemberWriter& out, int factor);
// Method 6: sliding dictionary with Shannon-Fano trees; the window size (bit 1) and the number
// of trees (bit 2) come from the member's general-purpose flags. The minimum match length is 3
// with a literal tree and 2 without; `earlyPkzipMatches` instead takes it from the window size
// (3 for 8 KiB, 2 for 4 KiB), as PKZIP 1.01 and 1.02 wrote it.
void explodeMember(MemberReader& in, MemberWriter& out, std::uint16_t flags,
                   bool earlyPkzipMatches = false);
// The decoder of `method` (0-6 or 8); any other method is taken as 8. `flags` are the member's
// general-purpose flags (used by method 6).
void decodeMember(MemberReader& in, MemberWriter& out, std::uint16_t method, std::uint16_t flags,
                  bool earlyPkzipMatches = false);
// True when the two ways of choosing the minimum match length above differ for these flags.
bool earlyPkzipMatchesDiffer(std::uint16_t flags);

}  // namespace saver
