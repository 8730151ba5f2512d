// The real hanlabel executable under Xvfb, used as an operator would: xdotool clicks and types,
// the printer is a file mapped as LPT1 or a pseudo-terminal mapped as COM1.

#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "jobs/MemberCardJob.h"
#include "settings/SettingsFile.h"

#include "ChannelTesting.h"
#include "LabelForms.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;
using hanlabel::test::CompareGolden;
using hanlabel::test::PtyCapture;

namespace {

constexpr int StepTimeoutMs = 15000;
// Window geometry is given in twips; a pixel is 15 twips.
constexpr int TwipsToPixels(int twips) { return (twips + 7) / 15; }
// The client height of both label windows; the menu bar lies above it, the status line below.
const int ClientHeight = TwipsToPixels(hanlabel::test::ClientHeightTwips);
const int StatusLineHeight = TwipsToPixels(300);

struct Point {
    int x;
    int y;
};

// The centre of a control of a label window's form, in client coordinates.
Point Centre(const QString& window, const QString& name) {
    const QRect twips = hanlabel::test::ClientTwips(window, name);
    return {TwipsToPixels(twips.left() + twips.width() / 2), TwipsToPixels(twips.top() + twips.height() / 2)};
}

// What the engine composes from the inputs of a book job printed on "LPT1" at origin 0,0.
QByteArray ComposedBookOnLpt(const AppFolderFixture& app, BookLabelInputs in) {
    in.portText = "LPT1";
    in.originX = "0";
    in.originY = "0";
    GlyphSource glyphs;
    glyphs.bind(app.file(QStringLiteral("견고딕24X24.mdb")));
    return ComposeBookLabel(in, ReadSettingsFile(app.file("DPOS.ini"), 5), ChannelKind::Parallel, glyphs);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void bookRunOnParallelFile();
    void bookPrintByTabAndEnter();
    void memberCardOnSerialPort();
    void printToFifoNobodyReadsIsCancelled();
    void startUpFailureShowsMessageAndExitsNonZero();

  private:
    // Runs xdotool on the test display; returns its standard output, trimmed.
    QString xdotool(const QStringList& args, int timeoutMs = StepTimeoutMs);
    // Waits until a visible window with exactly this title is mapped and returns its id.
    QString waitForWindow(const QString& title);
    // Focuses the window and clicks a point of its client area (below the menu bar).
    void click(const QString& window, Point p);
    // Types the text. xdotool lends a spare key code to each character the keymap lacks (Hangul)
    // and takes it back after the delay: a program that reads the key later than that, on a
    // loaded machine, sees another character. So such characters go one at a time, slowly.
    void type(const QString& text);
    void key(const QString& keys) { xdotool({"key", keys}); }
    // Presses a key a number of times.
    void keyTimes(const QString& name, int times) {
        xdotool(QStringList{"key", "--delay", "60"} + QStringList(times, name));
    }
    void startApplication(const AppFolderFixture& app, const QProcessEnvironment& extra);
    // Starts the program with "LPT1" in OH.ini, mapped to the file LPT1.zpl of the folder unless
    // `extra` maps it elsewhere; returns the book label window's id (empty when it did not come up).
    QString startBookOnLptFile(const AppFolderFixture& app, const QProcessEnvironment& extra = {});
    // Presses "종  료" and answers Yes; the program must end with 0.
    void exitWithYes(const QString& window);

    QProcess m_xvfb;
    QString m_display;
    QString m_xdotool;
    std::unique_ptr<QProcess> m_app;
    int m_menuBarHeight = -1;
};

void TestEndToEnd::initTestCase() {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    m_xdotool = QStandardPaths::findExecutable("xdotool");
    if (xvfb.isEmpty() || m_xdotool.isEmpty())
        QSKIP("Xvfb and xdotool are needed (scripts/setup.sh installs them)");
    QVERIFY(QFileInfo::exists(HANLABEL_EXECUTABLE));
    // Xvfb picks a free display and writes its number to the descriptor given.
    m_xvfb.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY(m_xvfb.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (!m_xvfb.canReadLine() && clock.elapsed() < StepTimeoutMs)
        m_xvfb.waitForReadyRead(200);
    const QString number = QString::fromLatin1(m_xvfb.readLine()).trimmed();
    QVERIFY2(!number.isEmpty(), "Xvfb did not report its display");
    m_display = QLatin1Char(':') + number;
}

void TestEndToEnd::cleanupTestCase() {
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(5000))
            m_xvfb.kill();
    }
}

void TestEndToEnd::cleanup() {
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->kill();
        m_app->waitForFinished(5000);
    }
    m_app.reset();
}

QString TestEndToEnd::xdotool(const QStringList& args, int timeoutMs) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    process.setProcessEnvironment(env);
    process.start(m_xdotool, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        qWarning() << "xdotool timed out:" << args;
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void TestEndToEnd::type(const QString& text) {
    QString ascii;
    const auto flush = [&] {
        if (!ascii.isEmpty())
            xdotool({"type", "--delay", "40", ascii});
        ascii.clear();
    };
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            ascii += c;
            continue;
        }
        flush();
        xdotool({"type", "--delay", "300", QString(c)});
        QTest::qWait(150);
    }
    flush();
}

