#include "ChannelTesting.h"
#include "LabelWindows.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "app/KoreanTranslation.h"
#include "channels/PreviewTransport.h"
#include "core/AppFolder.h"
#include "core/Signals.h"
#include "glyphs/GlyphSource.h"
#include "lists/ListCompose.h"
#include "lists/ListLock.h"
#include "lists/SentMarks.h"
#include "preview/ZplRenderer.h"
#include "settings/SettingsFile.h"
#include "ui/dialogs/MemberListDialog.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <sys/stat.h>

using namespace hanlabel;
using hanlabel::test::ModalBoxes;

namespace {

constexpr int kPatienceMs = 30000;

// Distinct Hangul syllables the glyph database holds: a card with many of them is large.
const QString kSyllables =
    QStringLiteral("가나다라마바사아자차카타파하거너더러머버서어저처커터퍼허고노도로모보소오조초"
                   "코토포호구누두루무부수우주추쿠투푸후");

// What a settings file is on disk: its bytes, its inode and its modification time.
struct FileState {
    QByteArray bytes;
    ino_t inode = 0;
    qint64 mtimeNs = 0;
    bool operator==(const FileState&) const = default;
};

FileState StateOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {test::ReadFileBytes(path), st.st_ino,
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QList<FileState> SettingsState(const test::AppFolderFixture& folder) {
    QList<FileState> states;
    for (const QString& name : SettingsFiles::All)
        states << StateOf(folder.file(name));
    return states;
}

// The preview window of a label window, while shown.
PreviewWindow* ShownPreview(const QWidget* owner) {
    auto* preview = owner->findChild<PreviewWindow*>(QString(), Qt::FindDirectChildrenOnly);
    return preview && preview->isVisible() ? preview : nullptr;
}

// One column of the dialog's table, top to bottom.
QStringList Column(const MemberListDialog* dialog, int column) {
    const auto* model = dialog->findChild<QTableView*>(QStringLiteral("rowTable"))->model();
    QStringList cells;
    for (int row = 0; row < model->rowCount(); ++row)
        cells << model->index(row, column).data().toString();
    return cells;
}

template <class T> T* Child(const QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

// "미리보기" in both label windows and the list print dialog of the member card window, offscreen,
// on real channels (a file or a FIFO as LPT1).
class TestListDialog : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<main1frm> m_fixture;
    QTemporaryDir m_dir;
    GlyphSource m_glyphs;

    // A list file in the test's folder.
    QString writeList(const QByteArray& bytes) const;
    // The member card window, loaded and shown, with its boxes as the list prints take them.
    std::unique_ptr<main1frm> window() const;
    // The dialog the window's "명단 인쇄..." opened, with the list open.
    MemberListDialog* openDialog(main1frm& window, const QString& listPath) const;
    // The cards of the rows with these lines, composed one after another as separate card jobs of
    // the window would be.
    QByteArray cardJobs(const main1frm& window, const MemberList& list, const QList<int>& lines);
    // Presses a dialog button and waits for the print's outcome.
    static bool pressAndWait(MemberListDialog* dialog, const char* button);

  private slots:
    void initTestCase();
    void init() { m_fixture.reset(); }
    void cleanup() { qunsetenv("HANLABEL_STALL_NOTICE_MS"); }

    void previewWritesAndSendsNothing_data();
    void previewWritesAndSendsNothing();
    void previewRefusesAsPrintDoes();
    void rowsAndStatusesShown();
    void spreadsheetChosenAndShown();
    void errorRowInTheMiddleIsNotSent();
    void failureAfterTwoCardsThenContinue();
    void stopAfterCardMidCardThree();
    void columnChoiceMapsAnUnknownHeader();
    void cardInDoubtIsAsked_data();
    void cardInDoubtIsAsked();
    void printedElsewhereMeanwhile();
    void listPrintingElsewhereIsRefused();
    void screenshot();
};

// QtTest's crash handler takes SIGPIPE over when the run starts; put back what the program does
// first, so that a printer that goes away is the channel's failure as it is in the program.
void TestListDialog::initTestCase() {
    IgnoreChannelSignals();
    InstallKoreanFontSubstitutions();
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

QString TestListDialog::writeList(const QByteArray& bytes) const {
    const QString path = m_dir.filePath(QStringLiteral("%1.csv").arg(QTest::currentTestFunction()));
    QFile::remove(SentMarks::PathFor(path));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

std::unique_ptr<main1frm> TestListDialog::window() const {
    auto window = m_fixture.shownLoaded();
    if (!window)
        return {};
    window->Combo1->setEditText(QStringLiteral("LPT1"));
    window->Text1->setText(QStringLiteral("도서관"));
    window->Text6->setText(QStringLiteral("25"));
    window->Text5->setText(QStringLiteral("15"));
    return window;
}

MemberListDialog* TestListDialog::openDialog(main1frm& window, const QString& listPath) const {
    window.listPrint->trigger();
    auto* dialog = window.findChild<MemberListDialog*>(QStringLiteral("listDialog"));
    if (dialog && !dialog->openList(listPath))
        return nullptr;
    return dialog;
}

QByteArray TestListDialog::cardJobs(const main1frm& window, const MemberList& list, const QList<int>& lines) {
    MemberCardInputs in;
    in.portText = window.Combo1->currentText();
    in.originX = window.Text6->text();
    in.originY = window.Text5->text();
    in.maskSecondPart = true;
    const QStringList layout = ReadSettingsFile(m_fixture.folder().file(SettingsFiles::MemberLayout), 7);
    QByteArray stream;
    for (const ListRow& row : list.rows)
        if (lines.contains(row.line))
            stream += ComposeMemberCard(CardInputs(row, in), layout, ChannelKind::Parallel, m_glyphs);
    return stream;
}

bool TestListDialog::pressAndWait(MemberListDialog* dialog, const char* button) {
    QSignalSpy finished(dialog, &MemberListDialog::printFinished);
    Child<QPushButton>(dialog, button)->click();
    return QTest::qWaitFor([&] { return finished.size() == 1; }, kPatienceMs);
}

void TestListDialog::previewWritesAndSendsNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("book labels") << "mainfrm";
    QTest::newRow("member card") << "main1frm";
}

// The preview composes what the print button would send; the print afterwards shows that a print
// does rewrite the files the preview left alone.
void TestListDialog::previewWritesAndSendsNothing() {
    QFETCH(QString, kind);
    const auto window = test::ShownLoaded(kind);
    QVERIFY(window);
    test::FillEntries(window.get());
    window->Combo1->setEditText(QStringLiteral("LPT1"));
    window->Option5->setChecked(true);
    window->findChild<QLineEdit*>(kind == "mainfrm" ? "Text3" : "Text6")->setText(QStringLiteral("33"));
    const QList<FileState> before = SettingsState(m_fixture.folder());

    ModalBoxes boxes;
    window->preview->trigger();
    QCOMPARE(boxes.seen.size(), 0);
    QCOMPARE(SettingsState(m_fixture.folder()), before);
    QVERIFY(!QFile::exists(m_fixture.lptPath()));
    PreviewWindow* preview = ShownPreview(window.get());
    QVERIFY(preview);
    const QImage previewed = preview->label();

    window->Command1->click();
    QVERIFY(test::WaitForOutcome(window.get(), kPatienceMs));
    QCOMPARE(boxes.seen.size(), 0);
    QVERIFY(SettingsState(m_fixture.folder()) != before);
    const QByteArray printed = m_fixture.printed();
    QVERIFY(printed.contains("^LH33,"));
    QCOMPARE(RenderZpl(printed).label, previewed);
    delete preview;
}

// An origin the print refuses is refused by the preview, with the same box, and nothing written.
void TestListDialog::previewRefusesAsPrintDoes() {
    const auto window = this->window();
    QVERIFY(window);
    test::FillEntries(window.get());
    window->Text6->setText(QStringLiteral("^FO"));
    const QList<FileState> before = SettingsState(m_fixture.folder());
    ModalBoxes boxes;
    window->preview->trigger();
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("입력오류"));
    QVERIFY2(boxes.seen[0].text.contains("Text6"), qPrintable(boxes.seen[0].text));
    QCOMPARE(SettingsState(m_fixture.folder()), before);
    QVERIFY(!ShownPreview(window.get()));
    QVERIFY(!QFile::exists(m_fixture.lptPath()));
}

// The table shows each row's line, values and status; a list without an affiliation takes the
// window's; the picture is the selected card, or the reason a row cannot print.
void TestListDialog::rowsAndStatusesShown() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path =
        writeList("성명,회원번호\n홍길동,200401-0123\n김철수,12345678901234\n\n이영희,2005011\n");
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    QCOMPARE(boxes.seen.size(), 0);
    QVERIFY(dialog->isVisible());
    QCOMPARE(Column(dialog, 0), (QStringList{"2", "3", "5"}));
    QCOMPARE(Column(dialog, 1), (QStringList{"도서관", "도서관", "도서관"}));
    QCOMPARE(Column(dialog, 2), (QStringList{"홍길동", "김철수", "이영희"}));
    QCOMPARE(Column(dialog, 3), (QStringList{"200401-0123", "12345678901234", "2005011"}));
    const QStringList status = Column(dialog, 4);
    QCOMPARE(status[0], QStringLiteral("준비"));
    QVERIFY2(status[1].startsWith(QStringLiteral("오류: ")) && status[1].contains(QStringLiteral("회원번호")),
             qPrintable(status[1]));
    QCOMPARE(status[2], QStringLiteral("준비"));
    QVERIFY(Child<QLabel>(dialog, "summaryLabel")->text().contains(QStringLiteral("빈 줄 1개")));

    auto* table = Child<QTableView>(dialog, "rowTable");
    auto* picture = Child<QLabel>(dialog, "cardPicture");
    table->selectRow(0);
    QVERIFY(!picture->pixmap().isNull());
    table->selectRow(1);
    QVERIFY(picture->pixmap().isNull());
    QVERIFY2(picture->text().startsWith(QStringLiteral("3행: ")), qPrintable(picture->text()));
    QVERIFY(!Child<QPushButton>(dialog, "continueButton")->isEnabled());
    QVERIFY(Child<QPushButton>(dialog, "printButton")->isEnabled());
    Child<QPushButton>(dialog, "closeButton")->click();
    QVERIFY(!dialog->isVisible());
}

// The chooser offers spreadsheets; the first sheet of one shows as its CSV would.
void TestListDialog::spreadsheetChosenAndShown() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path = m_dir.filePath(QStringLiteral("신입생.xlsx"));
    QFile::remove(path);
    QFile::remove(SentMarks::PathFor(path));
    QVERIFY(QFile::copy(test::TestDataPath(QStringLiteral("lists/three.xlsx")), path));
    ModalBoxes boxes;
    window->listPrint->trigger();
    auto* dialog = window->findChild<MemberListDialog*>(QStringLiteral("listDialog"));
    QVERIFY(dialog);

