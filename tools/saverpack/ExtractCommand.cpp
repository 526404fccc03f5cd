#include "ExtractCommand.h"

#include <exception>
#include <map>
#include <memory>
#include <ostream>

#include "ToolPlatform.h"
#include "archive/MemberName.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipExtractor.h"
#include "payload/PayloadLayout.h"
#include "platform/FakeServices.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace saver {
namespace {

constexpr std::uint16_t kFlagUtf8 = 1 << 11;
constexpr std::size_t kChunk = 1 << 20;

// Writes into the destination folder and prints the listing; remembers which name came from
// where, so a later part that replaces an earlier one is pointed out.
class Extraction {
  public:
    Extraction(FileSystem& fs, std::string folder, std::ostream& out)
        : fs_(fs), folder_(std::move(folder)), out_(out) {}

    std::string pathOf(const std::string& name) const { return folder_ + "\\" + name; }

    void written(const std::string& name, const std::string& source) {
        const auto size = fs_.fileSize(pathOf(name));
        out_ << "  " << console(name) << "  " << size.value_or(0) << " bytes  <- "
             << console(source);
        const auto [at, fresh] = seen_.emplace(text::upper(name), source);
        if (!fresh) out_ << "  (replaces the file from " << console(at->second) << ")";
        at->second = source;
        out_ << "\n";
    }
    void skipped(const std::string& what, const std::string& why) {
        out_ << "  skipped " << console(what) << ": " << console(why) << "\n";
        ++skips_;
    }
    int skips() const { return skips_; }

  private:
    static std::string console(const std::string& s) { return ToolPlatform::consoleFromAnsi(s); }
    FileSystem& fs_;
    std::string folder_;
    std::ostream& out_;
    std::map<std::string, std::string> seen_;
    int skips_ = 0;
};

void writeBytes(FileSystem& fs, const std::string& path, const std::string& bytes) {
    auto file = fs.createFile(path);
    if (!file) throw IoError("cannot create \"" + path + "\"");
    file->write(bytes.data(), bytes.size());
    file->close();
}

void copyRange(FileSystem& fs, const std::string& from, std::uint64_t offset, std::uint64_t length,
               const std::string& to) {
    auto in = fs.openRead(from);
    auto file = fs.createFile(to);
    if (!in || !file) throw IoError("cannot copy to \"" + to + "\"");
    std::string buffer(kChunk, '\0');
    while (length > 0) {
        const std::size_t got =
            in->readAt(offset, buffer.data(),
                       static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk)));
        if (got == 0) throw IoError("the file changed while it was read");
        file->write(buffer.data(), got);
        offset += got;
        length -= got;
    }
    file->close();
}

void extractSettingsArchive(FileSystem& fs, const PayloadLayout& l, Extraction& x) {
    for (std::size_t i = 0; i < l.members.size(); ++i) {
        const ArchiveMember& m = l.members[i];
        const std::string what = "settings archive member \"" + m.rawName + "\"";
        const auto name =
            MemberName::fileNameFor(m.rawName, (m.flags & kFlagUtf8) != 0, CodePages{});
        if (!name) {
            x.skipped(what, "not a safe file name");
        } else if (!m.problem.empty()) {
            x.skipped(what, m.problem);
        } else {
            writeBytes(fs, x.pathOf(*name), m.bytes);
            x.written(*name, i == l.settingsMember ? "settings file" : what);
        }
    }
}

// A zipped item: its members, under the names and with the checks of start-up's extractor.
void extractZipItem(FileSystem& fs, const std::string& program, const PackedRange& item,
                    const std::string& scratch, const std::string& folder, Extraction& x) {
    const std::string archive = scratch + "\\item~";
    copyRange(fs, program, item.begin, item.end - item.begin, archive);
    const std::string what = "zipped item \"" + item.name + "\"";
    std::vector<ZipEntry> entries;
    {
        auto in = fs.openRead(archive);
        if (!in) throw IoError("cannot read \"" + archive + "\"");
        entries = ZipDirectory::read(*in);  // ZipError for a range that is no archive
    }
    FakeServices services;
    ZipExtractor(fs, services).extractAll(archive, folder);
    for (const ZipEntry& e : entries) {
        const auto name =
            MemberName::fileNameFor(e.rawName, (e.flags & kFlagUtf8) != 0, CodePages{});
        if (name && fs.fileSize(x.pathOf(*name)) == e.size)
            x.written(*name, what);
        else
            x.skipped(what + " member \"" + e.rawName + "\"",
                      name ? "encrypted, damaged or of an unknown method" : "not a safe file name");
    }
    fs.deleteFile(archive);
}

void extractItems(FileSystem& fs, const std::string& program, const PayloadLayout& l,
                  const std::string& scratch, const std::string& folder, Extraction& x) {
    for (const PackedRange& item : l.items) {
        const std::string what = (item.raw ? "item \"" : "zipped item \"") + item.name + "\"";
        if (item.begin < 0 || item.end <= item.begin ||
            static_cast<std::uint64_t>(item.end) > l.fileSize) {
            x.skipped(what, "its range " + std::to_string(item.begin) + ".." +
                                std::to_string(item.end) + " is not inside the file");
            continue;
        }
        try {
            if (!item.raw) {
                extractZipItem(fs, program, item, scratch, folder, x);
                continue;
            }
            const auto name = ItemFileName(item.name);
            if (!name) {
                x.skipped(what, "not a safe file name");
                continue;
            }
            copyRange(fs, program, item.begin, item.end - item.begin, x.pathOf(*name));
            x.written(*name, what);
        } catch (const std::exception& e) {
            x.skipped(what, e.what());
        }
    }
}

}  // namespace

int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2 || args[0].empty() || args[0][0] == '-' || args[1].empty() ||
        args[1][0] == '-') {
        err << "saverpack extract: usage: saverpack extract FILE DIR\n";
        return 1;
    }
    ToolPlatform platform;
    FileSystem& fs = platform.fs();
    const auto program = platform.windowsPath(args[0]);
    const auto folder = platform.windowsPath(args[1]);
    ScratchFolder scratchFolder;
    const auto scratch =
        scratchFolder.path().empty() ? std::nullopt : platform.windowsPath(scratchFolder.path());
    if (!program || !folder || !scratch) {
        err << "saverpack extract: a path has no Windows form, or no temporary folder\n";
        return 1;
    }
    try {
        const PayloadLayout layout = ReadPayloadLayout(fs, *program);
        if (!fs.createFolders(*folder)) {
            err << "saverpack extract: cannot create " << args[1] << "\n";
            return 1;
        }
        out << args[0] << " -> " << args[1] << ":\n";
        Extraction x(fs, *folder, out);
        extractSettingsArchive(fs, layout, x);
        extractItems(fs, *program, layout, *scratch, *folder, x);
        return x.skips() == 0 ? 0 : 3;
    } catch (const std::exception& e) {
        err << "saverpack extract: " << ToolPlatform::consoleFromAnsi(e.what()) << "\n";
        return 1;
    }
}

}  // namespace saver
