// TextField objects for scripts: a text field on the stage, reached by its instance name from
// its timeline, as an object of the TextField class whose properties read and change the
// field's live state (player/TextFieldState): text, htmlText, html, length, textColor, border,
// background, borderColor, backgroundColor, wordWrap, multiline, password, embedFonts,
// selectable, autoSize, variable, textWidth, textHeight, _width, _height, maxChars, scroll,
// maxscroll, bottomScroll, hscroll, maxhscroll (htmlText of an HTML field written afresh from
// its formats); methods setTextFormat, getTextFormat, setNewTextFormat, getNewTextFormat and
// (SWF 8) getLineMetrics. The display properties and createTextField are in TextFieldDisplay.
//
// An object holds only a weak link to its field: once the field leaves the stage its
// properties read undefined and writes do nothing. A field has one object
// (ScriptRunner::textFieldObject), so what scripts store on it stays.
//
// Failure: none.
#pragma once

#include <memory>

#include "swf/avm1/Interpreter.h"
#include "swf/player/TextFieldState.h"

namespace saver::swf::avm1 {

void InstallTextFieldBuiltins(Interpreter& vm);

// A fresh object for `field`; ScriptRunner::textFieldObject keeps the one of each field.
Object* NewTextFieldObject(Interpreter& vm, const std::shared_ptr<TextFieldState>& field);

}  // namespace saver::swf::avm1
