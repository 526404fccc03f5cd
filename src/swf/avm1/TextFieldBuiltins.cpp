// Every property is a getter/setter pair on TextField.prototype whose native functions carry
// the property's name in `bound`, so one pair of natives serves them all. Sizes are pixels to
// scripts and twips inside.
#include <algorithm>
#include <cmath>

#include "swf/avm1/Builtins.h"
#include "swf/avm1/ScriptRunner.h"
#include "swf/avm1/TextFieldDisplay.h"
#include "swf/avm1/TextFieldObject.h"
#include "swf/avm1/TextFormatObject.h"
#include "swf/player/ContentGeometry.h"
#include "swf/player/HtmlText.h"
#include "swf/player/HtmlTextWriter.h"
#include "swf/player/ScriptTextField.h"
#include "swf/player/TextScroll.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf::avm1 {

namespace {

// In the player's order; for..in lists them newest first.
constexpr const char* kProperties[] = {"gridFitType",
                                       "antiAliasType",
                                       "thickness",
                                       "sharpness",
                                       "filters",
                                       "scroll",
                                       "maxscroll",
                                       "borderColor",
                                       "backgroundColor",
                                       "textColor",
                                       "tabIndex",
                                       "autoSize",
                                       "text",
                                       "type",
                                       "htmlText",
                                       "variable",
                                       "hscroll",
                                       "maxhscroll",
                                       "maxChars",
                                       "embedFonts",
                                       "html",
                                       "border",
                                       "background",
                                       "wordWrap",
                                       "password",
                                       "multiline",
                                       "selectable",
                                       "length",
                                       "bottomScroll",
                                       "textWidth",
                                       "textHeight",
                                       "restrict",
                                       "condenseWhite",
                                       "mouseWheelEnabled",
                                       "styleSheet"};

// Measured like the display properties: not listed by for..in.
constexpr const char* kSizeProperties[] = {"_width", "_height"};

constexpr std::uint16_t kSince6 = 0x80;
constexpr std::uint16_t kSince7 = 0x100;

std::shared_ptr<TextFieldState> Field(CallInfo& c) {
    Object* o = c.thisValue.asObject();
    return o ? o->textField.lock() : nullptr;
}

double ColorNumber(Rgba c) {
    return double((std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b);
}

std::string Lower(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return s;
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

// A field tied to a variable shows the variable's value at once when a script reads its text,
// not only when the frame is drawn.
void ShowVariable(Interpreter& vm, TextFieldState& f) {
    auto* runner = dynamic_cast<ScriptRunner*>(&vm.host());
    auto owner = f.owner();
    std::string value;
    if (f.variable().empty() || !runner || !owner ||
        !runner->readVariable(*owner, f.variable(), value))
        return;
    if (!f.html())
        f.setText(value);
    else if (value != f.htmlSource())
        f.setHtmlText(value);
}

Value Get(Interpreter& vm, TextFieldState& f, const std::string& name) {
    const TextFieldBox& b = f.box();
    if (name == "text" || name == "htmlText") ShowVariable(vm, f);
    if (name == "text") return f.text();
    if (name == "htmlText") return f.html() ? EncodeUtf8(WriteHtmlText(f.styled())) : f.text();
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
    const TextFieldOptions& o = f.options();
    if (name == "selectable") return o.selectable;
    if (name == "type") return o.editable ? "input" : "dynamic";
    if (name == "tabIndex")
        return o.tabIndex ? Value(double(static_cast<std::uint32_t>(*o.tabIndex))) : Value{};
    if (name == "restrict") return o.restrict ? Value(*o.restrict) : Value(Null{});
    if (name == "condenseWhite") return o.condenseWhite;
    if (name == "mouseWheelEnabled") return o.mouseWheelEnabled;
    if (name == "antiAliasType") return o.advancedAntiAlias ? "advanced" : "normal";
    if (name == "gridFitType") return o.gridFitType;
    if (name == "thickness") return double(o.thickness);
    if (name == "sharpness") return double(o.sharpness);
    if (name == "filters") return vm.newArray();
    if (name == "autoSize") return AutoSizeName(b.autoSize);
    if (name == "variable") return f.variable().empty() ? Value(Null{}) : Value(f.variable());
    // Whole pixels, the fraction cut off.
    if (name == "textWidth") return std::trunc(f.currentLayout().textWidth / 20);
    if (name == "textHeight") return std::trunc(f.currentLayout().textHeight / 20);
    if (name == "_width" || name == "_height") {
        // The box as the parent sees it: scaled and rotated by the field's placement.
        Matrix placed;
        if (auto owner = f.owner())
            if (const DisplayObject* o = FindTextFieldObject(*owner, f)) placed = o->matrix;
        placed.tx = placed.ty = 0;
        Rect box;
        bool hasBox = false;
        AddMappedRect(f.currentLayout().bounds, placed, box, hasBox);
        return (name == "_width" ? box.width() : box.height()) / 20.0;
    }
    if (name == "maxChars") return o.maxChars ? Value(double(o.maxChars)) : Value(Null{});
    if (name == "scroll") return f.scroll();
    if (name == "maxscroll") return MaxScroll(f.currentLayout());
    if (name == "bottomScroll") return BottomScroll(f.currentLayout(), f.scroll());
    if (name == "hscroll") return f.hscroll() / 20;
    if (name == "maxhscroll") return MaxHScroll(f.currentLayout()) / 20;
    return Value{};
}

// The properties that only keep a value for scripts; false for any other name.
bool SetOption(Interpreter& vm, TextFieldOptions& o, const std::string& name, const Value& v) {
    if (name == "selectable")
        o.selectable = vm.toBool(v);
    else if (name == "condenseWhite")
        o.condenseWhite = vm.toBool(v);
    else if (name == "mouseWheelEnabled")
        o.mouseWheelEnabled = vm.toBool(v);
    else if (name == "maxChars")
        o.maxChars = ToInt32(vm.toNumber(v));
    else if (name == "thickness")
        o.thickness = float(vm.toNumber(v));
    else if (name == "sharpness")
        o.sharpness = float(vm.toNumber(v));
    else if (name == "tabIndex") {
        if (v.isNullish())
            o.tabIndex.reset();
        else
            o.tabIndex = ToInt32(vm.toNumber(v));
    } else if (name == "restrict") {
        // An empty string accepts everything, as null does.
        const std::string s = v.isNullish() ? "" : vm.toString(v);
        if (s.empty())
            o.restrict.reset();
        else
            o.restrict = s;
    } else if (name == "type") {
        const std::string s = Lower(vm.toString(v));
        if (s == "input" || s == "dynamic") o.editable = s == "input";
    } else if (name == "antiAliasType") {
        const std::string s = vm.toString(v);
        if (s == "advanced" || s == "normal") o.advancedAntiAlias = s == "advanced";
    } else if (name == "gridFitType") {
        const std::string s = vm.toString(v);
        if (s == "none" || s == "pixel" || s == "subpixel") o.gridFitType = s;
    } else {
        return name == "filters" || name == "styleSheet";
    }
    return true;
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
    if (name == "hscroll") return f.setHScroll(ToInt32(vm.toNumber(v)) * 20.0);
    if (name == "variable") return f.setVariable(v.isNullish() ? "" : vm.toString(v));
    if (name == "autoSize") {
        AutoSize a = AutoSize::None;
        if (v.isBool()) a = v.asBool() ? AutoSize::Left : AutoSize::None;
        const std::string s = v.isBool() ? "" : Lower(vm.toString(v));
        if (s == "left") a = AutoSize::Left;
        if (s == "right") a = AutoSize::Right;
        if (s == "center") a = AutoSize::Center;
        f.editBox().autoSize = a;
        return;
    }
    if (SetOption(vm, f.editOptions(), name, v)) return;
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
        // Whole twips, cut as positions are (3.94 pixels are 78 twips).
        const auto twips = static_cast<std::int32_t>(std::trunc(std::min(px, 1e6) * 20));
        if (name == "_width") b.bounds.xMax = b.bounds.xMin + twips;
        if (name == "_height") b.bounds.yMax = b.bounds.yMin + twips;
    }
}

Value FieldGet(CallInfo& c) {
    auto f = Field(c);
    if (!f || !c.callee || c.callee->bound.empty()) return Value{};
    return Get(c.vm, *f, c.callee->bound[0].asString());
}

Value FieldSet(CallInfo& c) {
    auto f = Field(c);
    if (f && c.callee && !c.callee->bound.empty())
        Set(c.vm, *f, c.callee->bound[0].asString(), c.arg(0));
    return Value{};
}

// The character range [begin, end) that the first `count` arguments name: none for the whole
// text, one for a single character, two for a range; indices are unsigned 32-bit numbers, cut
// to the text's length.
void Range(CallInfo& c, std::size_t count, std::size_t length, std::size_t& begin,
           std::size_t& end) {
    auto index = [&](std::size_t i) {
        const auto n = static_cast<std::uint32_t>(ToInt32(c.vm.toNumber(c.args[i])));
        return std::min<std::size_t>(n, length);
    };
    begin = count >= 1 ? index(0) : 0;
    end = count >= 2 ? index(1) : count == 1 ? std::min(begin + 1, length) : length;
}

Value SetTextFormat(CallInfo& c) {
    auto f = Field(c);
    if (!f || c.args.empty()) return Value{};
    const std::size_t at = std::min<std::size_t>(c.args.size() - 1, 2);
    if (!c.args[at].isObject()) return Value{};
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
    Range(c, std::min<std::size_t>(c.args.size(), 2), PlainText(f->styled()).size(), begin, end);
    std::vector<const TextFormat*> formats;
    std::size_t pos = 0;
    for (const TextRun& run : f->styled()) {
        if (pos < end && pos + run.text.size() > begin) formats.push_back(&run.format);
        pos += run.text.size();
    }
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

// replaceText(from, to, text): indices are whole numbers from 0 (negative ones count as 0).
Value ReplaceText(CallInfo& c) {
    auto f = Field(c);
    if (!f || c.args.size() < 3) return Value{};
    auto index = [&](std::size_t i) {
        const double n = c.vm.toNumber(c.args[i]);
        return std::isfinite(n) && n > 0 ? static_cast<std::size_t>(std::min(n, 1e9)) : 0;
    };
    f->replaceText(index(0), index(1), c.vm.toString(c.args[2]));
    return Value{};
}

// replaceSel(text): the selection, or the start of the text when nothing is selected, becomes
// `text`, and the caret goes after it.
Value ReplaceSel(CallInfo& c) {
    auto f = Field(c);
    if (!f || c.args.empty()) return Value{};
    TextFieldOptions& o = f->editOptions();
    const std::size_t begin = std::max(0, std::min(o.selectionBegin, o.selectionEnd));
    const std::size_t end = std::max(0, std::max(o.selectionBegin, o.selectionEnd));
    const std::string text = c.vm.toString(c.args[0]);
    f->replaceText(begin, end, text);
    const auto caret = static_cast<int>(begin + DecodeText(text, c.vm.version() >= 6).size());
    o.selectionBegin = o.selectionEnd = caret;
    return Value{};
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
    ctor->findOwn("prototype")->flags |= kSince6;  // SWF 5 code sees the class alone
    NamedAccessors(vm, proto, kProperties, FieldGet, FieldSet);
    // Enumerable; the SWF 8 rendering properties (the first five) work only for SWF 8 code.
    for (std::size_t i = 0; i < std::size(kProperties); ++i)
        proto->findOwn(kProperties[i])->flags = i < 5 ? kSince8 : 0;
    NamedAccessors(vm, proto, kSizeProperties, FieldGet, FieldSet);
    InstallTextFieldDisplay(vm, proto);
    vm.method(proto, "replaceSel", ReplaceSel, kSince6);
    vm.method(proto, "getTextFormat", GetTextFormat, kSince6);
    vm.method(proto, "setTextFormat", SetTextFormat, kSince6);
    vm.method(proto, "getNewTextFormat", GetNewTextFormat, kSince6);
    vm.method(proto, "setNewTextFormat", SetNewTextFormat, kSince6);
    vm.method(proto, "replaceText", ReplaceText, kSince7);
    vm.method(proto, "getLineMetrics", GetLineMetrics, kSince8);
}

Object* NewTextFieldObject(Interpreter& vm, const std::shared_ptr<TextFieldState>& field) {
    Object* o = vm.newObject(Prototype(vm));
    o->textField = field;
    return o;
}

}  // namespace saver::swf::avm1
