// A library loaded by a bare name is searched for in the program's folder and the current
// folder first, where anybody may have put a DLL of that name. Every load in the runtime goes
// through a full path; this walks the sources for loads of a literal name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> LiteralLoads(const std::string& source) {
    std::vector<std::string> found;
    for (const char* call : {"LoadLibraryA(", "LoadLibraryW(", "LoadLibraryExA(", "LoadLibrary("}) {
        for (std::size_t at = source.find(call); at != std::string::npos;
             at = source.find(call, at + 1)) {
            std::size_t arg = at + std::string(call).size();
            while (arg < source.size() && (source[arg] == ' ' || source[arg] == '\n')) ++arg;
            if (arg < source.size() && (source[arg] == '"' || source.compare(arg, 2, "L\"") == 0))
                found.push_back(source.substr(at, source.find(')', at) - at + 1));
        }
    }
    return found;
}

TEST(SystemLibraryTest, NoLibraryIsLoadedByABareName) {
    const std::filesystem::path root = std::filesystem::path(SAVER_SOURCE_DIR) / "src";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        ASSERT_TRUE(in) << entry.path();
        std::ostringstream text;
        text << in.rdbuf();
        ++files;
        for (const std::string& load : LiteralLoads(text.str()))
            ADD_FAILURE() << entry.path().string() << ": " << load;
    }
    EXPECT_GT(files, 50);
}

}  // namespace