QString TestEndToEnd::waitForWindow(const QString& title) {
    const QString ids = xdotool({"search", "--sync", "--onlyvisible", "--name",
                                 QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return ids.section(QLatin1Char('\n'), 0, 0);
}

void TestEndToEnd::click(const QString& window, Point p) {
    if (m_menuBarHeight < 0) {
        const QString shell = xdotool({"getwindowgeometry", "--shell", window});
        const int height = shell.section("HEIGHT=", 1).section(QLatin1Char('\n'), 0, 0).toInt();
        m_menuBarHeight = height - ClientHeight - StatusLineHeight;
    }
    xdotool({"windowfocus", "--sync", window});
    xdotool({"mousemove", "--window", window, QString::number(p.x), QString::number(p.y + m_menuBarHeight),
             "click", "1"});
}

void TestEndToEnd::startApplication(const AppFolderFixture& app, const QProcessEnvironment& extra) {
    m_app = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("HANLABEL_HOME", app.path());
    env.insert(extra);
    m_app->setProcessEnvironment(env);
    m_app->setProcessChannelMode(QProcess::ForwardedChannels);
    m_app->start(HANLABEL_EXECUTABLE, {});
    QVERIFY(m_app->waitForStarted());
}

QString TestEndToEnd::startBookOnLptFile(const AppFolderFixture& app, const QProcessEnvironment& extra) {
    app.writeLines("OH.ini", {"LPT1", "2"});
    QProcessEnvironment env;
    env.insert("HANLABEL_LPT1", app.file("LPT1.zpl"));
    env.insert(extra);
    startApplication(app, env);
    return waitForWindow(QStringLiteral("도서 바코드"));
}

void TestEndToEnd::exitWithYes(const QString& window) {
    click(window, Centre("mainfrm", "Command2")); // in the same place in both windows
    const QString box = waitForWindow(QStringLiteral("종료하기"));
    QVERIFY2(!box.isEmpty(), "the exit question did not come up");
    xdotool({"windowfocus", "--sync", box});
    key("Return");
    QVERIFY2(m_app->waitForFinished(StepTimeoutMs), "the program did not end after Yes");
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app->exitCode(), 0);
}

void TestEndToEnd::bookRunOnParallelFile() {
    AppFolderFixture app;
    const QString lpt = app.file("LPT1.zpl");
    const QString window = startBookOnLptFile(app);
    QVERIFY2(!window.isEmpty(), "the book label window did not come up");

    click(window, Centre("mainfrm", "Text1"));
    type(QStringLiteral("한글도서"));
    click(window, Centre("mainfrm", "Text2"));
    type(QStringLiteral("0012"));
    click(window, Centre("mainfrm", "Option2")); // descending
    click(window, Centre("mainfrm", "Text5"));
    key("ctrl+a");
    type(QStringLiteral("3"));
    key("Return");

    // What the engine composes for these inputs; its golden file guards it between runs.
    BookLabelInputs in;
    in.labelText = QStringLiteral("한글도서");
    in.firstSerial = "0012";
    in.ascending = false;
    in.quantity = "3";
    const QByteArray expected = ComposedBookOnLpt(app, in);
    QCOMPARE(CompareGolden("e2e_book_lpt1.zpl", expected), QString());

    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(lpt).size(), qint64(expected.size()), StepTimeoutMs);
    QCOMPARE(hanlabel::test::ReadFileBytes(lpt), expected);
    QCOMPARE(app.readBytes("OH.ini"), QByteArray("LPT1\r\n2\r\n"));
    exitWithYes(window);
}

// The same kind of run from the keyboard alone: the focus starts on "종  료", Tab reaches every box
// and then the print button, which Enter presses.
void TestEndToEnd::bookPrintByTabAndEnter() {
    AppFolderFixture app;
    const QString lpt = app.file("LPT1.zpl");
    const QString window = startBookOnLptFile(app);
    QVERIFY2(!window.isEmpty(), "the book label window did not come up");
    xdotool({"windowfocus", "--sync", window});

    key("Tab"); // Text1
    type(QStringLiteral("가A"));
    keyTimes("Tab", 6); // UpDown1, Text3, Text4, UpDown2, Option1, Text5 (its text selected)
    type(QStringLiteral("2"));
    key("Tab"); // Text2
    type(QStringLiteral("0007"));
    keyTimes("Tab", 4); // Option3, Option6, Combo1, Command1
    key("Return");

    BookLabelInputs in;
    in.labelText = QStringLiteral("가A");
    in.firstSerial = "0007";
    in.quantity = "2";
    const QByteArray expected = ComposedBookOnLpt(app, in);
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(lpt).size(), qint64(expected.size()), StepTimeoutMs);
    QCOMPARE(hanlabel::test::ReadFileBytes(lpt), expected);
    QCOMPARE(app.readBytes("OH.ini"), QByteArray("LPT1\r\n2\r\n"));
    exitWithYes(window);
}

