#include "LabelForms.h"
#include "LabelWindows.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace hanlabel;
using hanlabel::test::FocusName;
using hanlabel::test::ModalBoxes;
using hanlabel::test::Row;
using hanlabel::test::Type;

namespace {

using Texts = QMap<QString, QString>;
using Limits = QMap<QString, int>;
using Sizes = QMap<QString, QSize>;

// What sets the two label windows apart in the cases they share.
struct Kind {
    QString channelFile, originFile, layoutFile;
    QString xBox, yBox;             // the origin boxes
    QString ownOption, otherOption; // the kind choice
    QString positionAction;         // the menu's position command
    QString startFocus;             // where the operator starts
    Texts startTexts = {};          // the entry boxes of a loaded window
    Texts entries = {};             // something to print, origin included
};

const Kind& KindOf(const QString& window) {
    static const Kind book = [] {
        Kind book{"OH.ini",  "position.ini", "DPOS.ini", "Text3",   "Text4",
                  "Option3", "Option4",      "p2",       "Command2"};
        book.startTexts = {{"Text1", ""}, {"Text2", ""}, {"Text5", "1"}};
        book.entries = {{"Text1", "AB"}, {"Text2", "0001"}, {"Text5", "2"}, {"Text3", "5"}, {"Text4", "6"}};
        return book;
    }();
    static const Kind member = [] {
        Kind member{"OH1.ini", "position1.ini", "DPOS1.ini", "Text6",  "Text5",
                    "Option4", "Option3",       "q1",        "Option4"};
        member.startTexts = {{"Text1", ""}, {"Text2", ""}, {"Text3", ""}, {"Text4", ""}};
        member.entries = {
            {"Text1", "A1"}, {"Text2", "BC"}, {"Text3", "200401"}, {"Text4", "0123"}, {"Text6", "3"}};
        return member;
    }();
    return window == QLatin1String("mainfrm") ? book : member;
}

const char* const Windows[] = {"mainfrm", "main1frm"};

QLineEdit* Box(const QWidget* window, const QString& name) { return window->findChild<QLineEdit*>(name); }

QAbstractButton* Button(const QWidget* window, const QString& name) {
    return window->findChild<QAbstractButton*>(name);
}

} // namespace

