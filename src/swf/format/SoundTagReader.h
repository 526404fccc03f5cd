// SoundTagReader: decodes the bodies of the sound tags (DefineSound, StartSound, StartSound2,
// SoundStreamHead, SoundStreamHead2, SoundStreamBlock) into the records of SoundRecords.h.
// Sample data is copied as it stands (the caller charges it to its budget) and not decoded.
//
// Failure: SwfError when a body is shorter than its fixed fields or its SOUNDINFO; the
// timeline reader then drops that one tag (a sound is never worth refusing a movie for).
#pragma once

#include "swf/format/SoundRecords.h"
#include "swf/format/SwfBitReader.h"

namespace saver::swf {

namespace SoundTagReader {

DefinedSound readDefineSound(SwfBitReader& body);
// `version` 1: StartSound (sound id); 2: StartSound2 (class name).
StartSound readStartSound(SwfBitReader& body, int version);
SoundInfo readSoundInfo(SwfBitReader& body);
SoundStreamHead readStreamHead(SwfBitReader& body);
SoundStreamBlock readStreamBlock(SwfBitReader& body);

}  // namespace SoundTagReader

}  // namespace saver::swf
