// The decoded form of an SWF movie: header, character dictionary and timelines, as the reader
// (ReadMovie) produces it and the player core consumes it. Plain data, no behaviour.
//
// Shapes are kept as paths with absolute twip coordinates. Every path carries the fill styles
// on its left (fill0) and right (fill1) and its line style as 1-based indexes into the shape's
// own `fills` / `lines` (0 = none); style tables that a shape record replaces (NewStyles) are
// appended to those vectors, and the indexes after it are offset accordingly, so one shape has
// one flat style table.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "swf/format/SwfTypes.h"

namespace saver::swf {

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class InterpolationMode : std::uint8_t { Normal = 0, Linear = 1 };

struct GradientStop {
    std::uint8_t ratio = 0;  // 0..255 along the gradient square
    Rgba color;
};

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;  // 1..15 stops in file order
    double focalPoint = 0;            // -1..1, focal radial gradients only
};

enum class FillType : std::uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalRadialGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;                  // Solid
    Matrix matrix;               // gradients and bitmaps: maps the gradient square / bitmap
    Gradient gradient;           // gradients
    std::uint16_t bitmapId = 0;  // bitmaps (not drawn yet)
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    std::uint16_t width = 0;  // twips
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;  // factor, miter joins only
    bool noHScale = false, noVScale = false, pixelHinting = false, noClose = false;
    std::optional<FillStyle> fill;  // LINESTYLE2 with HasFillFlag: the stroke is filled so
};

// One edge from the previous point: straight to `anchor`, or a quadratic curve through
// `control` to `anchor`.
struct ShapeEdge {
    bool curved = false;
    Point control;
    Point anchor;
};

struct ShapePath {
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;  // 1-based into Shape::fills / lines; 0 none
    Point start;
    std::vector<ShapeEdge> edges;
};

struct Shape {
    std::uint16_t id = 0;
    std::uint8_t version = 1;  // DefineShape 1..4
    Rect bounds;
    Rect edgeBounds;  // DefineShape4; equals bounds otherwise
    // DefineShape4's UsesFillWindingRule: regions of one fill style are filled by the non-zero
    // rule; otherwise (and in DefineShape 1-3) by the even-odd rule.
    bool nonZeroWinding = false;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapePath> paths;
    // Layers: each NewStyles record starts one, at the index into `paths` of the first path
    // read after it (ascending; empty when the shape never replaces its styles). Layers are
    // drawn in order, each with its fills first and its lines on top.
    std::vector<std::uint32_t> layerStarts;
};

// Display-list commands of one frame, in file order.
struct PlaceObject {
    std::uint8_t version = 1;  // PlaceObject 1, 2 or 3
    std::uint16_t depth = 0;
    bool move = false;  // PlaceFlagMove: modify the character at this depth
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::uint8_t> blendMode;  // PlaceObject3
};

struct RemoveObject {
    std::uint16_t depth = 0;
    std::optional<std::uint16_t> characterId;  // RemoveObject (version 1) only
};

// A DoAction tag: its action records, kept as bytes; the player decodes what it runs.
struct DoAction {
    std::vector<std::uint8_t> bytes;
};

// A DoInitAction tag of the root timeline: actions run once per movie, before the DoAction
// tags of their frame, for the sprite `spriteId` (usually a class definition).
struct DoInitAction {
    std::uint16_t spriteId = 0;
    std::vector<std::uint8_t> bytes;
};

using FrameCommand = std::variant<PlaceObject, RemoveObject, DoAction>;

struct Frame {
    std::vector<FrameCommand> commands;
    std::vector<std::string> labels;        // FrameLabel tags of this frame
    std::vector<DoInitAction> initActions;  // root timeline only, in file order
};

// A timeline: the root movie's or a sprite's. `frames` holds one entry per ShowFrame; commands
// after the last ShowFrame are dropped, as a player never shows them.
struct Timeline {
    std::uint16_t declaredFrameCount = 0;  // the header's / DefineSprite's FrameCount
    std::vector<Frame> frames;
};

struct Sprite {
    std::uint16_t id = 0;
    Timeline timeline;
};

// A character the reader knows but the player does not draw yet (bitmaps, text, buttons,
// morph shapes, sounds, ...): placing it shows nothing.
struct UnsupportedCharacter {
    std::uint16_t id = 0;
    std::uint16_t tagCode = 0;
};

using Character = std::variant<Shape, Sprite, UnsupportedCharacter>;

enum class Compression : std::uint8_t { None, Zlib, Lzma };

struct Header {
    Compression compression = Compression::None;  // FWS, CWS, ZWS
    std::uint8_t version = 0;
    std::uint32_t fileLength = 0;  // uncompressed length the header declares
    Rect frameSize;                // twips
    double frameRate = 0;          // frames per second (8.8 fixed in the file)
    std::uint16_t frameCount = 0;
};

struct Movie {
    Header header;
    std::optional<Rgba> background;  // the first SetBackgroundColor
    std::map<std::uint16_t, Character> dictionary;
    Timeline root;
    // Tag codes met that the reader skipped (not understood, or out of scope), with counts;
    // for diagnostics and the reference harness.
    std::map<std::uint16_t, std::uint32_t> skippedTags;
};

}  // namespace saver::swf
