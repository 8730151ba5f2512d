#include "ui/dialogs/ListProgress.h"

#include "lists/ListSend.h"
#include "ui/kit/JobProgress.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace hanlabel {

namespace {

constexpr int kNoticeWidth = 380;

} // namespace

ListProgress::ListProgress(QWidget* window, CardSendJob* job) : m_job(job) {
    QDialog* dialog = MakeSendingBox(window, QStringLiteral("listProgress"), Qt::WindowModal);

    m_text = new QLabel(dialog);
    m_text->setObjectName(QStringLiteral("progressText"));
    m_bar = new QProgressBar(dialog);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setRange(0, job->cardCount());
    m_noticeLabel = new QLabel(dialog);
    m_noticeLabel->setObjectName(QStringLiteral("stallNotice"));
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setFixedWidth(kNoticeWidth);
    m_stop = new QPushButton(QStringLiteral("이 카드 다음에 멈춤"), dialog);
    m_stop->setObjectName(QStringLiteral("stopAfterCardButton"));
    m_stop->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("취소"), dialog);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_stop);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_noticeLabel);
    layout->addLayout(buttons);

    connect(job, &CardSendJob::cardDelivered, this, [this](int card) {
        m_delivered = card + 1;
        refresh();
    });
    connect(job, &CardSendJob::stallChanged, this, [this](bool stalled, const QString& notice) {
        m_stalled = stalled;
        m_notice = notice;
        refresh();
    });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_stopping = true;
        refresh();
        if (m_job)
            m_job->stopAfterCard();
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelling = true;
        refresh();
        if (m_job)
            m_job->cancel();
    });
    m_dialog = dialog;
    refresh();
    dialog->show();
    m_stop->setFocus();
}

ListProgress::~ListProgress() { delete m_dialog.data(); }

void ListProgress::refresh() {
    if (!m_dialog || !m_job)
        return;
    QString text = QStringLiteral("회원증을 보내는 중입니다... (%1 / %2)").arg(m_delivered).arg(m_job->cardCount());
    if (m_cancelling)
        text += QStringLiteral("\n취소하는 중입니다.");
    else if (m_stopping)
        text += QStringLiteral("\n보내고 있는 카드를 마저 보내고 멈춥니다.");
    m_text->setText(text);
    m_bar->setValue(m_delivered);
    m_noticeLabel->setText(m_notice);
    m_noticeLabel->setVisible(m_stalled);
    m_stop->setEnabled(!m_stopping && !m_cancelling);
    m_cancel->setEnabled(!m_cancelling);
}

} // namespace hanlabel
