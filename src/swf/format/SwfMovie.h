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

#include "swf/format/BitmapCharacter.h"
#include "swf/format/Button.h"
#include "swf/format/Filter.h"
#include "swf/format/SoundRecords.h"
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
    Rgba color;         // Solid
    Matrix matrix;      // gradients and bitmaps: maps the gradient square / bitmap
    Gradient gradient;  // gradients
    // Bitmaps: a character id, or (from 0x10000) a surface the scripts made.
    std::uint32_t bitmapId = 0;
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

// DefineMorphShape / DefineMorphShape2: two shapes with pairwise matching style tables (same
// kinds, same gradient stop counts) and edges, drawn interpolated at the placement's ratio.
// `start` carries the style selection of the paths; in `end` only the edges and pen moves
// count. Bounds, edge bounds and version (3, RGBA colours) are set on both as on a Shape.
struct MorphShape {
    std::uint16_t id = 0;
    std::uint8_t version = 1;  // DefineMorphShape 1, DefineMorphShape2 2
    Shape start;
    Shape end;
};

// Display-list commands of one frame, in file order.
// One onClipEvent handler of a placed sprite: the events it answers (the CLIPEVENTFLAGS bits,
// ClipEvent below) and its actions. `keyCode` is set for a keyPress handler.
struct ClipAction {
    std::uint32_t events = 0;
    std::uint8_t keyCode = 0;
    std::vector<std::uint8_t> bytes;
};

// The bits of CLIPEVENTFLAGS as a 32-bit little-endian number (SWF 5 stores the low 16).
enum ClipEvent : std::uint32_t {
    kClipLoad = 1u << 0,
    kClipEnterFrame = 1u << 1,
    kClipUnload = 1u << 2,
    kClipMouseMove = 1u << 3,
    kClipMouseDown = 1u << 4,
    kClipMouseUp = 1u << 5,
    kClipKeyDown = 1u << 6,
    kClipKeyUp = 1u << 7,
    kClipData = 1u << 8,
    kClipInitialize = 1u << 9,
    kClipPress = 1u << 10,
    kClipRelease = 1u << 11,
    kClipReleaseOutside = 1u << 12,
    kClipRollOver = 1u << 13,
    kClipRollOut = 1u << 14,
    kClipDragOver = 1u << 15,
    kClipDragOut = 1u << 16,
    kClipKeyPress = 1u << 17,
    kClipConstruct = 1u << 18,
};

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
    // SWF 8: the filter list (empty: filters removed) and bitmap caching.
    std::optional<std::vector<Filter>> filters;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;  // PlaceObject3
    // PlaceObject3: the colour a cached object's bounds are filled with beneath it (its
    // alpha byte is ignored: the background is opaque).
    std::optional<Rgba> opaqueBackground;
    std::vector<ClipAction> clipActions;
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
    std::vector<std::string> labels;              // FrameLabel tags of this frame
    std::vector<StartSound> sounds;               // StartSound / StartSound2 tags of this frame
    std::optional<SoundStreamBlock> streamBlock;  // the frame's first SoundStreamBlock
    std::vector<DoInitAction> initActions;        // root timeline only, in file order
};

// A timeline: the root movie's or a sprite's. `frames` holds one entry per ShowFrame; commands
// after the last ShowFrame are dropped, as a player never shows them.
struct Timeline {
    std::uint16_t declaredFrameCount = 0;  // the header's / DefineSprite's FrameCount
    std::vector<Frame> frames;
    std::optional<SoundStreamHead> streamHead;  // the timeline's first SoundStreamHead(2)
};

struct Sprite {
    std::uint16_t id = 0;
    Timeline timeline;
    std::uint32_t tagBytes = 0;  // its control tags' bytes in the file (after id and frame count)
};

// A font of the movie (DefineFont, DefineFont2, DefineFont3), completed by DefineFontInfo/2 and
// DefineFontName. Glyph outlines are shapes in the font's EM square (kept as read: 1024 units
// per EM, 20480 for DefineFont3), with one implied solid fill; glyph i has code codes[i] and,
// in fonts with layout, advances[i] and glyphBounds[i] (same units).
struct KerningPair {
    std::uint16_t left = 0, right = 0;  // character codes
    std::int16_t adjustment = 0;        // EM units
};

