// The sound conformance set swfdec-sound: NAME.swf with NAME.swf.F.N.raw, the expected output of
// the N-th sound (counted from 0) started in frame F (1 = the first frame shown), captured
// while the movie plays 10 frames.
//
// The references hold every eighth frame of a 44.1 kHz stereo rendering (5512.5 Hz, 16-bit
// little-endian pairs), taken at offset 7 of each group of eight, rendered by a player that
// repeats each source frame to reach 44.1 kHz; the run therefore mixes with
// Interpolation::Hold. A sound matches when those frames agree exactly and everything it
// played after them is silent; a case passes when every expected sound matches and no other
// sound starts.
//
// Failure: none thrown; an unreadable movie or reference fails the case with that reason.
#pragma once

#include <string>
#include <vector>

namespace saver::swfaudio {

struct ExpectedSound {
    int frame = 1;
    int index = 0;
    std::string rawPath;
};

struct SoundCase {
    std::string name;  // the movie's file name
    std::string moviePath;
    std::vector<ExpectedSound> expected;

    std::string id() const { return "swfdec-sound/" + name; }
};

struct SoundCaseResult {
    bool passed = false;
    std::string detail;
};

// The cases in `dir` (the set's folder), sorted by name; movies without a reference are left out.
std::vector<SoundCase> LoadSoundCases(const std::string& dir);

SoundCaseResult RunSoundCase(const SoundCase& c);

}  // namespace saver::swfaudio
