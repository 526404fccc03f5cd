// Hand-built movies for the player core tests: shapes with a known id, placements, actions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/SwfMovie.h"
#include "swf/player/MoviePlayer.h"

namespace saver::swf::test {

inline Shape MakeShape(std::uint16_t id) {
    Shape s;
    s.id = id;
    s.bounds = {0, 200, 0, 200};
    s.edgeBounds = s.bounds;
    FillStyle fill;
    fill.color = {static_cast<std::uint8_t>(id), 0, 0, 255};
    s.fills.push_back(fill);
    ShapePath path;
    path.fill1 = 1;
    path.edges = {{false, {}, {200, 0}}, {false, {}, {200, 200}}, {false, {}, {0, 0}}};
    s.paths.push_back(path);
    return s;
}

inline FrameCommand Place(std::uint16_t depth, std::uint16_t id, double tx = 0) {
    PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.characterId = id;
    p.matrix = Matrix{1, 0, 0, 1, tx, 0};
    return p;
}

inline FrameCommand Move(std::uint16_t depth, double tx) {
    PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    p.matrix = Matrix{1, 0, 0, 1, tx, 0};
    return p;
}

inline FrameCommand Remove(std::uint16_t depth) {
    return RemoveObject{depth, std::nullopt};
}

// Action records.
inline std::vector<std::uint8_t> Stop() {
    return {0x07};
}
inline std::vector<std::uint8_t> Play() {
    return {0x06};
}
inline std::vector<std::uint8_t> NextFrame() {
    return {0x04};
}
inline std::vector<std::uint8_t> PrevFrame() {
    return {0x05};
}
inline std::vector<std::uint8_t> GotoFrame(int frame) {
    return {0x81, 2, 0, static_cast<std::uint8_t>(frame & 0xFF),
            static_cast<std::uint8_t>(frame >> 8)};
}
inline std::vector<std::uint8_t> GotoLabel(const std::string& label) {
    std::vector<std::uint8_t> r{0x8C, static_cast<std::uint8_t>(label.size() + 1), 0};
    r.insert(r.end(), label.begin(), label.end());
    r.push_back(0);
    return r;
}

inline FrameCommand Actions(std::initializer_list<std::vector<std::uint8_t>> records) {
    DoAction a;
    for (const auto& r : records) a.bytes.insert(a.bytes.end(), r.begin(), r.end());
    a.bytes.push_back(0);
    return a;
}

inline Frame MakeFrame(std::vector<FrameCommand> commands, std::vector<std::string> labels = {}) {
    Frame frame;
    frame.commands = std::move(commands);
    frame.labels = std::move(labels);
    return frame;
}

inline Timeline MakeTimeline(std::vector<Frame> frames) {
    Timeline t;
    t.declaredFrameCount = static_cast<std::uint16_t>(frames.size());
    t.frames = std::move(frames);
    return t;
}

// A movie with shapes 1..9 and the given sprites.
inline std::shared_ptr<Movie> MakeMovie(Timeline root, std::vector<Sprite> sprites = {}) {
    auto movie = std::make_shared<Movie>();
    movie->header.version = 6;
    movie->header.frameRate = 12;
    movie->header.frameSize = {0, 8000, 0, 6000};
    movie->header.frameCount = static_cast<std::uint16_t>(root.frames.size());
    for (std::uint16_t id = 1; id <= 9; ++id) movie->dictionary[id] = MakeShape(id);
    for (auto& s : sprites) movie->dictionary[s.id] = std::move(s);
    movie->root = std::move(root);
    return movie;
}

// The ids of the shapes drawn now, in painting order.
inline std::vector<int> DrawnIds(const MoviePlayer& player) {
    std::vector<int> ids;
    for (const auto& item : player.renderList())
        if (item.role == ClipRole::Draw) ids.push_back(item.shape->id);
    return ids;
}

}  // namespace saver::swf::test
