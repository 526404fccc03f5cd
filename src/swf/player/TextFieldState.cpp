#include "swf/player/TextFieldState.h"

#include "swf/player/HtmlText.h"

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
    if (utf8 == htmlSource_ && !text_.empty()) return;
    htmlSource_ = utf8;
    text_ = ParseHtmlText(DecodeText(utf8, true), newFormat_);
    dirty_ = true;
}

const EditTextLayout& TextFieldState::layout(const Movie& movie, const FontSource* fonts) {
    if (dirty_ || laidWith_ != fonts) {
        layout_ = LayOutTextField(box_, text_, movie, fonts);
        dirty_ = false;
        laidWith_ = fonts;
    }
    return layout_;
}

}  // namespace saver::swf
