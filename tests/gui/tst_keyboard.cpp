// The label windows and the position dialogs used from the keyboard alone, with real key events:
// option groups as single tab stops, arrow keys in the groups, Enter on the focused button, the
// port box and the star mask of the member number.

#include "LabelWindows.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "app/WindowManager.h"
#include "glyphs/GlyphSource.h"
#include "jobs/BookLabelJob.h"
#include "settings/SettingsFile.h"
#include "ui/dialogs/PositionDialogs.h"
#include "ui/kit/FormKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <initializer_list>
#include <memory>

using namespace hanlabel;
using hanlabel::test::FillEntries;
using hanlabel::test::FocusAfter;
using hanlabel::test::FocusName;
using hanlabel::test::ModalBoxes;
using hanlabel::test::PtyCapture;
using hanlabel::test::ShownLoaded;
using hanlabel::test::TabTo;

namespace {

using TabIndexTable = QList<std::pair<QString, int>>;

// The tab indexes of the book label window's controls.
const TabIndexTable BookTabIndexes{
    {"Command2", 0}, {"Text1", 1},    {"UpDown1", 2}, {"Text3", 3},     {"Text4", 4},    {"UpDown2", 5},
    {"Frame1", 6},   {"Option1", 7},  {"Option2", 8}, {"Text5", 9},     {"Text2", 10},   {"Frame2", 11},
    {"Option3", 12}, {"Option4", 13}, {"Frame3", 14}, {"Option5", 15},  {"Option6", 16}, {"Combo1", 17},
    {"Label1", 18},  {"Label2", 19},  {"Label3", 20}, {"Command1", 21}, {"Label4", 22}};

// The member card window's keyboard order, numbered from 0.
const TabIndexTable MemberTabIndexes{
    {"Frame2", 0},   {"Option4", 1},  {"Option3", 2},  {"Text1", 3},   {"Text2", 4},    {"Text3", 5},
    {"Text4", 6},    {"Command1", 7}, {"Command2", 8}, {"Check1", 9},  {"Text5", 10},   {"Text6", 11},
    {"UpDown1", 12}, {"UpDown2", 13}, {"Combo1", 14},  {"Frame3", 15}, {"Option6", 16}, {"Option5", 17}};

// Where Tab stops, by tab index: frames and labels never take the focus, and of the options in a
// frame only the selected one does.
QStringList TabStops(const QWidget* window, TabIndexTable table) {
    std::stable_sort(table.begin(), table.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    QStringList stops;
    for (const auto& [name, index] : table) {
        const QWidget* control = window->findChild<QWidget*>(name);
        if (!control || qobject_cast<const QLabel*>(control) || qobject_cast<const QGroupBox*>(control))
            continue;
        if (const auto* option = qobject_cast<const QRadioButton*>(control); option && !option->isChecked())
            continue;
        stops << name;
    }
    return stops;
}

// Rows of windows, buttons and keys: Return and keypad Enter (with the keypad flag a real keypad
// sets) on Command1 and Command2, and the space bar on Command1 when asked for.
void EnterOnButtonRows(std::initializer_list<const char*> kinds, bool withSpace) {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    const int keypad = int(Qt::KeypadModifier);
    for (const char* kind : kinds)
        for (const char* button : {"Command1", "Command2"}) {
            const QString k = QString::fromLatin1(kind);
            QTest::addRow("%s: Return on %s", kind, button) << k << button << int(Qt::Key_Return) << 0;
            QTest::addRow("%s: keypad Enter on %s", kind, button)
                << k << button << int(Qt::Key_Enter) << keypad;
            if (withSpace && button == QLatin1String("Command1"))
                QTest::addRow("%s: space on %s", kind, button) << k << button << int(Qt::Key_Space) << 0;
        }
}

QString ChannelFile(const QString& kind) {
    return kind == QLatin1String("mainfrm") ? QStringLiteral("OH.ini") : QStringLiteral("OH1.ini");
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<LabelWindow> m_fixture;

  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }
    void init() {
        m_fixture.reset();
        qunsetenv("HANLABEL_COM1");
    }

    void tabOrderBothWays_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("movedByArrow");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("book, as loaded")
            << "mainfrm" << QStringList() << QStringList{"Option1", "Option3", "Option6"};
        QTest::newRow("book, order and framing moved by arrows")
            << "mainfrm" << QStringList{"Option1", "Option6"} << QStringList{"Option2", "Option3", "Option5"};
        QTest::newRow("member, as loaded")
            << "main1frm" << QStringList() << QStringList{"Option4", "Option6"};
        QTest::newRow("member, framing moved by an arrow")
            << "main1frm" << QStringList{"Option6"} << QStringList{"Option4", "Option5"};
    }
    // Back and forth across every stop, then the whole order backwards and forwards: the focus
    // follows the tab indexes and enters each option group at its selected option.
    void tabOrderBothWays() {
        QFETCH(QString, kind);
        QFETCH(QStringList, movedByArrow);
        QFETCH(QStringList, selected);
        auto w = ShownLoaded(kind);
        QVERIFY(w);
        const QString start = FocusName();
        for (const QString& option : movedByArrow) {
            QVERIFY2(TabTo(option), qPrintable(option));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        }
        for (const QString& option : selected)
            QVERIFY2(w->findChild<QRadioButton*>(option)->isChecked(), qPrintable(option));
        QVERIFY(TabTo(start));

        const QStringList stops = TabStops(w.get(), kind == "mainfrm" ? BookTabIndexes : MemberTabIndexes);
        QCOMPARE(stops.first(), start);
        const qsizetype n = stops.size();
        const auto at = [&](qsizetype i) { return stops[((i % n) + n) % n]; };
        QList<bool> keys;
        QStringList expected;
        for (qsizetype i = 0; i < n; ++i) {
            keys << false << true << true;
            expected << at(i - 1) << at(i) << at(i + 1);
        }
        for (qsizetype i = 1; i <= n; ++i) {
            keys << false;
            expected << at(-i);
        }
        for (qsizetype i = 1; i <= n; ++i) {
            keys << true;
            expected << at(i);
        }
        QCOMPARE(FocusAfter(keys), expected);
    }

