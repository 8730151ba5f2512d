#pragma once

class QKeyEvent;

namespace hanlabel {

// Return or the keypad's Enter, without Shift, Ctrl, Alt or Meta.
bool IsEnterKey(const QKeyEvent& key);

} // namespace hanlabel
