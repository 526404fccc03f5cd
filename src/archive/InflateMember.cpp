// Stored and deflated members: the two methods the builder writes, and by far the most
// common ones, so they take zlib's tuned inflate and large chunks.
#include <zlib.h>

#include <memory>

#include "archive/MemberDecoders.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"

namespace saver {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Owns a zlib inflate stream so every exit path releases it.
class RawInflate {
  public:
    RawInflate() {
        if (inflateInit2(&zs_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~RawInflate() { inflateEnd(&zs_); }
    RawInflate(const RawInflate&) = delete;
    RawInflate& operator=(const RawInflate&) = delete;
    z_stream& stream() { return zs_; }

  private:
    z_stream zs_{};
};

}  // namespace

void copyStoredMember(MemberReader& in, MemberWriter& out) {
    if (in.remaining() != out.declaredSize())
        throw ZipDataError("stored member: compressed and uncompressed sizes differ");
    auto buf = std::make_unique<std::uint8_t[]>(kChunk);
    while (std::size_t n = in.read(buf.get(), kChunk)) out.write(buf.get(), n);
}

void inflateMember(MemberReader& in, MemberWriter& out) {
    auto input = std::make_unique<std::uint8_t[]>(kChunk);
    auto output = std::make_unique<std::uint8_t[]>(kChunk);
    RawInflate inflater;
    z_stream& zs = inflater.stream();
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0) {
            zs.avail_in = static_cast<uInt>(in.read(input.get(), kChunk));
            zs.next_in = input.get();
        }
        const uInt inputBefore = zs.avail_in;
        zs.next_out = output.get();
        zs.avail_out = static_cast<uInt>(kChunk);
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            throw ZipDataError("deflated member: corrupt data");
        const std::size_t produced = kChunk - zs.avail_out;
        out.write(output.get(), produced);
        // No progress with a full output buffer to fill: the input ran out before the end of
        // the stream.
        if (rc != Z_STREAM_END && produced == 0 && zs.avail_in == inputBefore)
            throw ZipDataError("deflated member: data ends early");
    }
}

}  // namespace saver
