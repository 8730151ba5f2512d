#include "lists/ListSend.h"

#include <QThread>

#include <algorithm>

#include <exception>

namespace hanlabel {

QByteArray PlainCardSource::card(int index) {
    const ComposedCard& c = m_composed.cards.at(index);
    return m_composed.stream.mid(c.begin, c.end - c.begin);
}

QList<int> CardRows(const ComposedList& composed) {
    QList<int> rows;
    rows.reserve(composed.cards.size());
    for (const ComposedCard& card : composed.cards)
        rows.append(card.row);
    return rows;
}

CardSendJob::CardSendJob(std::unique_ptr<Transport> transport, std::unique_ptr<CardSource> cards,
                         QObject* parent)
    : QObject(parent), m_transport(std::move(transport)), m_cards(std::move(cards)),
      m_target(m_transport->description()), m_cardCount(m_cards->cardCount()) {
    m_control.progress = [this](qint64 reached, qint64 asked) { emit progress(reached, asked); };
    m_control.stall = [this](bool stalled, const QString& notice) { emit stallChanged(stalled, notice); };
}

CardSendJob::~CardSendJob() {
    if (m_thread) {
        m_control.cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void CardSendJob::start() {
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("hanlabel-cards"));
    m_thread->start();
}

void CardSendJob::keepPicture() {
    m_control.picture = [this](const PreviewResult& picture) { m_picture = picture; };
}

bool CardSendJob::isRunning() const { return m_thread && !m_thread->isFinished(); }

void CardSendJob::cancel() { m_control.cancel(); }

void CardSendJob::stopAfterCard() {
    m_watch.stop = true;
    // A send that waits for the printer to take the card still ends only with that card.
}

// The worker: every way out of the send ends in exactly one finished signal.
void CardSendJob::run() {
    const CardWatch::Callback sending = m_watch.sending, delivered = m_watch.delivered,
                              abandoned = m_watch.abandoned;
    m_watch.sending = [&](int card) {
        if (sending)
            sending(card);
        m_onItsWay = card;
    };
    m_watch.delivered = [&](int card) {
        m_onItsWay = -1;
        ++m_delivered;
        if (delivered)
            delivered(card);
        emit cardDelivered(card);
    };
    m_watch.abandoned = [&](int card) {
        m_onItsWay = -1;
        if (abandoned)
            abandoned(card);
    };
    struct Restore {
        CardWatch& watch;
        CardWatch::Callback sending, delivered, abandoned;
        ~Restore() {
            watch.sending = sending;
            watch.delivered = delivered;
            watch.abandoned = abandoned;
        }
    } restore{m_watch, sending, delivered, abandoned};
    QString message;
    try {
        m_transport->sendCards(*m_cards, m_control, m_watch);
        if (m_delivered == m_cardCount) {
            emit finished(true, {});
            return;
        }
        m_stopped = true;
        message = QStringLiteral("이 카드 다음에 멈췄습니다. %1: 회원증 %2 / %3장이 프린터에 닿았습니다.")
                      .arg(m_target)
                      .arg(m_delivered)
                      .arg(m_cardCount);
    } catch (const SendCancelled& cancelled) {
        m_cancelled = true;
        message = cancelled.message();
    } catch (const Failure& failure) {
        message = failure.message();
    } catch (const std::exception& error) {
        message = QStringLiteral("%1: 인쇄 중 오류가 났습니다: %2").arg(m_target, QString::fromLocal8Bit(error.what()));
    }
    m_inDoubt = m_onItsWay;
    emit finished(false, message);
}

ListRun::ListRun(const QString& listPath, const QString& program, MemberList& list, SentMarks& marks)
    : m_listPath(listPath), m_list(list), m_marks(marks) {
    m_lock = std::make_unique<ListLock>(listPath, program);
    m_marks = SentMarks::Load(SentMarks::PathFor(listPath));
    ApplySentMarks(m_list, m_marks);
    m_journal = MarksJournal::Open(listPath);
}

ListRun::~ListRun() = default;

void ListRun::watch(CardWatch& watch, const MemberList& list, const QList<int>& cardRows) {
    m_cards.clear();
    for (const int row : cardRows) {
        ListRow values;
        values.line = list.rows.at(row).line;
        values.fingerprint = list.rows.at(row).fingerprint;
        m_cards.append({row, values});
    }
    watch.sending = [this](int card) { m_journal->sending(m_cards.at(card).values); };
    watch.delivered = [this](int card) { m_journal->sent(m_cards.at(card).values); };
    watch.abandoned = [this](int card) { m_journal->notSent(m_cards.at(card).values); };
}

void ListRun::delivered(int card) {
    ListRow& row = m_list.rows[m_cards.at(card).row];
    row.sent = true;
    row.uncertain = false;
    m_marks.add(row);
}

void ListRun::finish(int cardInDoubt) {
    if (cardInDoubt >= 0 && cardInDoubt < m_cards.size()) {
        ListRow& row = m_list.rows[m_cards.at(cardInDoubt).row];
        row.uncertain = !row.sent;
        m_marks.addUncertain(row);
    }
    m_journal.reset();
    const std::unique_ptr<ListLock> lock = std::move(m_lock); // released after the rewrite
    m_marks.save(SentMarks::PathFor(m_listPath));
}

int SentMeanwhile(const MemberList& list, const QList<int>& rows) {
    return int(std::count_if(rows.begin(), rows.end(), [&](int row) { return list.rows.at(row).sent; }));
}

} // namespace hanlabel
