#pragma once

#include "channels/SendControl.h"
#include "core/Channel.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace hanlabel {

class CardSource;
class Link;
struct CardWatch;
enum class StallAdvice;

// Where a composed job goes. send() opens, writes every byte and closes; it returns only once
// every byte has reached the channel, and throws Failure naming the port and the system's reason
// when the channel reports an error. A channel that is alive but takes no data is never a failure:
// it is reported as a stall and waited for until it takes data again or the send is cancelled.
// A send blocks its thread, so an application runs it on a worker thread (see SendJob).
class Transport {
  public:
    virtual ~Transport();
    virtual QString description() const = 0;

    // Sends under the watch of `control`: progress and stall reports through its callbacks;
    // its cancel() ends the send with SendCancelled.
    void send(const QByteArray& stream, SendControl& control);
    // Sends with the default stall time, progress reports only and no way to cancel.
    void send(const QByteArray& stream, const ProgressFn& progress);
    // Sends a list job card by card on one connection (channels/CardSend.h); returns how many
    // cards reached the receiver. Throws as send().
    int sendCards(CardSource& cards, SendControl& control, CardWatch& watch);

  protected:
    // A fresh link for one job.
    virtual std::unique_ptr<Link> link() const = 0;
    // What the stall notice asks the operator to check.
    virtual StallAdvice advice() const;
};

} // namespace hanlabel