    QStringList filters;
    QTimer chooser;
    chooser.setInterval(10);
    connect(&chooser, &QTimer::timeout, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!files || !filters.isEmpty())
            return;
        filters = files->nameFilters();
        files->selectFile(path);
        QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
    });
    chooser.start();
    Child<QPushButton>(dialog, "chooseButton")->click();
    chooser.stop();
    QCOMPARE(filters, (QStringList{"명단 (*.csv *.txt *.xlsx *.ods)", "CSV 명단 (*.csv *.txt)",
                                   "스프레드시트 (*.xlsx *.ods)", "모든 파일 (*)"}));
    QCOMPARE(boxes.seen.size(), 0);
    QCOMPARE(Child<QLineEdit>(dialog, "listPath")->text(), path);
    QCOMPARE(Column(dialog, 0), (QStringList{"2", "3", "4"}));
    QCOMPARE(Column(dialog, 1), (QStringList{"국립중앙도서관", "A1", "본관"}));
    QCOMPARE(Column(dialog, 2), (QStringList{"홍길동", "BC", "김철수"}));
    QCOMPARE(Column(dialog, 3), (QStringList{"2004010123", "200401-0123", "1-2"}));
    QCOMPARE(Column(dialog, 4), (QStringList{"준비", "준비", "준비"}));
}

