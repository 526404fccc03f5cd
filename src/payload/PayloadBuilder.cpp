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
// Deflate output buffer.
constexpr std::size_t kDeflateOut = 64 * 1024;

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

    std::uint64_t size() const { return file_ ? file_->size() : bytes_.size(); }

    // Reads [offset, offset + count) completely; a file that shrank meanwhile is an error.
    void read(std::uint64_t offset, char* buffer, std::size_t count) {
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

// The files zip items are deflated into while a build runs, named after the output
// ("OUT.scr.item3~" for the fourth item). The destructor deletes every one of them, whether the
// build succeeded, was refused or failed. Windows cannot delete an open file, so whatever reads
// them must be gone first: the owner declares this object before the segments.
class ScratchFiles {
  public:
    // An empty `outPath` means a build into memory: zip items are deflated into memory too.
    ScratchFiles(FileSystem& fs, std::string outPath) : fs_(fs), outPath_(std::move(outPath)) {}
    ~ScratchFiles() {
        for (const std::string& path : created_) fs_.deleteFile(path);
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    bool inMemory() const { return outPath_.empty(); }
    std::string pathFor(std::size_t item) const {
        return outPath_ + ".item" + std::to_string(item) + "~";
    }
    // Creates (or truncates) the scratch file of item number `item`, to be deleted later.
    std::unique_ptr<OutputFile> create(std::size_t item) {
        const std::string path = pathFor(item);
        created_.push_back(path);
        std::unique_ptr<OutputFile> file = fs_.createFile(path);
        if (!file) throw PayloadBuildError("cannot create \"" + path + "\"");
        return file;
    }
    FileSystem& fs() { return fs_; }

  private:
    FileSystem& fs_;
    std::string outPath_;
    std::vector<std::string> created_;
};

struct Deflated {
    std::uint32_t crc = 0;         // of the source bytes
    std::uint64_t compressed = 0;  // bytes written to the sink
};

// Raw deflate (ZIP method 8) of the whole source, read in chunks, in one pass; the CRC is taken
// on the way, so the source is read exactly once.
Deflated deflateSource(Segment& source, Sink& sink) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw PayloadBuildError("deflate could not start");
    struct End {
        z_stream& zs;
        ~End() { deflateEnd(&zs); }
    } end{zs};
    Deflated d;
    d.crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    const std::uint64_t size = source.size();
    std::string in, out(kDeflateOut, '\0');
    std::uint64_t pos = 0;
    do {
        in.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - pos)));
        source.read(pos, in.data(), in.size());
        pos += in.size();
        d.crc = static_cast<std::uint32_t>(
            crc32_z(d.crc, reinterpret_cast<const Bytef*>(in.data()), in.size()));
        zs.next_in = reinterpret_cast<Bytef*>(in.data());
        zs.avail_in = static_cast<uInt>(in.size());
        const int flush = pos == size ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(out.data());
            zs.avail_out = static_cast<uInt>(out.size());
            rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR) throw PayloadBuildError("deflate failed");
            sink.write(out.data(), out.size() - zs.avail_out);
            d.compressed += out.size() - zs.avail_out;
        } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    } while (pos < size);
    return d;
}

