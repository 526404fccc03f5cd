// DeviceFontNames: which installed face a movie's font name stands for, as the Windows player
// maps them: "_sans" is Arial, "_serif" Times New Roman, "_typewriter" Courier New; any other
// name is a face name as given (a name that is not installed falls back to the default sans
// face, which the font source decides since only it knows what is installed).
//
// On the host a fixed set of free fonts stands in for the Windows faces, looked up by file
// path so that every machine draws the same: Liberation Sans/Serif/Mono for Arial, Times New
// Roman and Courier New (same metrics), DejaVu for a few more.
//
// Failure: none; HostFontFile gives the default sans face's file for a name it does not know.
#pragma once

#include <string>

namespace saver::swf {

inline constexpr const char* kDefaultSansFace = "Arial";

// A face name in ASCII lower case (face names compare case-insensitively), and without the
// blanks and tabs around it.
std::string FoldFaceName(std::string name);
std::string TrimFaceName(const std::string& name);

// The face name to ask the system for: the generic names mapped, the rest trimmed.
std::string DeviceFaceName(const std::string& movieName);

// The host font file standing in for `face` (a DeviceFaceName result) in that style, under
// `fontRoot` (normally /usr/share/fonts/truetype). `known` tells whether the face was one of
// the mapped ones (false: the default sans face's file was given).
std::string HostFontFile(const std::string& face, bool bold, bool italic,
                         const std::string& fontRoot, bool* known = nullptr);

}  // namespace saver::swf
