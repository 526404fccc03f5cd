// Every property is a getter/setter pair on TextField.prototype whose native functions carry
// the property's name in `bound`, so one pair of natives serves them all. Sizes are pixels to
// scripts and twips inside.
#include <algorithm>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/TextFieldDisplay.h"
#include "swf/avm1/TextFieldObject.h"
#include "swf/avm1/TextFormatObject.h"
#include "swf/player/HtmlText.h"
#include "swf/player/HtmlTextWriter.h"
#include "swf/player/TextScroll.h"

namespace saver::swf::avm1 {

namespace {

constexpr const char* kProperties[] = {
    "text",      "htmlText",   "html",        "length",          "textColor",
    "border",    "background", "borderColor", "backgroundColor", "wordWrap",
    "multiline", "password",   "embedFonts",  "selectable",      "autoSize",
    "variable",  "textWidth",  "textHeight",  "_width",          "_height",
    "maxChars",  "scroll",     "maxscroll",   "bottomScroll",    "hscroll",
    "maxhscroll"};

std::shared_ptr<TextFieldState> Field(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o ? o->textField.lock() : nullptr;
}

double ColorNumber(Rgba c) {
    return double((std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b);
}

Rgba NumberColor(Interpreter& vm, const Value& v) {
    const auto rgb = static_cast<std::uint32_t>(ToInt32(vm.toNumber(v)));
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

const char* AutoSizeName(AutoSize a) {
    switch (a) {
        case AutoSize::Left:
            return "left";
        case AutoSize::Right:
            return "right";
        case AutoSize::Center:
            return "center";
        default:
            return "none";
    }
}

Value Get(TextFieldState& f, const std::string& name) {
    const TextFieldBox& b = f.box();
    if (name == "text") return f.text();
    if (name == "htmlText")
        return f.html() ? EncodeUtf8(WriteHtmlText(f.styled(), f.newFormat())) : f.text();
    if (name == "html") return f.html();
    if (name == "length") return double(PlainText(f.styled()).size());
    if (name == "textColor") return ColorNumber(f.newFormat().color);
    if (name == "border") return b.border;
    if (name == "background") return b.background;
    if (name == "borderColor") return ColorNumber(b.borderColor);
    if (name == "backgroundColor") return ColorNumber(b.backgroundColor);
    if (name == "wordWrap") return b.wordWrap;
    if (name == "multiline") return b.multiline;
    if (name == "password") return b.password;
    if (name == "embedFonts") return b.embedFonts;
    if (name == "selectable") return false;
    if (name == "autoSize") return AutoSizeName(b.autoSize);
    if (name == "variable") return f.variable().empty() ? Value(Null{}) : Value(f.variable());
    if (name == "textWidth") return std::round(f.currentLayout().textWidth / 20);
    if (name == "textHeight") return std::round(f.currentLayout().textHeight / 20);
    if (name == "_width") return f.currentLayout().bounds.width() / 20.0;
    if (name == "_height") return f.currentLayout().bounds.height() / 20.0;
    if (name == "maxChars") return Null{};
    if (name == "scroll") return f.scroll();
    if (name == "maxscroll") return MaxScroll(f.currentLayout());
    if (name == "bottomScroll") return BottomScroll(f.currentLayout(), f.scroll());
    if (name == "hscroll") return f.hscroll() / 20;
    if (name == "maxhscroll") return MaxHScroll(f.currentLayout()) / 20;
    return Value{};
}

void Set(Interpreter& vm, TextFieldState& f, const std::string& name, const Value& v) {
    if (name == "text") return f.setText(vm.toString(v));
    if (name == "htmlText") {
        if (f.html()) return f.setHtmlText(vm.toString(v));
        return f.setText(vm.toString(v));
    }
    if (name == "html") return f.setHtml(vm.toBool(v));
    if (name == "textColor") {
        const Rgba c = NumberColor(vm, v);
        for (TextRun& run : f.editStyled()) run.format.color = c;
        TextFormat nf = f.newFormat();
        nf.color = c;
        return f.setNewFormat(nf);
    }
    if (name == "scroll") return f.setScroll(vm.toNumber(v));
    if (name == "hscroll") return f.setHScroll(vm.toNumber(v) * 20);
    if (name == "variable") return f.setVariable(v.isNullish() ? "" : vm.toString(v));
    if (name == "autoSize") {
        AutoSize a = AutoSize::None;
        if (v.isBool()) a = v.asBool() ? AutoSize::Left : AutoSize::None;
        const std::string s = v.isString() ? v.asString() : "";
        if (s == "left") a = AutoSize::Left;
        if (s == "right") a = AutoSize::Right;
        if (s == "center") a = AutoSize::Center;
        f.editBox().autoSize = a;
        return;
    }
    TextFieldBox& b = f.editBox();
    if (name == "border") b.border = vm.toBool(v);
    if (name == "background") b.background = vm.toBool(v);
    if (name == "borderColor") b.borderColor = NumberColor(vm, v);
    if (name == "backgroundColor") b.backgroundColor = NumberColor(vm, v);
    if (name == "wordWrap") b.wordWrap = vm.toBool(v);
    if (name == "multiline") b.multiline = vm.toBool(v);
    if (name == "password") b.password = vm.toBool(v);
    if (name == "embedFonts") b.embedFonts = vm.toBool(v);
    const double px = vm.toNumber(v);
    if ((name == "_width" || name == "_height") && std::isfinite(px) && px >= 0) {
        const auto twips = static_cast<std::int32_t>(std::lround(std::min(px, 1e6) * 20));
        if (name == "_width") b.bounds.xMax = b.bounds.xMin + twips;
        if (name == "_height") b.bounds.yMax = b.bounds.yMin + twips;
    }
}

Value FieldGet(CallInfo& c) {
    auto f = Field(c);
    if (!f || !c.callee || c.callee->bound.empty()) return Value{};
    return Get(*f, c.callee->bound[0].asString());
}

Value FieldSet(CallInfo& c) {
    auto f = Field(c);
    if (f && c.callee && !c.callee->bound.empty())
        Set(c.vm, *f, c.callee->bound[0].asString(), c.arg(0));
    return Value{};
}

// The character range [begin, end) of the arguments before `formatArg` (whole text when
// absent; one character for a single index).
void Range(CallInfo& c, std::size_t formatArg, std::size_t length, std::size_t& begin,
           std::size_t& end) {
    begin = 0;
    end = length;
    auto index = [&](std::size_t i) {
        const double n = c.vm.toNumber(c.args[i]);
        return std::isfinite(n) && n > 0 ? std::min<std::size_t>(std::size_t(n), length) : 0;
    };
    if (formatArg >= 1 && c.args.size() > 0 && !c.args[0].isObject()) {
        begin = index(0);
        end = std::min(begin + 1, length);
    }
    if (formatArg >= 2 && c.args.size() > 1 && !c.args[1].isObject()) end = index(1);
}

Value SetTextFormat(CallInfo& c) {
    auto f = Field(c);
    if (!f || c.args.empty()) return Value{};
    std::size_t at = 0;
    while (at < c.args.size() && !c.args[at].isObject()) ++at;
    if (at == c.args.size()) return Value{};
    std::size_t begin, end;
    Range(c, at, PlainText(f->styled()).size(), begin, end);
    StyledText out;
    std::size_t pos = 0;
    for (const TextRun& run : f->styled()) {
        // Up to three pieces: before, inside and after the range.
        const std::size_t cuts[] = {pos, std::clamp(begin, pos, pos + run.text.size()),
                                    std::clamp(end, pos, pos + run.text.size()),
                                    pos + run.text.size()};
        for (int k = 0; k < 3; ++k) {
            if (cuts[k + 1] <= cuts[k]) continue;
            TextRun piece{run.text.substr(cuts[k] - pos, cuts[k + 1] - cuts[k]), run.format};
            if (k == 1) ApplyTextFormatObject(c.vm, c.args[at].asObject(), piece.format);
            out.push_back(std::move(piece));
        }
        pos += run.text.size();
    }
    f->editStyled() = std::move(out);
    return Value{};
}

Value GetTextFormat(CallInfo& c) {
    auto f = Field(c);
    if (!f) return Value{};
    std::size_t begin, end;
    Range(c, c.args.size(), PlainText(f->styled()).size(), begin, end);
    std::vector<const TextFormat*> formats;
    std::size_t pos = 0;
    for (const TextRun& run : f->styled()) {
        if (pos < end && pos + run.text.size() > begin) formats.push_back(&run.format);
        pos += run.text.size();
    }
    if (formats.empty()) formats.push_back(&f->newFormat());
    return NewTextFormatObject(c.vm, formats);
}

Value SetNewTextFormat(CallInfo& c) {
    auto f = Field(c);
    if (!f) return Value{};
    TextFormat nf = f->newFormat();
    ApplyTextFormatObject(c.vm, c.arg(0).asObject(), nf);
    f->setNewFormat(nf);
    return Value{};
}

Value GetNewTextFormat(CallInfo& c) {
    auto f = Field(c);
    if (!f) return Value{};
    return NewTextFormatObject(c.vm, {&f->newFormat()});
}

// The metrics of one laid-out line in pixels; undefined for a line the field does not have.
Value GetLineMetrics(CallInfo& c) {
    auto f = Field(c);
    if (!f || c.args.empty()) return Value{};
    const double n = c.vm.toNumber(c.arg(0));
    const EditTextLayout& layout = f->currentLayout();
    if (!std::isfinite(n) || n < 0 || n >= double(layout.lines.size())) return Value{};
    const LineMetrics& m = layout.lines[static_cast<std::size_t>(n)];
    Object* o = c.vm.newObject();
    o->put("ascent", m.ascent / 20);
    o->put("descent", m.descent / 20);
    o->put("leading", m.leading / 20);
    o->put("height", (m.ascent + m.descent + m.leading) / 20);
    o->put("width", m.width / 20);
    o->put("x", (m.x - layout.bounds.xMin) / 20);
    return o;
}

Value TextFieldCtor(CallInfo& c) {
    return c.thisValue;
}

constexpr std::uint16_t kSince8 = 0x1000;

Object* Prototype(Interpreter& vm) {
    Object* ctor = vm.getMember(vm.global(), "TextField").asObject();
    return ctor ? vm.getMember(ctor, "prototype").asObject() : nullptr;
}

}  // namespace

void InstallTextFieldBuiltins(Interpreter& vm) {
    InstallTextFormatBuiltins(vm);
    Object* ctor = MakeClass(vm, "TextField", TextFieldCtor, nullptr);
    Object* proto = vm.getMember(ctor, "prototype").asObject();
    NamedAccessors(vm, proto, kProperties, FieldGet, FieldSet);
    InstallTextFieldDisplay(vm, proto);
    vm.method(proto, "setTextFormat", SetTextFormat);
    vm.method(proto, "getTextFormat", GetTextFormat);
    vm.method(proto, "setNewTextFormat", SetNewTextFormat);
    vm.method(proto, "getNewTextFormat", GetNewTextFormat);
    vm.method(proto, "getLineMetrics", GetLineMetrics, kSince8);
}

Object* NewTextFieldObject(Interpreter& vm, const std::shared_ptr<TextFieldState>& field) {
    Object* o = vm.newObject(Prototype(vm));
    o->textField = field;
    return o;
}

}  // namespace saver::swf::avm1
