#include "swf/player/TextFieldState.h"

#include <algorithm>
#include <cmath>

#include "swf/player/DeviceScaledLayout.h"
#include "swf/player/HtmlText.h"
#include "swf/player/TextScroll.h"
#include "swf/player/TimelineInstance.h"

namespace saver::swf {

TextFieldState::TextFieldState(const EditText& field, const Movie& movie)
    : movie_(&movie),
      box_(BoxOf(field)),
      html_(field.html),
      variable_(field.variableName),
      text_(InitialText(field, movie)),
      newFormat_(FormatOf(field, movie)) {
    if (field.html && field.initialText) htmlSource_ = *field.initialText;
    options_.editable = !field.readOnly;
    options_.selectable = !field.noSelect;
    options_.maxChars = field.maxLength.value_or(0);
    if (const auto& settings = field.textSettings) {
        static constexpr const char* kGridFit[] = {"none", "pixel", "subpixel"};
        options_.advancedAntiAlias = settings->advanced;
        if (settings->gridFit < 3) options_.gridFitType = kGridFit[settings->gridFit];
        options_.thickness = settings->thickness;
        options_.sharpness = settings->sharpness;
    }
}

TextFieldBox& TextFieldState::editBox() {
    dirty_ = true;
    return box_;
}

StyledText& TextFieldState::editStyled() {
    dirty_ = true;
    return text_;
}

std::string TextFieldState::text() const {
    return EncodeUtf8(PlainText(text_));
}

void TextFieldState::setText(const std::string& utf8) {
    const std::u32string decoded = DecodeText(utf8, true);
    if (text_.size() == 1 && text_[0].text == decoded && text_[0].format == newFormat_) return;
    text_.clear();
    if (!decoded.empty()) text_.push_back({decoded, newFormat_});
    htmlSource_.clear();
    dirty_ = true;
}

void TextFieldState::setHtmlText(const std::string& utf8) {
    // Players before SWF 8 leave the same HTML alone; later ones parse it again on the format
    // its open tags left.
    if (utf8 == htmlSource_ && !text_.empty() && box_.multiline == parsedMultiline_ &&
        options_.condenseWhite == parsedCondensed_ &&
        (newFormat_ == parsedBase_ || movie_->header.version < 8))
        return;
    parsedMultiline_ = box_.multiline;
    parsedCondensed_ = options_.condenseWhite;
    htmlSource_ = utf8;
    // Tags the HTML leaves open go on into the text set after it.
    parsedBase_ = newFormat_;
    text_ = ParseHtmlText(DecodeText(utf8, true), newFormat_, &newFormat_,
                          {box_.multiline, movie_->header.version, options_.condenseWhite});
    dirty_ = true;
}

void TextFieldState::replaceText(std::size_t from, std::size_t to, const std::string& utf8) {
    if (to < from) return;
    std::u32string with;
    for (char32_t c : DecodeText(utf8, movie_->header.version >= 6))
        with.push_back(c == U'\n' ? U'\r' : c);
    const std::u32string plain = PlainText(text_);
    from = std::min(from, plain.size());
    to = std::min(to, plain.size());
    StyledText out;
    TextFormat inserted = newFormat_;
    std::size_t pos = 0;
    auto add = [&](std::u32string text, const TextFormat& format) {
        if (text.empty()) return;
        if (!out.empty() && out.back().format == format)
            out.back().text += text;
        else
            out.push_back({std::move(text), format});
    };
    for (const TextRun& run : text_) {
        const std::size_t end = pos + run.text.size();
        if (to >= pos && to < end) inserted = run.format;
        pos = end;
    }
    pos = 0;
    bool placed = false;
    for (const TextRun& run : text_) {
        const std::size_t end = pos + run.text.size();
        if (!placed && from <= end && (from < end || &run == &text_.back())) {
            add(run.text.substr(0, from - pos), run.format);
            add(with, inserted);
            placed = true;
        } else if (!placed) {
            add(run.text, run.format);
        }
        if (placed && to < end) add(run.text.substr(std::max(to, pos) - pos), run.format);
        pos = end;
    }
    if (!placed) add(with, inserted);
    text_ = std::move(out);
    htmlSource_.clear();
    dirty_ = true;
}

const EditTextLayout& TextFieldState::layout(const Movie& movie, const FontSource* fonts) {
    if (dirty_ || laidWith_ != fonts) {
        layout_ = LayOutTextField(box_, text_, movie, fonts);
        dirty_ = false;
        laidWith_ = fonts;
        // New text keeps the scroll where it still can be.
        scroll_ = std::clamp(scroll_, 1, MaxScroll(layout_));
        hscroll_ = std::clamp(hscroll_, 0.0, MaxHScroll(layout_));
    }
    layout_.scrollY = ScrollOffset(layout_, scroll_);
    layout_.scrollX = hscroll_;
    return layout_;
}

const EditTextLayout& TextFieldState::layoutFor(const Movie& movie, const FontSource* fonts,
                                                const Matrix& matrix, double viewScaleX,
                                                double viewScaleY) {
    const bool fresh = dirty_ || laidWith_ != fonts;
    const EditTextLayout& own = layout(movie, fonts);
    if (!NeedsDeviceScale(box_, matrix, viewScaleX, viewScaleY)) return own;
    const double sx = matrix.a * viewScaleX, sy = matrix.d * viewScaleY;
    if (fresh || !scaled_ || scaled_->deviceScaleX != sx || scaled_->deviceScaleY != sy)
        scaled_ = DeviceScaledLayout(own, box_, text_, movie, fonts, sx, sy);
    scaled_->scrollY = ScrollOffset(*scaled_, scroll_);
    scaled_->scrollX = hscroll_ * sx;
    return *scaled_;
}

const EditTextLayout& TextFieldState::currentLayout() {
    // A script may measure a field before it is first drawn (textWidth in the frame that
    // placed it); it sees the sizes the player will draw with.
    const FontSource* fonts = laidWith_;
    if (!fonts)
        if (auto timeline = owner()) fonts = timeline->context().fonts;
    return layout(*movie_, fonts);
}

int TextFieldState::scroll() {
    currentLayout();
    return scroll_;
}

void TextFieldState::setScroll(double line) {
    if (!std::isfinite(line)) return;
    // The player's conversion of the line number overflows somewhere past 767100486418432.9
    // (found by trying): larger numbers scroll to the top.
    if (line >= 767100486418433.0) line = 1;
    const int max = MaxScroll(currentLayout());
    scroll_ = static_cast<int>(std::clamp(std::trunc(line), 1.0, double(max)));
}

double TextFieldState::hscroll() {
    currentLayout();
    return hscroll_;
}

void TextFieldState::setHScroll(double twips) {
    if (!std::isfinite(twips)) return;
    hscroll_ = std::clamp(std::trunc(twips), 0.0, MaxHScroll(currentLayout()));
}

}  // namespace saver::swf
