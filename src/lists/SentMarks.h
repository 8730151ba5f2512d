#pragma once

#include "lists/ListCompose.h"
#include "lists/MemberList.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

namespace hanlabel {

// Which cards of a list were handed whole to the channel, kept in a small file beside the list
// ("명단.csv" → "명단.csv.sent") so that a list opened again shows them and is not printed twice.
// The file is UTF-8 text: the line "hanlabel sent 1", then one line a card:
//   "<line>\t<fingerprint>"      the card reached the printer (the row's line and the fingerprint
//                                of its values);
//   "?\t<line>\t<fingerprint>"   the card was about to go: without a later line of the first kind
//                                for it, nobody knows whether it printed;
//   "-\t<line>\t<fingerprint>"   the card on its way was stopped before its last byte left: it
//                                did not print.
// A run appends these as a journal (MarksJournal) and rewrites the compact form at its end.
class SentMarks {
  public:
    struct Mark {
        int line = 0;
        QByteArray fingerprint;
        bool operator==(const Mark&) const = default;
        friend size_t qHash(const Mark& mark, size_t seed = 0) {
            return qHashMulti(seed, mark.line, mark.fingerprint);
        }
    };

    // The marks file of a list file.
    static QString PathFor(const QString& listPath);

    // The marks in a file; none when the file does not exist. A last line cut short (the program
    // ended while writing it) is left out. Throws Failure when it cannot be read or is no marks file.
    static SentMarks Load(const QString& path);

    // Writes the marks in their compact form, replacing the file at once (never half written).
    // Throws Failure.
    void save(const QString& path) const;

    // The row's card reached the printer; it is no longer in doubt.
    void add(const ListRow& row);
    // The row's card may have printed.
    void addUncertain(const ListRow& row);
    void clear();
    const QList<Mark>& marks() const { return m_marks; }
    const QList<Mark>& uncertain() const { return m_uncertain; }

  private:
    QList<Mark> m_marks;
    QList<Mark> m_uncertain;
    QSet<Mark> m_sentSet; // the same as m_marks, for look-ups
};

// Sets each row's `sent` and `uncertain` from the marks, in time linear in rows and marks. A mark
// belongs to the row at its line with its fingerprint; a mark left over belongs to the first row
// left with its fingerprint (lines were added or removed above it). A row whose values changed
// matches no mark, so an edited list never marks another person.
void ApplySentMarks(MemberList& list, const SentMarks& marks);

// Marks the first `count` cards of a composed list as sent, in the list and in the marks.
void MarkCardsSent(MemberList& list, SentMarks& marks, const ComposedList& composed, int count);

// The marks file of one run, open for appending: each line is on the disk (fdatasync) before the
// call returns, so a run that ends without warning (SIGKILL, a power cut) leaves at most one card
// in doubt. Used from the sending thread only.
class MarksJournal {
  public:
    // Opens (creating it when missing) the marks file of the list for appending, before anything
    // is sent. Throws Failure naming the file, the reason and where a copy of the list can go.
    static std::unique_ptr<MarksJournal> Open(const QString& listPath);
    ~MarksJournal();
    MarksJournal(const MarksJournal&) = delete;
    MarksJournal& operator=(const MarksJournal&) = delete;

    // Before the card's first byte. Throws Failure when the line cannot be written.
    void sending(const ListRow& row);
    // Once the card reached the printer.
    void sent(const ListRow& row);
    // The card's last byte never left.
    void notSent(const ListRow& row);

  private:
    MarksJournal(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    void append(const QByteArray& line);

    int m_fd = -1;
    QString m_path;
};

// "…에 쓸 수 없습니다" of a file beside the list: its name, the reason, and where a copy of the list
// can be saved and printed from instead.
QString BesideListFailure(const QString& what, const QString& path, const QString& reason);

} // namespace hanlabel
