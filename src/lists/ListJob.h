#pragma once

#include "jobs/MemberCardJob.h"
#include "lists/ListCompose.h"

namespace hanlabel {

// The print of a list, for the list print dialog and the batch command alike: PrepareListPrint,
// then its cards sent one by one under the list's run (lists/ListSend.h). A list leaves the
// settings files as one member card job does, and its bytes are those of the member card jobs of
// its rows run one after another.

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

} // namespace hanlabel
