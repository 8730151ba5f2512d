#include "ui/kit/Keys.h"

#include <QKeyEvent>

#include <algorithm>

namespace hanlabel {

bool IsEnterKey(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool TypesCharacter(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key.text();
    return !text.isEmpty() && std::none_of(text.cbegin(), text.cend(),
                                           [](QChar ch) { return ch.category() == QChar::Other_Control; });
}

} // namespace hanlabel
