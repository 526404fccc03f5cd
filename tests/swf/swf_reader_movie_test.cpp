// Whole movies from hand-written bytes: the header, the tag stream and its frames, display
// tags, sprites, and the refusals of malformed files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swf/format/TimelineReader.h"
#include "swf_reader_bytes.h"

namespace saver::swf {
namespace {

using namespace test;

const Bytes kSquare = [] {
    Bits b;
    b.u16(1).rect(0, 100, 0, 100).u8(1).u8(0).rgb(1, 2, 3).u8(0).align().ub(4, 1).ub(4, 0);
    b.ub(1, 0).ub(5, 0b00100).ub(1, 1);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 0).sb(8, 100);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 0).ub(1, 1).sb(8, 100);
    b.ub(1, 1).ub(1, 1).ub(4, 6).ub(1, 1).sb(8, -100).sb(8, -100);
    return b.ub(1, 0).ub(5, 0).done();
}();

Bytes Place2(std::uint16_t depth, std::uint16_t id) {
    return Tag(kPlaceObject2, Bits().u8(0x06).u16(depth).u16(id).translate(0, 0).done());
}

TEST(SwfReaderMovieTest, HeaderOfPlainAndCompressedFiles) {
    const Bytes tags = Concat({ShowFrame(), End()});
    Bytes fws = Fws(tags, 1, 8);
    fws[8 + 9] = 0x80;  // frame rate 24.5 (8.8, low byte first after the 9-byte RECT)
    Bytes body(fws.begin() + 8, fws.end());
    for (const Bytes& file : {fws, Cws(body)}) {
        const Movie m = ReadMovie(file);
        EXPECT_EQ(m.header.frameSize, (Rect{0, 11000, 0, 8000}));
        EXPECT_DOUBLE_EQ(m.header.frameRate, 24.5);
        EXPECT_EQ(m.header.frameCount, 1);
        EXPECT_EQ(m.header.fileLength, fws.size());
        EXPECT_EQ(m.root.declaredFrameCount, 1);
        EXPECT_EQ(m.root.frames.size(), 1u);
    }
    EXPECT_EQ(ReadMovie(fws).header.compression, Compression::None);
    EXPECT_EQ(ReadMovie(fws).header.version, 8);
    EXPECT_EQ(ReadMovie(Cws(body)).header.compression, Compression::Zlib);
}

TEST(SwfReaderMovieTest, FramesCollectTheirCommandsAndLabels) {
    const Bytes file =
        Fws(Concat({
                Place2(1, 1), Tag(kFrameLabel, Bits().str("intro").u8(1).done()), ShowFrame(),
                Tag(kRemoveObject2, Bits().u16(1).done()), Tag(kDoAction, {0x07, 0x06, 0x00}),
                Tag(kRemoveObject, Bits().u16(1).u16(2).done()), ShowFrame(),
                Place2(3, 1),         // after the last ShowFrame: never shown
                End(), Place2(4, 1),  // after End: not part of the movie
            }),
            2);
    const Movie m = ReadMovie(file);
    ASSERT_EQ(m.root.frames.size(), 2u);
    const Frame& f0 = m.root.frames[0];
    ASSERT_EQ(f0.commands.size(), 1u);
    EXPECT_EQ(std::get<PlaceObject>(f0.commands[0]).depth, 1);
    EXPECT_EQ(f0.labels, std::vector<std::string>{"intro"});
    const Frame& f1 = m.root.frames[1];
    ASSERT_EQ(f1.commands.size(), 3u);
    EXPECT_EQ(std::get<RemoveObject>(f1.commands[0]).depth, 1);
    EXPECT_FALSE(std::get<RemoveObject>(f1.commands[0]).characterId);
    EXPECT_EQ(std::get<DoAction>(f1.commands[1]).bytes, (Bytes{0x07, 0x06, 0x00}));
    EXPECT_EQ(std::get<RemoveObject>(f1.commands[2]).characterId, 1);
    EXPECT_EQ(std::get<RemoveObject>(f1.commands[2]).depth, 2);
}

