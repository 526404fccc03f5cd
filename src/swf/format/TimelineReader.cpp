// The tag loop. Each tag body is handed to its decoder as a reader of exactly its own bytes, so
// a decoder can never read into the next tag; bytes a decoder leaves unread are ignored.
#include "swf/format/TimelineReader.h"

#include "swf/format/DisplayTagReader.h"
#include "swf/format/ShapeReader.h"
#include "swf/format/SwfBasicRecords.h"
#include "swf/format/SwfReader.h"

namespace saver::swf {

namespace {

enum TagCode : std::uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kDefineShape = 2,
    kPlaceObject = 4,
    kRemoveObject = 5,
    kSetBackgroundColor = 9,
    kDoAction = 12,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineSprite = 39,
    kDoInitAction = 59,
    kFrameLabel = 43,
    kPlaceObject3 = 70,
    kDefineShape4 = 83,
};

// Character definitions the player does not draw: DefineBits, DefineButton, DefineFont,
// DefineText, DefineSound, DefineBitsLossless, DefineBitsJPEG2, DefineText2, DefineButton2,
// DefineBitsJPEG3, DefineBitsLossless2, DefineEditText, DefineMorphShape, DefineFont2,
// DefineVideoStream, DefineFont3, DefineMorphShape2, DefineBitsJPEG4, DefineFont4.
bool isUnsupportedCharacter(std::uint16_t code) {
    switch (code) {
        case 6:
        case 7:
        case 10:
        case 11:
        case 14:
        case 20:
        case 21:
        case 33:
        case 34:
        case 35:
        case 36:
        case 37:
        case 46:
        case 48:
        case 60:
        case 75:
        case 84:
        case 90:
        case 91:
            return true;
        default:
            return false;
    }
}

int shapeVersion(std::uint16_t code) {
    switch (code) {
        case kDefineShape:
            return 1;
        case kDefineShape2:
            return 2;
        case kDefineShape3:
            return 3;
        case kDefineShape4:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

void TimelineReader::read(SwfBitReader& tags, Timeline& timeline, bool insideSprite) {
    Frame frame;
    while (!tags.atEnd()) {
        const std::uint16_t header = tags.u16();
        const auto code = static_cast<std::uint16_t>(header >> 6);
        std::size_t length = header & 0x3F;
        if (length == 0x3F) length = tags.u32();
        if (length > tags.remaining()) throw SwfError("truncated tag");
        SwfBitReader body = tags.sub(length, "tag");
        if (code == kEnd) break;
        if (code == kShowFrame) {
            budget_.charge(sizeof(Frame));
            timeline.frames.push_back(std::move(frame));
            frame = Frame{};
            continue;
        }
        readTag(code, body, frame, insideSprite);
    }
}

void TimelineReader::readTag(std::uint16_t code, SwfBitReader& body, Frame& frame,
                             bool insideSprite) {
    switch (code) {
        case kPlaceObject:
        case kPlaceObject2:
        case kPlaceObject3: {
            const int version = code == kPlaceObject ? 1 : code == kPlaceObject2 ? 2 : 3;
            PlaceObject place = DisplayTagReader::readPlace(body, version);
            const std::size_t nameBytes = place.name ? place.name->size() : 0;
            command(frame, std::move(place), nameBytes);
            return;
        }
        case kRemoveObject:
        case kRemoveObject2:
            command(frame, DisplayTagReader::readRemove(body, code == kRemoveObject ? 1 : 2), 0);
            return;
        case kDoAction: {
            const auto bytes = body.bytes(body.remaining());
            command(frame, DoAction{{bytes.begin(), bytes.end()}}, bytes.size());
            return;
        }
        case kDoInitAction: {
            if (insideSprite) break;
            DoInitAction init;
            init.spriteId = body.u16();
            const auto bytes = body.bytes(body.remaining());
            budget_.charge(sizeof(DoInitAction) + bytes.size());
            init.bytes.assign(bytes.begin(), bytes.end());
            frame.initActions.push_back(std::move(init));
            return;
        }
        case kFrameLabel: {
            std::string label = body.string();  // an anchor flag may follow
            budget_.charge(sizeof(std::string) + label.size());
            frame.labels.push_back(std::move(label));
            return;
        }
        case kSetBackgroundColor:
            if (insideSprite) break;
            if (!movie_.background) movie_.background = ReadRgb(body);
            return;
        case kDefineSprite:
            if (insideSprite) throw SwfError("sprite defined inside a sprite");
            break;
        default:
            break;
    }
    if (insideSprite || !readDefinition(code, body)) skipped(code);
}

bool TimelineReader::readDefinition(std::uint16_t code, SwfBitReader& body) {
    if (const int version = shapeVersion(code)) {
        Shape shape = ShapeReader(body, version, budget_).read();
        const std::uint16_t id = shape.id;
        define(id, std::move(shape));
        return true;
    }
    if (code == kDefineSprite) {
        Sprite sprite;
        sprite.id = body.u16();
        sprite.timeline.declaredFrameCount = body.u16();
        read(body, sprite.timeline, true);
        const std::uint16_t id = sprite.id;
        define(id, std::move(sprite));
        return true;
    }
    if (isUnsupportedCharacter(code)) {
        define(body.u16(), UnsupportedCharacter{0, code});
        skipped(code);  // its contents are not decoded
        return true;
    }
    return false;
}

void TimelineReader::command(Frame& frame, FrameCommand command, std::size_t extraBytes) {
    budget_.charge(sizeof(FrameCommand) + extraBytes);
    frame.commands.push_back(std::move(command));
}

// Map nodes cost about four pointers on top of the value.
void TimelineReader::define(std::uint16_t id, Character character) {
    budget_.charge(sizeof(Character) + 4 * sizeof(void*));
    if (auto* unsupported = std::get_if<UnsupportedCharacter>(&character)) unsupported->id = id;
    movie_.dictionary.try_emplace(id, std::move(character));
}

}  // namespace saver::swf