// A row that cannot be composed is an error row and never sent; the others go in one job whose
// bytes are their card jobs one after another. The settings files are those of one card job, and
// the marks are saved and shown when the list is opened again.
void TestListDialog::errorRowInTheMiddleIsNotSent() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path = writeList("소속,성명,회원번호\n본관,홍길동,200401-0123\nA1,B\xEE\x80\x80,200402-1\n"
                                   "분관,김철수,200403-77\n");
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    QVERIFY(pressAndWait(dialog, "printButton"));
    QCOMPARE(boxes.seen.size(), 0);

    QCOMPARE(m_fixture.printed(), cardJobs(*window, dialog->list(), {2, 4}));
    const QStringList status = Column(dialog, 4);
    QCOMPARE(status[0], QStringLiteral("보냄"));
    QVERIFY2(status[1].startsWith(QStringLiteral("오류: ")) && status[1].contains("U+E000"),
             qPrintable(status[1]));
    QCOMPARE(status[2], QStringLiteral("보냄"));
    QCOMPARE(m_fixture.folder().readBytes(SettingsFiles::MemberOrigin), QByteArray("25\r\n15\r\n"));
    QCOMPARE(m_fixture.folder().readBytes(SettingsFiles::MemberChannel), QByteArray("LPT1\r\n2\r\n"));
    const QPointer<MemberListDialog> closed = dialog;
    Child<QPushButton>(dialog, "closeButton")->click();
    QTRY_VERIFY(!closed);

    m_fixture.forgetPrinted();
    MemberListDialog* again = openDialog(*window, path);
    QVERIFY(again);
    QCOMPARE(Column(again, 4), (QStringList{"보냄", "준비", "보냄"}));
    // Continuing finds the one row left unprintable again and sends nothing; a new print asks
    // before sending the sent cards twice.
    Child<QPushButton>(again, "continueButton")->click();
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.startsWith(QStringLiteral("보낼 카드가 없습니다")),
             qPrintable(boxes.seen[0].text));
    QVERIFY(Column(again, 4)[1].startsWith(QStringLiteral("오류: ")));
    QVERIFY(!Child<QPushButton>(again, "continueButton")->isEnabled());
    boxes.setAnswer(QMessageBox::Cancel);
    Child<QPushButton>(again, "printButton")->click();
    QCOMPARE(boxes.seen.size(), 2);
    QVERIFY2(boxes.seen[1].text.contains(QStringLiteral("이미 보낸 카드가 2장")),
             qPrintable(boxes.seen[1].text));
    QVERIFY(!QFile::exists(m_fixture.lptPath()));
}