TEST(SwfReaderMovieTest, DictionaryBackgroundAndSkippedTags) {
    const Bytes file = Fws(Concat({
        Tag(kSetBackgroundColor, Bits().rgb(10, 20, 30).done()),
        Tag(kDefineShape, kSquare, true),  // long header form
        Tag(kDefineShape3,
            Bits().u16(1).rect(0, 5, 0, 5).u8(0).u8(0).u8(0).u8(0).done()),  // same id
        Tag(kDefineBits, Bits().u16(5).u8(0xFF).u8(0xD8).done()),
        Tag(kDefineVideoStream, Bits().u16(6).done()),
        Tag(777, {1, 2, 3}),
        Tag(kSetBackgroundColor, Bits().rgb(99, 99, 99).done()),
        ShowFrame(),
        End(),
    }));
    const Movie m = ReadMovie(file);
    EXPECT_EQ(m.background, (Rgba{10, 20, 30, 255}));
    ASSERT_EQ(m.dictionary.size(), 3u);
    const Shape& square = std::get<Shape>(m.dictionary.at(1));  // the first definition
    EXPECT_EQ(square.version, 1);
    EXPECT_EQ(square.bounds, (Rect{0, 100, 0, 100}));
    ASSERT_EQ(square.paths.size(), 1u);
    EXPECT_EQ(square.paths[0].edges.size(), 3u);
    const auto& bits = std::get<BitmapCharacter>(m.dictionary.at(5));  // kept undecoded
    EXPECT_EQ(bits.id, 5);
    EXPECT_EQ(bits.tagCode, kDefineBits);
    EXPECT_EQ(bits.data, (Bytes{0xFF, 0xD8}));
    EXPECT_EQ(std::get<UnsupportedCharacter>(m.dictionary.at(6)).tagCode, kDefineVideoStream);
    EXPECT_EQ(m.skippedTags, (std::map<std::uint16_t, std::uint32_t>{
                                 {kDefineVideoStream, 1}, {777, 1}}));
}

TEST(SwfReaderMovieTest, SpriteHasItsOwnTimeline) {
    const Bytes sprite = Bits()
                             .u16(10)
                             .u16(2)
                             .bytes(Concat({
                                 Place2(1, 1),
                                 ShowFrame(),
                                 Tag(kDefineShape, kSquare),  // definitions: skipped
                                 Tag(kSetBackgroundColor, Bits().rgb(1, 1, 1).done()),
                                 ShowFrame(),
                                 End(),
                             }))
                             .done();
    const Movie m =
        ReadMovie(Fws(Concat({Tag(kDefineSprite, sprite), Place2(1, 10), ShowFrame()})));
    const Sprite& s = std::get<Sprite>(m.dictionary.at(10));
    EXPECT_EQ(s.id, 10);
    EXPECT_EQ(s.timeline.declaredFrameCount, 2);
    EXPECT_EQ(s.tagBytes, sprite.size() - 4);  // its tags: id and frame count left out
    ASSERT_EQ(s.timeline.frames.size(), 2u);
    EXPECT_EQ(s.timeline.frames[0].commands.size(), 1u);
    EXPECT_EQ(m.dictionary.count(1), 0u);
    EXPECT_FALSE(m.background);
    EXPECT_EQ(m.skippedTags.at(kDefineShape), 1u);
    EXPECT_EQ(m.skippedTags.at(kSetBackgroundColor), 1u);
    EXPECT_EQ(m.root.frames.size(), 1u);  // no End tag: accepted
}

