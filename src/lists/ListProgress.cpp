#include "lists/ListProgress.h"

#include <cmath>

namespace hanlabel {

namespace {
constexpr qint64 kSettleMs = 1000;  // the buffers fill at once, then the line sets the pace
constexpr qint64 kMeasureMs = 2000; // enough of the line's own pace to go by
} // namespace

double LineBytesPerSecond(ChannelKind kind) { return kind == ChannelKind::Serial ? 960.0 : 0.0; }

void RemainingTime::update(qint64 sent, qint64 elapsedMs) {
    if (!m_baseMs && elapsedMs >= kSettleMs) {
        m_baseMs = elapsedMs;
        m_baseSent = sent;
    }
    m_lastMs = elapsedMs;
    m_lastSent = sent;
}

std::optional<double> RemainingTime::measuredRate() const {
    if (!m_baseMs || m_lastMs - *m_baseMs < kMeasureMs || m_lastSent <= *m_baseSent)
        return std::nullopt;
    return double(m_lastSent - *m_baseSent) * 1000.0 / double(m_lastMs - *m_baseMs);
}

std::optional<qint64> RemainingTime::secondsFor(qint64 bytesLeft) const {
    const double rate = measuredRate().value_or(m_lineRate);
    if (rate <= 0)
        return std::nullopt;
    return qint64(std::ceil(double(qMax<qint64>(bytesLeft, 0)) / rate));
}

QString RemainingTimeText(qint64 seconds) {
    const auto roundUp = [](qint64 value, qint64 step) { return (value + step - 1) / step * step; };
    if (const qint64 s = qMax<qint64>(5, roundUp(seconds, 5)); s < 60)
        return QStringLiteral("약 %1초").arg(s);
    if (seconds < 3600) {
        const qint64 s = roundUp(seconds, 10);
        if (s < 3600)
            return s % 60 ? QStringLiteral("약 %1분 %2초").arg(s / 60).arg(s % 60)
                          : QStringLiteral("약 %1분").arg(s / 60);
    }
    const qint64 minutes = roundUp(seconds, 60) / 60;
    return minutes % 60 ? QStringLiteral("약 %1시간 %2분").arg(minutes / 60).arg(minutes % 60)
                        : QStringLiteral("약 %1시간").arg(minutes / 60);
}

QString ListProgressText(int cardsSent, int cardCount, std::optional<qint64> secondsLeft) {
    QString text = QStringLiteral("%1 / %2장").arg(cardsSent).arg(cardCount);
    if (secondsLeft && cardsSent < cardCount)
        text += QStringLiteral(" · 남은 시간 ") + RemainingTimeText(*secondsLeft);
    return text;
}

QString ListEndText(const ListEnd& end) {
    const int left = end.cards - end.sent;
    QString text = QStringLiteral("%1장 중 %2장을 보냈습니다.").arg(end.cards).arg(end.sent);
    if (left > 0) {
        switch (end.how) {
        case ListEnd::How::Done:
            break;
        case ListEnd::How::Stopped:
            text += QStringLiteral(" 멈춤을 눌러 %1장은 보내지 않았습니다.").arg(left);
            break;
        case ListEnd::How::Cancelled:
            text += QStringLiteral(" 취소해서 %1장은 보내지 않았습니다.").arg(left);
            break;
        case ListEnd::How::Failed:
            text += QStringLiteral(" 오류로 %1장을 보내지 못했습니다.").arg(left);
            break;
        }
    }
    if (!end.reason.isEmpty())
        text += QStringLiteral("\n\n") + end.reason;
    if (end.continueLine > 0)
        text += QStringLiteral("\n\n\"이어서 인쇄\"는 명단의 %1행부터 보냅니다.").arg(end.continueLine);
    return text;
}

} // namespace hanlabel
