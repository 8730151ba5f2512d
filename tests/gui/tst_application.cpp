#include "app/KoreanTranslation.h"
#include "app/WindowManager.h"
#include "settings/SettingsFile.h"
#include "ui/dialogs/PositionDialogs.h"
#include "ui/dialogs/PrinterDialog.h"
#include "ui/kit/FormKit.h"
#include "ui/windows/BookLabelWindow.h"
#include "ui/windows/MemberCardWindow.h"

#include "ModalBoxes.h"
#include "TestSupport.h"
#include "WindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <functional>
#include <memory>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;
using hanlabel::test::ModalBoxes;

namespace {

// The visible top-level windows by object name.
QStringList VisibleWindows() {
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            names << widget->objectName();
    names.sort();
    return names;
}

template <class T> T* FindTopLevel(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name)
            return qobject_cast<T*>(widget);
    return nullptr;
}

// Runs an action once a modal window other than a message box is up, from the event loop, as
// long as the returned timer lives.
[[nodiscard]] std::unique_ptr<QTimer> WhenModal(std::function<void(QWidget*)> action) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [t = timer.get(), action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || qobject_cast<QMessageBox*>(modal))
            return;
        t->stop();
        action(modal);
    });
    timer->start();
    return timer;
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithTheBookWindowOnly();
    void switchingBackAndForthReloadsFromFiles_data();
    void switchingBackAndForthReloadsFromFiles();
    void ownOptionDoesNothing();
    void failedSwitchKeepsCurrentWindow_data();
    void failedSwitchKeepsCurrentWindow();
    void menuOpensItsOwnDialogModally_data();
    void menuOpensItsOwnDialogModally();
    void menuWithUnreadableLayoutDoesNotOpen();
    void jobCreatesHiddenDialogThatMenuShowsUnread();
    void exitNoLeavesEverything();
    void exitYesAfterPrintEndsProgram();
    void closingLastWindowEndsDespiteHiddenDialog();
    void startUpFailureReportsAndExitsNonZero();
    void printerCommandChangesWhereTheNextPrintGoes_data();
    void printerCommandChangesWhereTheNextPrintGoes();
    void portTooltipSaysWhereItPrints_data();
    void portTooltipSaysWhereItPrints();
    void standardButtons_data();
    void standardButtons();

  private:
    std::unique_ptr<AppFolderFixture> m_app;
    QString lptFile() const { return m_app->file("lpt1.out"); }
};

void TestApplication::initTestCase() { InstallKoreanFontSubstitutions(); }

void TestApplication::init() {
    m_app = std::make_unique<AppFolderFixture>();
    m_app->writeLines("OH.ini", {"LPT1", "2"});
    m_app->writeLines("OH1.ini", {"LPT1", "2"});
    qputenv("HANLABEL_HOME", m_app->path().toLocal8Bit());
    qputenv("HANLABEL_LPT1", lptFile().toLocal8Bit());
}

void TestApplication::cleanup() {
    QTRY_VERIFY(VisibleWindows().isEmpty());
    qunsetenv("HANLABEL_HOME");
    qunsetenv("HANLABEL_LPT1");
    m_app.reset();
}

void TestApplication::startsWithTheBookWindowOnly() {
    WindowManager windows;
    windows.start();
    QVERIFY(windows.bookWindow());
    QVERIFY(QTest::qWaitForWindowActive(windows.bookWindow()));
    QCOMPARE(VisibleWindows(), QStringList{"mainfrm"});
    QVERIFY(windows.bookWindow()->Option3->isChecked());
    QVERIFY(!windows.memberWindow());
    QVERIFY(!windows.bookDialog());
    QVERIFY(!windows.memberDialog());
}

void TestApplication::switchingBackAndForthReloadsFromFiles_data() {
    QTest::addColumn<QStringList>("channel");
    QTest::addColumn<QStringList>("origin");
    QTest::addColumn<bool>("option5");
    QTest::newRow("LPT1, framing 1") << QStringList{"LPT1", "1"} << QStringList{"12", "7"} << true;
    QTest::newRow("COM3, framing 2") << QStringList{"COM3", "2"} << QStringList{"12a", ""} << false;
}