// A printer that goes away after card 2 of 5 (each card larger than the pipe's buffer, so the count
// is exact): exactly 2 marked sent; "이어서 인쇄" then sends cards 3 to 5, once.
void TestListDialog::failureAfterTwoCardsThenContinue() {
    QByteArray csv = "소속,성명,회원번호\n";
    for (int i = 0; i < 5; ++i)
        csv += (kSyllables.mid(i, 30) + "," + kSyllables.mid(30 + i, 10) +
                QStringLiteral(",20040%1-01%1\n").arg(i))
                   .toUtf8();
    const QString path = writeList(csv);
    const QString fifo = m_dir.filePath(QStringLiteral("printer.fifo"));
    QFile::remove(fifo);
    qputenv("HANLABEL_LPT1", fifo.toLocal8Bit());
    qputenv("HANLABEL_STALL_NOTICE_MS", "200");
    test::FifoReader printer(fifo);

    const auto window = this->window();
    QVERIFY(window);
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    const QByteArray firstTwo = cardJobs(*window, dialog->list(), {2, 3});
    for (int line = 2; line <= 6; ++line)
        QVERIFY(cardJobs(*window, dialog->list(), {line}).size() > 2 * 4096);

    printer.start({.expected = qint64(1) << 30, .first = firstTwo.size(), .closeAfterFirst = true});
    QVERIFY(pressAndWait(dialog, "printButton"));
    QCOMPARE(printer.finish(), firstTwo);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("2 / 5장")), qPrintable(boxes.seen[0].text));
    QCOMPARE(Column(dialog, 4), (QStringList{"보냄", "보냄", "준비", "준비", "준비"}));
    SentMarks marks = SentMarks::Load(SentMarks::PathFor(path));
    QCOMPARE(marks.marks().size(), 2);
    QCOMPARE(marks.marks()[1].line, 3);

    qputenv("HANLABEL_LPT1", m_fixture.lptPath().toLocal8Bit());
    QVERIFY(Child<QPushButton>(dialog, "continueButton")->isEnabled());
    QVERIFY(pressAndWait(dialog, "continueButton"));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(m_fixture.printed(), cardJobs(*window, dialog->list(), {4, 5, 6}));
    QCOMPARE(Column(dialog, 4), (QStringList(5, QStringLiteral("보냄"))));
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(path)).marks().size(), 5);
    QVERIFY(!Child<QPushButton>(dialog, "continueButton")->isEnabled());
}