// A "zip" item: a ZIP archive (PKWARE APPNOTE) holding the one deflated file. The source is
// deflated once, into a scratch file (or memory), and the item becomes three segments: local
// header, that data, central directory with end record. Returns the item's size.
std::uint64_t appendZipItem(std::vector<std::unique_ptr<Segment>>& segments, ScratchFiles& scratch,
                            Segment& source, std::size_t index, const std::string& memberName) {
    const char* tooLarge = "item is too large for a ZIP archive";
    if (source.size() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw PayloadBuildError(tooLarge);
    Deflated d;
    std::unique_ptr<Segment> data;
    if (scratch.inMemory()) {
        std::string bytes;
        StringSink sink(bytes);
        d = deflateSource(source, sink);
        data = std::make_unique<Segment>(std::move(bytes));
    } else {
        const std::string path = scratch.pathFor(index);
        try {
            std::unique_ptr<OutputFile> file = scratch.create(index);
            FileSink sink(*file);
            d = deflateSource(source, sink);
            file->close();
        } catch (const IoError& e) {
            throw PayloadBuildError("deflating into \"" + path + "\" failed: " + e.what());
        }
        data = std::make_unique<Segment>(scratch.fs(), ByteSource::file(path));
        if (data->size() != d.compressed)
            throw PayloadBuildError("\"" + path + "\" changed while it was written");
    }
    if (d.compressed >= 0xFFFFFFFFu) throw PayloadBuildError(tooLarge);
    ZipWriter::Framing zip;
    try {
        zip = ZipWriter::singleMemberFraming(memberName, ZipWriter::Method::Deflated, d.crc,
                                             static_cast<std::uint32_t>(d.compressed),
                                             static_cast<std::uint32_t>(source.size()));
    } catch (const std::length_error&) {
        throw PayloadBuildError(tooLarge);
    }
    const std::uint64_t size = zip.header.size() + d.compressed + zip.trailer.size();
    segments.push_back(std::make_unique<Segment>(std::move(zip.header)));
    segments.push_back(std::move(data));
    segments.push_back(std::make_unique<Segment>(std::move(zip.trailer)));
    return size;
}

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
            throw PayloadBuildError("the name \"" + ansi +
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
    shown += name + "\"";
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
        throw PayloadBuildError("the settings member name \"" + name +
                                "\" must be a plain file name without \"**\"");
}

}  // namespace

struct PayloadBuilder::Plan {
    Plan(FileSystem& fs, std::string outPath) : scratch(fs, std::move(outPath)) {}
    ScratchFiles scratch;  // first member, so destroyed after the segments reading its files
    std::vector<std::unique_ptr<Segment>> segments;  // runtime, items, then the tail
    PayloadBuildResult result;
};

void PayloadBuilder::plan(Plan& p) {
    checkMemberName(memberName_);
    const std::uint64_t runtimeSize = planRuntime(p);
    IniDocument settings = IniDocument::parse(settingsText_);
    const std::uint64_t itemsEnd = planItems(p, settings, runtimeSize);
    p.result.settingsText = settings.text();
    planTail(p, itemsEnd);
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
    for (std::size_t index = 0; index < items_.size(); ++index) {
        const PackedItem& item = items_[index];
        checkItemName(item.name, seen);
        auto source = std::make_unique<Segment>(fs_, item.source);
        std::uint64_t size = source->size();
        if (item.raw) {
            p.segments.push_back(std::move(source));
        } else {
            // The runtime unpacks the archive and looks for the file under the name it gives
            // the entry, which has "=" where the item name has "**".
            size = appendZipItem(p.segments, p.scratch, *source, index,
                                 ansiToCp437(text::replaceAll(item.name, "**", "=")));
        }
        const std::uint64_t end = pos + size;
        if (end > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            throw PayloadBuildError("item \"" + item.name +
                                    "\" would end beyond 2147483647 bytes");
        settings.write("zippos", item.name + "_1", std::to_string(pos));
        settings.write("zippos", item.name + "_2", std::to_string(end));
        if (item.raw)
            settings.write("notzip", item.name, "1");
        else if (settings.read("notzip", item.name))
            settings.write("notzip", item.name, "0");
        p.result.items.push_back({item.name, pos, end, item.raw});
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
            throw PayloadBuildError("extra member name \"" + m.name +
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
    Plan p(fs_, {});
    plan(p);
    checkWindow(p.segments, p.result, PayloadMarker());
    StringSink sink(out);
    writeSegments(p.segments, sink);
    return p.result;
}

bool PayloadBuilder::isInput(const std::string& path) const {
    auto same = [&](const ByteSource& s) { return !s.bytes && text::sameText(s.path, path); };
    bool found = same(runtime_);
    for (const auto& i : items_) found = found || same(i.source);
    for (const auto& m : members_) found = found || same(m.source);
    return found;
}

PayloadBuildResult PayloadBuilder::build(const std::string& outPath) {
    // Plan first: its destructor deletes the scratch files on every way out of here.
    Plan p(fs_, outPath);
    // Writing over a source would truncate it before it is read.
    if (isInput(outPath))
        throw PayloadBuildError("the output \"" + outPath + "\" is also an input");
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].raw && isInput(p.scratch.pathFor(i)))
            throw PayloadBuildError("the scratch file \"" + p.scratch.pathFor(i) +
                                    "\" is also an input");

    plan(p);
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
