#include "ui/kit/JobProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressDialog>

namespace hanlabel {

namespace {

// A progress dialog that neither Escape nor the close box can dismiss while the job runs.
class SendingDialog : public QProgressDialog {
  public:
    using QProgressDialog::QProgressDialog;
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// The dialog's scale is an int; byte counts are scaled down when they would not fit.
int Scaled(qint64 value, qint64 total) {
    constexpr qint64 limit = 1 << 30;
    return int(total > limit ? value * limit / total : value);
}

// The text of the progress dialog for a number of bytes sent of a total.
QString ProgressText(qint64 sent, qint64 total) {
    return QStringLiteral("프린터로 보내는 중입니다... (%1 / %2 바이트)").arg(sent).arg(total);
}

} // namespace

// The clock runs from the start of the job: a slow channel reports its first piece late.
JobProgress::JobProgress(QWidget* window, int delayMs) : m_window(window), m_delayMs(delayMs) {
    m_clock.start();
}

JobProgress::~JobProgress() { delete m_dialog.data(); }

ProgressFn JobProgress::callback() {
    return [this](qint64 sent, qint64 total) { update(sent, total); };
}

void JobProgress::update(qint64 sent, qint64 total) {
    if (!m_dialog) {
        // Short jobs never show the dialog and never process events.
        if (m_clock.elapsed() < m_delayMs || sent >= total)
            return;
        auto* dialog = new SendingDialog(m_window);
        dialog->setObjectName(QStringLiteral("progressDialog"));
        dialog->setWindowTitle(QStringLiteral("인쇄 중"));
        dialog->setCancelButton(nullptr);
        dialog->setWindowFlag(Qt::WindowCloseButtonHint, false);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumDuration(0);
        dialog->setRange(0, Scaled(total, total));
        m_dialog = dialog;
        dialog->show();
    }
    m_dialog->setLabelText(ProgressText(sent, total));
    m_dialog->setValue(Scaled(sent, total));
    QCoreApplication::processEvents();
}

} // namespace hanlabel
