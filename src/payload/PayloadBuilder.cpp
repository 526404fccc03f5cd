#include "payload/PayloadBuilder.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <set>

#include <zlib.h>

#include "archive/ZipWriter.h"
#include "payload/IniDocument.h"
#include "payload/PayloadLocator.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace saver {
namespace {

// The locator reads only this many bytes from the end of the program file.
constexpr std::uint64_t kWindow = PayloadWindowSize;
// Copy buffer: big enough for throughput, small enough that a 300 MB movie costs nothing.
constexpr std::size_t kChunk = 1 << 20;

// One piece of the finished file: a file read in chunks, or bytes held in memory.
class Segment {
  public:
    Segment(FileSystem& fs, const ByteSource& src) {
        if (src.bytes) {
            bytes_ = *src.bytes;
            return;
        }
        file_ = fs.openRead(src.path);
        if (!file_) throw PayloadBuildError("cannot read \"" + src.path + "\"");
    }
    explicit Segment(std::string bytes) : bytes_(std::move(bytes)) {}
    virtual ~Segment() = default;

    virtual std::uint64_t size() const { return file_ ? file_->size() : bytes_.size(); }

    // Reads [offset, offset + count) completely; a file that shrank meanwhile is an error.
    virtual void read(std::uint64_t offset, char* buffer, std::size_t count) {
        if (!file_) {
            bytes_.copy(buffer, count, static_cast<std::size_t>(offset));
            return;
        }
        std::size_t done = 0;
        while (done < count) {
            const std::size_t n = file_->readAt(offset + done, buffer + done, count - done);
            if (n == 0) throw PayloadBuildError("a source file changed while it was read");
            done += n;
        }
    }

    std::string readAll() {
        std::string out(static_cast<std::size_t>(size()), '\0');
        read(0, out.data(), out.size());
        return out;
    }

  private:
    std::unique_ptr<InputFile> file_;
    std::string bytes_;
};

void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A ZIP archive (PKWARE APPNOTE) holding one deflated member, produced on the fly from its
// source so that an item of any size passes through fixed-size buffers. Deflate output is
// deterministic, so the stream is simply produced again from the start whenever an earlier part
// is asked for: once here to learn the CRC and the sizes the headers need, then by the window
// check and by the copy, each reading forwards.
class ZipItemSegment : public Segment {
  public:
    ZipItemSegment(std::unique_ptr<Segment> source, const std::string& memberName)
        : Segment(std::string()), source_(std::move(source)) {
        if (source_->size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            throw PayloadBuildError("item is too large for a ZIP archive");
        if (deflateInit2(&zs_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            throw PayloadBuildError("deflate could not start");
        std::uint64_t compressed = 0;
        crc_ = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
        for (produce(true); !pending_.empty(); produce(true)) compressed += pending_.size();
        if (compressed >= 0xFFFFFFFFu)
            throw PayloadBuildError("item is too large for a ZIP archive");
        compressed_ = compressed;
        buildHeaders(memberName);
        rewind();
    }
    ~ZipItemSegment() override { deflateEnd(&zs_); }

    std::uint64_t size() const override { return header_.size() + compressed_ + trailer_.size(); }

    void read(std::uint64_t offset, char* buffer, std::size_t count) override {
        while (count > 0) {
            std::size_t n;
            if (offset < header_.size()) {
                n = header_.copy(buffer, count, static_cast<std::size_t>(offset));
            } else if (offset < header_.size() + compressed_) {
                n = readData(offset - header_.size(), buffer,
                             static_cast<std::size_t>(std::min<std::uint64_t>(
                                 count, header_.size() + compressed_ - offset)));
            } else {
                const auto at = static_cast<std::size_t>(offset - header_.size() - compressed_);
                if (at >= trailer_.size()) throw PayloadBuildError("read past a ZIP item");
                n = trailer_.copy(buffer, count, at);
            }
            offset += n;
            buffer += n;
            count -= n;
        }
    }

  private:
    void rewind() {
        deflateReset(&zs_);
        sourcePos_ = 0;
        pending_.clear();
        pendingStart_ = 0;
        finished_ = false;
    }

    // Replaces pending_ by the next piece of deflate output (empty once the stream is done).
    void produce(bool withCrc) {
        pendingStart_ += pending_.size();
        pending_.clear();
        std::string in;
        while (pending_.empty() && !finished_) {
            const std::uint64_t left = source_->size() - sourcePos_;
            in.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left)));
            source_->read(sourcePos_, in.data(), in.size());
            sourcePos_ += in.size();
            if (withCrc)
                crc_ = static_cast<std::uint32_t>(
                    crc32_z(crc_, reinterpret_cast<const Bytef*>(in.data()), in.size()));
            deflateChunk(in, sourcePos_ == source_->size());
        }
    }

