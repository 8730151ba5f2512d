#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"
#include "lists/SentMarks.h"

namespace hanlabel {

// The print of a list, for the list print dialog and the batch command alike: PrepareListPrint,
// the send of its order, then FinishListSend. A list leaves the settings files as one member card
// job does, and its bytes are those of the member card jobs of its rows run one after another.

// What a list print reports: the member card job's outcome (the origin and layout as read back,
// a refused origin, a failure, or Composed with the order of the whole list) and the cards.
struct ListPrintOutcome : MemberCardOutcome {
    ComposedList composed; // every card composed, and the rows that could not be
};

// The member card job's settings steps once (OH1.ini and position1.ini rewritten, the origin read
// back, DPOS1.ini read, the origin checked), then the given rows composed with the window's inputs.
// Ends Composed (order.stream is composed.stream, empty when no row could be composed),
// OriginRejected or Failed; sends nothing.
ListPrintOutcome PrepareListPrint(const MemberList& list, const QList<int>& rows,
                                  const MemberCardInputs& window, const JobEnvironment& env);

// How the end of a list's send was recorded.
struct ListSendEnd {
    int whole = 0;       // the cards that reached the channel whole, now marked sent
    QString saveFailure; // why the marks could not be saved beside the list; empty when they were
};

// After the send of a prepared list: the cards wholly within the bytes that reached the channel
// are marked sent, in the list and in the marks, and the marks are saved beside the list.
ListSendEnd FinishListSend(MemberList& list, SentMarks& marks, const ComposedList& composed, qint64 sentBytes,
                           const QString& listPath);

} // namespace hanlabel