TEST(SwfReaderMovieTest, PlaceObjectFields) {
    struct Case {
        const char* name;
        std::uint16_t code;
        Bytes body;
        PlaceObject expected;
    };
    const ColorTransform half{0.5, 0.5, 0.5, 1, 0, 0, 0, 0};
    const Bytes halfRgb =
        Bits().ub(1, 0).ub(1, 1).ub(4, 10).sb(10, 128).sb(10, 128).sb(10, 128).done();
    const Bytes halfRgba =
        Bits().ub(1, 0).ub(1, 1).ub(4, 10).sb(10, 128).sb(10, 128).sb(10, 128).sb(10, 256).done();
    const Matrix moved{1, 0, 0, 1, 40, -60};
    Bits filters;  // drop shadow, gradient glow (2 colours), 3x3 convolution, colour matrix
    filters.u8(4).u8(0).bytes(Bytes(23, 0)).u8(4).u8(2).bytes(Bytes(10 + 19, 0));
    filters.u8(5).u8(3).u8(3).bytes(Bytes(36 + 13, 0)).u8(6).bytes(Bytes(80, 0));
    const std::vector<Case> cases = {
        {"PlaceObject without colour transform",
         kPlaceObject,
         Bits().u16(3).u16(4).translate(40, -60).done(),
         {1, 4, false, 3, moved}},
        {"PlaceObject with colour transform",
         kPlaceObject,
         Bits().u16(3).u16(4).translate(40, -60).bytes(halfRgb).done(),
         {1, 4, false, 3, moved, half}},
        {"PlaceObject2 move only", kPlaceObject2, Bits().u8(0x01).u16(9).done(), {2, 9, true}},
        {"PlaceObject2 every field, clip actions ignored",
         kPlaceObject2,
         Bits()
             .u8(0xFF)
             .u16(2)
             .u16(8)
             .translate(40, -60)
             .bytes(halfRgba)
             .u16(300)
             .str("hero")
             .u16(7)
             .bytes({0, 0, 1, 0, 0, 0, 0, 0})
             .done(),
         {2, 2, true, 8, moved, half, 300, "hero", 7}},
        {"PlaceObject3 class name, filters and blend mode",
         kPlaceObject3,
         Bits()
             .u8(0x02)
             .u8(0x6F)
             .u16(5)
             .str("Clip")
             .u16(8)
             .bytes(filters.done())
             .u8(5)
             .u8(1)
             .u8(1)
             .rgba(0, 0, 0, 0)
             .done(),
         {3, 5, false, 8, {}, {}, {}, {}, {}, 5}},
        {"PlaceObject3 image with character has a class name",
         kPlaceObject3,
         Bits().u8(0x02).u8(0x10).u16(5).str("Pic").u16(8).done(),
         {3, 5, false, 8}},
        {"PlaceObject3 unknown filter stops before the blend mode",
         kPlaceObject3,
         Bits().u8(0x22).u8(0x03).u16(5).u16(8).str("n").u8(1).u8(42).u8(5).done(),
         {3, 5, false, 8, {}, {}, {}, "n", {}, {}}},
        {"PlaceObject3 blend mode announced but missing",
         kPlaceObject3,
         Bits().u8(0x02).u8(0x02).u16(5).u16(8).done(),
         {3, 5, false, 8}},
    };
    for (const auto& c : cases) {
        const Movie m = ReadMovie(Fws(Concat({Tag(c.code, c.body), ShowFrame()})));
        ASSERT_EQ(m.root.frames.at(0).commands.size(), 1u) << c.name;
        const auto& p = std::get<PlaceObject>(m.root.frames[0].commands[0]);
        const auto& e = c.expected;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(p.version, e.version);
        EXPECT_EQ(p.depth, e.depth);
        EXPECT_EQ(p.move, e.move);
        EXPECT_EQ(p.characterId, e.characterId);
        EXPECT_EQ(p.matrix, e.matrix);
        EXPECT_EQ(p.colorTransform, e.colorTransform);
        EXPECT_EQ(p.ratio, e.ratio);
        EXPECT_EQ(p.name, e.name);
        EXPECT_EQ(p.clipDepth, e.clipDepth);
        EXPECT_EQ(p.blendMode, e.blendMode);
    }
}

