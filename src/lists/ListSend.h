#pragma once

#include "channels/CardSend.h"
#include "channels/SendControl.h"
#include "channels/Transport.h"
#include "lists/CardSource.h"
#include "lists/ListCompose.h"
#include "lists/ListLock.h"
#include "lists/SentMarks.h"
#include "preview/ZplRenderer.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>

class QThread;

namespace hanlabel {

// Sending a list card by card, for the list print dialog and the batch command:
//
//     ListRun run(listPath, program, list, marks);       // lock, marks read again, journal open
//     ... RowsToPrint (now without what another desk printed meanwhile), compose ...
//     auto* job = new CardSendJob(OpenTransport(...), std::make_unique<ListCards>(CardsToSend(composed)));
//     run.watch(job->watch(), list, CardRows(composed));  // the journal, on the sending thread
//     cardDelivered(card):  run.delivered(card)           // the row marked sent
//     stopAfterCard() / cancel(): the two ways to end early
//     finished:             run.finish(job->cardInDoubt())   // compact marks, lock released
//
// Each card's marks are on the disk before its first byte and after it reached the printer, so a
// run that ends in any way leaves at most the card on its way in doubt.

// The cards of a list sliced from the composed stream as they stand (a per-card composition
// carries each card's own graphics); the tests send through it.
class PlainCardSource final : public CardSource {
  public:
    explicit PlainCardSource(ComposedList composed) : m_composed(std::move(composed)) {}
    int cardCount() const override { return int(m_composed.cards.size()); }
    QByteArray card(int index) override;
    void printerForgotGraphics() override {}

  private:
    ComposedList m_composed;
};

// The row (index into list.rows) of each card of a composed list.
QList<int> CardRows(const ComposedList& composed);

// Sends a list's cards on a worker thread, as SendJob sends a stream: the signals arrive on the
// thread that made the job, `finished` last and once. Deleting a running job cancels it and waits.
class CardSendJob : public QObject {
    Q_OBJECT
  public:
    CardSendJob(std::unique_ptr<Transport> transport, std::unique_ptr<CardSource> cards,
                QObject* parent = nullptr);
    ~CardSendJob() override;

    void setStallAfter(std::chrono::milliseconds stallAfter) { m_control.stallAfter = stallAfter; }
    // Keeps the virtual printer's picture of a "preview:" list for picture(), as SendJob does;
    // set before start().
    void keepPicture();
    const std::optional<PreviewResult>& picture() const { return m_picture; }
    // Its sending and abandoned callbacks are set before start(); ListRun::watch sets them.
    CardWatch& watch() { return m_watch; }
    void start();
    QString target() const { return m_target; }
    int cardCount() const { return m_cardCount; }
    bool isRunning() const;
    // After finished: how it ended, and the card that was on its way when it ended unseen
    // (a failure after its last byte left), else -1.
    bool wasCancelled() const { return m_cancelled; }
    bool wasStopped() const { return m_stopped; }
    int delivered() const { return m_delivered; }
    int cardInDoubt() const { return m_inDoubt; }

  public slots:
    // Ends the send within a fraction of a second, mid-card; finished(false, report).
    void cancel();
    // Ends the send once the card on its way has reached the printer; finished(false, report)
    // with wasStopped(), or finished(true) when that was the last card.
    void stopAfterCard();

  signals:
    // The card (0-based) has reached the printer.
    void cardDelivered(int card);
    // Bytes that reached the channel, of the bytes of the cards asked for so far.
    void progress(qint64 reached, qint64 asked);
    void stallChanged(bool stalled, const QString& notice);
    void finished(bool ok, const QString& message);

  private:
    void run();

    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<CardSource> m_cards;
    QString m_target;
    int m_cardCount = 0;
    SendControl m_control;
    CardWatch m_watch;
    QThread* m_thread = nullptr;
    std::atomic<int> m_onItsWay{-1};
    std::atomic<bool> m_cancelled{false};
    bool m_stopped = false;
    int m_delivered = 0;
    int m_inDoubt = -1;
    std::optional<PreviewResult> m_picture; // written by the worker before finished
};

// One run of a list from its lock to its compact marks.
class ListRun {
  public:
    // Takes the list's lock (Failure at once when another run holds it), reads the marks file as
    // it is now into `marks` and `list` (rows another desk printed since the list was opened are
    // then sent), and opens the journal (Failure, nothing sent, when it cannot be written).
    ListRun(const QString& listPath, const QString& program, MemberList& list, SentMarks& marks);
    ~ListRun();

    // Writes each card's journal lines from the sending thread.
    void watch(CardWatch& watch, const MemberList& list, const QList<int>& cardRows);
    // On the owner's thread: the card's row is marked sent.
    void delivered(int card);
    // On the owner's thread, after the send: the card in doubt is marked so, the compact form is
    // written and the lock released. Throws Failure when the compact form cannot be written (the
    // journal still holds every mark).
    void finish(int cardInDoubt);

  private:
    struct CardMark {
        int row = 0;
        ListRow values; // line and fingerprint, copied for the sending thread
    };
    QString m_listPath;
    MemberList& m_list;
    SentMarks& m_marks;
    std::unique_ptr<ListLock> m_lock;
    std::unique_ptr<MarksJournal> m_journal;
    QList<CardMark> m_cards;
};

// How many of `rows` (indexes into list.rows) are now marked sent: printed elsewhere meanwhile.
int SentMeanwhile(const MemberList& list, const QList<int>& rows);

} // namespace hanlabel