struct Font {
    std::uint16_t id = 0;
    std::uint8_t version = 1;  // DefineFont 1..3
    std::string name;          // DefineFont2/3 or DefineFontInfo; bytes as stored
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false;
    bool wideCodes = false;
    std::uint8_t languageCode = 0;
    std::vector<Shape> glyphs;
    std::vector<std::uint16_t> codes;  // empty until a code table is read
    bool hasLayout = false;
    std::uint16_t ascent = 0, descent = 0;
    std::int16_t leading = 0;
    std::vector<std::uint16_t> advances;  // unsigned: a wide glyph takes up to 65535
    std::vector<Rect> glyphBounds;
    std::vector<KerningPair> kerning;
    std::string displayName, copyright;  // DefineFontName

    double emSquare() const { return version >= 3 ? 20480.0 : 1024.0; }
};

// DefineText / DefineText2. A record's absent fields keep the value of the record before it;
// x continues after the previous record's last advance when no XOffset is given.
struct GlyphEntry {
    std::uint32_t index = 0;   // into the font's glyphs
    std::int32_t advance = 0;  // twips
};

struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<std::int16_t> xOffset, yOffset;
    std::uint16_t height = 0;  // twips; given with fontId
    std::vector<GlyphEntry> glyphs;
};

struct StaticText {
    std::uint16_t id = 0;
    std::uint8_t version = 1;  // DefineText 1 (RGB colours) or 2 (RGBA)
    Rect bounds;
    Matrix matrix;  // text space to the character's space
    std::vector<TextRecord> records;
};

// DefineEditText: a text field as the movie defines it. Margins, indent and leading are in
// twips; `align` is 0 left, 1 right, 2 centre, 3 justify.
struct EditText {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false;
    bool useOutlines = false;  // draw with the embedded font's outlines
    std::optional<std::uint16_t> fontId;
    std::string fontClass;
    std::uint16_t fontHeight = 0;  // twips
    std::optional<Rgba> color;
    std::optional<std::uint16_t> maxLength;
    bool hasLayout = false;
    std::uint8_t align = 0;
    std::uint16_t leftMargin = 0, rightMargin = 0;
    std::int16_t indent = 0, leading = 0;  // both may be negative
    std::string variableName;
    std::optional<std::string> initialText;  // bytes as stored
    // CSMTextSettings for the field: the advanced anti-aliasing and how glyphs fit the pixel
    // grid (0 none, 1 pixel, 2 subpixel), with the stroke thickness and sharpness.
    struct TextSettings {
        bool advanced = false;
        std::uint8_t gridFit = 0;
        float thickness = 0, sharpness = 0;
    };
    std::optional<TextSettings> textSettings;
};

// A character the reader knows but the player does not draw yet (sounds, video, ...): placing it
// shows nothing.
struct UnsupportedCharacter {
    std::uint16_t id = 0;
    std::uint16_t tagCode = 0;
};

using Character = std::variant<Shape, Sprite, UnsupportedCharacter, MorphShape, Button,
                               BitmapCharacter, Font, StaticText, EditText>;

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
    std::optional<Rgba> background;        // the first SetBackgroundColor
    std::vector<std::uint8_t> jpegTables;  // the first JPEGTables, for DefineBits images
    // FileAttributes: a local movie that asked for network access rather than local files.
    bool useNetwork = false;
    // ScriptLimits: how deep script functions may call each other (the first tag of the root
    // timeline; unset without one).
    std::optional<std::uint16_t> maxRecursionDepth;
    std::map<std::uint16_t, Character> dictionary;
    // DefineSound characters (each also in `dictionary` as an UnsupportedCharacter).
    std::map<std::uint16_t, DefinedSound> sounds;
    // ExportAssets: linkage name to character id (a later export of a name replaces one before),
    // and the root frame (from 0) whose tags made the export: scripts see it from that frame on.
    std::map<std::string, std::uint16_t> exports;
    std::map<std::string, std::uint32_t> exportFrames;
    Timeline root;
    // Tag codes met that the reader skipped (not understood, or out of scope), with counts;
    // for diagnostics and the reference harness.
    std::map<std::uint16_t, std::uint32_t> skippedTags;
};

}  // namespace saver::swf