void TestEndToEnd::memberCardOnSerialPort() {
    AppFolderFixture app;
    app.writeLines("OH1.ini", {"COM1", "2"});
    PtyCapture port;
    QVERIFY(!port.slavePath().isEmpty());
    QProcessEnvironment extra;
    extra.insert("HANLABEL_COM1", port.slavePath());
    startApplication(app, extra);
    const QString book = waitForWindow(QStringLiteral("도서 바코드"));
    QVERIFY2(!book.isEmpty(), "the book label window did not come up");
    click(book, Centre("mainfrm", "Option4")); // "회 원 카 드"
    const QString window = waitForWindow(QStringLiteral("회원증 바코드"));
    QVERIFY2(!window.isEmpty(), "the member card window did not come up");

    click(window, Centre("main1frm", "Text1")); // affiliation
    type(QStringLiteral("도서관"));
    click(window, Centre("main1frm", "Text2")); // name
    type(QStringLiteral("홍길동"));
    click(window, Centre("main1frm", "Text3")); // six characters move on to Text4
    type(QStringLiteral("2004010123"));
    click(window, Centre("main1frm", "Command1"));

    MemberCardInputs in;
    in.portText = "COM1";
    in.originX = "0";
    in.originY = "0";
    in.affiliation = QStringLiteral("도서관");
    in.name = QStringLiteral("홍길동");
    in.memberNumberFirst = "200401";
    in.memberNumberSecond = "0123";
    in.maskSecondPart = true;
    GlyphSource glyphs;
    glyphs.bind(app.file(QStringLiteral("견고딕24X24.mdb")));
    const QByteArray expected =
        ComposeMemberCard(in, ReadSettingsFile(app.file("DPOS1.ini"), 7), ChannelKind::Serial, glyphs);
    QCOMPARE(CompareGolden("e2e_member_com1.zpl", expected), QString());

    const QByteArray received = port.waitFor(expected.size(), StepTimeoutMs);
    QCOMPARE(received, expected);
    QCOMPARE(app.readBytes("OH1.ini"), QByteArray("COM1\r\n2\r\n"));
    exitWithYes(window);
}

// LPT1 is a FIFO that nobody reads: the box comes up with the notice, 취소 ends the job with its
// report, and the window prints the same boxes once a reader is there.
void TestEndToEnd::printToFifoNobodyReadsIsCancelled() {
    AppFolderFixture app;
    hanlabel::test::FifoReader printer(app.file("printer.fifo"));
    QProcessEnvironment extra;
    extra.insert("HANLABEL_LPT1", printer.path());
    extra.insert("HANLABEL_STALL_NOTICE_MS", "100");
    const QString window = startBookOnLptFile(app, extra);
    QVERIFY2(!window.isEmpty(), "the book label window did not come up");
    click(window, Centre("mainfrm", "Text1"));
    type(QStringLiteral("AB"));
    click(window, Centre("mainfrm", "Command1"));

    const QString box = waitForWindow(QStringLiteral("인쇄 중"));
    QVERIFY2(!box.isEmpty(), "the print box did not come up");
    // 취소 is the box's bottom right button; the box has its final size once it stops changing.
    QString geometry;
    for (int i = 0; i < 20; ++i) {
        const QString now = xdotool({"getwindowgeometry", "--shell", box});
        if (now == geometry)
            break;
        geometry = now;
        QTest::qWait(200);
    }
    const int width = geometry.section("WIDTH=", 1).section(QLatin1Char('\n'), 0, 0).toInt();
    const int height = geometry.section("HEIGHT=", 1).section(QLatin1Char('\n'), 0, 0).toInt();
    xdotool({"mousemove", "--window", box, QString::number(width - 30), QString::number(height - 20), "click",
             "1"});
    // The operator's own cancel is reported as such, not as an error.
    const QString report = waitForWindow(QStringLiteral("인쇄 취소"));
    QVERIFY2(!report.isEmpty(), "no cancel report came up");
    QVERIFY(xdotool({"search", "--onlyvisible", "--name", QStringLiteral("^인쇄 중$")}).isEmpty());
    xdotool({"windowfocus", "--sync", report});
    key("Return");

    BookLabelInputs in;
    in.labelText = QStringLiteral("AB");
    in.quantity = "1";
    const QByteArray expected = ComposedBookOnLpt(app, in);
    printer.start({.expected = expected.size()});
    click(window, Centre("mainfrm", "Command1"));
    QCOMPARE(printer.finish(), expected);
    exitWithYes(window);
}

void TestEndToEnd::startUpFailureShowsMessageAndExitsNonZero() {
    AppFolderFixture app;
    QVERIFY(QFile::remove(app.file("position.ini")));
    startApplication(app, {});
    const QString box = waitForWindow(QStringLiteral("오류"));
    QVERIFY2(!box.isEmpty(), "no failure message came up");
    QVERIFY(xdotool({"search", "--onlyvisible", "--name", QStringLiteral("도서 바코드")}).isEmpty());
    xdotool({"windowfocus", "--sync", box});
    key("Return");
    QVERIFY2(m_app->waitForFinished(StepTimeoutMs), "the program did not end after the message");
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QVERIFY(m_app->exitCode() != 0);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
