#pragma once

#include "core/LineBreak.h"

#include <QStringView>

class QLineEdit;

namespace hanlabel {

// What a one-line box does with the line breaks of text pasted, dropped or set into it.
enum class PastedBreaks {
    KeepFirstLine, // the text is kept up to its first line break
    Drop,          // every line break is left out, the rest kept (printer command fragments)
};

// Makes a box hold one line however text comes in (typed, pasted, dropped, composed or set): a line
// break (CR, LF, VT, FF, U+0085, U+2028, U+2029) in the new text is handled as given and never stays.
void MakeOneLine(QLineEdit* box, PastedBreaks breaks);

// Limits a one-line box to a number of characters (code points): a surrogate pair counts as one
// and is never split; text that does not fit is cut at its end. Makes the box one-line
// (KeepFirstLine) if it was not yet.
void SetCharacterLimit(QLineEdit* box, int limit);
// The box's character limit; 0 when it has none.
int CharacterLimit(const QLineEdit* box);

// The number of characters (code points) of a text; a lone surrogate counts as one.
qsizetype CharacterCount(QStringView text);
// True when the text holds half a character: a surrogate without its partner.
bool HasLoneSurrogate(QStringView text);

} // namespace hanlabel
