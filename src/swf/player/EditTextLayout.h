// EditTextLayout: the picture of a text field: its frame (background and one-pixel border, each
// when the field has it) and its text, laid out as a text field lays out text: a 2-pixel
// gutter inside the bounds; per paragraph the left and right margins, the block indent, the
// indent on its first line, left, right or centred alignment (justified lines are drawn
// left-aligned), a bullet for list items, tab stops; lines as tall as the largest ascent plus
// the largest descent on them, plus the paragraph's leading; word wrap at spaces (a word wider
// than the line is cut between characters); lines broken at CR and LF; one '*' per character
// in password fields; underlines. Auto-size grows or shrinks the bounds to the text (keeping
// the left edge, the right edge or the centre).
//
// Text draws with the movie's embedded fonts when the field embeds them, else with device
// fonts from the FontSource (TextFontResolver); characters the font has no glyph for take no
// room in embedded fonts.
//
// Failure: none; a field whose fonts are found nowhere draws its frame only.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/FontSource.h"
#include "swf/player/TextFormat.h"
#include "swf/render/RenderItem.h"

namespace saver::swf {

enum class AutoSize : std::uint8_t { None, Left, Right, Center };

// How a field lays out and frames its text.
struct TextFieldBox {
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, embedFonts = false;
    AutoSize autoSize = AutoSize::None;
    bool border = false, background = false;
    Rgba borderColor{0, 0, 0, 255}, backgroundColor{255, 255, 255, 255};
    std::optional<std::uint16_t> fontId;  // the field's own font
    double gutterX = 40, gutterY = 40;    // twips between the bounds and the text
};

struct PlacedGlyph {
    const Shape* glyph = nullptr;  // owned by a font of the movie or a device face
    Matrix matrix;                 // glyph units to the field's space
    Rgba color;
    // A device glyph fitted to the pixel grid also keeps its plain outline, for a field drawn
    // at another scale than one field pixel to one view pixel (null: the glyph is not fitted).
    const Shape* plain = nullptr;
    Matrix plainMatrix;
};

struct LineMetrics {
    double ascent = 0, descent = 0, leading = 0;  // twips
    double x = 0, width = 0;                      // the text's start and width
};

struct EditTextLayout {
    std::optional<Shape> frame;  // background and border
    Shape clip;                  // the bounds: text is clipped to them
    std::vector<PlacedGlyph> glyphs;
    std::vector<std::pair<Shape, Rgba>> underlines;
    Rgba color;                            // the field's text colour
    Rect bounds;                           // after auto-size
    double textWidth = 0, textHeight = 0;  // twips
    std::vector<LineMetrics> lines;
    // How far the text is scrolled (twips, right and down); the frame and clip stay put.
    double scrollX = 0, scrollY = 0;
    std::vector<std::shared_ptr<const FontFace>> faces;  // keep device glyphs alive
    // The frame snapped to whole pixels where it is drawn unrotated (AppendEditText), kept
    // for the placement it was made for.
    TextFieldBox frameBox;
    mutable std::optional<Shape> placedFrame;
    mutable Matrix placedFor;
    mutable double placedUnitX = 20, placedUnitY = 20;  // twips in a view pixel
    // Set when the layout was made at a device scale (DeviceScaledLayout): the field's units
    // it takes to make one of the layout's.
    double deviceScaleX = 1, deviceScaleY = 1;
};

// The box, the format of the text and the text (HTML parsed when the field says so) a
// DefineEditText starts with.
TextFieldBox BoxOf(const EditText& field);
TextFormat FormatOf(const EditText& field, const Movie& movie);
StyledText InitialText(const EditText& field, const Movie& movie);

EditTextLayout LayOutTextField(const TextFieldBox& box, const StyledText& text, const Movie& movie,
                               const FontSource* fonts);
// The field as it first appears.
EditTextLayout LayOutEditText(const EditText& field, const Movie& movie,
                              const FontSource* fonts = nullptr);

// Appends the field's picture placed by `matrix`: the frame (its edges on whole view pixels when
// `matrix` neither rotates nor skews, as the player draws a field's frame), then the glyphs (each
// in its colour, then `color`) and underlines between a BeginMask / Mask (the bounds) and an
// Unmask. The text is left out when it does not fit under `maxItems` with its mask; the frame when
// nothing fits. `viewScaleX`/`viewScaleY`: view pixels per stage pixel; device glyphs fitted to
// the pixel grid are drawn only where the field's pixels are view pixels, else the plain ones.
void AppendEditText(const EditTextLayout& layout, const Matrix& matrix, const ColorTransform& color,
                    std::size_t maxItems, std::vector<RenderItem>& out, double viewScaleX = 1,
                    double viewScaleY = 1);

}  // namespace saver::swf
