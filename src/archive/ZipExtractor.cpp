#include "archive/ZipExtractor.h"

#include "archive/MemberDecoders.h"
#include "archive/MemberName.h"
#include "archive/MemberReader.h"
#include "archive/MemberWriter.h"
#include "archive/ZipDataError.h"
#include "archive/ZipDirectory.h"
#include "archive/ZipError.h"
#include "platform/FileSystem.h"
#include "platform/SystemServices.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

constexpr std::uint16_t kFlagEncrypted = 1;
constexpr std::uint16_t kFlagUtf8 = 1 << 11;
// Added to a member's file name while it is being written.
constexpr char kPartialSuffix[] = ".part~";

bool knownMethod(std::uint16_t method) {
    return method <= 6 || method == 8;
}

}  // namespace

ZipExtractor::ZipExtractor(FileSystem& fs, SystemServices& sys) : fs_(fs), sys_(sys) {}

void ZipExtractor::extractAll(const std::string& archivePath, const std::string& destFolder) {
    archivePath_ = archivePath;
    destFolder_ = winpath::withoutTrailingBackslash(destFolder);
    const auto archive = fs_.openRead(archivePath_);
    if (!archive) throw ZipError("Incomplete Zip File");
    // The whole directory is read before anything is written, so a damaged directory
    // leaves the destination untouched.
    const std::vector<ZipEntry> entries = ZipDirectory::read(*archive);
    for (const ZipEntry& entry : entries) extractMember(*archive, entry);
}

void ZipExtractor::extractMember(InputFile& archive, const ZipEntry& entry) {
    if (entry.flags & kFlagEncrypted) return;  // no password is ever given
    const auto name =
        MemberName::fileNameFor(entry.rawName, (entry.flags & kFlagUtf8) != 0, sys_.codePages());
    if (!name) return;
    if (!knownMethod(entry.method)) {
        sys_.messageBox("Unknown Compression Method", "Zip Error", MessageBoxKind::Ok);
        return;
    }
    const auto offset = ZipDirectory::dataOffset(archive, entry);
    if (!offset) return;
    const std::string path = destFolder_ + "\\" + *name;
    const std::string partial = path + kPartialSuffix;
    // Replacing the archive itself would cut off every member after this one.
    if (text::sameText(path, archivePath_) || text::sameText(partial, archivePath_)) return;
    // A read-only file in the way stays as it is.
    if (fs_.fileExists(path) && fs_.isReadOnly(path)) return;
    // The member is decoded under a name of its own and takes the real name only once it is
    // whole and its CRC matches: a damaged member never replaces a good file of the same name.
    if (writeMember(archive, entry, *offset, partial) && fs_.renameReplace(partial, path)) return;
    fs_.deleteFile(partial);
}

bool ZipExtractor::writeMember(InputFile& archive, const ZipEntry& entry, std::uint64_t offset,
                               const std::string& path) {
    auto file = fs_.createFile(path);
    if (!file) return false;
    if (decodeInto(archive, entry, offset, *file, false)) return true;
    // Members imploded by PKZIP 1.01/1.02 decode only with that version's match lengths, and
    // nothing in the archive marks them: a failed member of that kind gets a second try.
    if (entry.method != 6 || !earlyPkzipMatchesDiffer(entry.flags)) return false;
    file.reset();
    file = fs_.createFile(path);
    return file && decodeInto(archive, entry, offset, *file, true);
}

bool ZipExtractor::decodeInto(InputFile& archive, const ZipEntry& entry, std::uint64_t offset,
                              OutputFile& file, bool earlyPkzipMatches) {
    try {
        MemberReader in(archive, offset, entry.compressedSize);
        MemberWriter out(file, entry.size);
        decodeMember(in, out, entry.method, entry.flags, earlyPkzipMatches);
        file.close();
        return out.written() == entry.size && out.crc() == entry.crc;
    } catch (const ZipDataError&) {
    } catch (const IoError&) {
    }
    return false;
}

}  // namespace saver