    void arrowsMoveTheSelection_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("switches");
        const auto row = [](const char* name, const char* kind, const char* from, Qt::Key key, int presses,
                            const char* focused, const char* checked, int switches) {
            QTest::newRow(name) << kind << from << int(key) << presses << focused << checked << switches;
        };
        row("book order, Down", "mainfrm", "Option1", Qt::Key_Down, 1, "Option2", "Option2", 0);
        row("book order, Up goes round", "mainfrm", "Option1", Qt::Key_Up, 1, "Option2", "Option2", 0);
        row("book order, Right twice comes back", "mainfrm", "Option1", Qt::Key_Right, 2, "Option1",
            "Option1", 0);
        row("book framing, Left", "mainfrm", "Option6", Qt::Key_Left, 1, "Option5", "Option5", 0);
        row("book switch, Down", "mainfrm", "Option3", Qt::Key_Down, 1, "Option4", "Option3", 1);
        row("member framing, Down", "main1frm", "Option6", Qt::Key_Down, 1, "Option5", "Option5", 0);
        row("member switch, Up", "main1frm", "Option4", Qt::Key_Up, 1, "Option3", "Option4", 1);
    }
    // The arrow keys select the next option of the group round and round; in the window-switch
    // group that asks for the other window (none answers here, so the window's own kind stays).
    void arrowsMoveTheSelection() {
        QFETCH(QString, kind);
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(QString, focused);
        QFETCH(QString, checked);
        QFETCH(int, switches);
        auto w = ShownLoaded(kind);
        QVERIFY(w);
        QSignalSpy switching(w.get(), &LabelWindow::switchRequested);
        QVERIFY(TabTo(from));
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(FocusName(), focused);
        QVERIFY(w->findChild<QRadioButton*>(checked)->isChecked());
        QCOMPARE(switching.size(), switches);
        QVERIFY(m_fixture.printed().isEmpty());
    }

    // With the window manager, an arrow key in the window-switch group changes windows both ways.
    void arrowsSwitchWindows() {
        WindowManager windows;
        windows.start();
        QPointer<mainfrm> book = windows.bookWindow();
        QVERIFY(QTest::qWaitForWindowActive(book));
        QCOMPARE(FocusAfter({false, false, false, false}),
                 (QStringList{"Command1", "Combo1", "Option6", "Option3"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QPointer<main1frm> member = windows.memberWindow();
        QVERIFY(member);
        QTRY_VERIFY(book.isNull());
        member->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(member));
        QCOMPARE(FocusName(), QStringLiteral("Option4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QVERIFY(windows.bookWindow());
        QTRY_VERIFY(member.isNull());
        QVERIFY(windows.bookWindow()->Option3->isChecked());
        windows.bookWindow()->close();
    }

    void enterPressesTheFocusedButton_data() { EnterOnButtonRows({"mainfrm", "main1frm"}, true); }
    // Reached by Tab, the print button prints the same bytes as a click, once; the exit button asks.
    void enterPressesTheFocusedButton() {
        QFETCH(QString, kind);
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        auto w = ShownLoaded(kind);
        QVERIFY(w);
        FillEntries(w.get());
        QByteArray byClick;
        if (button == QLatin1String("Command1")) {
            QTest::mouseClick(w->Command1, Qt::LeftButton);
            QVERIFY(test::WaitForOutcome(w.get()));
            byClick = m_fixture.printed();
            QVERIFY(byClick.endsWith("^XZ\r\n"));
            m_fixture.forgetPrinted();
            FillEntries(w.get());
        }
        QSignalSpy jobs(w.get(), &LabelWindow::layoutLinesRead);
        QSignalSpy exits(w.get(), &LabelWindow::exitRequested);
        QVERIFY(TabTo(button));
        ModalBoxes boxes(QMessageBox::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(test::WaitForOutcome(w.get()));
        if (button == QLatin1String("Command1")) {
            QCOMPARE(jobs.size(), 1);
            QCOMPARE(m_fixture.printed(), byClick);
            QVERIFY(boxes.seen.isEmpty());
        } else {
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
            QCOMPARE(jobs.size(), 0);
            QCOMPARE(exits.size(), 0);
            QVERIFY(!QFile::exists(m_fixture.lptPath()));
        }
    }

    void enterInABoxPrintsOnceOrNot_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("jobs");
        for (const char* box : {"Text2", "Text5", "Text1"}) {
            const int jobs = box == QLatin1String("Text1") ? 0 : 1;
            QTest::addRow("Return in %s", box) << box << int(Qt::Key_Return) << 0 << jobs;
            QTest::addRow("keypad Enter in %s", box)
                << box << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << jobs;
        }
    }
    // Enter in the serial number or the quantity box of the book window runs exactly one job.
    void enterInABoxPrintsOnceOrNot() {
        QFETCH(QString, box);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, jobs);
        auto w = ShownLoaded(QStringLiteral("mainfrm"));
        QVERIFY(w);
        FillEntries(w.get());
        QSignalSpy ran(w.get(), &LabelWindow::layoutLinesRead);
        QVERIFY(TabTo(box));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(test::WaitForOutcome(w.get()));
        QCOMPARE(ran.size(), jobs);
        QCOMPARE(QFile::exists(m_fixture.lptPath()), jobs > 0);
    }

    void dialogEnterPressesTheFocusedButton_data() { EnterOnButtonRows({"defrm", "de1frm"}, false); }
    // In the position dialogs Enter presses the button that has the focus: save or close.
    void dialogEnterPressesTheFocusedButton() {
        QFETCH(QString, kind);
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QString file =
            kind == QLatin1String("defrm") ? QStringLiteral("DPOS.ini") : QStringLiteral("DPOS1.ini");
        const QByteArray before = m_fixture.folder().readBytes(file);
        QPointer<PositionDialog> dialog;
        if (kind == QLatin1String("defrm"))
            dialog = new defrm;
        else
            dialog = new de1frm;
        dialog->Form_Load();
        QStringList lines = dialog->layoutLines();
        lines[0] = QStringLiteral("77");
        dialog->setLayoutLines(lines);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(FocusName(), QStringLiteral("Command1"));
        QVERIFY(TabTo(button));
        ModalBoxes boxes;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (button == QLatin1String("Command1")) {
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].text, QStringLiteral("저장되었습니다."));
            QVERIFY(m_fixture.folder().readBytes(file).startsWith("77\r\n"));
            QVERIFY(dialog && dialog->isVisible());
            delete dialog;
        } else {
            QTRY_VERIFY(dialog.isNull());
            QVERIFY(boxes.seen.isEmpty());
            QCOMPARE(m_fixture.folder().readBytes(file), before);
        }
    }

    void portBoxKeepsTypedText_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("forward");
        QTest::newRow("book, lpt1, Tab") << "mainfrm"
                                         << "lpt1" << true;
        QTest::newRow("book, L, Tab") << "mainfrm"
                                      << "L" << true;
        QTest::newRow("book, LPT, Shift+Tab") << "mainfrm"
                                              << "LPT" << false;
        QTest::newRow("member, com1, Tab") << "main1frm"
                                           << "com1" << true;
        QTest::newRow("member, Lpt1, Shift+Tab") << "main1frm"
                                                 << "Lpt1" << false;
    }
    // What is typed into the port box stays as typed when the box is left: no completion, no case
    // change, nothing added to the list.
    void portBoxKeepsTypedText() {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(bool, forward);
        auto w = ShownLoaded(kind);
        QVERIFY(w);
        QVERIFY(TabTo(QStringLiteral("Combo1")));
        QTest::keyClick(w->Combo1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w->Combo1, typed);
        QCOMPARE(w->Combo1->currentText(), typed);
        test::PressTab(forward);
        QVERIFY(FocusName() != QLatin1String("Combo1"));
        QCOMPARE(w->Combo1->currentText(), typed);
        test::PressTab(!forward);
        QCOMPARE(FocusName(), QStringLiteral("Combo1"));
        test::PressTab(!forward);
        QCOMPARE(w->Combo1->currentText(), typed);
        QCOMPARE(w->Combo1->count(), 2);
        QCOMPARE(w->Combo1->itemText(0), QStringLiteral("COM1"));
        QCOMPARE(w->Combo1->itemText(1), QStringLiteral("LPT1"));
    }

    // Choosing from the list with the arrow keys replaces the typed text with that item's text.
    void portBoxChoosingFromTheList() {
        auto w = ShownLoaded(QStringLiteral("mainfrm"));
        QVERIFY(w);
        QVERIFY(TabTo(QStringLiteral("Combo1")));
        QTest::keyClick(w->Combo1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w->Combo1, "com");
        QTest::keyClick(w->Combo1, Qt::Key_Down);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("LPT1"));
        QTest::keyClick(w->Combo1, Qt::Key_Up);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("COM1"));
        QCOMPARE(w->Combo1->count(), 2);
    }

    // "lpt1" typed is not "LPT1": the job goes to serial port 1 and "lpt1" is saved as typed.
    void portBoxTypedLowerCasePrintsToSerialPort() {
        PtyCapture port;
        QVERIFY(!port.slavePath().isEmpty());
        qputenv("HANLABEL_COM1", port.slavePath().toLocal8Bit());
        auto w = ShownLoaded(QStringLiteral("mainfrm"));
        QVERIFY(w);
        FillEntries(w.get());
        QVERIFY(TabTo(QStringLiteral("Combo1")));
        QTest::keyClick(w->Combo1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w->Combo1, "lpt1");
        QVERIFY(TabTo(QStringLiteral("Command1")));
        QTest::keyClick(w->Command1, Qt::Key_Return);

        BookLabelInputs in;
        in.portText = QStringLiteral("lpt1");
        in.originX = QStringLiteral("0");
        in.originY = QStringLiteral("0");
        in.labelText = QStringLiteral("A1");
        in.firstSerial = QStringLiteral("0001");
        in.quantity = QStringLiteral("2");
        GlyphSource glyphs;
        glyphs.bind(m_fixture.folder().file(QStringLiteral("견고딕24X24.mdb")));
        const QByteArray expected =
            ComposeBookLabel(in, ReadSettingsFile(m_fixture.folder().file(QStringLiteral("DPOS.ini")), 5),
                             ChannelKind::Serial, glyphs);
        QCOMPARE(port.waitFor(expected.size()), expected);
        QVERIFY(test::WaitForOutcome(w.get()));
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("OH.ini")), QByteArray("lpt1\r\n2\r\n"));
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("lpt1"));
    }

    void portBoxLoadedLowerCaseSurvivesTabbing_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("book") << "mainfrm";
        QTest::newRow("member") << "main1frm";
    }
    // A port text loaded in lower case stays as it is through tabbing in and out, and a print
    // saves it back unchanged.
    void portBoxLoadedLowerCaseSurvivesTabbing() {
        QFETCH(QString, kind);
        PtyCapture port;
        QVERIFY(!port.slavePath().isEmpty());
        qputenv("HANLABEL_COM1", port.slavePath().toLocal8Bit());
        m_fixture.folder().writeLines(ChannelFile(kind), {QStringLiteral("lpt1"), QStringLiteral("2")});
        auto w = ShownLoaded(kind);
        QVERIFY(w);
        FillEntries(w.get());
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("lpt1"));
        QVERIFY(TabTo(QStringLiteral("Combo1")));
        QCOMPARE(FocusAfter({true, false, false, true, true}).count(QStringLiteral("Combo1")), 2);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("lpt1"));
        QVERIFY(TabTo(QStringLiteral("Command1")));
        QTest::keyClick(w->Command1, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(port.waitFor(5).startsWith("^XA"));
        QVERIFY(test::WaitForOutcome(w.get()));
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(m_fixture.folder().readBytes(ChannelFile(kind)), QByteArray("lpt1\r\n2\r\n"));
    }

    void starDisplayOnlyOnTypedKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers,
                            const char* shown) {
            QTest::newRow(name) << int(key) << int(modifiers) << shown;
        };
        row("Tab", Qt::Key_Tab, Qt::NoModifier, "****");
        row("Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, "****");
        row("keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "****");
        row("Left", Qt::Key_Left, Qt::NoModifier, "****");
        row("Shift alone", Qt::Key_Shift, Qt::ShiftModifier, "****");
        row("Ctrl+A", Qt::Key_A, Qt::ControlModifier, "****");
        row("Backspace", Qt::Key_Backspace, Qt::NoModifier, "***");
        row("digit 5", Qt::Key_5, Qt::NoModifier, "01235");
    }
    // After the mask switch is turned off, the stars stay until a key types a character in Text4.
    void starDisplayOnlyOnTypedKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        auto w = ShownLoaded(QStringLiteral("main1frm"));
        QVERIFY(w);
        auto* member = static_cast<main1frm*>(w.get());
        QVERIFY(TabTo(QStringLiteral("Text4")));
        QTest::keyClicks(member->Text4, "0123");
        QCOMPARE(member->Text4->displayText(), QStringLiteral("****"));
        QTest::mouseClick(member->Check1, Qt::LeftButton);
        QVERIFY(!member->Check1->isChecked());
        QCOMPARE(FocusName(), QStringLiteral("Text4"));
        QTest::keyClick(member->Text4, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(member->Text4->displayText(), shown);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
