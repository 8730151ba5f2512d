#include "lists/ListCompose.h"

#include "compose/TextField.h"
#include "core/Failure.h"
#include "core/Numeric.h"

#include <QRegularExpression>

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
                               const QStringList& layout, ChannelKind kind, GlyphSource& glyphs,
                               GlyphSending sending) {
    ComposedList out;
    out.sending = sending;
    const GraphicData graphics =
        sending == GlyphSending::OncePerList ? GraphicData::Compressed : GraphicData::Plain;
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
            const PieceStream pieces = ComposeMemberCardPieces(card, layout, kind, glyphs, graphics);
            out.cards.append({index, row.line, 0, 0});
            out.cardGraphics.append({pieces.bytes(), pieces.downloads()});
            if (const QStringList reasons = CardWarnings(card, layout); !reasons.isEmpty())
                out.warnings.append({index, row.line, reasons.join(QStringLiteral(", "))});
        } catch (const Failure& failure) {
            out.errors.append({index, row.line, failure.message()});
        }
    }
    ListCards cards = CardsToSend(out);
    for (int i = 0; i < out.cards.size(); ++i) {
        out.cards[i].begin = out.stream.size();
        out.stream += cards.card(i);
        out.cards[i].end = out.stream.size();
    }
    return out;
}

ListCards CardsToSend(const ComposedList& composed) {
    return ListCards(composed.cardGraphics, composed.sending);
}

namespace {

// The print width the layout sets ("^PW680"), the last one winning as on the printer; nothing
// when the layout sets none.
std::optional<int> PrintWidth(const QStringList& layout) {
    static const QRegularExpression pw(QStringLiteral("\\^PW\\s*(\\d+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    std::optional<int> width;
    for (const QString& line : layout) {
        for (auto it = pw.globalMatch(line); it.hasNext();)
            width = it.next().captured(1).toInt();
    }
    return width;
}

} // namespace

QStringList CardWarnings(const MemberCardInputs& card, const QStringList& layout) {
    QStringList reasons;
    if (card.memberNumberSecond.isEmpty())
        reasons << QStringLiteral("회원번호 뒷부분이 비어 \"%1-\"로 인쇄됩니다").arg(card.memberNumberFirst);
    const std::optional<int> width = PrintWidth(layout);
    if (width && layout.size() >= 5) {
        const int home = DotPositionFromText(card.originX);
        const struct {
            QString caption, text, x;
        } fields[] = {{QStringLiteral("소속"), card.affiliation, layout[1]},
                      {QStringLiteral("성명"), card.name, layout[3]}};
        for (const auto& field : fields) {
            const int end = home + DotPositionFromText(field.x) + TextFieldWidth(field.text);
            if (!field.text.isEmpty() && end > *width)
                reasons << QStringLiteral("%1이 라벨 폭(%2점)을 넘습니다").arg(field.caption).arg(*width);
        }
    }
    return reasons;
}

void MarkCardWarnings(MemberList& list, const MemberCardInputs& window, const QStringList& layout) {
    for (ListRow& row : list.rows)
        row.warning = row.status == RowStatus::Ready
                          ? CardWarnings(CardInputs(row, window), layout).join(QStringLiteral(", "))
                          : QString();
}

void MarkComposeErrors(MemberList& list, const ComposedList& composed) {
    for (const ComposeError& e : composed.errors) {
        ListRow& row = list.rows[e.row];
        row.status = RowStatus::Error;
        row.error = e.message;
    }
    for (const ComposeError& w : composed.warnings)
        list.rows[w.row].warning = w.message;
}

} // namespace hanlabel
