#pragma once
#include <QByteArray>

namespace hanlabel {

// The cards of a list job as the send asks for them, one at a time, in order.
class CardSource {
  public:
    virtual ~CardSource() = default;
    // How many cards the job has.
    virtual int cardCount() const = 0;
    // The bytes of card `index` (0-based), asked for in increasing order, each once, right before
    // they go; may depend on what earlier cards already sent (downloaded graphics).
    virtual QByteArray card(int index) = 0;
    // The printer may have lost what earlier cards downloaded (it was off, or the line dropped):
    // the next card asked for must carry everything it needs.
    virtual void printerForgotGraphics() = 0;
};

} // namespace hanlabel