    void deflateChunk(std::string& in, bool last) {
        zs_.next_in = reinterpret_cast<Bytef*>(in.data());
        zs_.avail_in = static_cast<uInt>(in.size());
        char out[64 * 1024];
        int rc;
        do {
            zs_.next_out = reinterpret_cast<Bytef*>(out);
            zs_.avail_out = sizeof out;
            rc = deflate(&zs_, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) throw PayloadBuildError("deflate failed");
            pending_.append(out, sizeof out - zs_.avail_out);
        } while (zs_.avail_out == 0 || (last && rc != Z_STREAM_END));
        finished_ = last;
    }

    std::size_t readData(std::uint64_t pos, char* buffer, std::size_t count) {
        if (pos < pendingStart_) rewind();
        while (pos >= pendingStart_ + pending_.size()) {
            produce(false);
            if (pending_.empty())
                throw PayloadBuildError("a source file changed while it was read");
        }
        return pending_.copy(buffer, count, static_cast<std::size_t>(pos - pendingStart_));
    }

    void buildHeaders(const std::string& name) {
        const auto csize = static_cast<std::uint32_t>(compressed_);
        const auto usize = static_cast<std::uint32_t>(source_->size());
        const auto nameLen = static_cast<std::uint32_t>(name.size());
        auto common = [&](std::string& out) {  // version needed .. name length
            put16(out, 20);                    // 2.0: deflate
            put16(out, 0);                     // flags
            put16(out, 8);                     // deflated
            put16(out, 0);                     // time 00:00
            put16(out, (1 << 5) | 1);          // date 1980-01-01
            put32(out, crc_);
            put32(out, csize);
            put32(out, usize);
            put16(out, nameLen);
            put16(out, 0);  // extra field length
        };
        put32(header_, 0x04034b50);
        common(header_);
        header_ += name;

        std::string central;
        put32(central, 0x02014b50);
        put16(central, 20);  // made by: 2.0
        common(central);
        put16(central, 0);  // comment length
        put16(central, 0);  // disk number
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, 0);  // local header offset
        central += name;
        trailer_ = central;
        put32(trailer_, 0x06054b50);
        put16(trailer_, 0);
        put16(trailer_, 0);
        put16(trailer_, 1);
        put16(trailer_, 1);
        put32(trailer_, static_cast<std::uint32_t>(central.size()));
        put32(trailer_, static_cast<std::uint32_t>(header_.size() + compressed_));
        put16(trailer_, 0);  // comment length
    }

    std::unique_ptr<Segment> source_;
    z_stream zs_{};
    std::uint32_t crc_ = 0;
    std::uint64_t compressed_ = 0;
    std::string header_, trailer_;
    std::uint64_t sourcePos_ = 0;
    std::string pending_;  // deflate output [pendingStart_, pendingStart_ + size)
    std::uint64_t pendingStart_ = 0;
    bool finished_ = false;
};

class Sink {
  public:
    virtual ~Sink() = default;
    virtual void write(const char* data, std::size_t count) = 0;
};

class StringSink : public Sink {
  public:
    explicit StringSink(std::string& out) : out_(out) { out_.clear(); }
    void write(const char* data, std::size_t count) override { out_.append(data, count); }

  private:
    std::string& out_;
};

class FileSink : public Sink {
  public:
    explicit FileSink(OutputFile& file) : file_(file) {}
    void write(const char* data, std::size_t count) override { file_.write(data, count); }

  private:
    OutputFile& file_;
};

