// The tag loop. Each tag body is handed to its decoder as a reader of exactly its own bytes, so
// a decoder can never read into the next tag; bytes a decoder leaves unread are ignored.
#include "swf/format/TimelineReader.h"

#include <bit>
#include <cctype>

#include "swf/format/BitmapTagReader.h"
#include "swf/format/ButtonReader.h"
#include "swf/format/DisplayTagReader.h"
#include "swf/format/FontReader.h"
#include "swf/format/MorphShapeReader.h"
#include "swf/format/ShapeReader.h"
#include "swf/format/SoundTagReader.h"
#include "swf/format/StaticTextReader.h"
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
    kFileAttributes = 69,
    kScriptLimits = 65,
    kDoAction = 12,
    kDefineSound = 14,
    kStartSound = 15,
    kSoundStreamHead = 18,
    kSoundStreamBlock = 19,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineSprite = 39,
    kDoInitAction = 59,
    kExportAssets = 56,
    kFrameLabel = 43,
    kSoundStreamHead2 = 45,
    kPlaceObject3 = 70,
    kDefineShape4 = 83,
    kDefineButton = 7,
    kDefineButtonSound = 17,
    kDefineButtonCxform = 23,
    kDefineButton2 = 34,
    kDefineMorphShape = 46,
    kDefineMorphShape2 = 84,
    kStartSound2 = 89,
};

