#pragma once

#include "core/Channel.h"

#include <QString>

#include <optional>

namespace hanlabel {

// What the list's progress box and hanlabel-batch say while a list is sent:
//
//     RemainingTime remaining(LineBytesPerSecond(kind));
//     progress(sent, total): remaining.update(sent, clock.elapsed());
//                            ListProgressText(cardsDone, cardCount, remaining.secondsFor(total - sent));
//                            // "12 / 250장 · 남은 시간 약 1분 40초"

// The bytes a second the line itself carries: 960 on serial port 1 (9600 baud, ten bits a byte
// with either framing); 0 where the line's speed is not known.
double LineBytesPerSecond(ChannelKind kind);

// The time left of a send, from the rate the channel has taken bytes at so far. The first second
// is left out of the rate, since the system's buffers take the start of a job at once.
class RemainingTime {
  public:
    explicit RemainingTime(double lineBytesPerSecond) : m_lineRate(lineBytesPerSecond) {}

    // The channel had taken `sent` bytes `elapsedMs` after the send began.
    void update(qint64 sent, qint64 elapsedMs);
    // The measured rate in bytes a second once two seconds after the first are measured; nothing before.
    std::optional<double> measuredRate() const;
    // Whole seconds for `bytesLeft` at the measured rate, else at the line's speed; nothing when
    // neither is known.
    std::optional<qint64> secondsFor(qint64 bytesLeft) const;

  private:
    double m_lineRate;
    std::optional<qint64> m_baseMs, m_baseSent;
    qint64 m_lastMs = 0, m_lastSent = 0;
};

// "약 1분 40초": under a minute in steps of 5 seconds, under an hour in steps of 10 seconds,
// then in minutes ("약 1시간 5분"); rounded up so the estimate does not run out before the send.
QString RemainingTimeText(qint64 seconds);

// "12 / 250장 · 남은 시간 약 1분 40초", or "12 / 250장" when the time is not known or all cards are sent.
QString ListProgressText(int cardsSent, int cardCount, std::optional<qint64> secondsLeft);

// How a list print ended, for the box after it and hanlabel-batch's last lines.
struct ListEnd {
    enum class How { Done, Stopped, Cancelled, Failed };
    How how = How::Done;
    int cards = 0;        // cards the print had
    int sent = 0;         // of them, whole at the printer
    QString reason;       // the channel's failure or the cancel report; empty otherwise
    int continueLine = 0; // the list's line "이어서 인쇄" starts at; 0 when nothing is left
};

// "250장 중 250장을 보냈습니다.", or how many were sent and how many were not and why, then the
// line to continue from: the text of the box after a list and of hanlabel-batch's last lines.
QString ListEndText(const ListEnd& end);

} // namespace hanlabel
