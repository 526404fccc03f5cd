// TextScroll: what a text field's scroll properties mean on its laid-out lines. `scroll` is the
// number (from 1) of the top line shown, `maxscroll` the largest top line that still fills the
// view (1 when all text fits), `bottomScroll` the number of the last line wholly shown
// (the top line when none is), `maxhscroll` how many twips the text is wider than the view.
// The view is the field's bounds less the 2-pixel gutter on each side.
//
// Failure: none; a field without lines scrolls nowhere (1, 1, 1, 0).
#pragma once

#include "swf/player/EditTextLayout.h"

namespace saver::swf {

int MaxScroll(const EditTextLayout& layout);
int BottomScroll(const EditTextLayout& layout, int scroll);
double MaxHScroll(const EditTextLayout& layout);  // twips
// How far (twips) the text moves up when line `scroll` is the top line.
double ScrollOffset(const EditTextLayout& layout, int scroll);

}  // namespace saver::swf
