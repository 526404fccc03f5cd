// The control tags of one timeline, the movie's own or a sprite's: placing and removing
// objects, frame labels, actions and ShowFrame, kept as encoded tags in order. Each ShowFrame
// ends one frame; FrameCount() is the number of ShowFrame tags. The End tag is not part of the
// list: whoever writes the timeline out closes it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "ActionList.h"
#include "PlaceObject.h"

namespace saver::swfwriter {

enum class TagCode : std::uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    DefineBits = 6,
    JpegTables = 8,
    SetBackgroundColor = 9,
    DoAction = 12,
    DefineSound = 14,
    StartSound = 15,
    SoundStreamBlock = 19,
    DefineBitsJpeg2 = 21,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineButton2 = 34,
    DefineText2 = 33,
    DefineBitsJpeg3 = 35,
    DefineEditText = 37,
    DefineSprite = 39,
    FrameLabel = 43,
    DefineMorphShape = 46,
    DefineFont2 = 48,
    SoundStreamHead2 = 45,
    ExportAssets = 56,
    FileAttributes = 69,
    PlaceObject3 = 70,
    DefineFont3 = 75,
    DefineShape4 = 83,
};

class Timeline {
  public:
    // PlaceObject2 (PlaceObject3 with filters or a blend mode). Invalid combinations throw
    // std::invalid_argument: a new object (move false) without a character, or a name holding a
    // zero byte.
    void Place(const PlaceObject& place);
    void Remove(std::uint16_t depth);  // RemoveObject2
    void FrameLabel(std::string_view name);
    void DoAction(const ActionList& actions);
    void ShowFrame();

    std::uint16_t FrameCount() const { return frames_; }
    const std::vector<std::uint8_t>& Tags() const { return tags_; }

    // Appends any tag: the short header for bodies under 63 bytes, the long one otherwise.
    void AppendTag(TagCode code, std::span<const std::uint8_t> body);

    // The bytes of one tag, header included.
    static std::vector<std::uint8_t> EncodeTag(TagCode code, std::span<const std::uint8_t> body);

  private:
    std::vector<std::uint8_t> tags_;
    std::uint16_t frames_ = 0;
};

}  // namespace saver::swfwriter