// Character definitions the player does not draw: DefineBits, DefineFont, DefineText,
// DefineSound, DefineBitsLossless, DefineBitsJPEG2, DefineText2, DefineBitsJPEG3,
// DefineBitsLossless2, DefineEditText, DefineFont2, DefineVideoStream, DefineFont3,
// DefineBitsJPEG4, DefineFont4.
bool isUnsupportedCharacter(std::uint16_t code) {
    switch (code) {
        case 6:
        case 10:
        case 11:
        case 14:
        case 20:
        case 21:
        case 33:
        case 35:
        case 36:
        case 37:
        case 48:
        case 60:
        case 75:
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

// DefineButtonCxform and DefineButtonSound add to a button defined before them; naming any
// other character (or none) they change nothing and count as skipped.
bool AmendButton(std::uint16_t code, SwfBitReader& body, Movie& movie, DecodeBudget& budget) {
    if (body.remaining() < 2) return false;
    const auto it = movie.dictionary.find(body.u16());
    Button* button = it == movie.dictionary.end() ? nullptr : std::get_if<Button>(&it->second);
    if (!button) return false;
    if (code == kDefineButtonCxform)
        ButtonReader::readColorTransforms(body, *button);
    else
        ButtonReader::readSounds(body, *button, budget);
    return true;
}

}  // namespace

void TimelineReader::read(SwfBitReader& tags, Timeline& timeline, bool insideSprite) {
    Frame frame;
    while (!tags.atEnd()) {
        // A tag cut off by the end of the data ends the timeline there, as a missing End tag
        // would: the player plays what it has.
        if (tags.remaining() < 2) break;
        const std::uint16_t header = tags.u16();
        const auto code = static_cast<std::uint16_t>(header >> 6);
        std::size_t length = header & 0x3F;
        if (length == 0x3F) {
            if (tags.remaining() < 4) break;
            length = tags.u32();
        }
        if (length > tags.remaining()) break;
        SwfBitReader body = tags.sub(length, "tag");
        if (code == kEnd) break;
        if (code == kShowFrame) {
            budget_.charge(sizeof(Frame));
            timeline.frames.push_back(std::move(frame));
            frame = Frame{};
            continue;
        }
        readTag(code, body, frame, timeline, insideSprite);
    }
    // A sprite written without a ShowFrame (frame count 0) still shows what it places.
    if (insideSprite && timeline.frames.empty() && !frame.commands.empty()) {
        budget_.charge(sizeof(Frame));
        timeline.frames.push_back(std::move(frame));
    }
}

void TimelineReader::readTag(std::uint16_t code, SwfBitReader& body, Frame& frame,
                             Timeline& timeline, bool insideSprite) {
    switch (code) {
        case kPlaceObject:
        case kPlaceObject2:
        case kPlaceObject3: {
            const int version = code == kPlaceObject ? 1 : code == kPlaceObject2 ? 2 : 3;
            PlaceObject place = DisplayTagReader::readPlace(body, version, movie_.header.version);
            std::size_t extraBytes = place.name ? place.name->size() : 0;
            for (const ClipAction& a : place.clipActions)
                extraBytes += sizeof(ClipAction) + a.bytes.size();
            if (place.filters)
                for (const Filter& f : *place.filters)
                    extraBytes += sizeof(Filter) + f.kernel.size() * sizeof(float) +
                                  f.gradient.size() * sizeof(FilterGradientStop);
            command(frame, std::move(place), extraBytes);
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
        case kExportAssets: {
            if (insideSprite) break;
            for (int n = body.remaining() >= 2 ? body.u16() : 0; n > 0 && body.remaining() >= 3;
                 --n) {
                const std::uint16_t id = body.u16();
                std::string name;
                try {
                    name = body.string();
                } catch (const SwfError&) {
                    return;  // a name without its end: the names before it stand
                }
                budget_.charge(sizeof(std::string) * 4 + name.size() * 2);
                movie_.exportFrames[name] = static_cast<std::uint32_t>(timeline.frames.size());
                movie_.exports.insert_or_assign(std::move(name), id);
            }
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
        case kFileAttributes:
            if (insideSprite || body.remaining() < 1) break;
            movie_.useNetwork = (body.u8() & 0x01) != 0;
            return;
        case kScriptLimits:
            if (insideSprite || body.remaining() < 2) break;
            if (!movie_.maxRecursionDepth) movie_.maxRecursionDepth = body.u16();
            return;
        case kDefineSprite:
            if (insideSprite) throw SwfError("sprite defined inside a sprite");
            break;
        case kStartSound:
        case kStartSound2:
        case kSoundStreamHead:
        case kSoundStreamHead2:
        case kSoundStreamBlock:
            if (readSoundTag(code, body, frame, timeline)) return;
            skipped(code);
            return;
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
        sprite.tagBytes = static_cast<std::uint32_t>(body.remaining());
        read(body, sprite.timeline, true);
        const std::uint16_t id = sprite.id;
        define(id, std::move(sprite));
        return true;
    }
    if (code == kDefineButton || code == kDefineButton2) {
        Button button = ButtonReader::readButton(body, code == kDefineButton ? 1 : 2, budget_);
        const std::uint16_t id = button.id;
        define(id, std::move(button));
        return true;
    }
    if (code == kDefineMorphShape || code == kDefineMorphShape2) {
        MorphShape morph =
            MorphShapeReader(body, code == kDefineMorphShape ? 1 : 2, budget_).read();
        const std::uint16_t id = morph.id;
        define(id, std::move(morph));
        return true;
    }
    if (code == kDefineButtonCxform || code == kDefineButtonSound)
        return AmendButton(code, body, movie_, budget_);
    if (code == kDefineSound) {
        DefinedSound sound;
        try {
            sound = SoundTagReader::readDefineSound(body);
        } catch (const SwfError&) {
            return false;  // a damaged sound is dropped, the movie still plays
        }
        const std::uint16_t id = sound.id;
        define(id, UnsupportedCharacter{0, code});
        budget_.charge(sizeof(DefinedSound) + 4 * sizeof(void*) + sound.data.size());
        movie_.sounds.try_emplace(id, std::move(sound));
        return true;
    }
    if (BitmapTagReader::isBitmapTag(code)) {
        BitmapCharacter bitmap = BitmapTagReader::read(code, body);
        budget_.charge(bitmap.data.size() + bitmap.alpha.size());
        const std::uint16_t id = bitmap.id;
        define(id, std::move(bitmap));
        return true;
    }
    if (code == BitmapTagReader::kJpegTables) {
        if (movie_.jpegTables.empty()) {
            const auto tables = body.bytes(body.remaining());
            budget_.charge(tables.size());
            movie_.jpegTables.assign(tables.begin(), tables.end());
        }
        return true;
    }
    if (readTextDefinition(code, body)) return true;
    if (isUnsupportedCharacter(code)) {
        define(body.u16(), UnsupportedCharacter{0, code});
        skipped(code);  // its contents are not decoded
        return true;
    }
    return false;
}

// Sound tags of a frame or a timeline. False when the tag is damaged or repeats what the frame
// (one stream block) or the timeline (one stream head) already has.
bool TimelineReader::readSoundTag(std::uint16_t code, SwfBitReader& body, Frame& frame,
                                  Timeline& timeline) {
    if (code == kStartSound || code == kStartSound2) {
        StartSound start;
        try {
            start = SoundTagReader::readStartSound(body, code == kStartSound ? 1 : 2);
        } catch (const SwfError&) {
            return false;
        }
        budget_.charge(sizeof(StartSound) + start.className.size() +
                       start.info.envelope.size() * sizeof(SoundEnvelopePoint));
        frame.sounds.push_back(std::move(start));
        return true;
    }
    if (code == kSoundStreamBlock) {
        if (frame.streamBlock) return false;
        frame.streamBlock = SoundTagReader::readStreamBlock(body);  // cannot fail
        budget_.charge(sizeof(SoundStreamBlock) + frame.streamBlock->data.size());
        return true;
    }
    if (timeline.streamHead) return false;
    try {
        timeline.streamHead = SoundTagReader::readStreamHead(body);
    } catch (const SwfError&) {
        return false;
    }
    return true;
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

// Fonts and static text; checked before the list of characters not drawn. The tags that
// complete a font (DefineFontInfo/2, DefineFontName) apply to a font defined before them and
// are dropped otherwise; DefineFontAlignZones is consumed and not used.
bool TimelineReader::readTextDefinition(std::uint16_t code, SwfBitReader& body) {
    FontReader fonts(budget_);
    switch (code) {
        case 10:  // DefineFont
            defineFont(fonts.readDefineFont(body));
            return true;
        case 48:  // DefineFont2
        case 75:  // DefineFont3
            defineFont(fonts.readDefineFont2(body, code == 48 ? 2 : 3));
            return true;
        case 11:    // DefineText
        case 33: {  // DefineText2
            StaticText text = ReadStaticText(body, code == 11 ? 1 : 2, budget_);
            const std::uint16_t id = text.id;
            define(id, std::move(text));
            return true;
        }
        case 37: {  // DefineEditText
            EditText field = ReadEditText(body, budget_);
            const std::uint16_t id = field.id;
            define(id, std::move(field));
            return true;
        }
        case 13:  // DefineFontInfo
        case 62:  // DefineFontInfo2
        case 88:  // DefineFontName
            if (Font* font = existingFont(body.u16())) {
                if (code == 88)
                    fonts.readFontName(body, *font);
                else
                    fonts.readFontInfo(body, code == 13 ? 1 : 2, *font);
            }
            return true;
        case 73:  // DefineFontAlignZones
            return true;
        case 74:  // CSMTextSettings: a text field's rendering settings (static text's ignored)
            if (body.remaining() >= 11) {
                const auto it = movie_.dictionary.find(body.u16());
                auto* field =
                    it == movie_.dictionary.end() ? nullptr : std::get_if<EditText>(&it->second);
                const std::uint8_t flags = body.u8();
                EditText::TextSettings settings;
                settings.advanced = (flags >> 6) == 1;
                settings.gridFit = (flags >> 3) & 7;
                settings.thickness = std::bit_cast<float>(body.u32());
                settings.sharpness = std::bit_cast<float>(body.u32());
                if (field) field->textSettings = settings;
            }
            return true;
        default:
            return false;
    }
}

void TimelineReader::defineFont(Font font) {
    const std::uint16_t id = font.id;
    define(id, std::move(font));
}

Font* TimelineReader::existingFont(std::uint16_t id) {
    const auto it = movie_.dictionary.find(id);
    return it == movie_.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
}

}  // namespace saver::swf
