// TSaverSetting: the one settings record. (Placeholder being completed: every key of the settings
// table becomes a field of the same name.)
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace saver {

using MediaList = std::vector<std::string>;

struct SaverSetting {
    // ... every key of the settings file as a field of the same name ...
    std::uint8_t FlashSequence = 0;

    std::set<int> useeffects;

    MediaList PictureList;
    MediaList MusicList;
    MediaList FlashList;
    MediaList VideoList;
    MediaList WebList;
};

}  // namespace saver
