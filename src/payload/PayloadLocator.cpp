#include "payload/PayloadLocator.h"

#include <algorithm>

#include "payload/Runtime.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WinPath.h"

namespace saver {
namespace {

// The marker's bytes, each XORed with its mask. Read through volatile so the compiler can neither
// fold the XOR into a constant nor emit the plain text as an immediate.
volatile const unsigned char kMaskedMarker[8] = {0x71, 0x3C, 0x36, 0x26, 0x2D, 0x21, 0x38, 0x7E};
volatile const unsigned char kMarkerMask[8] = {0x52, 0x57, 0x53, 0x55, 0x59, 0x53, 0x57, 0x5D};

// Reads exactly `count` bytes at `offset`, or throws: the window lies inside the file, so a short
// read means the file changed or the system failed.
std::string ReadExactly(InputFile& file, std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = file.readAt(offset + done, bytes.data() + done, count - done);
        if (got == 0) throw IoError("Stream read error");
        done += got;
    }
    return bytes;
}

}  // namespace

std::string PayloadMarker() {
    std::string marker(8, '\0');
    for (std::size_t i = 0; i < marker.size(); ++i)
        marker[i] = static_cast<char>(kMaskedMarker[i] ^ kMarkerMask[i]);
    return marker;
}

void SaveBytesToFile(FileSystem& fs, const std::string& path, const std::string& bytes) {
    if (bytes.empty()) return;
    std::unique_ptr<OutputFile> out = fs.createFile(path);
    if (!out) throw IoError("Cannot create file \"" + path + "\"");
    out->write(bytes.data(), bytes.size());
    out->close();
}

void LocatePayload(Runtime& rt) {
    if (rt.ProgramFilePath.empty()) rt.ProgramFilePath = rt.sys.moduleFileName();
    const std::string& path = rt.ProgramFilePath;
    std::unique_ptr<InputFile> file = rt.fs.openRead(path);
    if (!file) throw IoError("Cannot open file \"" + path + "\"");

    // A file shorter than the window is searched as a whole rather than read from before its
    // first byte.
    const std::uint64_t size = file->size();
    const std::size_t windowSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, PayloadWindowSize));
    const std::string window = ReadExactly(*file, size - windowSize, windowSize);

    const std::size_t at = window.find(PayloadMarker());
    if (at == std::string::npos) {
        rt.PayloadPresent = false;
        rt.ProgramFileStream.reset();
        return;
    }
    rt.PayloadPresent = true;
    rt.RunAsExe = text::upper(winpath::extensionOf(path)) == ".EXE";

    const std::string rest = window.substr(at + PayloadMarker().size());
    const std::size_t separator = rest.find("**");
    std::string memberName;
    std::string archive;
    if (separator == std::string::npos) {
        // The builder always writes "**"; without it the name is empty and the archive starts at
        // the second byte after the marker.
        archive = rest.size() > 1 ? rest.substr(1) : std::string();
    } else {
        memberName = rest.substr(0, separator);
        archive = rest.substr(separator + 2);
    }
    // The member name becomes part of workspace paths: keep only its file name so a damaged or
    // hostile payload cannot write outside the workspace folder. Archive members land by their
    // bare name too, so the settings file is still found.
    memberName = winpath::bareNameOf(memberName);
    rt.SettingsMemberName = memberName;
    rt.ProgramFileStream = std::move(file);

    const std::string archivePath = rt.WorkspaceFolder + memberName + "~";
    // An empty archive writes nothing; a copy left by an earlier run must not stand in for it.
    rt.fs.clearAttributes(archivePath);
    rt.fs.deleteFile(archivePath);
    SaveBytesToFile(rt.fs, archivePath, archive);
    UnzipArchive(rt, archivePath, rt.WorkspaceFolder);
    rt.SettingsFilePath = rt.WorkspaceFolder + memberName;
}

}  // namespace saver
