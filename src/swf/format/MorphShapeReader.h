// MorphShapeReader: decodes the body of a DefineMorphShape or DefineMorphShape2 tag into a
// MorphShape: the morph fill and line styles split into the start and end shapes' tables
// (solid, gradient, focal gradient and bitmap fills; MORPHLINESTYLE and MORPHLINESTYLE2), the
// start edges with their style selection and the end edges, both as paths in absolute twips.
//
// The end edges are read where the tag's EndEdges offset points when that lies inside the tag
// and after the start edges, otherwise right after the start edges (writers that leave the
// offset 0). Pairing start and end edges is the player's business; nothing is checked here.
//
// Failure: SwfError for a record running past the tag, an unknown fill type, a gradient
// without stops, a style index beyond its table or coordinates beyond 32 bits; the budget's
// SwfError when the shape outgrows it.
#pragma once

#include "swf/format/DecodeBudget.h"
#include "swf/format/SwfBitReader.h"
#include "swf/format/SwfMovie.h"

namespace saver::swf {

class MorphShapeReader {
  public:
    // `version` 1 for DefineMorphShape, 2 for DefineMorphShape2.
    MorphShapeReader(SwfBitReader& body, int version, DecodeBudget& budget);

    MorphShape read();

  private:
    void readFillStyles();
    void readLineStyles();
    void readFillStyle(FillStyle& start, FillStyle& end);
    void readGradient(FillStyle& start, FillStyle& end, bool focal);
    void readEdges(std::size_t endEdgesAt);

    SwfBitReader& in_;
    int version_;
    DecodeBudget& budget_;
    MorphShape morph_;
};

}  // namespace saver::swf
