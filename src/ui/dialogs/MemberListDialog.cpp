#include "ui/dialogs/MemberListDialog.h"

#include "channels/TargetFactory.h"
#include "core/AppFolder.h"
#include "core/Failure.h"
#include "lists/ListCards.h"
#include "lists/ListJob.h"
#include "lists/ListProgress.h"
#include "lists/ListSend.h"
#include "preview/ZplRenderer.h"
#include "printers/PrinterMapping.h"
#include "ui/dialogs/ListProgress.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/PreviewWindow.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

namespace hanlabel {

namespace {

const QString Title = QStringLiteral("명단 인쇄");
constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 220;

// The status column of a row: ready, sent, in doubt, or the error with its reason; a card that
// needs a look says why.
QString StatusText(const ListRow& row) {
    if (row.status == RowStatus::Error)
        return QStringLiteral("오류: ") + row.error;
    if (row.uncertain)
        return QStringLiteral("보냈는지 모름");
    if (!row.warning.isEmpty())
        return (row.sent ? QStringLiteral("보냄, 확인 필요: ") : QStringLiteral("확인 필요: ")) + row.warning;
    return row.sent ? QStringLiteral("보냄") : QStringLiteral("준비");
}

const QString GlyphChoiceHelp = QStringLiteral(
    "카드마다 글자 보내기: 한글 글자를 카드마다 압축하지 않고 다시 보냅니다 (느립니다). "
    "명단의 카드에 글자가 빠지거나 다른 글자가 찍히고 같은 카드를 한 장씩 인쇄하면 바르게 나오는 "
    "프린터에만 쓰십시오. 이 프린터에 대해 기억됩니다.\n"
    "인쇄 중에 프린터를 껐다 켰다면 \"이어서 인쇄\"를 누르십시오: 나머지 카드가 글자를 다시 보냅니다.");

// A push button with an object name that Enter does not press unless it has the focus.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// What reading a list on the worker gives back.
struct ReadResult {
    MemberList list;
    SentMarks marks;
    QString failure;
};

} // namespace

// The rows of the open list as the table shows them, made on demand: a list of 200,000 rows
// costs no item objects.
class ListRowsModel final : public QAbstractTableModel {
  public:
    ListRowsModel(const MemberList& list, QObject* parent) : QAbstractTableModel(parent), m_list(list) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_list.rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_list.rows.size())
            return {};
        const ListRow& row = m_list.rows[index.row()];
        if (role == Qt::ToolTipRole)
            return row.status == RowStatus::Error ? RowErrorText(row) : row.uncertain ? UncertainText(row) : QString();
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0:
            return QString::number(row.line);
        case 1:
            return row.affiliation;
        case 2:
            return row.name;
        case 3:
            return row.memberNumber;
        default:
            return StatusText(row);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const QStringList names = {QStringLiteral("행"), QStringLiteral("소속"), QStringLiteral("성명"),
                                          QStringLiteral("회원번호"), QStringLiteral("상태")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return names.value(section);
        return {};
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }
    void rowsChanged() {
        if (!m_list.rows.isEmpty())
            emit dataChanged(index(0, 0), index(int(m_list.rows.size()) - 1, 4));
    }