// ZIP readers take member names without flag bit 11 as code page 437, and the runtime turns
// them into ANSI again. So an ANSI name is written as the code page 437 bytes that map back to
// it; a character that code page 437 cannot hold would come back changed, so it is refused.
std::string ansiToCp437(const std::string& ansi) {
    static const std::array<int, 256> reverse = [] {
        std::array<int, 256> table;
        table.fill(-1);
        for (int oem = 255; oem >= 0; --oem) {
            const std::string back = text::cp437ToCp1252(std::string(1, static_cast<char>(oem)));
            if (back.size() == 1 && (back[0] != '_' || oem == '_'))
                table[static_cast<unsigned char>(back[0])] = oem;
        }
        return table;
    }();
    std::string out;
    for (char c : ansi) {
        const int oem = reverse[static_cast<unsigned char>(c)];
        if (oem < 0)
            throw PayloadBuildError("the name \"" + text::cp1252ToUtf8(ansi) +
                                    "\" cannot be stored in a ZIP archive");
        out.push_back(static_cast<char>(oem));
    }
    return out;
}

bool holdsAny(const std::string& s, const char* chars) {
    return s.find_first_of(chars) != std::string::npos;
}

void checkItemName(const std::string& name, std::set<std::string>& seen) {
    std::string shown = "\"";  // built in steps: GCC 12 misreads "x" + string (-Wrestrict)
    shown += text::cp1252ToUtf8(name) + "\"";
    if (name.empty()) throw PayloadBuildError("an item name is empty");
    // The settings file keys the item by this name, so it must survive as an INI key too.
    if (holdsAny(name, "\\/:") || !IniDocument::canWrite("zippos", name + "_1", "0") ||
        !IniDocument::canWrite("notzip", name, "1"))
        throw PayloadBuildError("item name " + shown +
                                " must be a plain file name usable as a settings key (no blanks "
                                "at its ends, no leading \"[\" or \";\", \"**\" for \"=\")");
    if (!seen.insert(text::upper(name)).second)
        throw PayloadBuildError("item name " + shown + " is packed twice");
}

void checkMemberName(const std::string& name) {
    if (name.empty()) throw PayloadBuildError("the settings member name is empty");
    if (name.find("**") != std::string::npos || holdsAny(name, "\\/:\r\n"))
        throw PayloadBuildError("the settings member name \"" + text::cp1252ToUtf8(name) +
                                "\" must be a plain file name without \"**\"");
}

}  // namespace

struct PayloadBuilder::Plan {
    std::vector<std::unique_ptr<Segment>> segments;  // runtime, items, then the tail
    PayloadBuildResult result;
};

PayloadBuilder::Plan PayloadBuilder::plan() {
    Plan p;
    checkMemberName(memberName_);
    const std::uint64_t runtimeSize = planRuntime(p);
    IniDocument settings = IniDocument::parse(settingsText_);
    const std::uint64_t itemsEnd = planItems(p, settings, runtimeSize);
    p.result.settingsText = settings.text();
    planTail(p, itemsEnd);
    return p;
}

std::uint64_t PayloadBuilder::planRuntime(Plan& p) {
    auto runtime = std::make_unique<Segment>(fs_, runtime_);
    const std::uint64_t size = runtime->size();
    if (size == 0) throw PayloadBuildError("the runtime is empty");
    const std::uint64_t n = std::min(size, kWindow);
    std::string tail(static_cast<std::size_t>(n), '\0');
    runtime->read(size - n, tail.data(), tail.size());
    if (tail.find(PayloadMarker()) != std::string::npos)
        throw PayloadBuildError("the runtime already carries a payload marker in its last " +
                                std::to_string(kWindow) + " bytes");
    p.segments.push_back(std::move(runtime));
    return size;
}

