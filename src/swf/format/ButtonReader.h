// ButtonReader: decodes DefineButton and DefineButton2 into a Button, and applies the later
// tags that add to one: DefineButtonCxform (colour transforms of its records) and
// DefineButtonSound (its four transition sounds).
//
// Records keep their states, character, depth, matrix and colour transform; DefineButton2's
// filter list is kept undecoded and its blend mode read. Action bytes and condition flags are
// kept undecoded. DefineButton2's actions start where its ActionOffset points when that lies
// inside the tag after the records, otherwise right after them; a condition record whose size
// is below its own header or runs past the tag ends the list (the records before it are kept).
//
// DefineButtonCxform holds one CXFORM per record, applied in record order (files exist with
// more than one); missing or cut transforms leave the rest unchanged. DefineButtonSound is
// read up to where the tag ends: a tag cut after some sound ids keeps those.
//
// Failure: SwfError for a button record running past the tag or a filter list with
// an unknown filter; the budget's SwfError when the button outgrows it.
#pragma once

#include "swf/format/Button.h"
#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"

namespace saver::swf {

class ButtonReader {
  public:
    // `version` 1 for DefineButton, 2 for DefineButton2.
    static Button readButton(SwfBitReader& body, int version, DecodeBudget& budget);
    // The body of DefineButtonCxform or DefineButtonSound after the button id.
    static void readColorTransforms(SwfBitReader& body, Button& button);
    static void readSounds(SwfBitReader& body, Button& button, DecodeBudget& budget);

  private:
    static bool readRecord(SwfBitReader& in, int version, Button& button, DecodeBudget& budget);
    static void readActions(SwfBitReader& in, Button& button, DecodeBudget& budget);
};

}  // namespace saver::swf