// "이 카드 다음에 멈춤" while card 3 of 5 goes to a slow printer: cards 1-3 arrive whole and are
// marked, 4 and 5 are not sent; "이어서 인쇄" sends them.
void TestListDialog::stopAfterCardMidCardThree() {
    QByteArray csv = "소속,성명,회원번호\n";
    for (int i = 0; i < 5; ++i)
        csv += (kSyllables.mid(i, 30) + "," + kSyllables.mid(30 + i, 10) + QStringLiteral(",20040%1-01%1\n").arg(i))
                   .toUtf8();
    const QString path = writeList(csv);
    const QString fifo = m_dir.filePath(QStringLiteral("slow.fifo"));
    QFile::remove(fifo);
    qputenv("HANLABEL_LPT1", fifo.toLocal8Bit());
    test::FifoReader printer(fifo);
    const auto window = this->window();
    QVERIFY(window);
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    const QByteArray firstThree = cardJobs(*window, dialog->list(), {2, 3, 4});
    printer.start({.expected = firstThree.size(), .delayPerKbMs = 60});

    QSignalSpy finished(dialog, &MemberListDialog::printFinished);
    Child<QPushButton>(dialog, "printButton")->click();
    auto* box = dialog->findChild<QDialog*>(QStringLiteral("listProgress"));
    QVERIFY(box && box->isVisible());
    auto* stop = Child<QPushButton>(box, "stopAfterCardButton");
    QVERIFY(stop->isDefault() && stop->isVisible() && Child<QPushButton>(box, "cancelButton")->isVisible());
    // Card 3 (line 4) is on its way once its "sending" mark is on the disk.
    QVERIFY(QTest::qWaitFor(
        [&] { return test::ReadFileBytes(SentMarks::PathFor(path)).contains("?\t4\t"); }, kPatienceMs));
    stop->click();
    QVERIFY(QTest::qWaitFor([&] { return finished.size() == 1; }, kPatienceMs));
    QCOMPARE(printer.finish(), firstThree);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("3 / 5장")), qPrintable(boxes.seen[0].text));
    QCOMPARE(Column(dialog, 4), (QStringList{"보냄", "보냄", "보냄", "준비", "준비"}));
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(path)).marks().size(), 3);

    qputenv("HANLABEL_LPT1", m_fixture.lptPath().toLocal8Bit());
    QVERIFY(pressAndWait(dialog, "continueButton"));
    QCOMPARE(m_fixture.printed(), cardJobs(*window, dialog->list(), {5, 6}));
    QCOMPARE(SentMarks::Load(SentMarks::PathFor(path)).marks().size(), 5);
}

// A header the program does not know refuses the list and says how to map it; the column choice
// takes the mapping --columns takes.
void TestListDialog::columnChoiceMapsAnUnknownHeader() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path = writeList("이름,연락처,카드\n홍길동,010-1234-5678,2004-12\n");
    ModalBoxes boxes;
    window->listPrint->trigger();
    auto* dialog = window->findChild<MemberListDialog*>(QStringLiteral("listDialog"));
    QVERIFY(dialog);
    QVERIFY(!dialog->openList(path));
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("알아본 열: 1열 성명")) &&
                 boxes.seen[0].text.contains(QStringLiteral("열 지정")),
             qPrintable(boxes.seen[0].text));
    QVERIFY(!Child<QPushButton>(dialog, "printButton")->isEnabled());
    QVERIFY(dialog->setColumns(QStringLiteral("name=1,number=3")));
    QCOMPARE(Column(dialog, 0), QStringList{"2"});
    QCOMPARE(Column(dialog, 2), QStringList{"홍길동"});
    QCOMPARE(Column(dialog, 3), QStringList{"2004-12"});
    QCOMPARE(Child<QPushButton>(dialog, "columnsButton")->text(), QStringLiteral("열: name=1,number=3"));
    QVERIFY(!dialog->setColumns(QStringLiteral("name,phone")));
    QVERIFY2(boxes.seen.last().text.contains(QStringLiteral("phone")), qPrintable(boxes.seen.last().text));
}

void TestListDialog::cardInDoubtIsAsked_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("printed");
    QTest::newRow("printed again") << int(QMessageBox::Yes) << QList<int>{2, 3, 4};
    QTest::newRow("left out") << int(QMessageBox::No) << QList<int>{2, 4};
}

