// Test-only program: checks the Win32 half of the platform seam against the contracts of
// FileSystem.h and SystemServices.h on a real Win32 implementation (run under Wine by
// test_seam.sh). Prints "ok NAME" or "FAIL NAME: detail" per case; exit code 1 on any failure.
#include <windows.h>
// winioctl.h needs the types of windows.h.
#include <winioctl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/Win32FileSystem_win.h"
#include "platform/Win32Services_win.h"

namespace {

using saver::FileSystem;
using saver::RegType;
using saver::Win32FileSystem;
using saver::Win32Services;

// The failure of one case: what went wrong.
struct CheckFailed {
    std::string what;
};

void expect(bool condition, const std::string& what) {
    if (!condition) throw CheckFailed{what};
}

std::string scratch;  // a fresh folder under the temp folder, ending with "\"

void writeFile(FileSystem& fs, const std::string& path, const std::string& bytes) {
    auto out = fs.createFile(path);
    expect(out != nullptr, "createFile " + path);
    out->write(bytes.data(), bytes.size());
    out->close();
}

std::string readAll(FileSystem& fs, const std::string& path) {
    auto in = fs.openRead(path);
    expect(in != nullptr, "openRead " + path);
    std::string bytes(static_cast<std::size_t>(in->size()), '\0');
    expect(in->readAt(0, bytes.data(), bytes.size()) == bytes.size(), "short read " + path);
    return bytes;
}

bool listed(FileSystem& fs, const std::string& folder, const std::string& name, bool isFolder) {
    for (const auto& e : fs.listFolder(folder))
        if (e.name == name) return e.isFolder == isFolder;
    return false;
}

void foldersAndExistence(Win32FileSystem& fs) {
    const std::string deep = scratch + "a\\b\\c";
    expect(fs.createFolders(deep + "\\"), "createFolders with missing parents");
    expect(fs.folderExists(deep) && fs.folderExists(deep + "\\"), "folderExists with/without \\");
    expect(!fs.fileExists(deep), "a folder is no file");
    expect(fs.createFolders(deep), "createFolders of an existing folder");
    writeFile(fs, deep + "\\f.txt", "x");
    expect(fs.fileExists(deep + "\\F.TXT"), "names match without regard to case");
    expect(!fs.folderExists(deep + "\\f.txt"), "a file is no folder");
    expect(!fs.fileSize(deep).has_value(), "fileSize of a folder");
    expect(fs.openRead(deep) == nullptr, "openRead of a folder");
    expect(fs.openRead(scratch + "missing.bin") == nullptr, "openRead of a missing file");
    expect(fs.folderExists("C:\\") && fs.folderExists("C:"), "drive root");
}

void readingAtOffsets(Win32FileSystem& fs) {
    const std::string path = scratch + "data.bin";
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
    writeFile(fs, path, bytes);
    expect(fs.fileSize(path) == bytes.size(), "fileSize");
    auto in = fs.openRead(path);
    expect(in && in->size() == bytes.size(), "size of the open file");
    char buf[100];
    // offset ; count ; expected count
    const struct {
        std::uint64_t offset;
        std::size_t count, expected;
    } cases[] = {{0, 100, 100}, {69950, 100, 50}, {70000, 100, 0}, {900000, 100, 0}, {5, 0, 0}};
    for (const auto& c : cases) {
        const std::size_t got = in->readAt(c.offset, buf, c.count);
        expect(got == c.expected,
               "readAt " + std::to_string(c.offset) + " gave " + std::to_string(got));
        expect(bytes.compare(c.offset < bytes.size() ? c.offset : 0, got, buf, got) == 0,
               "bytes at " + std::to_string(c.offset));
    }
}

// A position beyond 4 GiB must reach the file as it is (a sparse file: no disk space used).
void readingBeyondFourGigabytes(Win32FileSystem& fs) {
    const std::string path = scratch + "big.bin";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    expect(h != INVALID_HANDLE_VALUE, "create big file");
    DWORD ignored = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = 0x100000010LL;  // 4 GiB + 16
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    const bool ok = WriteFile(h, "HIGH", 4, &written, nullptr) && written == 4;
    CloseHandle(h);
    expect(ok, "write at 4 GiB + 16");
    auto in = fs.openRead(path);
    expect(in && in->size() == 0x100000014ULL, "size above 4 GiB");
    char buf[8] = {};
    expect(in->readAt(0x100000010ULL, buf, 8) == 4 && std::string(buf, 4) == "HIGH",
           "readAt above 4 GiB");
    in.reset();
    fs.deleteFile(path);
}

void sharingWhileOpen(Win32FileSystem& fs) {
    const std::string path = scratch + "shared.bin";
    writeFile(fs, path, "0123456789");
    auto in = fs.openRead(path);
    expect(in != nullptr, "openRead");
    // Others may write, rename and delete the file while we read it.
    HANDLE w = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    expect(w != INVALID_HANDLE_VALUE, "another writer while open for reading");
    CloseHandle(w);
    auto second = fs.openRead(path);
    expect(second != nullptr, "a second reader");
    expect(MoveFileExA(path.c_str(), (scratch + "moved.bin").c_str(), 0) != 0,
           "rename while open for reading");
    char buf[4];
    expect(in->readAt(2, buf, 4) == 4 && std::string(buf, 4) == "2345", "read after rename");
}

void readOnlyFiles(Win32FileSystem& fs) {
    const std::string path = scratch + "ro.txt";
    writeFile(fs, path, "old");
    expect(fs.setReadOnly(path, true) && fs.isReadOnly(path), "setReadOnly");
    expect(fs.createFile(path) == nullptr, "createFile over a read-only file");
    expect(!fs.deleteFile(path), "deleteFile of a read-only file");
    expect(readAll(fs, path) == "old", "read-only file unchanged");
    expect(fs.setReadOnly(path, false) && !fs.isReadOnly(path), "setReadOnly(false)");
    expect(fs.setReadOnly(path, true), "setReadOnly again");
    SetFileAttributesA(path.c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    expect(fs.clearAttributes(path), "clearAttributes");
    const DWORD a = GetFileAttributesA(path.c_str());
    expect(!(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)),
           "attributes cleared");
    expect(fs.deleteFile(path) && !fs.fileExists(path), "deleteFile after clearAttributes");
    expect(!fs.clearAttributes(path) && !fs.setReadOnly(path, true), "missing file");
}

void renameReplace(Win32FileSystem& fs) {
    const std::string from = scratch + "new.txt", to = scratch + "target.txt";
    writeFile(fs, to, "previous");
    writeFile(fs, from, "replacement");
    expect(fs.renameReplace(from, to), "renameReplace over an existing file");
    expect(readAll(fs, to) == "replacement" && !fs.fileExists(from), "replaced in one step");
    expect(!fs.renameReplace(scratch + "nothing.txt", to), "renameReplace of a missing file");
    expect(readAll(fs, to) == "replacement", "target kept after a failed rename");
}

void listing(Win32FileSystem& fs) {
    const std::string folder = scratch + "list\\";
    fs.createFolders(folder + "sub");
    writeFile(fs, folder + "plain.txt", "1");
    writeFile(fs, folder + "hidden.txt", "2");
    SetFileAttributesA((folder + "hidden.txt").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const auto entries = fs.listFolder(folder);
    expect(entries.size() == 3, "three entries, got " + std::to_string(entries.size()));
    expect(listed(fs, folder, "plain.txt", false), "plain file");
    expect(listed(fs, folder, "hidden.txt", false), "hidden system file");
    expect(listed(fs, folder, "sub", true), "sub-folder marked as folder");
    expect(fs.listFolder(scratch + "list").size() == 3, "folder given without \\");
    expect(fs.listFolder(scratch + "no such folder").empty(), "missing folder");
    SetFileAttributesA((folder + "hidden.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

void writeFailures(Win32FileSystem& fs) {
    expect(fs.createFile(scratch + "missing\\parent.txt") == nullptr, "missing parent folder");
    auto out = fs.createFile(scratch + "closed.txt");
    expect(out != nullptr, "createFile");
    out->close();
    out->close();  // a second close is harmless
    bool threw = false;
    try {
        out->write("x", 1);
    } catch (const saver::IoError&) {
        threw = true;
    }
    expect(threw, "write after close throws IoError");
}

void moduleAndTemp(Win32Services& sys) {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    expect(sys.moduleFileName() == buffer, "moduleFileName");
    const std::string temp = sys.tempPath();
    expect(!temp.empty() && temp.back() == '\\', "tempPath ends with \\");
    expect(Win32FileSystem().folderExists(temp), "tempPath exists");
    expect(sys.shellDisplayName(buffer).size() > 0, "display name of the program");
    expect(sys.shellDisplayName(scratch + "no such file.scr").empty(), "display name of nothing");
    expect(sys.clockSeed() != sys.clockSeed(), "clock seed changes");
}

void guardMutex(Win32Services& sys) {
    const std::string name = "seamcheck-guard-" + std::to_string(GetCurrentProcessId());
    expect(sys.createGuardMutex(name), "first creation");
    expect(!sys.createGuardMutex(name), "second creation reports an existing guard");
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    expect(h != nullptr, "the first guard is still held");
    CloseHandle(h);
    expect(WaitForSingleObject(CreateMutexA(nullptr, FALSE, name.c_str()), 0) == WAIT_OBJECT_0,
           "created unowned");
}

void registry(Win32Services& sys) {
    const std::string sub = "Software\\SeamCheck" + std::to_string(GetCurrentProcessId());
    expect(sys.openUserKey(sub, false) == nullptr, "a missing key does not open");
    auto key = sys.openUserKey(sub, true);
    expect(key != nullptr, "created");
    expect(key->writeDword("D", 0xFFFFFFFEu), "writeDword");
    HKEY raw = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_WRITE, &raw);
    RegSetValueExA(raw, "S", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4);
    RegSetValueExA(raw, "N", 0, REG_SZ, reinterpret_cast<const BYTE*>("xy"), 2);  // no zero
    RegSetValueExA(raw, "B", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abcd"), 4);
    const unsigned long long q = 1;
    RegSetValueExA(raw, "Q", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&q), 8);
    RegCloseKey(raw);
    auto reopened = sys.openUserKey(sub, false);
    expect(reopened != nullptr, "opens once it exists");
    // value ; type ; text or dword
    const struct {
        const char* name;
        RegType type;
        const char* text;
        std::uint32_t dword;
    } cases[] = {{"D", RegType::Dword, "", 0xFFFFFFFEu}, {"S", RegType::String, "abc", 0},
                 {"N", RegType::String, "xy", 0},        {"B", RegType::Other, "", 0},
                 {"Q", RegType::Other, "", 0},           {"Missing", RegType::Missing, "", 0},
                 {"", RegType::Missing, "", 0}};
    for (const auto& c : cases) {
        const saver::RegValue v = reopened->read(c.name);
        expect(v.type == c.type, std::string("type of '") + c.name + "'");
        if (c.type == RegType::String) expect(v.text == c.text, std::string("text of ") + c.name);
        if (c.type == RegType::Dword) expect(v.dword == c.dword, std::string("dword of ") + c.name);
    }
    RegSetValueA(HKEY_CURRENT_USER, sub.c_str(), REG_SZ, "C:\\Default", 10);
    expect(reopened->read("").text == "C:\\Default", "default value");
    reopened.reset();
    key.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, sub.c_str());
}

}  // namespace

int main() {
    Win32FileSystem fs;
    Win32Services sys;
    scratch = sys.tempPath() + "seamcheck-" + std::to_string(GetCurrentProcessId()) + "\\";
    fs.createFolders(scratch);

    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"folders and existence", [&] { foldersAndExistence(fs); }},
        {"reading at offsets", [&] { readingAtOffsets(fs); }},
        {"reading beyond 4 GiB", [&] { readingBeyondFourGigabytes(fs); }},
        {"sharing while open", [&] { sharingWhileOpen(fs); }},
        {"read-only files", [&] { readOnlyFiles(fs); }},
        {"rename replacing", [&] { renameReplace(fs); }},
        {"folder listing", [&] { listing(fs); }},
        {"write failures", [&] { writeFailures(fs); }},
        {"module, temp, shell, clock", [&] { moduleAndTemp(sys); }},
        {"guard mutex", [&] { guardMutex(sys); }},
        {"registry", [&] { registry(sys); }},
    };
    int failures = 0;
    for (const auto& [name, run] : cases) {
        try {
            run();
            std::printf("ok   %s\n", name);
        } catch (const CheckFailed& f) {
            std::printf("FAIL %s: %s\n", name, f.what.c_str());
            ++failures;
        } catch (const std::exception& e) {
            std::printf("FAIL %s: exception %s\n", name, e.what());
            ++failures;
        }
    }
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
