#include "archive/MemberReader.h"

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"

namespace saver {
namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

MemberReader::MemberReader(InputFile& file, std::uint64_t offset, std::uint64_t length)
    : file_(file), offset_(offset), left_(length), buffer_(kChunk) {}

bool MemberReader::fill() {
    if (left_ == 0) return false;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, kChunk));
    const std::size_t got = file_.readAt(offset_, buffer_.data(), want);
    if (got == 0) {
        // The file is shorter than the directory said (changed under us): the data ends here.
        left_ = 0;
        return false;
    }
    offset_ += got;
    left_ -= got;
    pos_ = 0;
    end_ = got;
    return true;
}

std::size_t MemberReader::read(std::uint8_t* out, std::size_t max) {
    if (pos_ == end_ && !fill()) return 0;
    const std::size_t n = std::min(max, end_ - pos_);
    std::memcpy(out, buffer_.data() + pos_, n);
    pos_ += n;
    return n;
}

}  // namespace saver