void TestApplication::switchingBackAndForthReloadsFromFiles() {
    QFETCH(QStringList, channel);
    QFETCH(QStringList, origin);
    QFETCH(bool, option5);
    WindowManager windows;
    windows.start();
    QPointer<mainfrm> book = windows.bookWindow();
    book->Text1->setText("ABC");
    book->Text2->setText("0001");
    book->Text5->setText("9");
    book->Text3->setText("55");
    book->Option2->setChecked(true);
    // What the files hold when the window comes back, not what was on screen.
    m_app->writeLines("OH.ini", channel);
    m_app->writeLines("position.ini", origin);

    QTest::mouseClick(book->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QPointer<main1frm> member = windows.memberWindow();
    QVERIFY(member);
    QVERIFY(member->isVisible());
    QVERIFY(member->Option4->isChecked());
    QTRY_VERIFY(book.isNull());
    QCOMPARE(VisibleWindows(), QStringList{"main1frm"});
    member->Text1->setText("도서관");
    member->Text2->setText("홍길동");

    QTest::mouseClick(member->Option3, Qt::LeftButton, {}, QPoint(5, 5));
    book = windows.bookWindow();
    QVERIFY(book);
    QTRY_VERIFY(member.isNull());
    QVERIFY(!windows.memberWindow());
    QCOMPARE(VisibleWindows(), QStringList{"mainfrm"});
    QCOMPARE(book->Text1->text(), QString());
    QCOMPARE(book->Text2->text(), QString());
    QCOMPARE(book->Text5->text(), QStringLiteral("1"));
    QVERIFY(book->Option1->isChecked());
    QVERIFY(book->Option3->isChecked());
    QCOMPARE(book->Text3->text(), origin[0]);
    QCOMPARE(book->Text4->text(), origin[1]);
    QCOMPARE(book->Combo1->currentText(), channel[0]);
    QCOMPARE(book->Option5->isChecked(), option5);

    // Back to member cards once more: its typed texts are gone too.
    QTest::mouseClick(book->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(windows.memberWindow());
    QCOMPARE(windows.memberWindow()->Text1->text(), QString());
    QCOMPARE(windows.memberWindow()->Text2->text(), QString());
    windows.memberWindow()->close();
}

void TestApplication::ownOptionDoesNothing() {
    WindowManager windows;
    windows.start();
    QPointer<mainfrm> book = windows.bookWindow();
    QTest::mouseClick(book->Option3, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::qWait(20);
    QCOMPARE(windows.bookWindow(), book.data());
    QVERIFY(!windows.memberWindow());
    QVERIFY(book->Option3->isChecked());

    QTest::mouseClick(book->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QPointer<main1frm> member = windows.memberWindow();
    QTRY_VERIFY(book.isNull());
    QTest::mouseClick(member->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::qWait(20);
    QCOMPARE(windows.memberWindow(), member.data());
    QVERIFY(!windows.bookWindow());
    QCOMPARE(VisibleWindows(), QStringList{"main1frm"});
    member->close();
}

void TestApplication::failedSwitchKeepsCurrentWindow_data() {
    QTest::addColumn<bool>("fromBook");
    QTest::addColumn<QString>("missing");
    QTest::newRow("to member cards without position1.ini") << true << "position1.ini";
    QTest::newRow("to member cards without OH1.ini") << true << "OH1.ini";
    QTest::newRow("to book labels without position.ini") << false << "position.ini";
    QTest::newRow("to book labels without OH.ini") << false << "OH.ini";
}

void TestApplication::failedSwitchKeepsCurrentWindow() {
    QFETCH(bool, fromBook);
    QFETCH(QString, missing);
    WindowManager windows;
    windows.start();
    if (!fromBook) {
        QTest::mouseClick(windows.bookWindow()->Option4, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(!windows.bookWindow());
    }
    QVERIFY(QFile::remove(m_app->file(missing)));
    QMainWindow* current = fromBook ? static_cast<QMainWindow*>(windows.bookWindow())
                                    : static_cast<QMainWindow*>(windows.memberWindow());
    QPointer<QMainWindow> guard = current;
    auto* text1 = current->findChild<QLineEdit*>("Text1");
    text1->setText("typed");
    auto* other = current->findChild<QRadioButton*>(fromBook ? "Option4" : "Option3");
    auto* own = current->findChild<QRadioButton*>(fromBook ? "Option3" : "Option4");

    ModalBoxes boxes;
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains(missing), qPrintable(boxes.seen[0].text));
    QTest::qWait(20);
    QVERIFY(!guard.isNull());
    QVERIFY(current->isVisible());
    QCOMPARE(text1->text(), QStringLiteral("typed"));
    QVERIFY(own->isChecked());
    QVERIFY(!other->isChecked());
    QCOMPARE(VisibleWindows(), QStringList{current->objectName()});
    current->close();
}

void TestApplication::menuOpensItsOwnDialogModally_data() {
    QTest::addColumn<bool>("book");
    QTest::newRow("p2 opens defrm") << true;
    QTest::newRow("q1 opens de1frm") << false;
}

void TestApplication::menuOpensItsOwnDialogModally() {
    QFETCH(bool, book);
    WindowManager windows;
    windows.start();
    if (!book)
        QTest::mouseClick(windows.bookWindow()->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(VisibleWindows(), QStringList{book ? "mainfrm" : "main1frm"});
    const QString expectedName = book ? "defrm" : "de1frm";
    const QStringList fileLines =
        ReadSettingsFile(m_app->file(book ? "DPOS.ini" : "DPOS1.ini"), book ? 5 : 7);

    QString modalName, focusName;
    bool ownerless = false;
    Qt::WindowModality modality = Qt::NonModal;
    QStringList shownLines;
    auto watcher1 = WhenModal([&](QWidget* modal) {
        modalName = modal->objectName();
        ownerless = modal->parentWidget() == nullptr;
        modality = modal->windowModality();
        if (auto* dialog = qobject_cast<PositionDialog*>(modal)) {
            if (!QTest::qWaitForWindowActive(dialog))
                focusName = QStringLiteral("not active");
            focusName = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            shownLines = dialog->layoutLines();
            QTest::mouseClick(dialog->Command2, Qt::LeftButton);
        }
    });
    if (book)
        windows.bookWindow()->p2->trigger();
    else
        windows.memberWindow()->q1->trigger();
    // The menu handler returns only after the dialog closed.
    QCOMPARE(modalName, expectedName);
    QVERIFY(ownerless);
    QCOMPARE(modality, Qt::ApplicationModal);
    QCOMPARE(focusName, QStringLiteral("Command1"));
    QCOMPARE(shownLines, fileLines);
    QTRY_VERIFY(!windows.bookDialog() && !windows.memberDialog());
    QCOMPARE(VisibleWindows(), QStringList{book ? "mainfrm" : "main1frm"});
    if (book)
        windows.bookWindow()->close();
    else
        windows.memberWindow()->close();
}

void TestApplication::menuWithUnreadableLayoutDoesNotOpen() {
    WindowManager windows;
    windows.start();
    m_app->writeLines("DPOS.ini", {"40", "20", "^PR3", "^FO1,1"});
    ModalBoxes boxes;
    bool dialogCameUp = false;
    auto watcher2 = WhenModal([&](QWidget* modal) {
        dialogCameUp = true;
        modal->close();
    });
    windows.bookWindow()->p2->trigger();
    QTest::qWait(50);
    QVERIFY(!dialogCameUp);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains("DPOS.ini"), qPrintable(boxes.seen[0].text));
    QVERIFY(!windows.bookDialog());
    QCOMPARE(VisibleWindows(), QStringList{"mainfrm"});
    windows.bookWindow()->close();
}

void TestApplication::jobCreatesHiddenDialogThatMenuShowsUnread() {
    WindowManager windows;
    windows.start();
    mainfrm* book = windows.bookWindow();
    const QStringList jobLines{"41", "21", "^PR2", "^FO40,65^A0N,28,28", "^FO40,100^BCN,60"};
    m_app->writeLines("DPOS.ini", jobLines);
    book->Text1->setText("AB");
    book->Text2->setText("0001");
    book->Text5->setText("2");
    QTest::mouseClick(book->Command1, Qt::LeftButton);
    QVERIFY(test::WaitForOutcome(book));
    QVERIFY2(QFile::exists(lptFile()), "the job did not print");
    QVERIFY(windows.bookDialog());
    QVERIFY(!windows.bookDialog()->isVisible());
    QCOMPARE(windows.bookDialog()->layoutLines(), jobLines);
    QCOMPARE(VisibleWindows(), QStringList{"mainfrm"});

    // The file changes after the job; the menu shows the job's lines without reading it again.
    m_app->writeLines("DPOS.ini", {"1", "2", "3", "4", "5"});
    QPointer<defrm> hidden = windows.bookDialog();
    QWidget* hiddenDialog = hidden.data();
    QStringList shownLines;
    QWidget* shownDialog = nullptr;
    auto watcher3 = WhenModal([&](QWidget* modal) {
        shownDialog = modal;
        shownLines = static_cast<PositionDialog*>(modal)->layoutLines();
        static_cast<PositionDialog*>(modal)->close();
    });
    book->p2->trigger();
    QVERIFY(shownDialog == hiddenDialog);
    QCOMPARE(shownLines, jobLines);
    QTRY_VERIFY(hidden.isNull());

    // Closed, it is gone: the next open reads the file afresh.
    auto watcher4 = WhenModal([&](QWidget* modal) {
        shownLines = static_cast<PositionDialog*>(modal)->layoutLines();
        modal->close();
    });
    book->p2->trigger();
    QCOMPARE(shownLines, (QStringList{"1", "2", "3", "4", "5"}));
    book->close();
}

void TestApplication::exitNoLeavesEverything() {
    WindowManager windows;
    windows.start();
    QSignalSpy ended(&windows, &WindowManager::programEnded);
    mainfrm* book = windows.bookWindow();
    book->Text1->setText("keep");
    ModalBoxes boxes(QMessageBox::No);
    QTest::mouseClick(book->Command2, Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
    QCOMPARE(boxes.seen[0].title, QStringLiteral("종료하기"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QTest::qWait(20);
    QCOMPARE(ended.count(), 0);
    QCOMPARE(windows.bookWindow(), book);
    QCOMPARE(book->Text1->text(), QStringLiteral("keep"));
    QCOMPARE(VisibleWindows(), QStringList{"mainfrm"});
    book->close();
}

void TestApplication::exitYesAfterPrintEndsProgram() {
    QApplication* app = qApp;
    int code = -1;
    bool dialogHiddenBeforeExit = false;
    ModalBoxes boxes(QMessageBox::Yes);
    QTimer::singleShot(0, [&] {
        auto* member = static_cast<main1frm*>(nullptr);
        auto* book = FindTopLevel<mainfrm>("mainfrm");
        if (!book)
            return;
        QTest::mouseClick(book->Option4, Qt::LeftButton, {}, QPoint(5, 5));
        member = FindTopLevel<main1frm>("main1frm");
        if (!member)
            return;
        member->Text2->setText("AB");
        member->Text3->setText("200401");
        member->Text4->setText("0123");
        QTest::mouseClick(member->Command1, Qt::LeftButton);
        test::WaitForOutcome(member);
        auto* dialog = FindTopLevel<de1frm>("de1frm");
        dialogHiddenBeforeExit = dialog && !dialog->isVisible();
        QTest::mouseClick(member->Command2, Qt::LeftButton);
    });
    QTimer watchdog;
    watchdog.callOnTimeout([] { QCoreApplication::exit(99); });
    watchdog.start(20000);
    code = RunApplication(*app);
    QCOMPARE(code, 0);
    QVERIFY(dialogHiddenBeforeExit);
    QVERIFY(QFile::exists(lptFile()));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(VisibleWindows(), QStringList());
    QVERIFY(!FindTopLevel<de1frm>("de1frm"));
    QVERIFY(!FindTopLevel<main1frm>("main1frm"));
}

void TestApplication::closingLastWindowEndsDespiteHiddenDialog() {
    QApplication* app = qApp;
    bool dialogHidden = false;
    QTimer::singleShot(0, [&] {
        auto* book = FindTopLevel<mainfrm>("mainfrm");
        if (!book)
            return;
        book->Text1->setText("AB");
        book->Text2->setText("0001");
        QTest::mouseClick(book->Command1, Qt::LeftButton);
        test::WaitForOutcome(book);
        auto* dialog = FindTopLevel<defrm>("defrm");
        dialogHidden = dialog && !dialog->isVisible();
        // The title bar's close box.
        book->close();
    });
    QTimer watchdog;
    watchdog.callOnTimeout([] { QCoreApplication::exit(99); });
    watchdog.start(20000);
    QCOMPARE(RunApplication(*app), 0);
    QVERIFY(dialogHidden);
    QVERIFY(!FindTopLevel<defrm>("defrm"));
}

void TestApplication::startUpFailureReportsAndExitsNonZero() {
    QVERIFY(QFile::remove(m_app->file("position.ini")));
    ModalBoxes boxes;
    QTimer watchdog;
    watchdog.callOnTimeout([] { QCoreApplication::exit(99); });
    watchdog.start(20000);
    const int code = RunApplication(*qApp);
    QVERIFY(code != 0 && code != 99);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains("position.ini"), qPrintable(boxes.seen[0].text));
    QVERIFY(!FindTopLevel<mainfrm>("mainfrm"));
}

void TestApplication::printerCommandChangesWhereTheNextPrintGoes_data() {
    QTest::addColumn<bool>("book");
    QTest::newRow("book label window") << true;
    QTest::newRow("member card window") << false;
}

// The menu command opens the printer connection over the window; a print right after it goes to
// the new choice, and so does the next after a second change, without a restart.
void TestApplication::printerCommandChangesWhereTheNextPrintGoes() {
    QFETCH(bool, book);
    qunsetenv("HANLABEL_LPT1");
    WindowManager windows;
    windows.start();
    if (!book)
        QTest::mouseClick(windows.bookWindow()->Option4, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(VisibleWindows(), QStringList{book ? "mainfrm" : "main1frm"});
    LabelWindow* window = book ? static_cast<LabelWindow*>(windows.bookWindow()) : windows.memberWindow();
    for (const QString& name : {QStringLiteral("first.zpl"), QStringLiteral("second.zpl")}) {
        QString modalName;
        QWidget* owner = nullptr;
        auto watcher = WhenModal([&](QWidget* modal) {
            modalName = modal->objectName();
            owner = modal->parentWidget();
            modal->findChild<QRadioButton*>("lptFileChoice")->setChecked(true);
            modal->findChild<QLineEdit*>("lptFile")->setText(m_app->file(name));
            modal->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
        });
        window->printerSetup->trigger();
        QCOMPARE(modalName, QStringLiteral("PrinterDialog"));
        QCOMPARE(owner, window);
        QCOMPARE(window->Combo1->toolTip(), QStringLiteral("LPT1 → 파일 ") + m_app->file(name));
        if (book) {
            windows.bookWindow()->Text1->setText("AB");
            windows.bookWindow()->Text2->setText("0001");
        } else {
            windows.memberWindow()->Text2->setText("AB");
            windows.memberWindow()->Text3->setText("200401");
            windows.memberWindow()->Text4->setText("0123");
        }
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QVERIFY(test::WaitForOutcome(window));
        QVERIFY2(QFile::exists(m_app->file(name)), qPrintable(name));
    }
    QVERIFY(!QFile::exists(lptFile()));
    window->close();
}

void TestApplication::portTooltipSaysWhereItPrints_data() {
    QTest::addColumn<QString>("portText");
    QTest::addColumn<bool>("option5");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("LPT1 decided at start-up")
        << "LPT1" << false << "LPT1 → 파일 @ (프로그램을 시작할 때 정해진 연결: 프린터 연결 창에 나옵니다)";
    QTest::newRow("COM1") << "COM1" << false
                          << "COM1 → 직렬 장치 /dev/ttyS0 (9600,N,8,1) (프린터를 아직 고르지 않아 기본 장치)";
    QTest::newRow("other text, even parity")
        << "COM3" << true
        << "COM3 → 직렬 포트 1: 직렬 장치 /dev/ttyS0 (9600,E,7,1) (프린터를 아직 고르지 않아 기본 장치)";
}

// The tooltip follows the port text as it is typed and the framing as it is chosen.
void TestApplication::portTooltipSaysWhereItPrints() {
    QFETCH(QString, portText);
    QFETCH(bool, option5);
    QFETCH(QString, tooltip);
    WindowManager windows;
    windows.start();
    mainfrm* book = windows.bookWindow();
    QCOMPARE(book->Combo1->toolTip(),
             QStringLiteral("LPT1 → 파일 %1 (프로그램을 시작할 때 정해진 연결: 프린터 연결 창에 나옵니다)").arg(lptFile()));
    book->Combo1->setEditText(QString());
    QTest::keyClicks(book->Combo1, portText);
    (option5 ? book->Option5 : book->Option6)->setChecked(true);
    QCOMPARE(book->Combo1->toolTip(), QString(tooltip).replace("@", lptFile()));
    book->close();
}

void TestApplication::standardButtons_data() {
    QTest::addColumn<bool>("translationThere");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("Qt's Korean translation") << true << QStringList{"확인", "예(&Y)", "아니요(&N)", "취소"};
    QTest::newRow("translation missing") << false << QStringList{"OK", "&Yes", "&No", "Cancel"};
}

// Qt's own Korean translation gives the standard buttons their Korean texts, whatever the locale.
void TestApplication::standardButtons() {
    QFETCH(bool, translationThere);
    QFETCH(QStringList, texts);
    QTemporaryDir empty;
    QTranslator* translator = InstallKoreanTranslation(*qApp, translationThere ? QString() : empty.path());
    QCOMPARE(translator != nullptr, translationThere);
    QMessageBox box(QMessageBox::Question, "t", "q",
                    QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList shown;
    for (auto button : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        shown << box.button(button)->text();
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QCOMPARE(shown, texts);
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
