#include "payload/MediaLists.h"

#include <algorithm>
#include <optional>
#include <random>

#include "archive/MemberName.h"
#include "payload/Runtime.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

const std::string kFilePrefix = "(File) ";
const std::string kUrlPrefix = "(URL) ";
const std::string kFavoritesPrefix = "(Favorites) ";
const std::string kResourcePrefix = "(Resource) ";
const std::string kExternalPrefix = "(External) ";

// Packed items can be many megabytes; they are streamed, never held whole in memory.
constexpr std::size_t kCopyChunk = 64 * 1024;

// A media key is on unless its value is the integer 0 (empty and non-numeric values count as on).
bool SwitchIsOn(const std::optional<std::string>& value) {
    if (!value) return true;
    const std::optional<std::int32_t> number = text::toInt32(*value);
    return !number || *number != 0;
}

std::int64_t ReadInt(const Runtime& rt, const std::string& section, const std::string& key) {
    const std::optional<std::string> value = rt.SettingsFile.read(section, key);
    if (!value) return 0;
    return text::toInt32(*value).value_or(0);
}

// Copies `length` bytes starting at `offset` of `in` to the file `path` in chunks.
void CopyToFile(FileSystem& fs, InputFile& in, std::uint64_t offset, std::uint64_t length,
                const std::string& path) {
    std::unique_ptr<OutputFile> out = fs.createFile(path);
    if (!out) throw IoError("Cannot create file \"" + path + "\"");
    std::string buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyChunk)), '\0');
    while (length > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyChunk));
        const std::size_t got = in.readAt(offset, buffer.data(), want);
        if (got == 0) throw IoError("Stream read error");
        out->write(buffer.data(), got);
        offset += got;
        length -= got;
    }
    out->close();
}

// The copy is made under a name of its own and renamed to `path` only when complete, so a copy
// that fails midway (disk full, a read error) never leaves a truncated file that a later
// resolution would take for the item. On failure the partial file is removed and the error
// propagates; an older file at `path` stays as it was.
void CopyToFileWhole(FileSystem& fs, InputFile& in, std::uint64_t offset, std::uint64_t length,
                     const std::string& path) {
    const std::string partial = path + ".part~";
    try {
        CopyToFile(fs, in, offset, length, partial);
    } catch (...) {
        fs.deleteFile(partial);
        throw;
    }
    if (!fs.renameReplace(partial, path)) {
        fs.deleteFile(partial);
        throw IoError("Cannot create file \"" + path + "\"");
    }
}

void CopyFileReplacing(FileSystem& fs, const std::string& from, const std::string& to) {
    std::unique_ptr<InputFile> in = fs.openRead(from);
    if (!in) throw IoError("Cannot open file \"" + from + "\"");
    CopyToFileWhole(fs, *in, 0, in->size(), to);
}

bool IsAuxiliary(const std::string& key) {
    return text::startsWith(key, kResourcePrefix) || text::startsWith(key, kExternalPrefix);
}

std::string WithoutAuxiliaryPrefix(const std::string& key) {
    const std::string& prefix =
        text::startsWith(key, kResourcePrefix) ? kResourcePrefix : kExternalPrefix;
    return text::startsWith(key, prefix) ? key.substr(prefix.size()) : key;
}

// A bare file name that names a plain file inside the workspace: not empty, not "." or "..",
// and not a device (CON, NUL, COM1.swf, ...), which Windows would open instead of a file.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && !MemberName::isDeviceName(name);
}

// Extracts a "(Resource) "/"(External) " entry next to the movies. The destination keeps only the
// file name part so an entry cannot reach outside the workspace folder.
void ExtractAuxiliary(Runtime& rt, const std::string& key) {
    if (!rt.PayloadPresent) return;
    const std::string itemName = WithoutAuxiliaryPrefix(key);
    const std::string fileName = winpath::bareNameOf(text::replaceAll(itemName, "**", "="));
    if (!IsPlainFileName(fileName)) return;
    ExtractPayloadItem(rt, itemName, rt.WorkspaceFolder + fileName);
}

