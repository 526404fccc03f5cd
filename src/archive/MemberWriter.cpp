#include "archive/MemberWriter.h"

#include <zlib.h>

#include "archive/ZipDataError.h"
#include "platform/FileSystem.h"

namespace saver {

MemberWriter::MemberWriter(OutputFile& file, std::uint64_t declaredSize)
    : file_(file), declared_(declaredSize) {}

void MemberWriter::write(const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    if (count > declared_ - written_)
        throw ZipDataError("member data longer than its declared size");
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, data, count));
    file_.write(data, count);
    written_ += count;
}

}  // namespace saver
