// TimelineReader: reads a stream of SWF tags (the root movie's or a DefineSprite's) into a
// Timeline, adding the characters it defines to the movie's dictionary.
//
// Tag by tag: ShowFrame closes a frame; PlaceObject 1-3, RemoveObject 1-2, DoAction (kept as
// bytes) and FrameLabel go into the current frame; DefineShape 1-4 and DefineSprite become
// characters, and so do DefineMorphShape 1-2 and DefineButton 1-2 (DefineButtonCxform and
// DefineButtonSound amend the button they name), the bitmaps (undecoded, see
// BitmapTagReader; the first JPEGTables goes to Movie::jpegTables), fonts (DefineFont 1-3,
// completed by DefineFontInfo/2 and DefineFontName), static text (DefineText 1-2) and text
// fields (DefineEditText); sounds and video streams become UnsupportedCharacter entries (id
// and tag code); the first SetBackgroundColor sets the background. Anything else is skipped by
// its length and counted in Movie::skippedTags, as are the bodies of the unsupported
// characters and definition tags found inside a sprite. The stream ends at an End tag or where
// the data ends on a tag boundary (files cut short after a complete tag are accepted);
// commands after the last ShowFrame are dropped.
//
// A character id defined twice keeps its first definition, as the Flash runtime does.
//
// Sounds: DefineSound is also kept, data undecoded, in Movie::sounds; StartSound 1-2 and the
// frame's first SoundStreamBlock go into the current frame, the first SoundStreamHead 1-2 into
// the timeline (in sprites too). A damaged sound tag is dropped and counted as skipped.
//
// A tag whose header or length runs past the data ends the timeline there (what came before
// it is kept, as when the End tag is missing).
//
// Failure: SwfError for a malformed tag body, a DefineSprite inside a sprite, or a movie that
// outgrows the budget.
#pragma once

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

class TimelineReader {
  public:
    // Every frame, command, label and character kept is charged to `budget`.
    TimelineReader(Movie& movie, DecodeBudget& budget) : movie_(movie), budget_(budget) {}

    // Reads `tags` to its end or its End tag into `timeline` (frames only; the caller sets the
    // declared frame count). `insideSprite` selects the rules of a sprite's tag stream.
    void read(SwfBitReader& tags, Timeline& timeline, bool insideSprite);

  private:
    void readTag(std::uint16_t code, SwfBitReader& body, Frame& frame, Timeline& timeline,
                 bool insideSprite);
    bool readSoundTag(std::uint16_t code, SwfBitReader& body, Frame& frame, Timeline& timeline);
    bool readDefinition(std::uint16_t code, SwfBitReader& body);
    bool readTextDefinition(std::uint16_t code, SwfBitReader& body);
    void defineFont(Font font);
    Font* existingFont(std::uint16_t id);
    void define(std::uint16_t id, Character character);
    void skipped(std::uint16_t code) { ++movie_.skippedTags[code]; }
    void command(Frame& frame, FrameCommand command, std::size_t extraBytes);

    Movie& movie_;
    DecodeBudget& budget_;
};

}  // namespace saver::swf
