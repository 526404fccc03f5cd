// libmpg123 is asked for signed 16-bit stereo at every rate it knows, so whatever the stream
// declares comes out in the one layout PcmBuffer holds. Gapless trimming is off: it relies on
// an encoder's info frame, which an SWF stream cut into blocks does not carry.
#include "swf/audio/Mp3Decoder.h"

#include <mpg123.h>

#include <array>

namespace saver::swf {

namespace {

bool InitLibrary() {
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

}  // namespace

Mp3Decoder::Mp3Decoder() {
    if (!InitLibrary()) return;
    int error = 0;
    handle_ = mpg123_new(nullptr, &error);
    if (!handle_) return;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0);
    mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(handle_, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(handle_) != MPG123_OK) {
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
}

Mp3Decoder::~Mp3Decoder() {
    if (handle_) mpg123_delete(handle_);
}

void Mp3Decoder::decode(std::span<const std::uint8_t> chunk, PcmBuffer& out) {
    out.rate = rate_;
    if (!handle_ || chunk.empty()) return;
    if (mpg123_feed(handle_, chunk.data(), chunk.size()) != MPG123_OK) return;
    std::array<std::int16_t, 4608> buffer;  // four frames of 1152 stereo samples
    const std::size_t start = out.frames();
    for (;;) {
        std::size_t done = 0;
        const int result = mpg123_read(handle_, buffer.data(), sizeof buffer, &done);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(handle_, &rate, &channels, &encoding) == MPG123_OK && rate > 0)
                rate_ = static_cast<double>(rate);
            out.rate = rate_;
        }
        const std::size_t samples = done / sizeof(std::int16_t);
        if (out.frames() - start + samples / 2 > kMaxChunkFrames) break;
        out.samples.insert(out.samples.end(), buffer.begin(), buffer.begin() + samples);
        if (result == MPG123_NEED_MORE || result == MPG123_DONE) break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT && done == 0) break;
    }
}

}  // namespace saver::swf