// A card a run was sending when it ended unseen is named, and printed again only when the operator
// says so; the question's default is to leave it out.
void TestListDialog::cardInDoubtIsAsked() {
    QFETCH(int, answer);
    QFETCH(QList<int>, printed);
    const auto window = this->window();
    QVERIFY(window);
    const QString path = writeList("소속,성명,회원번호\n본관,김철수,1-1\n본관,홍길동,2004-12\n본관,이영희,1-3\n");
    const MemberList list = ReadMemberList(path, {});
    QFile marks(SentMarks::PathFor(path));
    QVERIFY(marks.open(QIODevice::WriteOnly));
    marks.write("hanlabel sent 1\n?\t3\t" + list.rows[1].fingerprint + "\n");
    marks.close();
    ModalBoxes boxes{QMessageBox::StandardButton(answer)};
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    QCOMPARE(Column(dialog, 4), (QStringList{"준비", "보냈는지 모름", "준비"}));
    QVERIFY(pressAndWait(dialog, "printButton"));
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("3행 홍길동: 보냈는지 알 수 없습니다")),
             qPrintable(boxes.seen[0].text));
    QCOMPARE(m_fixture.printed(), cardJobs(*window, dialog->list(), printed));
    QCOMPARE(Column(dialog, 4)[1], answer == QMessageBox::Yes ? QStringLiteral("보냄") : QStringLiteral("보냈는지 모름"));
}

// Desk B opened the list before desk A printed its first two cards: B's print sends only the
// third and says so.
void TestListDialog::printedElsewhereMeanwhile() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path = writeList("소속,성명,회원번호\n본관,김철수,1-1\n본관,홍길동,1-2\n본관,이영희,1-3\n");
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    SentMarks deskA;
    deskA.add(dialog->list().rows[0]);
    deskA.add(dialog->list().rows[1]);
    deskA.save(SentMarks::PathFor(path));
    QVERIFY(pressAndWait(dialog, "printButton"));
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("다른 곳에서 2장을 인쇄했습니다")), qPrintable(boxes.seen[0].text));
    QCOMPARE(m_fixture.printed(), cardJobs(*window, dialog->list(), {4}));
    QCOMPARE(Column(dialog, 4), (QStringList{"보냄", "보냄", "보냄"}));
}

void TestListDialog::listPrintingElsewhereIsRefused() {
    const auto window = this->window();
    QVERIFY(window);
    const QString path = writeList("소속,성명,회원번호\n본관,김철수,1-1\n");
    ModalBoxes boxes;
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    const ListLock elsewhere(path, QStringLiteral("hanlabel-batch"));
    Child<QPushButton>(dialog, "printButton")->click();
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("이 명단은 지금 다른 곳에서 인쇄 중입니다 (hanlabel-batch")),
             qPrintable(boxes.seen[0].text));
    QVERIFY(!QFile::exists(m_fixture.lptPath()));
}

// docs/member-list-dialog.png when HANLABEL_SCREENSHOT_DIR names a folder.
void TestListDialog::screenshot() {
    InstallKoreanTranslation(*qApp);
    const auto window = this->window();
    QVERIFY(window);
    const QString path =
        writeList("소속,성명,회원번호\n본관,홍길동,200401-0123\n본관,김철수,200402-0456\n"
                  "분관,이영희,20040312345678\n분관,박민수,200404-0789\n본관,최지우,200405-1011\n");
    SentMarks marks;
    const MemberList list = ReadMemberList(path, {});
    marks.add(list.rows[0]);
    marks.add(list.rows[1]);
    marks.save(SentMarks::PathFor(path));
    MemberListDialog* dialog = openDialog(*window, path);
    QVERIFY(dialog);
    Child<QTableView>(dialog, "rowTable")->selectRow(3);
    Child<QLineEdit>(dialog, "listPath")->setText(QStringLiteral("/home/desk/문서/2026학년도 신입생.csv"));
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QString family = QFontInfo(Child<QLabel>(dialog, "summaryLabel")->font()).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean), qPrintable(family));
    const QImage image = dialog->grab().toImage();
    QVERIFY(!image.isNull());
    const QString folder = qEnvironmentVariable("HANLABEL_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(image.save(folder + QStringLiteral("/member-list-dialog.png")));
}

QTEST_MAIN(TestListDialog)
#include "tst_listdialog.moc"
