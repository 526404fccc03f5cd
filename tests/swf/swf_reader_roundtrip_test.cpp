// Movies made by the SWF writer (tools/swfwriter) read back: shapes drawn in absolute twips
// come back as the same points in every shape version, and the writer's sample movies decode
// to the content they are documented to hold.
#if __has_include("swfwriter/SwfWriter.h")

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/format/SwfReader.h"
#include "swfwriter/SampleMovies.h"
#include "swfwriter/SwfWriter.h"

namespace saver::swf {
namespace {

namespace w = saver::swfwriter;

const Shape& OnlyShape(const Movie& movie) {
    for (const auto& [id, character] : movie.dictionary)
        if (const auto* shape = std::get_if<Shape>(&character)) return *shape;
    throw std::runtime_error("no shape");
}

TEST(SwfReaderRoundTripTest, DrawnShapesComeBackInEveryVersion) {
    for (int version = 1; version <= 4; ++version) {
        SCOPED_TRACE(version);
        w::ShapeBuilder b;
        b.SetFill1(b.AddFill(w::FillStyle::Solid({200, 10, 20, 255})));
        b.SetLine(b.AddLine({40, {0, 0, 0, 255}}));
        b.MoveTo(100, 100);
        b.LineTo(1100, 100);     // horizontal
        b.LineTo(1100, 900);     // vertical
        b.LineTo(-60000, -900);  // general, wide deltas
        b.MoveTo(2000, 2000);
        b.CurveTo(2500, 1500, 3000, 2000);
        if (version >= 2) {
            b.NewStyles();
            b.SetFill0(b.AddFill(w::FillStyle::Solid({0, 0, 255, 255})));
            b.MoveTo(0, 0);
            b.LineTo(50, -50);
        }
        w::SwfWriter movie({.compress = version % 2 == 0});
        const std::uint16_t id = movie.DefineShape(b, static_cast<w::ShapeVersion>(version));
        movie.Root().Place(w::PlaceObject::New(1, id, w::Matrix::Translate(0, 0)));
        movie.Root().ShowFrame();
        const Movie m = ReadMovie(movie.Build());
        const Shape& s = OnlyShape(m);
        EXPECT_EQ(s.version, version);
        ASSERT_EQ(s.paths.size(), version >= 2 ? 3u : 2u);
        const ShapePath& outline = s.paths[0];
        EXPECT_EQ(outline.fill1, 1u);
        EXPECT_EQ(outline.line, 1u);
        EXPECT_EQ(outline.start, (Point{100, 100}));
        ASSERT_EQ(outline.edges.size(), 3u);
        EXPECT_EQ(outline.edges[0].anchor, (Point{1100, 100}));
        EXPECT_EQ(outline.edges[1].anchor, (Point{1100, 900}));
        EXPECT_EQ(outline.edges[2].anchor, (Point{-60000, -900}));
        const ShapePath& curve = s.paths[1];
        EXPECT_EQ(curve.start, (Point{2000, 2000}));
        ASSERT_EQ(curve.edges.size(), 1u);
        EXPECT_TRUE(curve.edges[0].curved);
        EXPECT_EQ(curve.edges[0].control, (Point{2500, 1500}));
        EXPECT_EQ(curve.edges[0].anchor, (Point{3000, 2000}));
        EXPECT_EQ(s.lines.at(0).width, 40);
        if (version == 1) EXPECT_TRUE(s.layerStarts.empty());
        if (version >= 2) {
            ASSERT_EQ(s.fills.size(), 2u);
            EXPECT_EQ(s.fills[1].color, (Rgba{0, 0, 255, 255}));
            EXPECT_EQ(s.paths[2].fill0, 2u);
            EXPECT_EQ(s.layerStarts, std::vector<std::uint32_t>{2});
            EXPECT_EQ(s.paths[2].edges.at(0).anchor, (Point{50, -50}));
        }
    }
}

TEST(SwfReaderRoundTripTest, SampleMoviesDecodeAsDocumented) {
    for (const std::string& name : w::SampleNames()) {
        for (const bool compress : {false, true}) {
            SCOPED_TRACE(name + (compress ? " CWS" : " FWS"));
            const auto bytes = w::BuildSample(name, compress);
            ASSERT_TRUE(bytes);
            const Movie m = ReadMovie(*bytes);
            EXPECT_EQ(m.header.compression, compress ? Compression::Zlib : Compression::None);
            EXPECT_EQ(m.root.frames.size(), m.header.frameCount);
            if (name == "effects" || name == "scriptclock") {
                // The showcase samples: 24 fps on dark stages of their own.
                EXPECT_DOUBLE_EQ(m.header.frameRate, 24);
                EXPECT_EQ(m.background, name == "effects" ? (Rgba{24, 20, 36, 255})
                                                          : (Rgba{16, 20, 40, 255}));
                continue;
            }
            EXPECT_DOUBLE_EQ(m.header.frameRate, 12);
            EXPECT_EQ(m.background, (Rgba{255, 255, 255, 255}));
            if (name == "solid") {
                const Shape& s = OnlyShape(m);
                EXPECT_EQ(s.fills.at(0).color, (Rgba{255, 0, 0, 255}));
            } else if (name == "frames") {
                ASSERT_EQ(m.root.frames.size(), 10u);
                EXPECT_EQ(m.root.frames[0].labels, std::vector<std::string>{"first"});
                EXPECT_EQ(m.root.frames[5].labels, std::vector<std::string>{"middle"});
                EXPECT_EQ(m.root.frames[9].labels, std::vector<std::string>{"last"});
            } else if (name == "stop") {
                const auto& commands = m.root.frames.at(4).commands;
                const bool hasStop = std::any_of(commands.begin(), commands.end(), [](auto& c) {
                    const auto* a = std::get_if<DoAction>(&c);
                    return a && !a->bytes.empty() && a->bytes[0] == 0x07;
                });
                EXPECT_TRUE(hasStop);
            } else if (name == "sprite") {
                int sprites = 0;
                for (const auto& [id, c] : m.dictionary) {
                    if (const auto* sp = std::get_if<Sprite>(&c)) {
                        ++sprites;
                        EXPECT_EQ(sp->timeline.frames.size(), 4u);
                        EXPECT_EQ(sp->timeline.declaredFrameCount, 4);
                    }
                }
                EXPECT_EQ(sprites, 1);
            } else if (name == "shapes") {
                std::vector<int> versions;
                for (const auto& [id, c] : m.dictionary)
                    if (const auto* s = std::get_if<Shape>(&c)) versions.push_back(s->version);
                EXPECT_EQ(versions, (std::vector<int>{2, 3, 3, 4}));
            }
        }
    }
}

}  // namespace
}  // namespace saver::swf

#endif
