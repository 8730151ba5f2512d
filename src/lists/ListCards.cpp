#include "lists/ListCards.h"

namespace hanlabel {

namespace {

// Graphic names that differ only in case are taken for one: no printer is trusted to keep them apart.
QString NameKey(const QString& name) { return name.toUpper(); }

} // namespace

ListCards::ListCards(QList<CardGraphics> cards, GlyphSending sending)
    : m_cards(std::move(cards)), m_sending(sending) {
    QHash<QString, QByteArray> bitmaps;
    for (const CardGraphics& card : m_cards) {
        for (const GraphicDownload& download : card.downloads) {
            const QString key = NameKey(download.name);
            const auto known = bitmaps.constFind(key);
            if (known == bitmaps.constEnd())
                bitmaps.insert(key, download.bitmap.toUpper());
            else if (*known != download.bitmap.toUpper())
                m_ambiguous.insert(key);
        }
    }
}

bool ListCards::downloadsEveryTime(const QString& name) const {
    return m_sending == GlyphSending::EveryCard || m_ambiguous.contains(NameKey(name));
}

QByteArray ListCards::compose(int index, QSet<QString>& held) const {
    const CardGraphics& card = m_cards.at(index);
    if (m_sending == GlyphSending::EveryCard)
        return card.bytes;
    QByteArray out;
    out.reserve(card.bytes.size());
    qsizetype at = 0;
    for (const GraphicDownload& download : card.downloads) {
        const QString key = NameKey(download.name);
        if (m_ambiguous.contains(key))
            continue;
        if (held.contains(key)) {
            out += QByteArrayView(card.bytes).sliced(at, download.begin - at);
            at = download.end;
        } else {
            held.insert(key);
        }
    }
    out += QByteArrayView(card.bytes).sliced(at);
    return out;
}

QByteArray ListCards::card(int index) { return compose(index, m_held); }

qint64 ListCards::bytesFrom(int from) const {
    QSet<QString> held = m_held;
    qint64 bytes = 0;
    for (int i = from; i < m_cards.size(); ++i)
        bytes += compose(i, held).size();
    return bytes;
}

} // namespace hanlabel
