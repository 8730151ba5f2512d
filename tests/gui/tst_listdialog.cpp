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
#include "lists/SentMarks.h"
#include "preview/ZplRenderer.h"
#include "settings/SettingsFile.h"
#include "ui/dialogs/MemberListDialog.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
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
    const auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("rowTable"));
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row)
        cells << table->item(row, column)->text();
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
    void errorRowInTheMiddleIsNotSent();
    void failureAfterTwoCardsThenContinue();
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

    auto* table = Child<QTableWidget>(dialog, "rowTable");
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
    Child<QTableWidget>(dialog, "rowTable")->selectRow(3);
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
