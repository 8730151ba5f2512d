#pragma once

#include <QObject>
#include <QPointer>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace hanlabel {

class CardSendJob;

// The "인쇄 중" box of a list, up from the start over the list print dialog: the cards that reached
// the printer of the list's, the channel's notice while it stalls, and two buttons from the start:
// "이 카드 다음에 멈춤" (the default: the card on its way is finished and marked, then the list
// stops, so that "이어서 인쇄" continues with the next) and "취소" (at once, reporting what reached
// the printer). Neither Escape nor the close box dismisses it; it goes when this object goes, which
// its owner does once the send has finished.
class ListProgress : public QObject {
    Q_OBJECT
  public:
    ListProgress(QWidget* window, CardSendJob* job);
    ~ListProgress() override;

    QDialog* dialog() const { return m_dialog; }

  private:
    void refresh();

    QPointer<CardSendJob> m_job;
    int m_delivered = 0;
    bool m_stalled = false;
    bool m_stopping = false;
    bool m_cancelling = false;
    QString m_notice;
    QPointer<QDialog> m_dialog;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_noticeLabel = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace hanlabel
