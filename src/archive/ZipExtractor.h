// ZipExtractor: extracts every member of a stand-alone ZIP archive (PKWARE APPNOTE) into one
// folder. One object serves every extraction of the process; nothing of one call carries over
// into the next.
//
// Contract of extractAll:
// - Each member is written to destFolder + its bare name (folders stored with the member are
//   dropped); an existing file is replaced, but only by a member that decoded whole with a
//   matching CRC-32: the member is written under its name + ".part~" first and renamed over
//   the old file when complete, so a failed member leaves any older file of its name as it was. A
//   trailing "\" of destFolder is ignored. The folder is not created: when it is missing, every
//   member is skipped.
// - Skipped without a message: encrypted members, names that are not a plain file name (see
//   MemberName), members whose output file cannot be created (a read-only file in the way),
//   members whose data is damaged, decodes to another size than declared, or fails its CRC-32
//   (the partly written file is deleted again), and a member that would overwrite the archive
//   being read. The other members are still extracted.
// - A member with a compression method other than 0, 1-6 and 8 shows the message box
//   "Unknown Compression Method" / "Zip Error" once and is skipped.
// - Throws ZipError("Incomplete Zip File") when the file is missing or holds no end of central
//   directory record, ZipError("Not a valid zip file!") when the central directory cannot be
//   read; nothing is written then. An empty file is an empty archive. A system failure while
//   reading the directory propagates as IoError; during a member it only skips that member.
// - No member ever writes more than its declared uncompressed size, and memory use does not
//   depend on member sizes.
#pragma once

#include <cstdint>
#include <string>

namespace saver {

class FileSystem;
class SystemServices;
class InputFile;
class OutputFile;
struct ZipEntry;

class ZipExtractor {
  public:
    ZipExtractor(FileSystem& fs, SystemServices& sys);
    // Throws ZipError("Incomplete Zip File") / ZipError("Not a valid zip file!").
    void extractAll(const std::string& archivePath, const std::string& destFolder);

  private:
    void extractMember(InputFile& archive, const ZipEntry& entry);
    // Creates `path` and decodes the member into it; true when it came out whole.
    bool writeMember(InputFile& archive, const ZipEntry& entry, std::uint64_t offset,
                     const std::string& path);
    // Decodes the member's data at `offset` into `file` and closes it; true when the data was
    // sound and its size and CRC-32 match the directory.
    static bool decodeInto(InputFile& archive, const ZipEntry& entry, std::uint64_t offset,
                           OutputFile& file, bool earlyPkzipMatches);

    FileSystem& fs_;
    SystemServices& sys_;
    std::string archivePath_;  // of the call in progress
    std::string destFolder_;   // of the call in progress, without a trailing "\"
};

}  // namespace saver