  private:
    const MemberList& m_list;
};

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
    m_columnsButton = MakeButton(this, QStringLiteral("columnsButton"), QStringLiteral("열 지정..."));
    m_columnsButton->setToolTip(QStringLiteral("머리글이 없거나 알 수 없는 명단의 열: 예) name=2,number=3"));

    m_model = new ListRowsModel(m_list, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("rowTable"));
    m_table->setModel(m_model);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
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
    m_everyCard = new QCheckBox(QStringLiteral("카드마다 글자 보내기"), this);
    m_everyCard->setObjectName(QStringLiteral("glyphsEveryCard"));
    m_everyCard->setToolTip(GlyphChoiceHelp);
    m_everyCard->setWhatsThis(GlyphChoiceHelp);
    auto* glyphHelp =
        new QLabel(QStringLiteral("글자가 빠지는 프린터에만 쓰십시오. 인쇄 중 프린터를 껐다 켰으면 "
                                  "\"이어서 인쇄\"를 누르십시오."),
                   this);
    glyphHelp->setObjectName(QStringLiteral("glyphsHelp"));
    glyphHelp->setToolTip(GlyphChoiceHelp);
    glyphHelp->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_pathBox, 1);
    top->addWidget(m_choose);
    top->addWidget(m_columnsButton);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_table, 1);
    middle->addWidget(m_picture, 0, Qt::AlignTop);
    auto* glyphs = new QHBoxLayout;
    glyphs->addWidget(m_everyCard);
    glyphs->addWidget(glyphHelp, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_print);
    buttons->addWidget(m_continue);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(glyphs);
    layout->addLayout(buttons);
    resize(900, 420);

    connect(m_choose, &QPushButton::clicked, this, &MemberListDialog::chooseList);
    connect(m_columnsButton, &QPushButton::clicked, this, &MemberListDialog::chooseColumns);
    connect(m_print, &QPushButton::clicked, this, &MemberListDialog::printReady);
    connect(m_continue, &QPushButton::clicked, this, &MemberListDialog::printRest);
    connect(m_close, &QPushButton::clicked, this, &MemberListDialog::reject);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MemberListDialog::showSelectedCard);
    readGlyphChoice();
    connect(m_everyCard, &QCheckBox::toggled, this, &MemberListDialog::saveGlyphChoice);
    showSelectedCard();
    updateButtons();
}

// A send still running is cancelled and waited for; its result has no dialog to go to.
MemberListDialog::~MemberListDialog() {
    m_progress.reset();
    if (m_job)
        m_job->disconnect();
    m_job.reset();
}

bool MemberListDialog::openList(const QString& path) {
    if (m_reading || m_job)
        return false;
    m_path = path;
    m_pathBox->setText(path);
    m_open = false;
    m_list = {};
    m_marks = {};
    showRows();
    m_reading = true;
    m_summary->setText(QStringLiteral("명단을 읽는 중입니다..."));
    updateButtons();

    // Read and matched on a worker; the window keeps painting and answering meanwhile.
    ReadResult result;
    const ListReadOptions options{m_window.affiliation, m_columns};
    QEventLoop loop;
    QThread* reader = QThread::create([&result, path, options] {
        try {
            result.list = ReadMemberList(path, options);
            result.marks = SentMarks::Load(SentMarks::PathFor(path));
            ApplySentMarks(result.list, result.marks);
        } catch (const Failure& failure) {
            result.failure = failure.message();
        }
    });
    connect(reader, &QThread::finished, &loop, &QEventLoop::quit);
    reader->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    reader->wait();
    delete reader;
    m_reading = false;

    if (result.failure.isEmpty()) {
        m_list = std::move(result.list);
        m_marks = std::move(result.marks);
        markWarnings();
        m_open = true;
    }
    showRows();
    if (!m_open)
        ShowFailure(this, result.failure);
    if (m_model->rowCount() > 0)
        m_table->selectRow(0);
    return m_open;
}

void MemberListDialog::chooseList() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("명단 열기"), QFileInfo(m_path).path(),
        QStringLiteral("명단 (*.csv *.txt *.xlsx *.ods);;CSV 명단 (*.csv *.txt);;"
                       "스프레드시트 (*.xlsx *.ods);;모든 파일 (*)"));
    if (!path.isEmpty())
        openList(path);
}

void MemberListDialog::chooseColumns() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, QStringLiteral("열 지정"),
        QStringLiteral("성명, 회원번호(와 소속)가 있는 열을 적으십시오. 비워 두면 머리글을 따릅니다.\n"
                       "예) name=2,number=3   또는   -,성명,학번   (열 번호는 1부터)"),
        QLineEdit::Normal, m_columnsText, &ok);
    if (ok)
        setColumns(text);
}

bool MemberListDialog::setColumns(const QString& mapping) {
    try {
        m_columns = mapping.trimmed().isEmpty() ? std::nullopt : std::optional<ColumnMap>(ParseColumnMap(mapping));
    } catch (const Failure& failure) {
        ShowMessage(this, failure.message(), QStringLiteral("입력오류"), QMessageBox::Critical);
        return false;
    }
    m_columnsText = mapping.trimmed();
    m_columnsButton->setText(m_columnsText.isEmpty() ? QStringLiteral("열 지정...")
                                                     : QStringLiteral("열: %1").arg(m_columnsText));
    return m_path.isEmpty() || openList(m_path);
}

