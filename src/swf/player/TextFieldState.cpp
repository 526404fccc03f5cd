#include "swf/player/TextFieldState.h"

#include <algorithm>
#include <cmath>

#include "swf/player/DeviceScaledLayout.h"
#include "swf/player/HtmlText.h"
#include "swf/player/TextScroll.h"

namespace saver::swf {

TextFieldState::TextFieldState(const EditText& field, const Movie& movie)
    : movie_(&movie),
      box_(BoxOf(field)),
      html_(field.html),
      variable_(field.variableName),
      text_(InitialText(field, movie)),
      newFormat_(FormatOf(field, movie)) {
    if (field.html && field.initialText) htmlSource_ = *field.initialText;
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
    if (utf8 == htmlSource_ && !text_.empty() &&
        (newFormat_ == parsedBase_ || movie_->header.version < 8))
        return;
    htmlSource_ = utf8;
    // Tags the HTML leaves open go on into the text set after it.
    parsedBase_ = newFormat_;
    text_ = ParseHtmlText(DecodeText(utf8, true), newFormat_, &newFormat_);
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

int TextFieldState::scroll() {
    currentLayout();
    return scroll_;
}

void TextFieldState::setScroll(double line) {
    if (!std::isfinite(line)) return;
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
