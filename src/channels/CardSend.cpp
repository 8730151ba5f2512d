#include "channels/CardSend.h"

#include "channels/Link.h"
#include "channels/Transport.h"
#include "lists/CardSource.h"

#include <algorithm>

#include <poll.h>

namespace hanlabel {

namespace {

// The longest wait between two looks at a card boundary; the first looks come sooner, since a
// network printer acknowledges within milliseconds.
constexpr int kLongestLookMs = 50;

} // namespace

int Transport::sendCards(CardSource& cards, SendControl& control, CardWatch& watch) {
    const QString target = description();
    // A stall that clears may have been the printer switched off and on: the next card carries
    // every graphic it needs, as the first one does.
    bool forgot = true;
    const StallFn outer = control.stall;
    control.stall = [&](bool stalled, const QString& notice) {
        if (!stalled)
            forgot = true;
        if (outer)
            outer(stalled, notice);
    };
    struct Restore {
        SendControl& control;
        const StallFn& stall;
        ~Restore() { control.stall = stall; }
    } restore{control, outer};

    SendPump pump(control, target, advice());
    const std::unique_ptr<Link> link = this->link();
    qint64 written = 0; // bytes of every card so far
    qint64 asked = 0;   // bytes of the cards asked for so far
    int current = -1;   // the card on its way
    const auto cancel = [&] {
        const qint64 reached = std::max(pump.lastReached(), link->reached(written));
        link->abandon();
        throw SendCancelled(target, std::max<qint64>(reached, 0), asked);
    };
    // Waits, counting the time as a stall, until `done` holds.
    const auto waitFor = [&](auto done) {
        for (int look = 1; !done(); look = std::min(look * 2, kLongestLookMs)) {
            pump.reached(link->reached(written), asked);
            if (!pump.idle())
                cancel();
            pump.wait({}, look);
        }
    };

    while (!link->open(pump)) {
        if (!pump.idle(link->waitingFor()))
            cancel();
        pump.wait(link->wait(), kLongestLookMs);
    }
    int delivered = 0;
    try {
        for (int k = 0; k < cards.cardCount() && !watch.stop.load(); ++k) {
            if (pump.cancelled())
                cancel();
            if (std::exchange(forgot, false))
                cards.printerForgotGraphics();
            const QByteArray card = cards.card(k);
            if (watch.sending)
                watch.sending(k);
            current = k;
            asked += card.size();
            const qint64 end = written + card.size();
            bool readyButRefused = false;
            while (written < end) {
                if (pump.cancelled())
                    cancel();
                const qint64 n = link->write(card.constData() + (card.size() - (end - written)),
                                             std::min(link->chunk(), end - written));
                written += n;
                if (n > 0)
                    pump.active();
                pump.reached(link->reached(written), asked);
                if (n > 0)
                    continue;
                pump.idle();
                const short events = pump.wait(readyButRefused ? LinkWait{} : link->wait(), kLongestLookMs);
                readyButRefused = (events & POLLOUT) != 0;
            }
            waitFor([&] { return link->reached(written) >= written; });
            pump.reached(written, asked);
            current = -1;
            ++delivered;
            if (watch.delivered)
                watch.delivered(k);
        }
        waitFor([&] { return link->complete(); });
    } catch (const Failure& failure) {
        // Written up to its last byte, a card may have printed; short of it, it cannot have.
        if (current >= 0 && written < asked && watch.abandoned) {
            try {
                watch.abandoned(current);
            } catch (const Failure&) {
            }
        }
        if (dynamic_cast<const SendCancelled*>(&failure))
            throw;
        const qint64 reached = std::max<qint64>(pump.lastReached(), 0);
        throw Failure(QStringLiteral("%1 (%2 / %3 바이트가 전달되었습니다)")
                          .arg(failure.message())
                          .arg(reached)
                          .arg(asked));
    }
    pump.finish(asked);
    return delivered;
}

} // namespace hanlabel