std::uint64_t PayloadBuilder::planItems(Plan& p, IniDocument& settings, std::uint64_t pos) {
    std::set<std::string> seen;
    for (const PackedItem& item : items_) {
        checkItemName(item.name, seen);
        auto seg = std::make_unique<Segment>(fs_, item.source);
        if (!item.raw) {
            // The runtime unpacks the archive and looks for the file under the name it gives
            // the entry, which has "=" where the item name has "**".
            seg = std::make_unique<ZipItemSegment>(
                std::move(seg), ansiToCp437(text::replaceAll(item.name, "**", "=")));
        }
        const std::uint64_t end = pos + seg->size();
        if (end > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            throw PayloadBuildError("item \"" + text::cp1252ToUtf8(item.name) +
                                    "\" would end beyond 2147483647 bytes");
        settings.write("zippos", item.name + "_1", std::to_string(pos));
        settings.write("zippos", item.name + "_2", std::to_string(end));
        if (item.raw)
            settings.write("notzip", item.name, "1");
        else if (settings.read("notzip", item.name))
            settings.write("notzip", item.name, "0");
        p.result.items.push_back({item.name, pos, end, item.raw});
        p.segments.push_back(std::move(seg));
        pos = end;
    }
    return pos;
}

void PayloadBuilder::planTail(Plan& p, std::uint64_t markerOffset) {
    const std::string tooBig = "marker, settings member name and settings archive take more than " +
                               std::to_string(kWindow) + " bytes (pack large files as items)";
    ZipWriter zip;
    zip.add(ansiToCp437(memberName_), p.result.settingsText);
    for (const ExtraMember& m : members_) {
        if (m.name.empty() || holdsAny(m.name, "\\/:"))
            throw PayloadBuildError("extra member name \"" + text::cp1252ToUtf8(m.name) +
                                    "\" must be a plain file name");
        Segment member(fs_, m.source);
        // Deflate can grow data only a little; anything this big cannot fit the window.
        if (member.size() > 2 * kWindow) throw PayloadBuildError(tooBig);
        zip.add(ansiToCp437(m.name), member.readAll());
    }
    std::string tail = PayloadMarker() + memberName_ + "**" + zip.finish();
    if (tail.size() > kWindow)
        throw PayloadBuildError(tooBig + ": " + std::to_string(tail.size()) + " bytes");
    p.result.markerOffset = markerOffset;
    p.result.fileSize = markerOffset + tail.size();
    p.segments.push_back(std::make_unique<Segment>(std::move(tail)));
}

namespace {

// Start-up takes the first marker in the last 150000 bytes. Runtime or item bytes there that
// happen to hold it ahead of the real one would send start-up to the wrong place.
void checkWindow(std::vector<std::unique_ptr<Segment>>& segments, const PayloadBuildResult& r,
                 const std::string& marker) {
    const std::uint64_t windowStart = r.fileSize > kWindow ? r.fileSize - kWindow : 0;
    std::string before;  // window bytes ahead of the real marker
    std::uint64_t segStart = 0;
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        const std::uint64_t segEnd = segStart + segments[i]->size();
        if (segEnd > windowStart) {
            const std::uint64_t from = std::max(segStart, windowStart);
            const std::size_t old = before.size();
            before.resize(old + static_cast<std::size_t>(segEnd - from));
            segments[i]->read(from - segStart, before.data() + old,
                              static_cast<std::size_t>(segEnd - from));
        }
        segStart = segEnd;
    }
    const std::size_t found = (before + marker).find(marker);
    if (found != before.size())
        throw PayloadBuildError("packed bytes at offset " + std::to_string(windowStart + found) +
                                " contain the payload marker; start-up would take it for the "
                                "real one (pack that item earlier or as a ZIP)");
}

void writeSegments(std::vector<std::unique_ptr<Segment>>& segments, Sink& sink) {
    std::string buffer(kChunk, '\0');
    for (auto& seg : segments) {
        const std::uint64_t size = seg->size();
        for (std::uint64_t off = 0; off < size; off += kChunk) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - off));
            seg->read(off, buffer.data(), n);
            sink.write(buffer.data(), n);
        }
    }
}

}  // namespace

PayloadBuildResult PayloadBuilder::buildToString(std::string& out) {
    Plan p = plan();
    checkWindow(p.segments, p.result, PayloadMarker());
    StringSink sink(out);
    writeSegments(p.segments, sink);
    return p.result;
}

PayloadBuildResult PayloadBuilder::build(const std::string& outPath) {
    // Writing over a source would truncate it before it is read.
    auto same = [&](const ByteSource& s) { return !s.bytes && text::sameText(s.path, outPath); };
    bool clash = same(runtime_);
    for (const auto& i : items_) clash = clash || same(i.source);
    for (const auto& m : members_) clash = clash || same(m.source);
    if (clash) throw PayloadBuildError("the output \"" + outPath + "\" is also an input");

    Plan p = plan();
    checkWindow(p.segments, p.result, PayloadMarker());
    std::unique_ptr<OutputFile> file = fs_.createFile(outPath);
    if (!file) throw PayloadBuildError("cannot create \"" + outPath + "\"");
    try {
        FileSink sink(*file);
        writeSegments(p.segments, sink);
        file->close();
    } catch (const IoError& e) {
        file.reset();
        fs_.deleteFile(outPath);
        throw PayloadBuildError("writing \"" + outPath + "\" failed: " + e.what());
    } catch (...) {
        file.reset();
        fs_.deleteFile(outPath);
        throw;
    }
    return p.result;
}

}  // namespace saver