// Plain entry without a payload: the "sample\" folder beside the program first (or the entry's
// own path when it has a drive letter), then the builder's folders and the program folder.
bool FindOnDisk(Runtime& rt, std::string& entry) {
    if (entry.find(':') == std::string::npos) entry = rt.ProgramFolder + "sample\\" + entry;
    if (rt.fs.fileExists(entry)) return true;
    const std::string name = winpath::fileNameOf(entry);
    const std::string candidates[] = {rt.BuilderFolder + name, rt.BuilderFolder + "sample\\" + name,
                                      rt.ProgramFolder + name};
    for (const std::string& candidate : candidates) {
        if (rt.fs.fileExists(candidate)) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string StripKindPrefix(std::string& entry, const std::string& prefix, bool update) {
    if (!text::startsWith(entry, prefix)) return entry;
    std::string rest = entry.substr(prefix.size());
    if (update) entry = rest;
    return rest;
}

void BuildMediaList(Runtime& rt, const std::string& section, MediaList& list) {
    const std::vector<std::string> keys = rt.SettingsFile.keys(section);
    list.clear();
    for (const std::string& key : keys) {
        if (!SwitchIsOn(rt.SettingsFile.read(section, key))) continue;
        if (IsAuxiliary(key)) {
            ExtractAuxiliary(rt, key);
            continue;
        }
        list.push_back(key);
    }
}

void BuildMediaLists(Runtime& rt) {
    SaverSetting& s = rt.Setting;
    BuildMediaList(rt, "Pictures", s.PictureList);
    BuildMediaList(rt, "Music", s.MusicList);
    BuildMediaList(rt, "Flash", s.FlashList);
    BuildMediaList(rt, "Video", s.VideoList);
    BuildMediaList(rt, "Web", s.WebList);
    // 2 is "one random order for the whole run"; 0 and 1 keep file order here.
    if (s.ImageSequence == 2) ShuffleList(rt, s.PictureList);
    if (s.FlashSequence == 2) ShuffleList(rt, s.FlashList);
    if (s.VideoSequence == 2) ShuffleList(rt, s.VideoList);
    if (s.WebSequence == 2) ShuffleList(rt, s.WebList);
}

void ShuffleList(Runtime& rt, MediaList& list) {
    rt.Random.seed(static_cast<std::mt19937::result_type>(rt.sys.clockSeed()));
    MediaList shuffled;
    shuffled.reserve(list.size());
    while (!list.empty()) {
        std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
        const std::size_t index = pick(rt.Random);
        shuffled.push_back(std::move(list[index]));
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    }
    list = std::move(shuffled);
}

void ExtractPayloadItem(Runtime& rt, const std::string& itemName, const std::string& destPath) {
    const std::int64_t start = ReadInt(rt, "zippos", itemName + "_1");
    const std::int64_t end = ReadInt(rt, "zippos", itemName + "_2");
    if (start == 0 || end == 0) return;
    // A range that is negative, empty, reversed or runs past the file cannot be a packed item;
    // treating it as missing avoids huge allocations and stale "~" files being taken for it.
    if (start < 0 || end <= start || !rt.ProgramFileStream) return;
    InputFile& program = *rt.ProgramFileStream;
    if (static_cast<std::uint64_t>(end) > program.size()) return;

    const std::string packedPath = destPath + "~";
    CopyToFileWhole(rt.fs, program, static_cast<std::uint64_t>(start),
                    static_cast<std::uint64_t>(end - start), packedPath);
    const std::optional<std::string> notZip = rt.SettingsFile.read("notzip", itemName);
    const bool raw = notZip && text::toInt32(*notZip).value_or(0) != 0;
    if (raw) {
        CopyFileReplacing(rt.fs, packedPath, destPath);
    } else {
        UnzipArchive(rt, packedPath, rt.WorkspaceFolder);
    }
}

bool ExtractToWorkspace(Runtime& rt, std::string& entry, const std::string& itemFileName) {
    // Windows also takes "/" as a separator: keep only the bare name so an entry such as
    // "../../x.swf" cannot have a packed item written outside the workspace folder.
    const std::string name = winpath::bareNameOf(entry);
    entry = rt.WorkspaceFolder + name;
    if (!IsPlainFileName(name)) return false;
    // A file extracted once is reused; the program file is read only on first use (or after a
    // second instance emptied the workspace).
    if (!rt.fs.fileExists(entry)) {
        try {
            ExtractPayloadItem(rt, itemFileName, entry);
        } catch (...) {
            // On-demand extraction never stops playback: the entry is simply missing.
        }
    }
    if (!rt.fs.fileExists(entry)) return false;
    rt.fs.clearAttributes(entry);
    return true;
}

bool ResolveMediaEntry(Runtime& rt, std::string& entry) {
    const std::string itemFileName = winpath::fileNameOf(entry);
    entry = text::replaceAll(entry, "**", "=");
    if (entry.empty()) return false;

    if (entry.find("://") != std::string::npos) {
        StripKindPrefix(entry, kUrlPrefix, true);
        return true;
    }
    if (text::endsWith(entry, "\\")) {
        if (rt.fs.folderExists(entry)) return true;
        StripKindPrefix(entry, kFavoritesPrefix, true);
        return rt.fs.folderExists(entry);
    }
    if (text::startsWith(entry, kUrlPrefix)) {
        StripKindPrefix(entry, kUrlPrefix, true);
        return rt.fs.fileExists(entry);
    }
    if (text::startsWith(entry, kFilePrefix)) {
        StripKindPrefix(entry, kFilePrefix, true);
        if (rt.PayloadPresent) return ExtractToWorkspace(rt, entry, itemFileName);
        return rt.fs.fileExists(entry);
    }
    if (IsAuxiliary(entry)) {
        return rt.fs.fileExists(WithoutAuxiliaryPrefix(entry));
    }
    if (rt.PayloadPresent) return ExtractToWorkspace(rt, entry, itemFileName);
    return FindOnDisk(rt, entry);
}

}  // namespace saver
