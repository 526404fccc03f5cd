#include "payload/PayloadLayout.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/MemberDecoders.h"
#include "archive/MemberName.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipError.h"
#include "payload/IniDocument.h"
#include "payload/PayloadLocator.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

constexpr std::uint16_t kFlagEncrypted = 1;
constexpr std::uint16_t kFlagUtf8 = 1 << 11;
// A settings archive fits the payload window; a member that claims more than this decoded is
// not one the builder wrote, and holding it in memory would only exhaust it.
constexpr std::uint64_t kMaxMemberSize = 64u * 1024 * 1024;

class MemoryInput final : public InputFile {
  public:
    explicit MemoryInput(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n =
            std::min<std::size_t>(count, bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, bytes_.data() + offset, n);
        return n;
    }

  private:
    const std::string& bytes_;
};

class MemoryOutput final : public OutputFile {
  public:
    explicit MemoryOutput(std::string& out) : out_(out) {}
    void write(const void* data, std::size_t count) override {
        out_.append(static_cast<const char*>(data), count);
    }
    void close() override {}

  private:
    std::string& out_;
};

std::string readExactly(InputFile& file, std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = file.readAt(offset + done, bytes.data() + done, count - done);
        if (got == 0) throw PayloadLayoutError("the file changed while it was read");
        done += got;
    }
    return bytes;
}

std::string shown(const std::string& ansi) {
    return "\"" + ansi + "\"";
}

// Decodes one member as the extractor would, into memory; on failure `problem` says why.
ArchiveMember decodeMember(InputFile& archive, const ZipEntry& entry) {
    ArchiveMember m{entry.rawName, entry.flags, entry.method, {}, {}};
    if (entry.flags & kFlagEncrypted) {
        m.problem = "encrypted";
        return m;
    }
    if (entry.method > 8 || entry.method == 7) {
        m.problem = "unknown compression method " + std::to_string(entry.method);
        return m;
    }
    if (entry.size > kMaxMemberSize) {
        m.problem = "too large (" + std::to_string(entry.size) + " bytes)";
        return m;
    }
    const auto offset = ZipDirectory::dataOffset(archive, entry);
    if (!offset) {
        m.problem = "damaged local header";
        return m;
    }
    // Members imploded by early PKZIP decode only with that version's match lengths.
    for (bool early : {false, true}) {
        if (early && !(entry.method == 6 && earlyPkzipMatchesDiffer(entry.flags))) break;
        m.bytes.clear();
        try {
            MemoryOutput file(m.bytes);
            MemberReader in(archive, *offset, entry.compressedSize);
            MemberWriter out(file, entry.size);
            saver::decodeMember(in, out, entry.method, entry.flags, early);
            if (out.written() == entry.size && out.crc() == entry.crc) {
                m.problem.clear();
                return m;
            }
            m.problem = "CRC or size mismatch";
        } catch (const ZipDataError&) {
            m.problem = "damaged data";
        }
    }
    m.bytes.clear();
    return m;
}

void readArchive(PayloadLayout& l) {
    MemoryInput archive(l.archive);
    std::vector<ZipEntry> entries;
    try {
        // Bytes behind the archive (a code signature appended to the finished file) are not
        // part of it: start-up passes over them, and a tool that moves the archive drops them.
        const std::uint64_t length = ZipDirectory::archiveLength(archive);
        l.trailingSize = l.archive.size() - length;
        l.archive.resize(static_cast<std::size_t>(length));
        entries = ZipDirectory::read(archive);
    } catch (const ZipError& e) {
        throw PayloadLayoutError("the settings archive is damaged (" + std::string(e.what()) + ")");
    }
    const std::string settingsName = winpath::bareNameOf(l.memberName);
    for (const ZipEntry& entry : entries) {
        l.members.push_back(decodeMember(archive, entry));
        // Start-up extracts in directory order, replacing: the last member of that name counts.
        const auto name =
            MemberName::fileNameFor(entry.rawName, (entry.flags & kFlagUtf8) != 0, CodePages{});
        if (name && text::sameText(*name, settingsName)) l.settingsMember = l.members.size() - 1;
    }
    if (l.settingsMember) l.settingsText = l.members[*l.settingsMember].bytes;
}

