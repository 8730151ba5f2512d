#pragma once

#include "channels/Transport.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

class QWidget;

namespace hanlabel {

// Keeps a window alive while a job transmits: once the job has taken longer than the delay, a
// small modal dialog shows the bytes sent of the total and events are processed, so the window
// repaints but takes no input. The dialog has no cancel button and cannot be closed.
class JobProgress {
  public:
    explicit JobProgress(QWidget* window, int delayMs = 500);
    ~JobProgress();
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;

    // The callback to hand to the job; it must not outlive this object.
    ProgressFn callback();

    // The dialog while it is shown, else null.
    QProgressDialog* dialog() const { return m_dialog; }

  private:
    void update(qint64 sent, qint64 total);

    QWidget* m_window;
    int m_delayMs;
    QElapsedTimer m_clock;
    QPointer<QProgressDialog> m_dialog;
};

} // namespace hanlabel
