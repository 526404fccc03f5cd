#include "swf/audio/SoundDecoder.h"

#include "swf/audio/AdpcmDecoder.h"
#include "swf/audio/G711Decoder.h"
#include "swf/audio/Mp3Decoder.h"
#include "swf/audio/PcmDecoder.h"

namespace saver::swf {

std::unique_ptr<SoundDecoder> MakeSoundDecoder(const SoundFormat& format) {
    switch (format.codec) {
        case SoundCodec::PcmNative:
        case SoundCodec::PcmLittleEndian:
            return std::make_unique<PcmDecoder>(format);
        case SoundCodec::Adpcm:
            return std::make_unique<AdpcmDecoder>(format);
        case SoundCodec::Mp3:
            return std::make_unique<Mp3Decoder>();
        case SoundCodec::G711ALaw:
        case SoundCodec::G711MuLaw:
            return std::make_unique<G711Decoder>(format.codec == SoundCodec::G711ALaw,
                                                 format.sampleRate());
        default:
            return nullptr;  // Nellymoser, Speex, AAC: silent
    }
}

}  // namespace saver::swf