// The book label window and the member card window: the cases they share run a row per window.
class TestLabelWindow : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<LabelWindow> m_fixture;

    QByteArray printed() const { return m_fixture.printed(); }
    QByteArray fileBytes(const QString& name) const { return m_fixture.folder().readBytes(name); }

  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }

    void init() { m_fixture.reset(); }

    // Both windows.

    void startupState_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("framing");
        QTest::addColumn<bool>("option5");
        for (const QByteArray window : Windows) {
            Row(window + ", LPT1, code 2", window, "LPT1", "2", false);
            Row(window + ", COM1, code 1", window, "COM1", "1", true);
            Row(window + ", port not in the list", window, "COM3", "2", false);
            Row(window + ", port not in the list, code 1", window, "COM3", "1", true);
            Row(window + ", code with a blank", window, "LPT1", "1 ", false);
            Row(window + ", unknown code", window, "COM1", "3", false);
        }
    }
    void startupState() {
        QFETCH(QString, window);
        QFETCH(QString, port);
        QFETCH(QString, framing);
        QFETCH(bool, option5);
        const Kind& kind = KindOf(window);
        m_fixture.folder().writeLines(kind.channelFile, {port, framing});
        m_fixture.folder().writeLines(kind.originFile, {QStringLiteral("20"), QStringLiteral("-7.5")});
        auto w = test::ShownLoaded(window);
        QVERIFY(w);

        QCOMPARE(w->Combo1->currentText(), port);
        QCOMPARE(w->Combo1->count(), 2);
        QCOMPARE(w->Option5->isChecked(), option5);
        QCOMPARE(w->Option6->isChecked(), !option5);
        QCOMPARE(Box(w.get(), kind.xBox)->text(), QStringLiteral("20"));
        QCOMPARE(Box(w.get(), kind.yBox)->text(), QStringLiteral("-7.5"));
        for (auto [name, text] : kind.startTexts.asKeyValueRange())
            QCOMPARE(Box(w.get(), name)->text(), text);
        QVERIFY(Button(w.get(), kind.ownOption)->isChecked());
        QVERIFY(!Button(w.get(), kind.otherOption)->isChecked());
        if (auto* book = qobject_cast<mainfrm*>(w.get()))
            QVERIFY(book->Option1->isChecked() && !book->Option2->isChecked());
        if (auto* member = qobject_cast<main1frm*>(w.get())) {
            QCOMPARE(member->Check1->checkState(), Qt::Checked);
            QCOMPARE(member->Text4->echoMode(), QLineEdit::Normal);
        }
        QCOMPARE(FocusName(), kind.startFocus);
        QVERIFY(w->HangulDB->databaseName().endsWith(QStringLiteral("/견고딕24X24.mdb")));
        QVERIFY(w->HangulDB->source().isOpen());
        QVERIFY(!w->HangulDB->isVisible());
    }

    void formLayout_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("bold");
        for (const char* window : Windows)
            for (const test::FormControl& control : test::FormOf(window))
                QTest::addRow("%s %s", window, control.name)
                    << window << control.name << control.twips << control.bold;
    }
    void formLayout() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(bool, bold);
        const auto w = test::MakeWindow(window);
        auto* control = w->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(control->font().family(), QStringLiteral("굴림"));
        QCOMPARE(control->font().pointSizeF(), 9.0);
        QCOMPARE(control->font().bold(), bold);
    }

    void formFrame_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<Limits>("limits");
        QTest::addColumn<Sizes>("pictures");
        QTest::addColumn<QStringList>("tabOrder");
        // The position command, then the printer connection; the tab order from where the focus starts.
        Row("mainfrm", "mainfrm", "도서 바코드", QStringList{"p2", "printerSetup", "preview"},
            Limits{{"Text1", 13}, {"Text2", 13}}, Sizes{{"Image1", QSize(477, 40)}},
            QStringList{"Command2", "Text1", "UpDown1", "Text3", "Text4", "UpDown2", "Option1", "Text5",
                        "Text2", "Option3", "Option6", "Combo1", "Command1", "Command2"});
        Row("main1frm", "main1frm", "회원증 바코드",
            QStringList{"q1", "printerSetup", "preview", "listPrint"}, Limits{{"Text3", 6}, {"Text4", 7}},
            Sizes{{"Image1", QSize(477, 40)}, {"Image2", QSize(183, 238)}},
            QStringList{"Option4", "Text1", "Text2", "Text3", "Text4", "Command1", "Command2", "Check1",
                        "Text5", "Text6", "UpDown1", "UpDown2", "Combo1", "Option6", "Option4"});
    }
    void formFrame() {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QStringList, menu);
        QFETCH(Limits, limits);
        QFETCH(Sizes, pictures);
        QFETCH(QStringList, tabOrder);
        const auto w = test::MakeWindow(window);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(w->centralWidget()->size(), QSize(466, 268));
        QCOMPARE(w->centralWidget()->y(), w->menuBar()->height());
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QStringList actions;
        for (const QAction* action : w->menuBar()->actions())
            actions << action->objectName();
        QCOMPARE(actions, menu);
        QCOMPARE(w->printerSetup->text(), QStringLiteral("프린터 연결..."));
        const QAction* position = w->menuBar()->actions().first();
        QCOMPARE(position->text(), QStringLiteral("인쇄위치 조정하기.."));
        QCOMPARE(position->menu(), nullptr);
        QCOMPARE(w->MSComm1->objectName(), QStringLiteral("MSComm1"));
        for (auto [name, limit] : limits.asKeyValueRange())
            QCOMPARE(CharacterLimit(Box(w.get(), name)), limit);
        for (auto [name, size] : pictures.asKeyValueRange())
            QCOMPARE(w->findChild<QLabel*>(name)->pixmap().size(), size);
        if (auto* member = qobject_cast<main1frm*>(w.get()))
            QCOMPARE(member->Label7->text(), member->Label8->text());

        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QStringList visited{FocusName()};
        for (int i = 1; i < tabOrder.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << FocusName();
        }
        QCOMPARE(visited, tabOrder);
    }

    void loadFailure_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("remove");
        Row("position.ini missing", "mainfrm", "position.ini", QStringList(), true);
        Row("position.ini one line", "mainfrm", "position.ini", QStringList{"10"}, false);
        Row("OH.ini missing", "mainfrm", "OH.ini", QStringList(), true);
        Row("OH.ini one line", "mainfrm", "OH.ini", QStringList{"LPT1"}, false);
        Row("position1.ini missing", "main1frm", "position1.ini", QStringList(), true);
        Row("position1.ini empty", "main1frm", "position1.ini", QStringList(), false);
        Row("OH1.ini missing", "main1frm", "OH1.ini", QStringList(), true);
        Row("OH1.ini one line", "main1frm", "OH1.ini", QStringList{"LPT1"}, false);
    }
    void loadFailure() {
        QFETCH(QString, window);
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(bool, remove);
        if (remove)
            QVERIFY(QFile::remove(m_fixture.folder().file(file)));
        else
            m_fixture.folder().writeLines(file, lines);
        const auto w = test::MakeWindow(window);
        try {
            w->Form_Load();
            QFAIL("Form_Load did not fail");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(file), qPrintable(failure.message()));
        }
    }

    // Each spin control steps its own origin box, and leaves the origin file and the printer alone.
    void spinButtons_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("spin");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        Row("mainfrm, up on 1 2 blanks", "mainfrm", "UpDown1", true, " 1 2", "13");
        Row("mainfrm, down on 12.5", "mainfrm", "UpDown1", false, "12.5", "11.5");
        Row("mainfrm, up on empty", "mainfrm", "UpDown2", true, "", "1");
        Row("mainfrm, down on empty", "mainfrm", "UpDown2", false, "", "-1");
        Row("main1frm, up on letters", "main1frm", "UpDown1", true, "abc", "1");
        Row("main1frm, down on 0", "main1frm", "UpDown1", false, "0", "-1");
        Row("main1frm, up on 12.5", "main1frm", "UpDown2", true, "12.5", "13.5");
        Row("main1frm, down on 18", "main1frm", "UpDown2", false, "18", "17");
    }
    void spinButtons() {
        QFETCH(QString, window);
        QFETCH(QString, spin);
        QFETCH(bool, up);
        QFETCH(QString, before);
        QFETCH(QString, after);
        const Kind& kind = KindOf(window);
        const auto w = test::Loaded(window);
        auto* control = w->findChild<UpDown*>(spin);
        auto* text = Box(w.get(), spin == QLatin1String("UpDown1") ? kind.xBox : kind.yBox);
        text->setText(before);
        QTest::mouseClick(control, Qt::LeftButton, {},
                          QPoint(control->width() / 2, up ? 2 : control->height() - 3));
        QCOMPARE(text->text(), after);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(fileBytes(kind.originFile), QByteArray("0\r\n0\r\n"));
    }

    void failureKeepsEveryBox_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("lptTarget");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QString>("named");
        for (const QByteArray window : Windows)
            Row(window + ", port cannot be opened", window, "/nonexistent-hanlabel/lpt1", QStringList(),
                "LPT1");
        Row("mainfrm, layout overflow", "mainfrm", "", QStringList{"40000", "20", "", "", ""}, "overflow");
        Row("mainfrm, short layout file", "mainfrm", "", QStringList{"40", "20"}, "DPOS.ini");
        Row("main1frm, layout overflow", "main1frm", "",
            QStringList{"", "260", "60", "-40000", "110", "", ""}, "overflow");
        Row("main1frm, short layout file", "main1frm", "", QStringList{"", "260"}, "DPOS1.ini");
    }
    void failureKeepsEveryBox() {
        QFETCH(QString, window);
        QFETCH(QString, lptTarget);
        QFETCH(QStringList, layout);
        QFETCH(QString, named);
        const Kind& kind = KindOf(window);
        if (!lptTarget.isEmpty())
            qputenv("HANLABEL_LPT1", lptTarget.toLocal8Bit());
        if (!layout.isEmpty())
            m_fixture.folder().writeLines(kind.layoutFile, layout);
        const auto w = test::Loaded(window);
        for (auto [name, text] : kind.entries.asKeyValueRange())
            Box(w.get(), name)->setText(text);
        auto* descending = w->findChild<QRadioButton*>(QStringLiteral("Option2"));
        if (descending)
            descending->setChecked(true);
        QPointer<LabelWindow> alive(w.get());
        {
            ModalBoxes boxes;
            w->Command1->click();
            QVERIFY(test::WaitForOutcome(w.get()));
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QVERIFY2(boxes.seen[0].text.contains(named), qPrintable(boxes.seen[0].text));
        }
        QVERIFY(alive);
        for (auto [name, text] : kind.entries.asKeyValueRange())
            QCOMPARE(Box(w.get(), name)->text(), text);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("LPT1"));
        if (descending)
            QVERIFY(descending->isChecked());
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
    }

    void originWithCommandPrefix_data() {
        test::OriginRejectionColumns();
        for (const char* window : Windows)
            test::OriginRejectionRows(KindOf(window).xBox, KindOf(window).yBox, window);
    }
    // A "^" or "~" in an origin box is refused with a message naming the box, which gets the
    // focus; the box keeps its text as the origin file now holds it, and nothing is sent.
    void originWithCommandPrefix() {
        QFETCH(QString, kind);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(QString, named);
        const Kind& files = KindOf(kind);
        auto w = test::ShownLoaded(kind);
        QVERIFY(w);
        Box(w.get(), files.xBox)->setText(x);
        Box(w.get(), files.yBox)->setText(y);
        {
            ModalBoxes boxes;
            w->Command1->click();
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].title, QStringLiteral("입력오류"));
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QVERIFY2(boxes.seen[0].text.contains(named), qPrintable(boxes.seen[0].text));
        }
        QCOMPARE(w->focusWidget()->objectName(), named);
        QCOMPARE(Box(w.get(), files.xBox)->text(), x);
        QCOMPARE(Box(w.get(), files.yBox)->text(), y);
        QCOMPARE(fileBytes(files.originFile), (x + "\r\n" + y + "\r\n").toLatin1());
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
    }

    void enterPrintsNothing_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");
        for (const char* box : {"Text1", "Text3", "Text4"})
            QTest::addRow("mainfrm %s", box) << "mainfrm" << box;
        for (const char* box : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"})
            QTest::addRow("main1frm %s", box) << "main1frm" << box;
    }
    // Enter prints only where the book label window says so (see enterPrintsAsTheButton).
    void enterPrintsNothing() {
        QFETCH(QString, window);
        QFETCH(QString, box);
        const Kind& kind = KindOf(window);
        const auto w = test::Loaded(window);
        Box(w.get(), QStringLiteral("Text1"))->setText(QStringLiteral("A1"));
        const QByteArray channelBefore = fileBytes(kind.channelFile);
        w->Combo1->setEditText(QStringLiteral("LPT1 "));
        QTest::keyClick(Box(w.get(), box), Qt::Key_Return);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(fileBytes(kind.channelFile), channelBefore);
        QCOMPARE(Box(w.get(), QStringLiteral("Text1"))->text(), QStringLiteral("A1"));
    }

    void switchAndMenuSignals_data() {
        QTest::addColumn<QString>("window");
        for (const char* window : Windows)
            QTest::newRow(window) << window;
    }
    void switchAndMenuSignals() {
        QFETCH(QString, window);
        const Kind& kind = KindOf(window);
        auto w = test::ShownLoaded(window);
        QVERIFY(w);
        QSignalSpy switching(w.get(), &LabelWindow::switchRequested);
        QSignalSpy dialog(w.get(), &LabelWindow::positionDialogRequested);
        QTest::mouseClick(Button(w.get(), kind.ownOption), Qt::LeftButton);
        QCOMPARE(switching.size(), 0);
        QTest::mouseClick(Button(w.get(), kind.otherOption), Qt::LeftButton);
        QCOMPARE(switching.size(), 1);
        // Nobody switched: the window still shows its own kind.
        QVERIFY(Button(w.get(), kind.ownOption)->isChecked());
        w->findChild<QAction*>(kind.positionAction)->trigger();
        QCOMPARE(dialog.size(), 1);
        QCOMPARE(switching.size(), 1);
    }

    void exitAsks_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("exits");
        for (const char* window : Windows) {
            QTest::addRow("%s, No", window) << window << int(QMessageBox::No) << 0;
            QTest::addRow("%s, Yes", window) << window << int(QMessageBox::Yes) << 1;
        }
    }
    void exitAsks() {
        QFETCH(QString, window);
        QFETCH(int, answer);
        QFETCH(int, exits);
        const auto w = test::Loaded(window);
        Box(w.get(), QStringLiteral("Text1"))->setText(QStringLiteral("A"));
        QSignalSpy exit(w.get(), &LabelWindow::exitRequested);
        ModalBoxes boxes{QMessageBox::StandardButton(answer)};
        w->Command2->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("종료하기"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(exit.size(), exits);
        QCOMPARE(Box(w.get(), QStringLiteral("Text1"))->text(), QStringLiteral("A"));
    }

    void screenshot_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<Texts>("entries");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("file");
        Row("mainfrm", "mainfrm", Texts{{"Text1", "한국도서관"}, {"Text2", "0000001"}}, "Label4",
            "book-label-window.png");
        Row("main1frm", "main1frm",
            Texts{{"Text1", "한빛도서관"}, {"Text2", "홍길동"}, {"Text3", "200401"}, {"Text4", "0123"}},
            "Label8", "member-card-window.png");
    }
    void screenshot() {
        QFETCH(QString, window);
        QFETCH(Texts, entries);
        QFETCH(QString, banner);
        QFETCH(QString, file);
        const auto w = test::Loaded(window);
        for (auto [name, text] : entries.asKeyValueRange())
            Box(w.get(), name)->setText(text);
        if (auto* member = qobject_cast<main1frm*>(w.get()))
            member->Text4->setEchoMode(QLineEdit::Password);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (auto* member = qobject_cast<main1frm*>(w.get()))
            QCOMPARE(member->Text4->displayText(), QStringLiteral("****"));
        // Hangul captions resolve to an installed Korean font.
        const QString family = QFontInfo(w->findChild<QLabel*>(banner)->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean), qPrintable(family));
        const QImage image = w->grab().toImage();
        QCOMPARE(image.size(), w->size());
        // The blue band along the bottom and the pink entry box.
        // (Above the status line, which is below the client area.)
        QCOMPARE(image.pixelColor(5, w->centralWidget()->geometry().bottom() - 2), QColor(0, 0, 255));
        const QLineEdit* text1 = Box(w.get(), QStringLiteral("Text1"));
        const QPoint inText1 = text1->mapTo(w.get(), QPoint(text1->width() - 4, text1->height() / 2));
        QCOMPARE(image.pixelColor(inText1), QColor(255, 192, 192));
        const QString folder = qEnvironmentVariable("HANLABEL_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(image.save(folder + QLatin1Char('/') + file));
    }

    // The book label window.

    void loadWithoutGlyphDatabase() {
        QVERIFY(QFile::remove(m_fixture.folder().file(QStringLiteral("견고딕24X24.mdb"))));
        auto w = m_fixture.loaded<mainfrm>();
        QVERIFY(!w->HangulDB->source().isOpen());
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("LPT1"));
        // An all-ASCII job still prints.
        w->Text1->setText(QStringLiteral("A1"));
        w->Command1->click();
        QVERIFY(test::WaitForOutcome(w.get()));
        const QByteArray ascii = printed();
        QVERIFY(ascii.contains("^FDA ^FS"));
        // A job that needs a glyph is refused before anything is sent, naming the database.
        w->Text1->setText(QStringLiteral("A가"));
        {
            ModalBoxes boxes;
            w->Command1->click();
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("견고딕24X24.mdb")),
                     qPrintable(boxes.seen[0].text));
        }
        QCOMPARE(printed(), ascii);
        QCOMPARE(w->Text1->text(), QStringLiteral("A가"));
    }

    void enterPrintsAsTheButton_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("key");
        QTest::newRow("Return in Text2") << "Text2" << int(Qt::Key_Return);
        QTest::newRow("Return in Text5") << "Text5" << int(Qt::Key_Return);
        QTest::newRow("keypad Enter in Text5") << "Text5" << int(Qt::Key_Enter);
    }
    void enterPrintsAsTheButton() {
        QFETCH(QString, box);
        QFETCH(int, key);
        auto w = m_fixture.loaded<mainfrm>();
        w->Text1->setText(QStringLiteral("A1"));
        w->Text2->setText(QStringLiteral("00012"));
        w->Text5->setText(QStringLiteral("3"));
        w->Command1->click();
        QVERIFY(test::WaitForOutcome(w.get()));
        const QByteArray byButton = printed();
        QVERIFY(byButton.endsWith("^PQ3^XZ\r\n"));
        QVERIFY(byButton.contains("^FD00012^SFddddd,1^FS"));
        m_fixture.forgetPrinted();

        QTest::keyClick(Box(w.get(), box), Qt::Key(key));
        QVERIFY(test::WaitForOutcome(w.get()));
        QCOMPARE(printed(), byButton);
        QCOMPARE(w->Text2->text(), QStringLiteral("00012"));
    }

    // An empty quantity, or one with more than digits and blanks, is asked for again.
    void quantityMissing_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("quantity");
        Row("button", "Command1", "");
        Row("Enter in Text5", "Text5", "");
        Row("Enter in Text2", "Text2", "");
        Row("letter, Enter in Text5", "Text5", "2x");
    }
    void quantityMissing() {
        QFETCH(QString, trigger);
        QFETCH(QString, quantity);
        auto w = m_fixture.shownLoaded<mainfrm>();
        QVERIFY(w);
        w->Text1->setText(QStringLiteral("A1"));
        w->Text5->setText(quantity);
        w->Combo1->setEditText(QStringLiteral("COM7"));
        w->Text3->setText(QStringLiteral("12.5"));
        ModalBoxes boxes;
        QStringList layout;
        qsizetype boxesBeforeLayout = -1;
        connect(w.get(), &mainfrm::layoutLinesRead, this, [&](const QStringList& lines) {
            layout = lines;
            boxesBeforeLayout = boxes.seen.size();
        });
        if (trigger == QLatin1String("Command1"))
            w->Command1->click();
        else
            QTest::keyClick(Box(w.get(), trigger), Qt::Key_Return);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("인쇄매수를 입력하세요!"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("입력오류"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // The layout lines reach the position dialog before the message.
        QCOMPARE(boxesBeforeLayout, 0);
        QCOMPARE(layout, (QStringList{"24", "20", "^PR3^PW480^LL240", "^FO24,64^A0N,30,30",
                                      "^FO24,110^BY2^BCN,70,Y,N,N"}));
        QCOMPARE(w->focusWidget(), w->Text5);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(fileBytes(QStringLiteral("OH.ini")), QByteArray("COM7\r\n2\r\n"));
        QCOMPARE(fileBytes(QStringLiteral("position.ini")), QByteArray("12.5\r\n0\r\n"));
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
        QCOMPARE(w->Text5->text(), quantity);
    }

    void spinByKeyboardAndHeldArrow() {
        auto w = m_fixture.loaded<mainfrm>();
        w->Text3->setText(QStringLiteral("5"));
        QTest::keyClick(w->UpDown1, Qt::Key_Up);
        QTest::keyClick(w->UpDown1, Qt::Key_Up);
        QTest::keyClick(w->UpDown1, Qt::Key_Down);
        QCOMPARE(w->Text3->text(), QStringLiteral("6"));

        // Holding the down arrow repeats it; letting go stops it.
        w->Text4->setText(QStringLiteral("0"));
        const QPoint down(w->UpDown2->width() / 2, w->UpDown2->height() - 3);
        QTest::mousePress(w->UpDown2, Qt::LeftButton, {}, down);
        QTest::qWait(800);
        QTest::mouseRelease(w->UpDown2, Qt::LeftButton, {}, down);
        const double held = w->Text4->text().toDouble();
        QVERIFY2(held <= -2, qPrintable(w->Text4->text()));
        QTest::qWait(300);
        QCOMPARE(w->Text4->text().toDouble(), held);
    }

    void spinOverflowIsReportedOnce() {
        auto w = m_fixture.loaded<mainfrm>();
        w->Text3->setText(QStringLiteral("1e400"));
        ModalBoxes boxes;
        const QPoint up(w->UpDown1->width() / 2, 2);
        // The release goes to the message box, as it would under the operator's hand.
        QTest::mousePress(w->UpDown1, Qt::LeftButton, {}, up);
        QTest::qWait(800);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(boxes.seen[0].text.contains(QStringLiteral("overflow")));
        QCOMPARE(w->Text3->text(), QStringLiteral("1e400"));
    }

    void hangulLabelText() {
        auto w = m_fixture.shownLoaded<mainfrm>();
        QVERIFY(w);
        w->Text1->setFocus();
        Type(w->Text1, QStringLiteral("가A"));
        QCOMPARE(w->Text1->text(), QStringLiteral("가A"));
        w->Command1->click();
        QVERIFY(test::WaitForOutcome(w.get()));
        const QByteArray stream = printed();
        QCOMPARE(stream.count("~DG"), 1);
        QVERIFY(stream.contains("^FO24,20^XG"));
        QVERIFY(stream.contains("^FO56,23^A0,35,35^FDA ^FS"));
    }

    // The member card window.

    void fullFirstPartMovesFocus() {
        auto w = m_fixture.shownLoaded<main1frm>();
        QVERIFY(w);
        w->Text3->setFocus();
        QTest::keyClicks(w->Text3, "20040");
        QCOMPARE(QApplication::focusWidget(), w->Text3);
        QTest::keyClick(w->Text3, Qt::Key_1);
        QCOMPARE(w->Text3->text(), QStringLiteral("200401"));
        QCOMPARE(QApplication::focusWidget(), w->Text4);

        // Releasing a key that leaves the box full hands the focus on again.
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Home, Qt::Key_9}) {
            w->Text3->setFocus();
            QTest::keyClick(w->Text3, key);
            QCOMPARE(w->Text3->text(), QStringLiteral("200401"));
            QCOMPARE(QApplication::focusWidget(), w->Text4);
        }
        // Backspace shortens it: the focus stays.
        w->Text3->setFocus();
        w->Text3->end(false);
        QTest::keyClick(w->Text3, Qt::Key_Backspace);
        QCOMPARE(w->Text3->text(), QStringLiteral("20040"));
        QCOMPARE(QApplication::focusWidget(), w->Text3);
        // Six Hangul characters count as six.
        w->Text3->clear();
        Type(w->Text3, QStringLiteral("가나다라마"));
        QCOMPARE(QApplication::focusWidget(), w->Text3);
        Type(w->Text3, QStringLiteral("바"));
        QCOMPARE(QApplication::focusWidget(), w->Text4);
    }

    void starDisplay_data() {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("switch on") << true << "****";
        QTest::newRow("switch off") << false << "0123";
    }
    void starDisplay() {
        QFETCH(bool, checked);
        QFETCH(QString, shown);
        auto w = m_fixture.shownLoaded<main1frm>();
        QVERIFY(w);
        w->Check1->setChecked(checked);
        w->Text4->setFocus();
        QTest::keyClicks(w->Text4, "0123");
        QCOMPARE(w->Text4->text(), QStringLiteral("0123"));
        QCOMPARE(w->Text4->displayText(), shown);

        // Clicking the switch moves the focus but changes the display only at the next key.
        QTest::mouseClick(w->Check1, Qt::LeftButton);
        QCOMPARE(w->Check1->isChecked(), !checked);
        QCOMPARE(QApplication::focusWidget(), w->Text4);
        QCOMPARE(w->Text4->displayText(), shown);
        QTest::keyClick(w->Text4, Qt::Key_4);
        QCOMPARE(w->Text4->text(), QStringLiteral("01234"));
        QCOMPARE(w->Text4->displayText(), checked ? QStringLiteral("01234") : QStringLiteral("*****"));
    }

    void checkClickFocusesSecondPart() {
        auto w = m_fixture.shownLoaded<main1frm>();
        QVERIFY(w);
        for (bool expectChecked : {false, true}) {
            w->Text1->setFocus();
            QCOMPARE(QApplication::focusWidget(), w->Text1);
            QTest::mouseClick(w->Check1, Qt::LeftButton);
            QCOMPARE(w->Check1->isChecked(), expectChecked);
            QCOMPARE(QApplication::focusWidget(), w->Text4);
        }
    }

    void printEmptiesNameAndNumber_data() {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QByteArray>("numberLine");
        QTest::newRow("masked") << true << QByteArray("^FO260,300^A0N,30,30^FD200401-****^FS\r\n");
        QTest::newRow("plain") << false << QByteArray("^FO260,300^A0N,30,30^FD200401-0123^FS\r\n");
    }
    void printEmptiesNameAndNumber() {
        QFETCH(bool, checked);
        QFETCH(QByteArray, numberLine);
        auto w = m_fixture.shownLoaded<main1frm>();
        QVERIFY(w);
        w->Check1->setChecked(checked);
        w->Text1->setText(QStringLiteral("A1"));
        w->Text2->setText(QStringLiteral("BC"));
        w->Text3->setText(QStringLiteral("200401"));
        w->Text4->setText(QStringLiteral("0123"));
        w->Text6->setText(QStringLiteral("20"));
        w->Text5->setText(QStringLiteral("10"));
        QStringList layout;
        connect(w.get(), &main1frm::layoutLinesRead, this,
                [&layout](const QStringList& lines) { layout = lines; });
        w->Text2->setFocus();
        w->Command1->click();
        QVERIFY(test::WaitForOutcome(w.get()));

        const QByteArray stream = printed();
        QVERIFY(stream.startsWith("^XA^PR3^PW680^LL432^LH20,10\r\n"));
        QVERIFY(stream.contains("^FO260,170^BY2^BCN,80,N,N,N^FD2004010123^FS\r\n"));
        QVERIFY(stream.contains(numberLine));
        QVERIFY(stream.endsWith("^XZ\r\n"));
        QCOMPARE(layout.size(), 7);
        QCOMPARE(layout[0], QStringLiteral("^PR3^PW680^LL432"));
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
        QVERIFY(w->Text2->text().isEmpty() && w->Text3->text().isEmpty() && w->Text4->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w->Text2);
        QCOMPARE(fileBytes(QStringLiteral("position1.ini")), QByteArray("20\r\n10\r\n"));
    }
};

QTEST_MAIN(TestLabelWindow)
#include "tst_labelwindow.moc"
