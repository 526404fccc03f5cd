// TextSnapshot: the static text of a clip, for searching and reading. new TextSnapshot(clip)
// (and clip.getTextSnapshot(), which calls whatever _global.TextSnapshot is) takes the
// characters of each static text the clip shows, in depth order, as one chunk per text; the
// chunks are kept in the object's `elements` as strings. Indices count characters across the
// chunks. Selection and hit testing keep nothing: they answer as for a snapshot with nothing
// selected.
#include <algorithm>
#include <cctype>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/avm1/StringUtil.h"
#include "swf/player/HtmlText.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

// The characters of a static text, through its fonts' code tables.
std::u32string StaticChars(const Movie& movie, const StaticText& text) {
    std::u32string out;
    const Font* font = nullptr;
    for (const TextRecord& record : text.records) {
        if (record.fontId) {
            const auto it = movie.dictionary.find(*record.fontId);
            font = it == movie.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
        }
        if (!font) return out;
        for (const GlyphEntry& g : record.glyphs)
            if (g.index < font->codes.size()) out.push_back(font->codes[g.index]);
    }
    return out;
}

std::vector<std::u32string> Chunks(const Value& v) {
    std::vector<std::u32string> chunks;
    if (Object* o = v.asObject())
        for (const Value& chunk : o->elements)
            if (chunk.isString()) chunks.push_back(DecodeText(chunk.asString(), true));
    return chunks;
}

std::size_t Count(const std::vector<std::u32string>& chunks) {
    std::size_t n = 0;
    for (const auto& c : chunks) n += c.size();
    return n;
}

Value TextSnapshotCtor(CallInfo& c) {
    Object* self = c.thisValue.asObject();
    auto* runner = dynamic_cast<ScriptRunner*>(&c.vm.host());
    if (!self || !runner || c.args.size() != 1 || !c.vm.movie) return Value{};
    auto timeline = runner->timelineOf(c.args[0].asObject());
    if (!timeline) return Value{};
    self->elements.clear();
    for (const auto& [depth, object] : timeline->displayList()) {
        const auto it = c.vm.movie->dictionary.find(object.characterId);
        if (object.pendingRemoval || it == c.vm.movie->dictionary.end()) continue;
        if (const auto* text = std::get_if<StaticText>(&it->second)) {
            const std::u32string chars = StaticChars(*c.vm.movie, *text);
            if (!chars.empty()) self->elements.push_back(EncodeUtf8(chars));
        }
    }
    return Value{};
}

Value GetCount(CallInfo& c) {
    if (!c.args.empty() || !c.thisValue.isObject()) return Value{};
    return double(Count(Chunks(c.thisValue)));
}

// getText(from, to[, lineEndings]): at least one character, chunks joined by "\n" when asked.
Value GetText(CallInfo& c) {
    if (c.args.size() < 2 || c.args.size() > 3 || !c.thisValue.isObject()) return Value{};
    const auto chunks = Chunks(c.thisValue);
    const std::int64_t count = static_cast<std::int64_t>(Count(chunks));
    if (count == 0) return std::string();
    const std::int64_t from = ToInt32(c.vm.toNumber(c.args[0]));
    const std::int64_t to = ToInt32(c.vm.toNumber(c.args[1]));
    const bool lineEndings = c.args.size() > 2 && c.vm.toBool(c.args[2]);
    const std::int64_t start = std::min(std::max<std::int64_t>(from, 0), count - 1);
    const std::int64_t end = std::max(std::min(std::max<std::int64_t>(to, 0), count), start + 1);
    std::u32string out;
    std::int64_t at = 0;
    bool first = true;
    for (const auto& chunk : chunks) {
        const std::int64_t size = static_cast<std::int64_t>(chunk.size());
        if (at < end && at + size > start) {
            if (!first && lineEndings) out.push_back(U'\n');
            const std::int64_t a = std::max(start - at, std::int64_t{0});
            const std::int64_t b = std::min(end - at, size);
            out += chunk.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
            first = false;
        }
        at += size;
    }
    return EncodeUtf8(out);
}

char32_t LowerAscii(char32_t ch) {
    return ch < 0x80 ? static_cast<char32_t>(std::tolower(static_cast<int>(ch))) : ch;
}

// findText(start, text, caseSensitive): the index of the first match at or after `start`.
Value FindText(CallInfo& c) {
    if (c.args.size() != 3 || !c.thisValue.isObject()) return Value{};
    const std::int64_t from = ToInt32(c.vm.toNumber(c.args[0]));
    std::u32string text = DecodeText(c.vm.toString(c.args[1]), true);
    const bool caseSensitive = c.vm.toBool(c.args[2]);
    if (text.empty() || from < 0) return -1.0;
    std::u32string all;
    for (const auto& chunk : Chunks(c.thisValue)) all += chunk;
    if (from >= static_cast<std::int64_t>(all.size())) return -1.0;
    all.erase(0, static_cast<std::size_t>(from));
    if (!caseSensitive) {
        std::transform(all.begin(), all.end(), all.begin(), LowerAscii);
        std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    }
    const std::size_t at = all.find(text);
    return at == std::u32string::npos ? -1.0 : double(from + static_cast<std::int64_t>(at));
}

Value Nothing(CallInfo&) {
    return Value{};
}

// MovieClip.getTextSnapshot(): new _global.TextSnapshot(this), whatever that is now.
Value GetTextSnapshot(CallInfo& c) {
    return c.vm.construct(c.vm.getMember(c.vm.global(), "TextSnapshot"), {c.thisValue});
}

}  // namespace

void InstallTextSnapshotBuiltins(Interpreter& vm) {
    Object* proto = vm.newObject();
    MakeClass(vm, "TextSnapshot", TextSnapshotCtor, proto);
    proto->findOwn("constructor")->flags = kDontEnum | kDontDelete;
    // The methods came with the player of SWF 6 (older movies see none, yet for..in lists
    // them); they are enumerable and deletable.
    constexpr std::uint16_t kSwf6 = 0x80;
    const std::pair<const char*, NativeFn> methods[] = {
        {"getCount", GetCount}, {"setSelected", Nothing},     {"getSelected", Nothing},
        {"getText", GetText},   {"getSelectedText", Nothing}, {"hitTestTextNearPos", Nothing},
        {"findText", FindText}, {"setSelectColor", Nothing},  {"getTextRunInfo", Nothing}};
    for (const auto& [name, fn] : methods) {
        vm.method(proto, name, fn);
        proto->findOwn(name)->flags = kSwf6;
    }
    vm.method(vm.protos.clip, "getTextSnapshot", GetTextSnapshot, kSwf6);
}

}  // namespace saver::swf::avm1
