// The SWF writer's encoders against bytes worked out by hand from the SWF file format's field
// layouts, and whole movies checked for a consistent header and tag stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "swfwriter/DemoMovie.h"
#include "swfwriter/SampleMovies.h"
#include "swfwriter/SwfRecords.h"
#include "swfwriter/SwfWriter.h"

namespace saver::swfwriter {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const std::function<void(BitWriter&)>& write) {
    BitWriter w;
    write(w);
    return w.Bytes();
}

TEST(SwfBitWriterTest, SignedBits) {
    const struct {
        std::int32_t value;
        int bits;
    } cases[] = {{0, 0},    {1, 2},   {-1, 1},     {-2, 2},     {2, 3},       {127, 8},
                 {-128, 8}, {128, 9}, {11000, 15}, {65535, 17}, {-65536, 17}, {INT32_MIN, 32}};
    for (const auto& c : cases) EXPECT_EQ(BitWriter::SignedBits(c.value), c.bits) << c.value;
}

TEST(SwfBitWriterTest, FieldsPackMostSignificantFirstAndBytesAlign) {
    BitWriter w;
    w.WriteUB(5, 3);   // 101
    w.WriteSB(-2, 3);  // 110
    w.WriteU16(0x1234);
    w.WriteUB(1, 1);
    w.WriteString("ab");
    EXPECT_EQ(w.Bytes(), (Bytes{0xB8, 0x34, 0x12, 0x80, 'a', 'b', 0}));
}

TEST(SwfBitWriterTest, ValuesThatDoNotFitThrow) {
    BitWriter w;
    EXPECT_THROW(w.WriteUB(8, 3), std::out_of_range);
    EXPECT_THROW(w.WriteSB(4, 3), std::out_of_range);
    EXPECT_THROW(w.WriteSB(-5, 3), std::out_of_range);
    EXPECT_THROW(w.WriteString(std::string("a\0b", 3)), std::invalid_argument);
    EXPECT_NO_THROW(w.WriteSB(-4, 3));
}

