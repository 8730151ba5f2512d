#include "ui/kit/JobProgress.h"

#include "channels/SendJob.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace hanlabel {

namespace {

// A box that neither Escape nor the close box can dismiss while the job runs.
class SendingDialog : public QDialog {
  public:
    using QDialog::QDialog;
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// The bar's scale is an int; byte counts are scaled down when they would not fit.
int Scaled(qint64 value, qint64 total) {
    constexpr qint64 limit = 1 << 30;
    return int(total > limit ? value * limit / total : value);
}

// The text of the box for a number of bytes sent of a total.
QString ByteProgressText(qint64 sent, qint64 total) {
    return QStringLiteral("프린터로 보내는 중입니다... (%1 / %2 바이트)").arg(sent).arg(total);
}

// The width the notice wraps at, so that the box keeps a readable shape.
constexpr int kNoticeWidth = 380;

} // namespace

QDialog* MakeSendingBox(QWidget* window, const QString& objectName, Qt::WindowModality modality) {
    auto* dialog = new SendingDialog(window);
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(QStringLiteral("인쇄 중"));
    dialog->setWindowFlag(Qt::WindowCloseButtonHint, false);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dialog->setWindowModality(modality);
    return dialog;
}

// The delay runs from the start of the job: a channel that never reports still gets its box.
JobProgress::JobProgress(QWidget* window, SendJob* job, qint64 total, int delayMs)
    : m_window(window), m_job(job), m_total(total), m_progressText(ByteProgressText) {
    connect(job, &SendJob::progress, this, &JobProgress::setProgress);
    connect(job, &SendJob::stallChanged, this, &JobProgress::setStall);
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &JobProgress::show);
    m_delay.start(delayMs);
}

// Closing the box is its owner's signal that the send has ended.
JobProgress::~JobProgress() { delete m_dialog.data(); }

// Builds and shows the box, unless the job has already reached the channel whole.
void JobProgress::show() {
    if (m_dialog || (m_sent >= m_total && !m_stalled))
        return;
    QDialog* dialog = MakeSendingBox(m_window, QStringLiteral("progressDialog"), Qt::ApplicationModal);

    m_text = new QLabel(dialog);
    m_text->setObjectName(QStringLiteral("progressText"));
    m_bar = new QProgressBar(dialog);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_noticeLabel = new QLabel(dialog);
    m_noticeLabel->setObjectName(QStringLiteral("stallNotice"));
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setFixedWidth(kNoticeWidth);
    m_cancel = new QPushButton(QStringLiteral("취소"), dialog);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &JobProgress::cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_noticeLabel);
    layout->addLayout(buttons);

    m_dialog = dialog;
    refresh();
    dialog->show();
}

void JobProgress::offerCancelFromStart() {
    m_cancelFromStart = true;
    refresh();
}

void JobProgress::setProgressText(ProgressText text) {
    m_progressText = std::move(text);
    refresh();
}

// The bytes that have reached the channel so far.
void JobProgress::setProgress(qint64 sent, qint64 total) {
    m_sent = sent;
    m_total = total;
    refresh();
}

// A stall brings the box up at once, whatever the delay.
void JobProgress::setStall(bool stalled, const QString& notice) {
    m_stalled = stalled;
    m_notice = notice;
    if (stalled)
        show();
    refresh();
}

// The operator's cancel; the box stays until the send has ended and its owner closes it.
void JobProgress::cancel() {
    m_cancelling = true;
    refresh();
    if (m_job)
        m_job->cancel();
}

// Shows the state so far in the box, when it is up.
void JobProgress::refresh() {
    if (!m_dialog)
        return;
    m_text->setText(m_progressText(m_sent, m_total));
    m_bar->setRange(0, Scaled(m_total, m_total));
    m_bar->setValue(Scaled(m_sent, m_total));
    m_noticeLabel->setText(m_notice);
    m_noticeLabel->setVisible(m_stalled);
    m_cancel->setVisible(m_cancelFromStart || m_stalled || m_cancelling);
    m_cancel->setEnabled(!m_cancelling);
}

} // namespace hanlabel
