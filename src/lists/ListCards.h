#pragma once

#include "compose/PieceStream.h"
#include "lists/CardSource.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

namespace hanlabel {

// How the cards of a list carry their glyphs.
enum class GlyphSending {
    // The first card of a run that uses a glyph downloads it (compressed); later cards only recall
    // it. A name that stands for two bitmaps in the list is downloaded wherever it is used.
    OncePerList,
    // Every card downloads its glyphs in plain hexadecimal, as the member card window sends one
    // card ("카드마다 글자 보내기", --glyphs-every-card).
    EveryCard,
};

// One card as composed: its bytes as a job of its own would send them, and the downloads in them.
struct CardGraphics {
    QByteArray bytes;
    QList<GraphicDownload> downloads;
};

// The cards of a list as the send asks for them, each right before it goes:
//
//     ListCards cards(composed.cardGraphics, composed.sending);   // or CardsToSend(composed)
//     cards.printerForgotGraphics();            // start of a run, a stall cleared, a new connection
//     for (int i = 0; i < cards.cardCount(); ++i) send(cards.card(i));
//
// A card leaves out the download of a graphic the printer already holds from an earlier card of
// the same run: the printer keeps downloaded graphics until it is switched off.
class ListCards final : public CardSource {
  public:
    ListCards(QList<CardGraphics> cards, GlyphSending sending);

    int cardCount() const override { return int(m_cards.size()); }
    QByteArray card(int index) override;
    void printerForgotGraphics() override { m_held.clear(); }

    // The bytes cards `from` to the last would take from now on, with what the printer holds now.
    qint64 bytesFrom(int from) const;
    // Whether the list downloads the graphic `name` on every card that uses it: two bitmaps share it.
    bool downloadsEveryTime(const QString& name) const;

  private:
    // The card's bytes, with the downloads of graphics in `held` left out and `held` updated.
    QByteArray compose(int index, QSet<QString>& held) const;

    QList<CardGraphics> m_cards;
    GlyphSending m_sending;
    QSet<QString> m_ambiguous; // names standing for more than one bitmap in the list
    QSet<QString> m_held;      // graphics downloaded in this run
};

} // namespace hanlabel
