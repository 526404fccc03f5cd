// LoadMovieFile: reads and decodes an SWF file for the sound tools.
//
// Failure: nullptr with `error` set ("cannot read FILE" or the reader's reason).
#pragma once

#include <memory>
#include <string>

#include "swf/format/SwfMovie.h"

namespace saver::swfaudio {

std::shared_ptr<const swf::Movie> LoadMovieFile(const std::string& path, std::string& error);

}  // namespace saver::swfaudio
