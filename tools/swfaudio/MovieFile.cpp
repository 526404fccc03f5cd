#include "swfaudio/MovieFile.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "swf/format/SwfReader.h"

namespace saver::swfaudio {

std::shared_ptr<const swf::Movie> LoadMovieFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return nullptr;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    try {
        return std::make_shared<const swf::Movie>(swf::ReadMovie(bytes));
    } catch (const swf::SwfError& e) {
        error = e.what();
        return nullptr;
    }
}

}  // namespace saver::swfaudio
