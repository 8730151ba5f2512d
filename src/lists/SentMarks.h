#pragma once

#include "lists/ListCompose.h"
#include "lists/MemberList.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace hanlabel {

// Which cards of a list were handed whole to the channel, kept in a small file beside the list
// ("명단.csv" → "명단.csv.sent") so that a list opened again shows them and is not printed twice.
// The file is UTF-8 text: the line "hanlabel sent 1", then one line a card, "<line>\t<fingerprint>",
// the row's line in the list and the fingerprint of its values.
class SentMarks {
  public:
    struct Mark {
        int line = 0;
        QByteArray fingerprint;
        bool operator==(const Mark&) const = default;
    };

    // The marks file of a list file.
    static QString PathFor(const QString& listPath);

    // The marks in a file; none when the file does not exist. Throws Failure when it cannot be read
    // or is no marks file.
    static SentMarks Load(const QString& path);

    // Writes the marks, replacing the file at once (never half written). Throws Failure.
    void save(const QString& path) const;

    void add(const ListRow& row);
    void clear() { m_marks.clear(); }
    const QList<Mark>& marks() const { return m_marks; }

  private:
    QList<Mark> m_marks;
};

// Sets each row's `sent` from the marks. A mark belongs to the row at its line with its fingerprint;
// a mark left over belongs to the first row left with its fingerprint (lines were added or removed
// above it). A row whose values changed matches no mark, so an edited list never marks another person.
void ApplySentMarks(MemberList& list, const SentMarks& marks);

// Marks the first `count` cards of a composed list as sent, in the list and in the marks.
void MarkCardsSent(MemberList& list, SentMarks& marks, const ComposedList& composed, int count);

} // namespace hanlabel
