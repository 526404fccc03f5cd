// Samples go out little-endian whatever the host's byte order. The data size field is 32 bits:
// a file is cut at 4 GiB of samples (over six hours), which no test comes near.
#include "swf/audio/WavWriter.h"

#include <array>

namespace saver::swf {

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint64_t kMaxFrames = (0xFFFFFFFFull - 36) / 4;

void Put16(std::uint8_t*& p, std::uint16_t v) {
    *p++ = static_cast<std::uint8_t>(v);
    *p++ = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t*& p, std::uint32_t v) {
    Put16(p, static_cast<std::uint16_t>(v));
    Put16(p, static_cast<std::uint16_t>(v >> 16));
}

std::array<std::uint8_t, 44> Header(std::uint32_t dataBytes) {
    std::array<std::uint8_t, 44> h{};
    std::uint8_t* p = h.data();
    for (char c : {'R', 'I', 'F', 'F'}) *p++ = static_cast<std::uint8_t>(c);
    Put32(p, 36 + dataBytes);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) *p++ = static_cast<std::uint8_t>(c);
    Put32(p, 16);
    Put16(p, 1);  // PCM
    Put16(p, 2);
    Put32(p, kRate);
    Put32(p, kRate * 4);
    Put16(p, 4);
    Put16(p, 16);
    for (char c : {'d', 'a', 't', 'a'}) *p++ = static_cast<std::uint8_t>(c);
    Put32(p, dataBytes);
    return h;
}

}  // namespace

WavWriter::~WavWriter() {
    finish();
}

bool WavWriter::open(const std::string& path) {
    finish();
    file_ = std::fopen(path.c_str(), "wb");
    frames_ = 0;
    const auto header = Header(0);
    ok_ = file_ && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    return ok_;
}

void WavWriter::write(const std::int16_t* samples, std::size_t frames) {
    if (!ok_) return;
    if (frames_ + frames > kMaxFrames) frames = static_cast<std::size_t>(kMaxFrames - frames_);
    std::array<std::uint8_t, 4096> bytes;
    std::size_t done = 0;
    while (done < frames && ok_) {
        const std::size_t n = std::min<std::size_t>(frames - done, bytes.size() / 4);
        std::uint8_t* p = bytes.data();
        for (std::size_t i = 0; i < n * 2; ++i)
            Put16(p, static_cast<std::uint16_t>(samples[(done * 2) + i]));
        ok_ = std::fwrite(bytes.data(), 1, n * 4, file_) == n * 4;
        done += n;
    }
    frames_ += done;
}

bool WavWriter::finish() {
    if (!file_) return false;
    const auto header = Header(static_cast<std::uint32_t>(frames_ * 4));
    if (ok_)
        ok_ = std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    ok_ = (std::fclose(file_) == 0) && ok_;
    file_ = nullptr;
    return ok_;
}

}  // namespace saver::swf