TEST(SwfRecordsTest, Rect) {
    const struct {
        Rect rect;
        Bytes bytes;
    } cases[] = {
        {{0, 0, 0, 0}, {0x00}},
        {{-1, 1, -1, 1}, {0x16, 0xE8}},  // Nbits 2: 00010 11 01 11 01
        {{0, 11000, 0, 8000}, {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encoded([&](BitWriter& w) { WriteRect(w, c.rect); }), c.bytes);
}

TEST(SwfRecordsTest, Matrix) {
    Matrix scale2;
    scale2.scaleX = scale2.scaleY = 2.0;
    Matrix halfHeight;
    halfHeight.scaleY = 0.5;
    const struct {
        const char* what;
        Matrix matrix;
        Bytes bytes;
    } cases[] = {
        {"identity", {}, {0x00}},
        // 0 0 01000 01100100 10011100
        {"translate 100,-100", Matrix::Translate(100, -100), {0x10, 0xC9, 0x38}},
        // 1 10011 (0x20000 in 19 bits) x2, 0, 00000
        {"scale 2", scale2, {0xCD, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00}},
        // 1 10010, 0x10000 and 0x8000 in 18 bits, 0, 00000
        {"scale y only", halfHeight, {0xC9, 0x00, 0x00, 0x20, 0x00, 0x00}},
        // 1 00000 (scale 0 in 0 bits), 1 10010 +1.0 -1.0 in 18 bits, 00000
        {"quarter turn",
         Matrix::Transform(1, std::numbers::pi / 2, 0, 0),
         {0x83, 0x24, 0x00, 0x03, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encoded([&](BitWriter& w) { WriteMatrix(w, c.matrix); }), c.bytes) << c.what;
}

TEST(SwfRecordsTest, ColorTransform) {
    ColorTransform add16;
    add16.addR = 16;
    ColorTransform redTimes2;
    redTimes2.multR = 512;
    const struct {
        const char* what;
        ColorTransform cx;
        bool withAlpha;
        Bytes bytes;
    } cases[] = {
        {"identity", {}, true, {0x00}},
        // 0 1 1010, 256 256 256 128 in 10 bits
        {"alpha half", ColorTransform::Alpha(0.5), true, {0x69, 0x00, 0x40, 0x10, 0x02, 0x00}},
        // 1 0 0110, 16 0 0 0 in 6 bits
        {"add red", add16, true, {0x99, 0x00, 0x00, 0x00}},
        // 0 1 1011, 512 256 256 in 11 bits, no alpha term
        {"CXFORM red x2", redTimes2, false, {0x6D, 0x00, 0x10, 0x02, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encoded([&](BitWriter& w) { WriteColorTransform(w, c.cx, c.withAlpha); }),
                  c.bytes)
            << c.what;
    }
    BitWriter w;
    EXPECT_THROW(WriteColorTransform(w, ColorTransform::Alpha(0.5), false), std::invalid_argument);
}

TEST(SwfRecordsTest, Styles) {
    const Gradient blackToWhite{{{0, {0, 0, 0}}, {255, {255, 255, 255}}}};
    Gradient reflect = blackToWhite;
    reflect.spread = SpreadMode::Reflect;
    reflect.interpolation = InterpolationMode::Linear;
    const struct {
        const char* what;
        std::function<void(BitWriter&)> write;
        Bytes bytes;
    } cases[] = {
        {"solid RGB",
         [](BitWriter& w) {
             WriteFillStyle(w, FillStyle::Solid({1, 2, 3}), ShapeVersion::Shape1);
         },
         {0x00, 1, 2, 3}},
        {"solid RGBA",
         [](BitWriter& w) {
             WriteFillStyle(w, FillStyle::Solid({1, 2, 3, 4}), ShapeVersion::Shape3);
         },
         {0x00, 1, 2, 3, 4}},
        {"linear",
         [&](BitWriter& w) {
             WriteFillStyle(w, FillStyle::Linear({}, blackToWhite), ShapeVersion::Shape1);
         },
         {0x10, 0x00, 0x02, 0, 0, 0, 0, 255, 255, 255, 255}},
        {"radial reflect",
         [&](BitWriter& w) {
             WriteFillStyle(w, FillStyle::Radial({}, reflect), ShapeVersion::Shape4);
         },
         {0x12, 0x00, 0x52, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
        {"line",
         [](BitWriter& w) {
             WriteLineStyle(w, {20, {255, 0, 0}}, ShapeVersion::Shape3);
         },
         {0x14, 0x00, 255, 0, 0, 255}},
        {"line2",
         [](BitWriter& w) {
             WriteLineStyle(w, {20, {255, 0, 0}}, ShapeVersion::Shape4);
         },
         {0x14, 0x00, 0x00, 0x00, 255, 0, 0, 255}},
        {"300 fills",
         [](BitWriter& w) {
             WriteFillStyles(w, std::vector<FillStyle>(300), ShapeVersion::Shape2);
         },
         [] {
             Bytes b{0xFF, 0x2C, 0x01};
             for (int i = 0; i < 300; ++i) b.insert(b.end(), {0, 0, 0, 0});
             return b;
         }()},
    };
    for (const auto& c : cases) EXPECT_EQ(Encoded(c.write), c.bytes) << c.what;
}

TEST(SwfRecordsTest, WhatAShapeVersionCannotStoreThrows) {
    Gradient nine;
    nine.stops.resize(9);
    Gradient sixteen;
    sixteen.stops.resize(16);
    Gradient repeat{{{0, {}}}};
    repeat.spread = SpreadMode::Repeat;
    const struct {
        const char* what;
        std::function<void(BitWriter&)> write;
    } cases[] = {
        {"alpha in DefineShape2",
         [](BitWriter& w) {
             WriteFillStyle(w, FillStyle::Solid({0, 0, 0, 128}), ShapeVersion::Shape2);
         }},
        {"9 stops in DefineShape3",
         [&](BitWriter& w) { WriteGradient(w, nine, ShapeVersion::Shape3); }},
        {"16 stops in DefineShape4",
         [&](BitWriter& w) { WriteGradient(w, sixteen, ShapeVersion::Shape4); }},
        {"no stops", [](BitWriter& w) { WriteGradient(w, {}, ShapeVersion::Shape4); }},
        {"spread in DefineShape3",
         [&](BitWriter& w) { WriteGradient(w, repeat, ShapeVersion::Shape3); }},
        {"255 fills in DefineShape",
         [](BitWriter& w) {
             WriteFillStyles(w, std::vector<FillStyle>(255), ShapeVersion::Shape1);
         }},
    };
    for (const auto& c : cases) {
        BitWriter w;
        EXPECT_THROW(c.write(w), std::invalid_argument) << c.what;
    }
}

// A shape without styles: 00 (fills) 00 (lines) 00 (style bits), then the records.
TEST(SwfShapeBuilderTest, EdgeRecords) {
    const struct {
        const char* what;
        std::function<void(ShapeBuilder&)> draw;
        Bytes records;
    } cases[] = {
        // 1 1 0110 0 0 01100100, end 000000
        {"horizontal", [](ShapeBuilder& s) { s.LineTo(100, 0); }, {0xD8, 0x64, 0x00}},
        // 1 1 0001 0 1 101
        {"vertical", [](ShapeBuilder& s) { s.LineTo(0, -3); }, {0xC5, 0xA0, 0x00}},
        // 1 1 0010 1 0011 0100
        {"general", [](ShapeBuilder& s) { s.LineTo(3, 4); }, {0xCA, 0x68, 0x00}},
        // NumBits 0 still means 2 bits: 1 1 0000 0 0 01
        {"shortest", [](ShapeBuilder& s) { s.LineTo(1, 0); }, {0xC0, 0x40}},
        // 1 0 0011, control 10,0 and anchor 0,10 in 5 bits
        {"curve", [](ShapeBuilder& s) { s.CurveTo(10, 0, 10, 10); }, {0x8D, 0x40, 0x02, 0x80}},
        {"zero-length line", [](ShapeBuilder& s) { s.LineTo(0, 0); }, {0x00}},
        // moves alone write nothing: the pending move goes with no edge
        {"move only", [](ShapeBuilder& s) { s.MoveTo(20, 20); }, {0x00}},
    };
    for (const auto& c : cases) {
        ShapeBuilder s;
        c.draw(s);
        Bytes expected{0x00, 0x00, 0x00};
        expected.insert(expected.end(), c.records.begin(), c.records.end());
        EXPECT_EQ(s.Encode(ShapeVersion::Shape1), expected) << c.what;
    }
}

TEST(SwfShapeBuilderTest, StyleChangeWithMove) {
    ShapeBuilder s;
    s.SetFill1(s.AddFill(FillStyle::Solid({255, 0, 0})));
    s.MoveTo(20, 20);
    s.LineTo(40, 20);
    // 000101 00110 010100 010100 1 | 11 0100 0 0 010100 | 000000
    EXPECT_EQ(s.Encode(ShapeVersion::Shape1), (Bytes{0x01, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10, 0x14,
                                                     0xCA, 0x29, 0xD0, 0x50, 0x00}));
}

TEST(SwfShapeBuilderTest, NewStylesGoInARecordOfTheirOwn) {
    ShapeBuilder s;
    s.NewStyles();
    s.SetLine(s.AddLine({20, {0, 0, 0}}));
    s.LineTo(1, 0);
    // no styles | 010000 (new styles) + pad, fills 00, lines 01: 14 00 00 00 00, bits 0000 0001
    // | 0010001 (line 1) | 11 0000 0 0 01 | 000000
    EXPECT_EQ(s.Encode(ShapeVersion::Shape2), (Bytes{0x00, 0x00, 0x00, 0x40, 0x00, 0x01, 0x14, 0x00,
                                                     0x00, 0x00, 0x00, 0x01, 0x23, 0x80, 0x80}));
    EXPECT_THROW(s.Encode(ShapeVersion::Shape1), std::invalid_argument);
}

TEST(SwfShapeBuilderTest, BoundsAndLimits) {
    ShapeBuilder s;
    s.SetLine(s.AddLine({40, {}}));
    s.RoundedRect(100, 200, 1000, 500, 0);
    EXPECT_EQ(s.EdgeBounds(), (Rect{100, 1100, 200, 700}));
    EXPECT_EQ(s.Bounds(), (Rect{80, 1120, 180, 720}));
    ShapeBuilder circle;
    circle.Circle(0, 0, 1000);
    const Rect b = circle.EdgeBounds();  // control points lie just outside the circle
    EXPECT_GE(b.xMin, -1083);
    EXPECT_LE(b.xMin, -1000);
    EXPECT_EQ(b.xMax, -b.xMin);

    ShapeBuilder far;
    EXPECT_NO_THROW(far.LineTo(65535, -65536));
    EXPECT_THROW(far.LineTo(65535 + 65536, 0), std::out_of_range);
    EXPECT_THROW(far.SetFill0(1), std::invalid_argument);  // no fill style 1
}

TEST(SwfTimelineTest, ControlTags) {
    PlaceObject full = PlaceObject::Move(2, {});
    full.colorTransform = ColorTransform::Alpha(0.5);
    full.ratio = 3;
    full.name = "a";
    full.clipDepth = 5;
    Bytes tag62(62, 0);
    const struct {
        const char* what;
        std::function<void(Timeline&)> add;
        Bytes bytes;
    } cases[] = {
        // PlaceObject2 (26): flags Matrix|Character, depth 1, character 1, identity matrix
        {"place new",
         [](Timeline& t) { t.Place(PlaceObject::New(1, 1, {})); },
         {0x86, 0x06, 0x06, 0x01, 0x00, 0x01, 0x00, 0x00}},
        // flags ClipDepth|Name|Ratio|ColorTransform|Matrix|Move, then the fields in that order
        {"place move, every field",
         [&](Timeline& t) { t.Place(full); },
         {0x90, 0x06, 0x7D, 0x02, 0x00, 0x00, 0x69, 0x00, 0x40, 0x10, 0x02, 0x00, 0x03, 0x00, 'a',
          0x00, 0x05, 0x00}},
        {"remove", [](Timeline& t) { t.Remove(7); }, {0x02, 0x07, 0x07, 0x00}},
        {"label", [](Timeline& t) { t.FrameLabel("go"); }, {0xC3, 0x0A, 'g', 'o', 0x00}},
        {"show frame", [](Timeline& t) { t.ShowFrame(); }, {0x40, 0x00}},
        {"stop play next prev",
         [](Timeline& t) { t.DoAction(ActionList().Stop().Play().NextFrame().PrevFrame()); },
         {0x05, 0x03, 0x07, 0x06, 0x04, 0x05, 0x00}},
        {"goto frame 4",
         [](Timeline& t) { t.DoAction(ActionList().GotoFrame(4)); },
         {0x06, 0x03, 0x81, 0x02, 0x00, 0x04, 0x00, 0x00}},
        {"goto label",
         [](Timeline& t) { t.DoAction(ActionList().GotoLabel("go")); },
         {0x07, 0x03, 0x8C, 0x03, 0x00, 'g', 'o', 0x00, 0x00}},
        {"62-byte body, short header",
         [&](Timeline& t) { t.AppendTag(TagCode::DefineShape, tag62); },
         [&] {
             Bytes b{0xBE, 0x00};
             b.insert(b.end(), 62, 0);
             return b;
         }()},
        {"63-byte body, long header",
         [&](Timeline& t) { t.AppendTag(TagCode::DefineShape, Bytes(63, 0)); },
         [&] {
             Bytes b{0xBF, 0x00, 63, 0, 0, 0};
             b.insert(b.end(), 63, 0);
             return b;
         }()},
    };
    for (const auto& c : cases) {
        Timeline t;
        c.add(t);
        EXPECT_EQ(t.Tags(), c.bytes) << c.what;
    }
    Timeline t;
    EXPECT_THROW(t.Place(PlaceObject{}), std::invalid_argument);  // new, but no character
}

// Walks a tag list: codes in order, descending into sprites (marked by 1000 + their code).
struct TagWalk {
    std::vector<int> codes;
    int showFrames = 0;
    bool ok = true;
};

void Walk(const Bytes& data, std::size_t at, std::size_t end, TagWalk& walk) {
    while (at + 2 <= end) {
        const unsigned header = data[at] | data[at + 1] << 8;
        at += 2;
        std::size_t length = header & 0x3F;
        if (length == 0x3F) {
            length = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | data[at + 3] << 24;
            at += 4;
        }
        const int code = static_cast<int>(header >> 6);
        if (at + length > end) break;
        walk.codes.push_back(code);
        if (code == 1) ++walk.showFrames;
        if (code == 39) {
            TagWalk inner;
            Walk(data, at + 4, at + length, inner);
            for (const int c : inner.codes) walk.codes.push_back(1000 + c);
            walk.ok = walk.ok && inner.ok && inner.showFrames == (data[at + 2] | data[at + 3] << 8);
        }
        at += length;
        if (code == 0) {
            walk.ok = walk.ok && at == end;
            return;
        }
    }
    walk.ok = false;  // no End tag where the data ends
}

// Header fields of an uncompressed file, and the tags after it.
struct MovieFacts {
    std::string signature;
    int version = 0;
    std::uint32_t fileLength = 0;
    std::uint16_t frameRate88 = 0, frameCount = 0;
    TagWalk tags;
};

MovieFacts Facts(const Bytes& file) {
    MovieFacts f;
    f.signature.assign(file.begin(), file.begin() + 3);
    f.version = file[3];
    f.fileLength = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
    const int nbits = file[8] >> 3;
    const std::size_t rectEnd = 8 + (5 + 4 * nbits + 7) / 8;
    f.frameRate88 = static_cast<std::uint16_t>(file[rectEnd] | file[rectEnd + 1] << 8);
    f.frameCount = static_cast<std::uint16_t>(file[rectEnd + 2] | file[rectEnd + 3] << 8);
    Walk(file, rectEnd + 4, file.size(), f.tags);
    return f;
}

TEST(SwfWriterTest, HeaderAndFrameCount) {
    const struct {
        MovieOptions options;
        int frames;
        std::uint16_t rate88;
        std::vector<int> leadingTags;
    } cases[] = {
        {{.version = 8, .width = 11000, .height = 8000, .frameRate = 30}, 3, 0x1E00, {69, 9}},
        {{.version = 6, .width = 2000, .height = 2000, .frameRate = 12.5}, 1, 0x0C80, {9}},
        {{.version = 10, .width = 20, .height = 20, .frameRate = 1}, 0, 0x0100, {69, 9}},
    };
    for (const auto& c : cases) {
        SwfWriter movie(c.options);
        movie.SetBackgroundColor({1, 2, 3, 4});  // alpha dropped: the tag stores RGB
        for (int i = 0; i < c.frames; ++i) movie.Root().ShowFrame();
        const Bytes file = movie.Build();
        const MovieFacts f = Facts(file);
        EXPECT_EQ(f.signature, "FWS");
        EXPECT_EQ(f.version, c.options.version);
        EXPECT_EQ(f.fileLength, file.size());
        EXPECT_EQ(f.frameRate88, c.rate88);
        EXPECT_EQ(f.frameCount, c.frames);
        EXPECT_TRUE(f.tags.ok);
        EXPECT_EQ(f.tags.showFrames, c.frames);
        EXPECT_EQ(Bytes(f.tags.codes.begin(), f.tags.codes.begin() + c.leadingTags.size()),
                  Bytes(c.leadingTags.begin(), c.leadingTags.end()));
        EXPECT_EQ(f.tags.codes.back(), 0);
    }
    const Bytes file = SwfWriter({.width = 11000, .height = 8000}).Build();
    EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 17),
              (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
}

TEST(SwfWriterTest, DefinitionsGetIdsInOrderAndSpritesNest) {
    SwfWriter movie({.version = 8});
    ShapeBuilder box;
    box.SetFill1(box.AddFill(FillStyle::Solid({255, 0, 0})));
    box.RoundedRect(0, 0, 100, 100, 0);
    EXPECT_EQ(movie.DefineShape(box, ShapeVersion::Shape1), 1);
    EXPECT_EQ(movie.DefineShape(box, ShapeVersion::Shape4), 2);
    Timeline sprite;
    sprite.Place(PlaceObject::New(1, 1, {}));
    sprite.ShowFrame();
    sprite.ShowFrame();
    EXPECT_EQ(movie.DefineSprite(sprite), 3);
    movie.Root().ShowFrame();
    const MovieFacts f = Facts(movie.Build());
    EXPECT_TRUE(f.tags.ok);
    EXPECT_EQ(f.tags.codes, (std::vector<int>{69, 2, 83, 39, 1026, 1001, 1001, 1000, 1, 0}));
    EXPECT_EQ(f.frameCount, 1);

    SwfWriter old({.version = 7});
    EXPECT_THROW(old.DefineShape(box, ShapeVersion::Shape4), std::invalid_argument);
    EXPECT_THROW(SwfWriter({.version = 5, .compress = true}), std::invalid_argument);
}

TEST(SwfWriterTest, CompressedMovieInflatesToTheUncompressedOne) {
    for (const std::string& name : SampleNames()) {
        const Bytes plain = *BuildSample(name, false);
        const Bytes packed = *BuildSample(name, true);
        EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS") << name;
        EXPECT_EQ(Bytes(packed.begin() + 3, packed.begin() + 8),
                  Bytes(plain.begin() + 3, plain.begin() + 8))
            << name;  // version and the uncompressed length
        Bytes inflated = Decompress(packed);
        EXPECT_EQ(inflated, plain) << name;
    }
    Bytes broken = *BuildSample("shapes", true);
    broken.resize(broken.size() - 4);
    EXPECT_THROW(Decompress(broken), std::runtime_error);
    EXPECT_THROW(Decompress(Bytes{'G', 'I', 'F', '8', 0, 0, 0, 0}), std::runtime_error);
}

TEST(SwfMoviesTest, SamplesAndDemoAreWellFormed) {
    const struct {
        std::string name;
        int frames;
        int doActions;
    } cases[] = {{"solid", 1, 0},  {"frames", 10, 0}, {"stop", 10, 1},
                 {"sprite", 1, 0}, {"shapes", 1, 0},  {"photo", 1, 0}, {"button", 1, 0}};
    for (const auto& c : cases) {
        const MovieFacts f = Facts(*BuildSample(c.name));
        EXPECT_TRUE(f.tags.ok) << c.name;
        EXPECT_EQ(f.frameCount, c.frames) << c.name;
        EXPECT_EQ(f.tags.showFrames, c.frames) << c.name;
        EXPECT_EQ(std::count(f.tags.codes.begin(), f.tags.codes.end(), 12), c.doActions) << c.name;
    }
    EXPECT_FALSE(BuildSample("nothing"));

    const MovieFacts demo = Facts(BuildDemoMovie({.frames = 48}));
    EXPECT_TRUE(demo.tags.ok);
    EXPECT_EQ(demo.frameCount, 48);
    EXPECT_EQ(demo.frameRate88, 30 * 256);
    EXPECT_EQ(std::count(demo.tags.codes.begin(), demo.tags.codes.end(), 12), 0);  // loops
    EXPECT_THROW(BuildDemoMovie({.frames = 0}), std::invalid_argument);
}

}  // namespace
}  // namespace saver::swfwriter
