#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace hanlabel {

class SendJob;

// The frame of an "인쇄 중" box over `window`, titled so and without a close box, that neither
// Escape nor the close box dismisses while its send runs; its owner deletes it when the send ends.
QDialog* MakeSendingBox(QWidget* window, const QString& objectName, Qt::WindowModality modality);

// The "인쇄 중" box of one send. It comes up modal over the window once the send has taken longer
// than the delay, and at once when the channel stalls; it shows the bytes sent of the total. While
// the channel takes nothing it also shows the channel's notice and a "취소" button that cancels
// the send; both go away when the printer takes data again. Neither Escape nor the close box
// dismisses it: it closes when this object goes, which its owner does once the send has finished.
class JobProgress : public QObject {
    Q_OBJECT
  public:
    // The box of `job`, which sends `total` bytes, over `window`.
    JobProgress(QWidget* window, SendJob* job, qint64 total, int delayMs = 500);
    ~JobProgress() override;

    // The box while it is shown, else null.
    QDialog* dialog() const { return m_dialog; }

    // What the box says of the bytes sent of the total; by default the bytes themselves.
    using ProgressText = std::function<QString(qint64 sent, qint64 total)>;
    void setProgressText(ProgressText text);
    // Shows "취소" from the start, not only while the channel stalls.
    void offerCancelFromStart();

  private:
    void show();
    void setProgress(qint64 sent, qint64 total);
    void setStall(bool stalled, const QString& notice);
    void cancel();
    void refresh();

    QWidget* m_window;
    QPointer<SendJob> m_job;
    QTimer m_delay;
    qint64 m_sent = 0;
    qint64 m_total = 0;
    bool m_stalled = false;
    bool m_cancelling = false;
    bool m_cancelFromStart = false;
    QString m_notice;
    ProgressText m_progressText;
    QPointer<QDialog> m_dialog;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_noticeLabel = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace hanlabel
