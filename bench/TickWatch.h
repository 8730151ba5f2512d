#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>

// A clock and a 5 ms timer on the thread that makes it: keeps the largest gap between two ticks,
// the figure of how well that thread keeps running its events. `onTick` runs at every tick.
class TickWatch {
  public:
    explicit TickWatch(std::function<void()> onTick = {}) : m_onTick(std::move(onTick)) {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worstGapMs = std::max(m_worstGapMs, (now - m_lastTick) / 1e6);
            m_lastTick = now;
            if (m_onTick)
                m_onTick();
        });
    }

    // Starts the clock and the ticks.
    void start() {
        m_clock.start();
        m_ticker.start(5);
    }
    // Milliseconds since start().
    double nowMs() const { return m_clock.nsecsElapsed() / 1e6; }
    double worstGapMs() const { return m_worstGapMs; }

  private:
    std::function<void()> m_onTick;
    QElapsedTimer m_clock;
    QTimer m_ticker;
    qint64 m_lastTick = 0;
    double m_worstGapMs = 0;
};