void readItems(PayloadLayout& l) {
    const IniDocument settings = IniDocument::parse(l.settingsText);
    auto number = [&](const std::string& key) -> std::int64_t {
        const auto v = settings.read("zippos", key);
        return v ? text::toInt32(*v).value_or(0) : 0;
    };
    for (const std::string& key : settings.keys("zippos")) {
        if (!text::endsWith(key, "_1")) continue;
        const std::string name = key.substr(0, key.size() - 2);
        const std::int64_t begin = number(name + "_1"), end = number(name + "_2");
        if (begin == 0 || end == 0) continue;  // not packed, as start-up sees it
        const auto notZip = settings.read("notzip", name);
        l.items.push_back({name, begin, end, notZip && text::toInt32(*notZip).value_or(0) != 0});
    }
    l.runtimeEnd = l.markerOffset;
    for (const PackedRange& item : l.items)
        if (item.begin >= 0) l.runtimeEnd = std::min(l.runtimeEnd, std::uint64_t(item.begin));
}

}  // namespace

PayloadLayout ReadPayloadLayout(FileSystem& fs, const std::string& path) {
    std::unique_ptr<InputFile> file = fs.openRead(path);
    if (!file) throw PayloadLayoutError("cannot read " + shown(path));
    PayloadLayout l;
    l.fileSize = file->size();
    const std::size_t windowSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(l.fileSize, PayloadWindowSize));
    const std::uint64_t windowStart = l.fileSize - windowSize;
    std::string window;
    try {
        window = readExactly(*file, windowStart, windowSize);
    } catch (const IoError& e) {
        throw PayloadLayoutError("cannot read " + shown(path) + ": " + e.what());
    }
    const std::size_t at = window.find(PayloadMarker());
    if (at == std::string::npos)
        throw PayloadLayoutError("no payload: no payload marker in the last " +
                                 std::to_string(PayloadWindowSize) +
                                 " bytes (a bare runtime, or not a screensaver of this kind)");
    l.markerOffset = windowStart + at;
    const std::size_t nameAt = at + PayloadMarker().size();
    const std::size_t separator = window.find("**", nameAt);
    if (separator == std::string::npos)
        throw PayloadLayoutError("damaged payload: no \"**\" after the settings member name");
    l.memberName = window.substr(nameAt, separator - nameAt);
    l.archiveOffset = windowStart + separator + 2;
    l.archive = window.substr(separator + 2);
    readArchive(l);
    readItems(l);
    return l;
}

std::vector<std::string> LayoutProblems(const PayloadLayout& l) {
    std::vector<std::string> problems;
    auto range = [](const PackedRange& i) {
        return shown(i.name) + " (" + std::to_string(i.begin) + ".." + std::to_string(i.end) + ")";
    };
    std::vector<const PackedRange*> sane;
    for (const PackedRange& item : l.items) {
        if (item.begin < 0 || item.end <= item.begin)
            problems.push_back("item " + range(item) + " has an empty or reversed range");
        else if (std::uint64_t(item.end) > l.fileSize)
            problems.push_back("item " + range(item) + " lies outside the file (" +
                               std::to_string(l.fileSize) + " bytes)");
        else if (std::uint64_t(item.end) > l.markerOffset)
            problems.push_back("item " + range(item) +
                               " reaches into the marker area (payload marker at " +
                               std::to_string(l.markerOffset) + ")");
        else
            sane.push_back(&item);
    }
    std::stable_sort(sane.begin(), sane.end(), [](const PackedRange* a, const PackedRange* b) {
        return a->begin < b->begin;
    });
    const PackedRange* reach = nullptr;  // the item reaching furthest so far
    for (const PackedRange* item : sane) {
        if (reach && item->begin < reach->end)
            problems.push_back("items " + range(*reach) + " and " + range(*item) + " overlap");
        if (!reach || item->end > reach->end) reach = item;
    }
    return problems;
}

std::optional<std::string> ItemFileName(const std::string& itemName) {
    // MemberName judges UTF-8 names; ANSI survives the round trip unchanged.
    return MemberName::fileNameFor(text::cp1252ToUtf8(text::replaceAll(itemName, "**", "=")), true,
                                   CodePages{});
}

}  // namespace saver
