#include "payload/PayloadUpgrade.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "archive/ZipWriter.h"
#include "payload/IniLineEditor.h"
#include "payload/PayloadLocator.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace saver {
namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr std::uint16_t kFlagUtf8 = 1 << 11;

std::string shown(const std::string& ansi) {
    return "\"" + ansi + "\"";
}

std::string readRange(InputFile& file, std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = file.readAt(offset + done, bytes.data() + done, count - done);
        if (got == 0) throw PayloadUpgradeError("an input file changed while it was read");
        done += got;
    }
    return bytes;
}

void copyRange(InputFile& in, std::uint64_t offset, std::uint64_t length, OutputFile& out) {
    while (length > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunk));
        const std::string chunk = readRange(in, offset, n);
        out.write(chunk.data(), chunk.size());
        offset += n;
        length -= n;
    }
}

void checkOldLayout(const PayloadLayout& old) {
    const std::vector<std::string> problems = LayoutProblems(old);
    if (!problems.empty()) {
        std::string all = "the positions of the packed items do not add up: " + problems.front();
        for (std::size_t i = 1; i < problems.size(); ++i) all += "; " + problems[i];
        throw PayloadUpgradeError(all);
    }
    for (const ArchiveMember& m : old.members) {
        if (!m.problem.empty())
            throw PayloadUpgradeError("settings archive member " + shown(m.rawName) +
                                      " cannot be read (" + m.problem + ")");
        if (m.flags & kFlagUtf8)
            throw PayloadUpgradeError("settings archive member " + shown(m.rawName) +
                                      " has a UTF-8 name, which cannot be kept");
    }
}

std::unique_ptr<InputFile> openRuntime(FileSystem& fs, const std::string& path) {
    std::unique_ptr<InputFile> runtime = fs.openRead(path);
    if (!runtime) throw PayloadUpgradeError("cannot read the runtime " + shown(path));
    const std::uint64_t size = runtime->size();
    if (size == 0) throw PayloadUpgradeError("the runtime " + shown(path) + " is empty");
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, PayloadWindowSize));
    if (readRange(*runtime, size - n, n).find(PayloadMarker()) != std::string::npos)
        throw PayloadUpgradeError("the runtime " + shown(path) +
                                  " carries a payload marker itself (a finished screensaver?)");
    return runtime;
}

// Moves every [zippos] pair in the settings text; nothing else of it changes.
std::string movePositions(const PayloadLayout& old, std::int64_t shift, UpgradeResult& r) {
    IniLineEditor settings(old.settingsText);
    if (shift == 0) {  // nothing moves: the text stays exactly as it was
        r.items = old.items;
        return old.settingsText;
    }
    for (const PackedRange& item : old.items) {
        PackedRange moved = item;
        moved.begin += shift;
        moved.end += shift;
        if (moved.end > std::numeric_limits<std::int32_t>::max())
            throw PayloadUpgradeError("item " + shown(item.name) +
                                      " would end beyond 2147483647 bytes on this runtime");
        if (!settings.setValue("zippos", item.name + "_1", std::to_string(moved.begin)) ||
            !settings.setValue("zippos", item.name + "_2", std::to_string(moved.end)))
            throw PayloadUpgradeError("cannot rewrite the positions of item " + shown(item.name));
        r.items.push_back(moved);
    }
    return settings.text();
}

std::string rebuildArchive(const PayloadLayout& old, const std::string& settingsText) {
    if (settingsText == old.settingsText) return old.archive;
    ZipWriter zip;
    for (std::size_t i = 0; i < old.members.size(); ++i) {
        const ArchiveMember& m = old.members[i];
        const std::string& bytes = i == old.settingsMember ? settingsText : m.bytes;
        zip.add(m.rawName, bytes,
                m.method == 0 ? ZipWriter::Method::Stored : ZipWriter::Method::Deflated);
    }
    return zip.finish();
}

// Start-up takes the first marker in the last window: runtime or packed bytes there must not
// hold one ahead of the real marker.
void checkFalseMarker(InputFile& runtime, InputFile& old, const PayloadLayout& l,
                      const UpgradeResult& r) {
    const std::uint64_t windowStart =
        r.fileSize > PayloadWindowSize ? r.fileSize - PayloadWindowSize : 0;
    std::string before;
    if (windowStart < r.newRuntimeSize)
        before = readRange(runtime, windowStart,
                           static_cast<std::size_t>(r.newRuntimeSize - windowStart));
    const std::uint64_t packedFrom = std::max(windowStart, r.newRuntimeSize) - r.newRuntimeSize;
    const std::uint64_t packedSize = l.markerOffset - l.runtimeEnd;
    if (packedFrom < packedSize)
        before += readRange(old, l.runtimeEnd + packedFrom,
                            static_cast<std::size_t>(packedSize - packedFrom));
    const std::size_t found = (before + PayloadMarker()).find(PayloadMarker());
    if (found != before.size())
        throw PayloadUpgradeError("bytes at offset " + std::to_string(windowStart + found) +
                                  " of the new file would contain the payload marker ahead of "
                                  "the real one");
}

}  // namespace

UpgradeResult UpgradePayload(FileSystem& fs, const std::string& oldPath,
                             const std::string& runtimePath, const std::string& outPath) {
    if (text::sameText(outPath, oldPath) || text::sameText(outPath, runtimePath))
        throw PayloadUpgradeError("the output " + shown(outPath) + " is also an input");
    const PayloadLayout old = ReadPayloadLayout(fs, oldPath);
    checkOldLayout(old);
    std::unique_ptr<InputFile> oldFile = fs.openRead(oldPath);
    if (!oldFile) throw PayloadUpgradeError("cannot read " + shown(oldPath));
    std::unique_ptr<InputFile> runtime = openRuntime(fs, runtimePath);

    UpgradeResult r;
    r.oldRuntimeSize = old.runtimeEnd;
    r.newRuntimeSize = runtime->size();
    r.shift =
        static_cast<std::int64_t>(r.newRuntimeSize) - static_cast<std::int64_t>(old.runtimeEnd);
    r.settingsText = movePositions(old, r.shift, r);
    r.droppedTrailing = old.trailingSize;
    const std::string tail =
        PayloadMarker() + old.memberName + "**" + rebuildArchive(old, r.settingsText);
    if (tail.size() > PayloadWindowSize)
        throw PayloadUpgradeError("the rebuilt settings archive does not fit the " +
                                  std::to_string(PayloadWindowSize) + "-byte payload window");
    r.markerOffset = r.newRuntimeSize + (old.markerOffset - old.runtimeEnd);
    r.fileSize = r.markerOffset + tail.size();
    checkFalseMarker(*runtime, *oldFile, old, r);

    std::unique_ptr<OutputFile> out = fs.createFile(outPath);
    if (!out) throw PayloadUpgradeError("cannot create " + shown(outPath));
    try {
        copyRange(*runtime, 0, r.newRuntimeSize, *out);
        copyRange(*oldFile, old.runtimeEnd, old.markerOffset - old.runtimeEnd, *out);
        out->write(tail.data(), tail.size());
        out->close();
    } catch (const std::exception& e) {
        out.reset();
        fs.deleteFile(outPath);
        throw PayloadUpgradeError("writing " + shown(outPath) + " failed: " + e.what());
    }
    return r;
}

}  // namespace saver
