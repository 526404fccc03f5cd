// TextFieldState: a placed text field as it lives on: its box (bounds, wrap, frame, ...), its
// styled text, the format new text takes, the timeline variable it shows, and its layout,
// redone only when something changed. Made from the DefineEditText when the field is first
// drawn or bound; scripts change it afterwards.
//
// Failure: none.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "swf/format/SwfMovie.h"
#include "swf/player/EditTextLayout.h"
#include "swf/player/FontSource.h"
#include "swf/player/TextFieldOptions.h"
#include "swf/player/TextFormat.h"

namespace saver::swf {

class TimelineInstance;

class TextFieldState {
  public:
    TextFieldState(const EditText& field, const Movie& movie);

    const TextFieldBox& box() const { return box_; }
    TextFieldBox& editBox();  // the layout is redone after a change through it
    bool html() const { return html_; }
    void setHtml(bool html) { html_ = html; }
    const TextFieldOptions& options() const { return options_; }
    TextFieldOptions& editOptions() { return options_; }
    const std::string& variable() const { return variable_; }
    void setVariable(std::string name) { variable_ = std::move(name); }

    // The text without formats, as UTF-8.
    std::string text() const;
    // Replaces the text; it takes the new-text format.
    void setText(const std::string& utf8);
    // Replaces the text with parsed HTML (the new-text format as its base); tags left open
    // become the new-text format. The same HTML again is not parsed again (SWF 8: unless the
    // base changed since).
    void setHtmlText(const std::string& utf8);
    // Replaces the characters [from, to) with `utf8` (line feeds become paragraph ends). The new
    // characters take the format of the character at `to`, or the new-text format at the end;
    // `from` past the end appends; `to` before `from` changes nothing.
    void replaceText(std::size_t from, std::size_t to, const std::string& utf8);
    const std::string& htmlSource() const { return htmlSource_; }
    const StyledText& styled() const { return text_; }
    StyledText& editStyled();  // the layout is redone after a change through it

    const TextFormat& newFormat() const { return newFormat_; }
    void setNewFormat(const TextFormat& f) { newFormat_ = f; }

    // The layout for the current state, redone when the state or the font source changed.
    const EditTextLayout& layout(const Movie& movie, const FontSource* fonts);
    // The layout to draw the field with when placed by `matrix` on a view of `viewScaleX` /
    // `viewScaleY` view pixels a stage pixel: the layout above, or for device text shown at
    // another scale, the text laid out again at that scale (DeviceScaledLayout).
    const EditTextLayout& layoutFor(const Movie& movie, const FontSource* fonts,
                                    const Matrix& matrix, double viewScaleX, double viewScaleY);
    // The layout for measuring from scripts: with the fonts it was last drawn with, or before
    // the first drawing with the system fonts of the player showing it (none without an owner).
    const EditTextLayout& currentLayout();

    // Scrolling: the top line shown (from 1) and the twips the text moves left, each kept
    // within what the current text allows (TextScroll).
    int scroll();
    void setScroll(double line);
    double hscroll();
    void setHScroll(double twips);

    // The timeline whose display list shows the field, once scripts reached it (null before,
    // and after that timeline is gone).
    std::shared_ptr<TimelineInstance> owner() const { return owner_.lock(); }
    void setOwner(std::weak_ptr<TimelineInstance> owner) { owner_ = std::move(owner); }

  private:
    const Movie* movie_;
    TextFieldBox box_;
    bool html_ = false;
    std::string variable_;
    TextFieldOptions options_;
    StyledText text_;
    std::string htmlSource_;
    TextFormat newFormat_;
    TextFormat parsedBase_;         // the new-text format the last HTML was parsed on
    bool parsedMultiline_ = false;  // and whether the field was multiline then
    bool parsedCondensed_ = false;  // and condensed white space
    bool dirty_ = true;
    const FontSource* laidWith_ = nullptr;
    EditTextLayout layout_;
    std::optional<EditTextLayout> scaled_;  // the last layout at a device scale
    std::weak_ptr<TimelineInstance> owner_;
    int scroll_ = 1;
    double hscroll_ = 0;
};

}  // namespace saver::swf
