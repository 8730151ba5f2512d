#pragma once

class QKeyEvent;

namespace hanlabel {

// Return or the keypad's Enter, without Shift, Ctrl, Alt or Meta.
bool IsEnterKey(const QKeyEvent& key);

// A key that types a character into a box: it carries printable text and no Ctrl, Alt or Meta
// (Tab, Enter, Backspace, arrows and modifiers alone type nothing).
bool TypesCharacter(const QKeyEvent& key);

} // namespace hanlabel
