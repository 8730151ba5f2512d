#pragma once

#include "channels/Transport.h"
#include "core/AppFolder.h"
#include "jobs/JobTypes.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <utility>

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
    void update(qint64 sent, qint64 total);

    // The dialog while it is shown, else null.
    QProgressDialog* dialog() const { return m_dialog; }

  private:
    QWidget* m_window;
    int m_delayMs;
    QElapsedTimer m_clock;
    QPointer<QProgressDialog> m_dialog;
};

// Runs a label job on the window's inputs with the glyph database and the progress dialog; the
// job reports its failures in the outcome it returns.
template <typename Job, typename Inputs>
auto RunLabelJob(QWidget* window, GlyphSource& glyphs, Inputs inputs) {
    JobProgress progress(window);
    return Job(std::move(inputs), JobEnvironment{ApplicationFolder(), &glyphs, progress.callback()})
        .Command1_Click();
}

// The text of the progress dialog for a number of bytes sent of a total.
QString ProgressText(qint64 sent, qint64 total);

} // namespace hanlabel
