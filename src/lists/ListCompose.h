#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/ListCards.h"
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

// The cards of a list, composed completely. `stream` is what one run sends to a printer that
// holds none of the list's graphics: with GlyphSending::EveryCard the member card jobs of the rows
// one after another, with OncePerList the same cards where each glyph is downloaded (compressed)
// by the first card that uses it only.
struct ComposedList {
    QByteArray stream;
    QList<ComposedCard> cards;
    QList<ComposeError> errors;
    QList<ComposeError> warnings; // cards composed and sent that need a look (확인 필요)
    GlyphSending sending = GlyphSending::OncePerList;
    QList<CardGraphics> cardGraphics; // per card, every download in it, for a send card by card

    // How many cards lie wholly within the first `sentBytes` bytes of the stream.
    int cardsWithin(qint64 sentBytes) const;
};

// Composes every given row that is ready through ComposeMemberCardPieces, with the window's
// inputs; a row it throws Failure for becomes an error and the others are kept, a card that
// CardWarnings finds fault with becomes a warning and is kept as composed. Sends nothing.
ComposedList ComposeMemberList(const MemberList& list, const QList<int>& rows, const MemberCardInputs& window,
                               const QStringList& layout, ChannelKind kind, GlyphSource& glyphs,
                               GlyphSending sending = GlyphSending::OncePerList);

// The cards of a composed list for a send card by card, holding no graphic yet.
ListCards CardsToSend(const ComposedList& composed);

// Why a card that prints as the member card window prints it needs a look before it is handed
// out, in Korean; empty when nothing is wrong: a member number whose second part is empty
// ("20211" prints "20211-"), an affiliation or a name that runs past the label's width (the last
// "^PW" of the layout lines, from the origin and the field's position).
QStringList CardWarnings(const MemberCardInputs& card, const QStringList& layout);

// Gives every ready row the warnings of its card with the window's inputs (empty when none), so
// that an open list shows them before it is printed.
void MarkCardWarnings(MemberList& list, const MemberCardInputs& window, const QStringList& layout);

// Makes the rows that could not be composed error rows with the job's message, and gives the rows
// with warnings their reasons (ListRow::warning).
void MarkComposeErrors(MemberList& list, const ComposedList& composed);

} // namespace hanlabel
