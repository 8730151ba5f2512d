#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/MemberList.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace hanlabel {

// Composing a list's cards before anything is sent (PrepareListPrint in ListJob.h does it for a
// print). The list is one job on the channel, opened once. "이어서 인쇄" is the same print again:
// RowsToPrint leaves out the rows marked sent, so it starts at FirstUnsentRow.

// Which rows a print takes.
struct RowSelection {
    int fromLine = 0;         // the first physical line to take; 0 for the whole list
    bool includeSent = false; // also rows marked sent (only when the operator asks to print again)
    bool skipUncertain = false; // leave out the rows whose card may have printed in a run that ended unseen
};

// The indexes (into list.rows) of the ready rows a print takes, in list order.
QList<int> RowsToPrint(const MemberList& list, const RowSelection& selection);

// The index of the first ready row not marked sent, where "이어서 인쇄" starts; -1 when none is left.
int FirstUnsentRow(const MemberList& list);

// One card's inputs: the window's channel, framing, origin and mask choice, the row's affiliation,
// name and member number parts.
MemberCardInputs CardInputs(const ListRow& row, const MemberCardInputs& window);

// One composed card: its row and where its bytes stand in the stream.
struct ComposedCard {
    int row = 0;  // index into list.rows
    int line = 0; // the row's line in the file
    qsizetype begin = 0, end = 0;
};

// A row that could not be composed (a character with no glyph and no font, an overflow).
struct ComposeError {
    int row = 0;
    int line = 0;
    QString message; // the job's message
};

// The cards of a list, composed completely, one after another as separate member card jobs would be.
struct ComposedList {
    QByteArray stream;
    QList<ComposedCard> cards;
    QList<ComposeError> errors;

    // How many cards lie wholly within the first `sentBytes` bytes of the stream.
    int cardsWithin(qint64 sentBytes) const;
};

// Composes every given row that is ready through ComposeMemberCard, with the window's inputs;
// a row it throws Failure for becomes an error and the others are kept. Sends nothing.
ComposedList ComposeMemberList(const MemberList& list, const QList<int>& rows, const MemberCardInputs& window,
                               const QStringList& layout, ChannelKind kind, GlyphSource& glyphs);

// Makes the rows that could not be composed error rows with the job's message.
void MarkComposeErrors(MemberList& list, const ComposedList& composed);

} // namespace hanlabel