void MemberListDialog::printReady() {
    const int sent = m_list.sentCount();
    bool again = false;
    if (sent > 0) {
        const auto answer =
            ShowMessage(this,
                        QStringLiteral("이미 보낸 카드가 %1장 있습니다. 그 카드도 다시 인쇄할까요?\n"
                                       "(아니요: 보내지 않은 카드만 인쇄합니다)")
                            .arg(sent),
                        Title, QMessageBox::Question,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
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

// Under the list's lock: the marks read again (another desk may have printed meanwhile), the
// settings steps and every card composed, then the cards sent one by one, each marked as it
// arrives.
void MemberListDialog::printRows(RowSelection selection) {
    if (m_job || !m_open || m_reading)
        return;
    QStringList doubts;
    for (const int index : RowsToPrint(m_list, selection))
        if (m_list.rows[index].uncertain)
            doubts << UncertainText(m_list.rows[index]);
    if (!doubts.isEmpty()) {
        const auto answer = ShowMessage(
            this,
            QStringLiteral("지난 인쇄가 이 카드를 보내다 끝났습니다. 프린터에서 나왔는지 확인하십시오.\n%1\n\n"
                           "다시 인쇄할까요? (아니요: 이 카드는 빼고 인쇄합니다)")
                .arg(doubts.join(u'\n')),
            Title, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::No);
        if (answer == QMessageBox::Cancel)
            return;
        selection.skipUncertain = answer == QMessageBox::No;
    }
    const QList<int> before = RowsToPrint(m_list, selection);
    if (before.isEmpty()) {
        ShowMessage(this, QStringLiteral("인쇄할 행이 없습니다."), Title, QMessageBox::Information);
        return;
    }
    std::unique_ptr<ListRun> run;
    try {
        run = std::make_unique<ListRun>(m_path, QStringLiteral("hanlabel"), m_list, m_marks);
    } catch (const Failure& failure) {
        showRows();
        ShowFailure(this, failure.message());
        return;
    }
    const QList<int> rows = RowsToPrint(m_list, selection);
    const int elsewhere = SentMeanwhile(m_list, before);
    showRows();
    if (elsewhere > 0)
        ShowMessage(this,
                    QStringLiteral("이 명단을 연 뒤 다른 곳에서 %1장을 인쇄했습니다. 그 카드는 빼고 인쇄합니다.")
                        .arg(elsewhere),
                    Title, QMessageBox::Information);
    if (rows.isEmpty()) {
        run->finish(-1);
        ShowMessage(this, QStringLiteral("인쇄할 행이 없습니다."), Title, QMessageBox::Information);
        return;
    }
    const GlyphSending sending =
        m_everyCard->isChecked() ? GlyphSending::EveryCard : GlyphSending::OncePerList;
    ListPrintOutcome out = PrepareListPrint(m_list, rows, m_window, m_env, sending);
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
        run->finish(-1);
        ShowFailure(this, QStringLiteral("보낼 카드가 없습니다: 고른 행을 모두 인쇄할 수 없습니다."));
        return;
    }
    try {
        m_job = std::make_unique<CardSendJob>(OpenTransport(out.order.kind, out.order.framing),
                                              std::make_unique<ListCards>(CardsToSend(out.composed)));
    } catch (const Failure& failure) {
        run->finish(-1);
        ShowFailure(this, failure.message());
        return;
    }
    m_run = std::move(run);
    m_cardRows = CardRows(out.composed);
    m_run->watch(m_job->watch(), m_list, m_cardRows);
    m_job->setStallAfter(StallNoticeTime());
    m_job->keepPicture();
    connect(m_job.get(), &CardSendJob::cardDelivered, this, [this](int card) {
        m_run->delivered(card);
        m_model->rowsChanged();
        m_summary->setText(ListSummary(m_list));
    });
    connect(m_job.get(), &CardSendJob::finished, this, &MemberListDialog::sendFinished);
    m_progress = std::make_unique<ListProgress>(this, m_job.get(), out.order.kind, out.composed.stream.size());
    m_job->start();
    updateButtons();
}

// Every card that arrived is marked already; the one in doubt is marked so, the compact marks
// written, the lock released, and the outcome reported.
void MemberListDialog::sendFinished(bool ok, const QString& message) {
    m_progress.reset();
    if (m_job->picture())
        ShowPreview(parentWidget() ? parentWidget() : this, *m_job->picture(), PreviewShows::Print);
    const int total = m_job->cardCount();
    const int whole = m_job->delivered();
    const int inDoubt = m_job->cardInDoubt();
    const bool stopped = m_job->wasStopped();
    const bool cancelled = m_job->wasCancelled();
    m_job.release()->deleteLater();
    QString marksFailure;
    try {
        m_run->finish(inDoubt);
    } catch (const Failure& failure) {
        marksFailure = failure.message();
    }
    m_run.reset();
    showRows();
    if (!marksFailure.isEmpty())
        ShowFailure(this, marksFailure);
    m_close->setText(QStringLiteral("닫기"));
    const int next = FirstUnsentRow(m_list);
    const ListEnd listEnd{ok            ? ListEnd::How::Done
                          : stopped     ? ListEnd::How::Stopped
                          : cancelled   ? ListEnd::How::Cancelled
                                        : ListEnd::How::Failed,
                          total, whole, ok || stopped ? QString() : message,
                          ok || next < 0 ? 0 : m_list.rows[next].line};
    QString report = ListEndText(listEnd);
    if (inDoubt >= 0)
        report += u'\n' + UncertainText(m_list.rows[m_cardRows.value(inDoubt)]);
    if (ok || stopped)
        ShowMessage(this, report, Title, QMessageBox::Information);
    else if (cancelled)
        ShowMessage(this, report, QStringLiteral("인쇄 취소"), QMessageBox::Information);
    else
        ShowFailure(this, report);
    m_cardRows.clear();
    emit printFinished();
}

void MemberListDialog::markWarnings() {
    try {
        MemberCardInputs in = m_window;
        LabelJobOutcome settings;
        if (const auto layout = MemberCardSettings(m_env.folder, in, settings, JobMode::ComposeOnly))
            MarkCardWarnings(m_list, in, *layout);
    } catch (const Failure&) {
        // The print reads the layout again and reports what is wrong with it.
    }
}

namespace {
// The printer mapping files of the dialog's application folder.
MappingPlaces MappingPlacesOf(const QString& folder) {
    return {ApplicationFile(folder, PrinterMappingFileName), SystemPrinterMappingFile()};
}
} // namespace

// A mapping file that cannot be read leaves the choice off; the print reports the file.
void MemberListDialog::readGlyphChoice() {
    try {
        m_everyCard->setChecked(GlyphsEveryCard(MappingPlacesOf(m_env.folder)));
    } catch (const Failure&) {
        m_everyCard->setChecked(false);
    }
}

void MemberListDialog::saveGlyphChoice(bool everyCard) {
    try {
        SetGlyphsEveryCard(everyCard, MappingPlacesOf(m_env.folder));
    } catch (const Failure& failure) {
        ShowFailure(this, failure.message());
    }
}

void MemberListDialog::reject() {
    if (!m_job && !m_reading)
        QDialog::reject();
}

void MemberListDialog::showRows() {
    const int selected = m_table->currentIndex().row();
    m_model->reset();
    if (selected >= 0 && selected < m_model->rowCount())
        m_table->selectRow(selected);
    m_summary->setText(m_open ? ListSummary(m_list) : QString());
    updateButtons();
}

// The selected row's card as the print would compose it, drawn by the virtual printer; writes
// nothing. A row that cannot be printed shows why.
void MemberListDialog::showSelectedCard() {
    const int index = m_table->currentIndex().row();
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
    const bool idle = !m_job && !m_reading;
    m_choose->setEnabled(idle);
    m_columnsButton->setEnabled(idle);
    m_print->setEnabled(idle && m_open && m_list.count(RowStatus::Ready) > 0);
    m_continue->setEnabled(idle && m_open && m_list.sentCount() > 0 && FirstUnsentRow(m_list) >= 0);
    m_close->setEnabled(idle);
}

} // namespace hanlabel
