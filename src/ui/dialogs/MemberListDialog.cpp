#include "ui/dialogs/MemberListDialog.h"

#include "core/Failure.h"
#include "lists/ListJob.h"
#include "preview/ZplRenderer.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/SendWithProgress.h"
#include "ui/windows/PreviewWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hanlabel {

namespace {

const QString Title = QStringLiteral("명단 인쇄");
constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 220;

// The status column of a row: ready, sent, or the error with its reason.
QString StatusText(const ListRow& row) {
    if (row.status == RowStatus::Error)
        return QStringLiteral("오류: ") + row.error;
    return row.sent ? QStringLiteral("보냄") : QStringLiteral("준비");
}

// A push button with an object name that Enter does not press unless it has the focus.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

MemberListDialog::MemberListDialog(MemberCardInputs window, JobEnvironment env, QWidget* parent)
    : QDialog(parent), m_window(std::move(window)), m_env(std::move(env)) {
    setObjectName(QStringLiteral("listDialog"));
    setWindowTitle(Title);
    setFont(GulimFont(9));

    m_pathBox = new QLineEdit(this);
    m_pathBox->setObjectName(QStringLiteral("listPath"));
    m_pathBox->setReadOnly(true);
    m_pathBox->setPlaceholderText(QStringLiteral("CSV 명단 파일을 여세요"));
    m_choose = MakeButton(this, QStringLiteral("chooseButton"), QStringLiteral("명단 열기..."));

    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("rowTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("행"), QStringLiteral("소속"), QStringLiteral("성명"),
                                        QStringLiteral("회원번호"), QStringLiteral("상태")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 44);
    m_table->setColumnWidth(1, 120);
    m_table->setColumnWidth(2, 80);
    m_table->setColumnWidth(3, 125);
    m_table->setWordWrap(false);
    m_table->setMinimumWidth(520);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("cardPicture"));
    m_picture->setFixedSize(kPictureWidth, kPictureHeight);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setWordWrap(true);
    m_picture->setFrameShape(QFrame::StyledPanel);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summaryLabel"));
    m_print = MakeButton(this, QStringLiteral("printButton"), QStringLiteral("인쇄"));
    m_continue = MakeButton(this, QStringLiteral("continueButton"), QStringLiteral("이어서 인쇄"));
    m_close = MakeButton(this, QStringLiteral("closeButton"), QStringLiteral("취소"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_pathBox, 1);
    top->addWidget(m_choose);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_table, 1);
    middle->addWidget(m_picture, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_print);
    buttons->addWidget(m_continue);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(900, 420);

    connect(m_choose, &QPushButton::clicked, this, &MemberListDialog::chooseList);
    connect(m_print, &QPushButton::clicked, this, &MemberListDialog::printReady);
    connect(m_continue, &QPushButton::clicked, this, &MemberListDialog::printRest);
    connect(m_close, &QPushButton::clicked, this, &MemberListDialog::reject);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &MemberListDialog::showSelectedCard);
    showSelectedCard();
    updateButtons();
}

// A send still running is cancelled; its result has no dialog to go to.
MemberListDialog::~MemberListDialog() = default;

bool MemberListDialog::openList(const QString& path) {
    m_path = path;
    m_pathBox->setText(path);
    m_open = false;
    m_list = {};
    m_marks = {};
    try {
        m_list = ReadMemberList(path, {m_window.affiliation, std::nullopt});
        m_marks = SentMarks::Load(SentMarks::PathFor(path));
        ApplySentMarks(m_list, m_marks);
        m_open = true;
    } catch (const Failure& failure) {
        m_list = {};
        ShowFailure(this, failure.message());
    }
    showRows();
    if (m_table->rowCount() > 0)
        m_table->selectRow(0);
    return m_open;
}

void MemberListDialog::chooseList() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("명단 열기"), QFileInfo(m_path).path(),
                                     QStringLiteral("CSV 명단 (*.csv *.txt);;모든 파일 (*)"));
    if (!path.isEmpty())
        openList(path);
}

void MemberListDialog::printReady() {
    const int sent = m_list.sentCount();
    bool again = false;
    if (sent > 0) {
        const auto answer = ShowMessage(
            this,
            QStringLiteral("이미 보낸 카드가 %1장 있습니다. 그 카드도 다시 인쇄할까요?\n"
                           "(아니요: 보내지 않은 카드만 인쇄합니다)")
                .arg(sent),
            Title, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel)
            return;
        again = answer == QMessageBox::Yes;
    }
    printRows({0, again});
}

void MemberListDialog::printRest() {
    const int first = FirstUnsentRow(m_list);
    if (first >= 0)
        printRows({m_list.rows[first].line, false});
}

