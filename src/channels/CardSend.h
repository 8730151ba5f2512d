#pragma once

#include <atomic>
#include <functional>

namespace hanlabel {

// What a list send (Transport::sendCards) tells about its cards, on the sending thread, and the
// operator's wish to stop. The send writes no byte of a card before the card before it has reached
// the printer as far as the channel can tell: acknowledged by a network printer, out of the serial
// driver's queue, written to a file, device or pipe. So at most one card is ever on its way, and a
// card counts as delivered only once it got there, never while it waits in the program.
struct CardWatch {
    using Callback = std::function<void(int card)>;
    // Before the card's first byte; may throw Failure to end the send with nothing of it sent.
    Callback sending;
    // Once the card has reached the printer.
    Callback delivered;
    // The send ended (cancelled, failed) before the card's last byte left the program: the
    // printer never got a whole card. A card on its way that is neither delivered nor abandoned
    // may have printed.
    Callback abandoned;
    // Set from any thread: the send ends after the card on its way has reached the printer.
    std::atomic<bool> stop{false};
};

} // namespace hanlabel