TEST(SwfReaderMovieTest, MalformedFilesAreRefused) {
    struct Case {
        const char* name;
        Bytes file;
        const char* reason;
    };
    const Bytes good = Fws(Concat({ShowFrame(), End()}));
    const Bytes body(good.begin() + 8, good.end());
    Bytes shortDeclared = good;
    shortDeclared[4] = 4;
    Bytes zws = Bits().bytes({'Z', 'W', 'S', 13}).u32(0xFFFFFFFF).done();  // LZMA header cut
    Bytes corrupt = Cws(body);
    corrupt[10] ^= 0xFF;
    corrupt[11] ^= 0xFF;
    const Bytes nested =
        Bits().u16(10).u16(1).bytes(Tag(kDefineSprite, Bits().u16(11).u16(0).done())).done();
    const std::vector<Case> cases = {
        {"empty", {}, "truncated header"},
        {"short signature", {'F', 'W'}, "truncated header"},
        {"bad signature", Bits().bytes({'X', 'W', 'S', 1}).u32(30).done(), "not an SWF file"},
        {"bad middle letter", Bits().bytes({'F', 'X', 'S', 1}).u32(30).done(), "not an SWF file"},
        {"declared length below the signature", shortDeclared, "declared file length too small"},
        {"signature only", Bits().bytes({'F', 'W', 'S', 1}).u32(8).done(), "truncated header"},
        {"header without frame count", Bytes(good.begin(), good.begin() + 19), "truncated header"},
        {"LZMA", zws, "ZWS (LZMA) movies are not supported"},
        {"CWS claiming 4 GB",
         Bits().bytes({'C', 'W', 'S', 10}).u32(0xFFFFFFFF).bytes(Deflate(body)).done(),
         "movie too large"},
        {"CWS inflating past its declared length", Cws(MovieBody(Bytes(1 << 20, 0)), 100),
         "compressed body longer than the declared file length"},
        {"corrupt CWS", corrupt, "corrupt compressed body"},
        {"CWS ending before its declared length",
         Cws(body, static_cast<std::uint32_t>(good.size() + 1)),
         "compressed body shorter than the declared file length"},
        {"sprite inside a sprite", Fws(Tag(kDefineSprite, nested)),
         "sprite defined inside a sprite"},
        {"label without terminator", Fws(Tag(kFrameLabel, {'a', 'b'})),
         "unterminated string in tag"},
        {"matrix announced past the tag", Fws(Tag(kPlaceObject2, Bits().u8(0x04).u16(1).done())),
         "truncated tag"},
        {"shape cut short", Fws(Tag(kDefineShape, Bytes(kSquare.begin(), kSquare.end() - 4))),
         "truncated tag"},
    };
    for (const auto& c : cases) {
        try {
            ReadMovie(c.file);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const SwfError& e) {
            EXPECT_STREQ(e.what(), c.reason) << c.name;
        }
    }
}

TEST(SwfReaderMovieTest, CutFilesEndingOnATagAreAccepted) {
    const Bytes full = Fws(Concat({Place2(1, 1), ShowFrame(), ShowFrame(), End()}), 3);
    const Bytes cut(full.begin(), full.end() - 4);  // second ShowFrame and End missing
    EXPECT_EQ(ReadMovie(cut).root.frames.size(), 1u);
    Bytes extra = full;  // bytes after the declared length are not read
    extra.insert(extra.end(), {0x40, 0x00, 0xFF});
    EXPECT_EQ(ReadMovie(extra).root.frames.size(), 2u);
    Bytes cws = Cws(Bytes(full.begin() + 8, full.end()));
    cws.resize(cws.size() - 4);  // the zlib trailer is missing, every tag is there
    EXPECT_EQ(ReadMovie(cws).root.frames.size(), 2u);
    // A last tag cut short ends the movie before it.
    const Bytes pastEnd = Fws(Concat({ShowFrame(), Bits().u16(kDoAction << 6 | 10).u8(0).done()}));
    EXPECT_EQ(ReadMovie(pastEnd).root.frames.size(), 1u);
    EXPECT_EQ(ReadMovie(Fws(Concat({ShowFrame(), {0x40}}))).root.frames.size(), 1u);
    const Bytes huge = Fws(Concat({ShowFrame(), Bits().u16(kDoAction << 6 | 0x3F).u32(~0u).done()}));
    EXPECT_EQ(ReadMovie(huge).root.frames.size(), 1u);
}

TEST(SwfReaderMovieTest, FramesAndCommandsAreChargedToTheBudget) {
    Bytes tags;
    for (int i = 0; i < 1000; ++i) tags = Concat({tags, Tag(kRemoveObject2, {1, 0}), ShowFrame()});
    const std::size_t needed = 1000 * (sizeof(Frame) + sizeof(FrameCommand));
    for (const std::size_t limit : {needed, needed - 1}) {
        Movie movie;
        DecodeBudget budget(limit);
        SwfBitReader in(tags, "tag");
        if (limit == needed) {
            TimelineReader(movie, budget).read(in, movie.root, false);
            EXPECT_EQ(movie.root.frames.size(), 1000u);
        } else {
            EXPECT_THROW(TimelineReader(movie, budget).read(in, movie.root, false), SwfError);
        }
    }
}

}  // namespace
}  // namespace saver::swf