// The settings steps and every card composed first; rows that cannot be composed become error
// rows, and the others go to the channel as one job.
void MemberListDialog::printRows(const RowSelection& selection) {
    if (m_send || !m_open)
        return;
    const QList<int> rows = RowsToPrint(m_list, selection);
    if (rows.isEmpty()) {
        ShowMessage(this, QStringLiteral("인쇄할 행이 없습니다."), Title, QMessageBox::Information);
        return;
    }
    ListPrintOutcome out = PrepareListPrint(m_list, rows, m_window, m_env);
    if (out.status == JobStatus::Failed) {
        ShowFailure(this, out.failure);
        return;
    }
    if (out.status == JobStatus::OriginRejected) {
        ShowMessage(this, out.failure, QStringLiteral("입력오류"), QMessageBox::Critical);
        return;
    }
    MarkComposeErrors(m_list, out.composed);
    showRows();
    if (out.composed.cards.isEmpty()) {
        ShowFailure(this, QStringLiteral("보낼 카드가 없습니다: 고른 행을 모두 인쇄할 수 없습니다."));
        return;
    }
    m_composed = std::move(out.composed);
    const auto cardsText = [this](qint64 sent, qint64) {
        return QStringLiteral("회원증을 보내는 중입니다... (%1 / %2)")
            .arg(m_composed.cardsWithin(sent))
            .arg(m_composed.cards.size());
    };
    try {
        m_send = std::make_unique<SendWithProgress>(
            out.order, this, [this](const SendResult& result) { sendFinished(result); }, cardsText);
    } catch (const Failure& failure) {
        ShowFailure(this, failure.message());
        return;
    }
    updateButtons();
}

// Marks exactly the cards that reached the channel whole, saves the marks and reports.
void MemberListDialog::sendFinished(const SendResult& result) {
    m_send.reset();
    if (result.picture)
        ShowPreview(parentWidget() ? parentWidget() : this, *result.picture, PreviewShows::Print);
    const bool ok = result.ok;
    const QString& message = result.message;
    const int total = int(m_composed.cards.size());
    const ListSendEnd end = FinishListSend(m_list, m_marks, m_composed, result.sent, m_path);
    const int whole = end.whole;
    m_composed = {};
    showRows();
    if (!end.saveFailure.isEmpty())
        ShowFailure(this, end.saveFailure);
    if (!ok)
        ShowFailure(this, message + QStringLiteral("\n\n회원증 %1 / %2장을 온전히 보냈습니다. "
                                                   "\"이어서 인쇄\"는 나머지만 보냅니다.")
                                        .arg(whole)
                                        .arg(total));
    emit printFinished();
}

void MemberListDialog::reject() {
    if (!m_send)
        QDialog::reject();
}

void MemberListDialog::showRows() {
    const int selected = m_table->currentRow();
    m_table->setRowCount(int(m_list.rows.size()));
    for (int i = 0; i < m_list.rows.size(); ++i) {
        const ListRow& row = m_list.rows[i];
        const QStringList cells{QString::number(row.line), row.affiliation, row.name, row.memberNumber,
                                StatusText(row)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(row.status == RowStatus::Error ? RowErrorText(row) : QString());
            m_table->setItem(i, column, item);
        }
    }
    if (selected >= 0 && selected < m_table->rowCount())
        m_table->selectRow(selected);
    m_summary->setText(m_open ? ListSummary(m_list) : QString());
    updateButtons();
}

// The selected row's card as the print would compose it, drawn by the virtual printer; writes
// nothing. A row that cannot be printed shows why.
void MemberListDialog::showSelectedCard() {
    const int index = m_table->currentRow();
    m_picture->setPixmap({});
    if (index < 0 || index >= m_list.rows.size()) {
        m_picture->setText(QStringLiteral("행을 고르면 회원증이 보입니다."));
        return;
    }
    const ListRow& row = m_list.rows[index];
    if (row.status == RowStatus::Error) {
        m_picture->setText(RowErrorText(row));
        return;
    }
    JobEnvironment env = m_env;
    env.mode = JobMode::ComposeOnly;
    MemberCardJob job(CardInputs(row, m_window), env);
    const MemberCardOutcome out = job.compose();
    if (out.status != JobStatus::Composed) {
        m_picture->setText(out.failure);
        return;
    }
    const QImage label = RenderZpl(out.order.stream).label;
    m_picture->setPixmap(QPixmap::fromImage(
        label.scaled(kPictureWidth - 8, kPictureHeight - 8, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void MemberListDialog::updateButtons() {
    const bool idle = !m_send;
    m_choose->setEnabled(idle);
    m_print->setEnabled(idle && m_open && m_list.count(RowStatus::Ready) > 0);
    m_continue->setEnabled(idle && m_open && m_list.sentCount() > 0 && FirstUnsentRow(m_list) >= 0);
    m_close->setEnabled(idle);
}

} // namespace hanlabel
