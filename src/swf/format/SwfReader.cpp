// The file header and the CWS body. A CWS body is inflated in steps into a buffer that grows
// with the real output, never beyond the length the header declares (itself capped by
// kMaxMovieBytes), so a small file claiming gigabytes costs nothing until it really inflates
// that far, and a stream that inflates past its declared length is refused.
#include "swf/format/SwfReader.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/TimelineReader.h"

namespace saver::swf {

namespace {

constexpr std::size_t kSignatureBytes = 8;  // signature, version, file length
constexpr std::size_t kInflateStep = 64 * 1024;

// Inflates `compressed` into exactly `limit` bytes. Input that ends before the stream does (a
// file cut short) gives what it produced; the caller's tag reader decides whether that is
// enough.
std::vector<std::uint8_t> Inflate(std::span<const std::uint8_t> compressed, std::size_t limit) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw SwfError("zlib initialisation failed");
    zs.next_in = const_cast<Bytef*>(compressed.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(compressed.size(), UINT32_MAX));
    std::vector<std::uint8_t> out;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (out.size() == limit) {
            // Full: the stream must end here, with no more output pending.
            std::uint8_t probe = 0;
            zs.next_out = &probe;
            zs.avail_out = 1;
            rc = inflate(&zs, Z_NO_FLUSH);
            if (zs.avail_out == 0) {
                inflateEnd(&zs);
                throw SwfError("compressed body longer than the declared file length");
            }
            break;
        }
        const std::size_t before = out.size();
        out.resize(std::min(limit, before + kInflateStep));
        zs.next_out = out.data() + before;
        zs.avail_out = static_cast<uInt>(out.size() - before);
        rc = inflate(&zs, Z_NO_FLUSH);
        out.resize(out.size() - zs.avail_out);
    }
    inflateEnd(&zs);
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR)
        throw SwfError("corrupt compressed body");
    // A complete stream must give the declared length; one whose input ran out early
    // (Z_BUF_ERROR) is a file cut short and keeps what it gave.
    if (rc == Z_STREAM_END && out.size() != limit)
        throw SwfError("compressed body shorter than the declared file length");
    return out;
}

Header ReadSignature(SwfBitReader& in) {
    Header h;
    const auto sig = in.bytes(3);
    if (sig[1] != 'W' || sig[2] != 'S') throw SwfError("not an SWF file");
    switch (sig[0]) {
        case 'F':
            h.compression = Compression::None;
            break;
        case 'C':
            h.compression = Compression::Zlib;
            break;
        case 'Z':  // said before any other fault, as the most useful answer for such a file
            throw SwfError("ZWS (LZMA) movies are not supported");
        default:
            throw SwfError("not an SWF file");
    }
    h.version = in.u8();
    h.fileLength = in.u32();
    if (h.fileLength < kSignatureBytes) throw SwfError("declared file length too small");
    if (h.fileLength > kMaxMovieBytes) throw SwfError("movie too large");
    return h;
}

void ReadFrameHeader(SwfBitReader& in, Header& h) {
    h.frameSize = ReadRect(in);
    h.frameRate = in.u16() / 256.0;
    h.frameCount = in.u16();
}

}  // namespace

Movie ReadMovie(std::span<const std::uint8_t> file) {
    SwfBitReader start(file, "header");
    Movie movie;
    movie.header = ReadSignature(start);
    const std::size_t bodyLength = movie.header.fileLength - kSignatureBytes;
    std::vector<std::uint8_t> inflated;
    std::span<const std::uint8_t> body = file.subspan(kSignatureBytes);
    switch (movie.header.compression) {
        case Compression::None:
            // Bytes after the declared length are not part of the movie.
            body = body.first(std::min(body.size(), bodyLength));
            break;
        case Compression::Zlib:
            inflated = Inflate(body, bodyLength);
            body = inflated;
            break;
        case Compression::Lzma:
            break;  // refused by ReadSignature
    }
    SwfBitReader head(body, "header");
    ReadFrameHeader(head, movie.header);
    SwfBitReader tags(body.subspan(head.position()), "tag");
    movie.root.declaredFrameCount = movie.header.frameCount;
    DecodeBudget budget;
    TimelineReader(movie, budget).read(tags, movie.root, false);
    return movie;
}

}  // namespace saver::swf
