#include "ui/kit/OneLineText.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace hanlabel {

namespace {

// The text without line breaks: cut at the first one, or with all of them left out.
QString WithoutBreaks(QStringView text, PastedBreaks breaks) {
    if (breaks == PastedBreaks::KeepFirstLine) {
        const auto end = std::find_if(text.begin(), text.end(), IsLineBreak);
        return text.first(end - text.begin()).toString();
    }
    QString kept;
    kept.reserve(text.size());
    for (QChar ch : text)
        if (!IsLineBreak(ch))
            kept.append(ch);
    return kept;
}

// Removes up to count characters from the end of the text, a surrogate pair as one; returns how
// many were still to remove when the text ran out.
qsizetype DropLastCharacters(QString& text, qsizetype count) {
    for (; count > 0 && !text.isEmpty(); --count) {
        const qsizetype size = text.size();
        const bool pair = size >= 2 && text[size - 1].isLowSurrogate() && text[size - 2].isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
    return count;
}

// Keeps a box to one line and, with a limit, to that many characters. It sees the whole text after
// an edit, with the cursor at the end of what the edit put in.
class OneLineValidator : public QValidator {
  public:
    OneLineValidator(QLineEdit* box, PastedBreaks breaks)
        : QValidator(box), m_breaks(breaks), m_before(box->text()) {
        // The text before the next edit, to tell an edit that keeps nothing.
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
    }

    void setBreaks(PastedBreaks breaks) { m_breaks = breaks; }
    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }

    State validate(QString& input, int& pos) const override {
        const bool hasBreak = std::any_of(input.cbegin(), input.cend(), IsLineBreak);
        if (!hasBreak && (m_limit <= 0 || CharacterCount(input) <= m_limit))
            return Acceptable;
        // What the edit put in ends at the cursor; after the cursor lies the rest of the box.
        const qsizetype cursor = std::clamp<qsizetype>(pos, 0, input.size());
        QString head = WithoutBreaks(QStringView(input).first(cursor), m_breaks);
        QString tail = WithoutBreaks(QStringView(input).sliced(cursor), m_breaks);
        if (m_limit > 0) {
            const qsizetype excess = CharacterCount(head) + CharacterCount(tail) - m_limit;
            DropLastCharacters(tail, DropLastCharacters(head, excess));
        }
        QString fixed = head + tail;
        // Nothing of the edit is left: refuse it, so the box keeps its cursor and undo steps.
        if (fixed == m_before)
            return Invalid;
        input = std::move(fixed);
        pos = int(head.size());
        return Acceptable;
    }

  private:
    PastedBreaks m_breaks;
    int m_limit = 0;
    QString m_before;
};

OneLineValidator* RulesOf(const QLineEdit* box) {
    return dynamic_cast<OneLineValidator*>(const_cast<QValidator*>(box->validator()));
}

} // namespace

void MakeOneLine(QLineEdit* box, PastedBreaks breaks) {
    if (OneLineValidator* rules = RulesOf(box))
        rules->setBreaks(breaks);
    else
        box->setValidator(new OneLineValidator(box, breaks));
}

void SetCharacterLimit(QLineEdit* box, int limit) {
    if (!RulesOf(box))
        MakeOneLine(box, PastedBreaks::KeepFirstLine);
    RulesOf(box)->setLimit(limit);
}

int CharacterLimit(const QLineEdit* box) {
    const OneLineValidator* rules = RulesOf(box);
    return rules ? rules->limit() : 0;
}

qsizetype CharacterCount(QStringView text) {
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    return count;
}

bool HasLoneSurrogate(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace hanlabel
