#include "lists/ListCompose.h"

#include "core/Failure.h"

#include <algorithm>

namespace hanlabel {

QList<int> RowsToPrint(const MemberList& list, const RowSelection& selection) {
    QList<int> rows;
    for (int i = 0; i < list.rows.size(); ++i) {
        const ListRow& row = list.rows[i];
        if (row.status == RowStatus::Ready && row.line >= selection.fromLine &&
            (selection.includeSent || !row.sent) && !(selection.skipUncertain && row.uncertain))
            rows.append(i);
    }
    return rows;
}

int FirstUnsentRow(const MemberList& list) {
    const auto it = std::find_if(list.rows.begin(), list.rows.end(),
                                 [](const ListRow& r) { return r.status == RowStatus::Ready && !r.sent; });
    return it == list.rows.end() ? -1 : int(it - list.rows.begin());
}

MemberCardInputs CardInputs(const ListRow& row, const MemberCardInputs& window) {
    MemberCardInputs in = window;
    in.affiliation = row.affiliation;
    in.name = row.name;
    in.memberNumberFirst = row.numberFirst;
    in.memberNumberSecond = row.numberSecond;
    return in;
}

int ComposedList::cardsWithin(qint64 sentBytes) const {
    const auto it = std::upper_bound(cards.begin(), cards.end(), sentBytes,
                                     [](qint64 bytes, const ComposedCard& card) { return bytes < card.end; });
    return int(it - cards.begin());
}

ComposedList ComposeMemberList(const MemberList& list, const QList<int>& rows, const MemberCardInputs& window,
                               const QStringList& layout, ChannelKind kind, GlyphSource& glyphs) {
    ComposedList out;
    for (const int index : rows) {
        const ListRow& row = list.rows.at(index);
        if (row.status != RowStatus::Ready)
            continue;
        const MemberCardInputs card = CardInputs(row, window);
        if (const auto refused = RefuseMemberNumber(card, layout, false)) {
            out.errors.append({index, row.line, refused->message});
            continue;
        }
        try {
            const QByteArray bytes = ComposeMemberCard(card, layout, kind, glyphs);
            out.cards.append({index, row.line, out.stream.size(), out.stream.size() + bytes.size()});
            out.stream += bytes;
        } catch (const Failure& failure) {
            out.errors.append({index, row.line, failure.message()});
        }
    }
    return out;
}

void MarkComposeErrors(MemberList& list, const ComposedList& composed) {
    for (const ComposeError& e : composed.errors) {
        ListRow& row = list.rows[e.row];
        row.status = RowStatus::Error;
        row.error = e.message;
    }
}

} // namespace hanlabel
