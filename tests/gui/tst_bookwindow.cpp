#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"
#include "ui/windows/BookLabelWindow.h"

#include <QAction>
#include <QApplication>
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
using hanlabel::test::AppFolderFixture;
using hanlabel::test::ModalBoxes;
using hanlabel::test::Type;

class TestBookWindow : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<mainfrm> m_fixture;

    std::unique_ptr<mainfrm> loaded() { return m_fixture.loaded(); }
    std::unique_ptr<mainfrm> shownLoaded() { return m_fixture.shownLoaded(); }
    QByteArray printed() const { return m_fixture.printed(); }
    void forgetPrinted() const { m_fixture.forgetPrinted(); }

  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }

    void init() { m_fixture.reset(); }

    void startupState_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("framing");
        QTest::addColumn<bool>("option5");
        QTest::newRow("LPT1, code 2") << "LPT1"
                                      << "2" << false;
        QTest::newRow("COM1, code 1") << "COM1"
                                      << "1" << true;
        QTest::newRow("port not in the list") << "COM3"
                                              << "2" << false;
        QTest::newRow("code with a blank") << "LPT1"
                                           << "1 " << false;
        QTest::newRow("unknown code") << "COM1"
                                      << "3" << false;
    }
    void startupState() {
        QFETCH(QString, port);
        QFETCH(QString, framing);
        QFETCH(bool, option5);
        m_fixture.folder().writeLines(QStringLiteral("OH.ini"), {port, framing});
        m_fixture.folder().writeLines(QStringLiteral("position.ini"),
                                      {QStringLiteral("20"), QStringLiteral("-7.5")});
        auto w = shownLoaded();
        QVERIFY(w);

        QCOMPARE(w->Combo1->currentText(), port);
        QCOMPARE(w->Combo1->count(), 2);
        QCOMPARE(w->Option5->isChecked(), option5);
        QCOMPARE(w->Option6->isChecked(), !option5);
        QCOMPARE(w->Text3->text(), QStringLiteral("20"));
        QCOMPARE(w->Text4->text(), QStringLiteral("-7.5"));
        QCOMPARE(w->Text5->text(), QStringLiteral("1"));
        QVERIFY(w->Text1->text().isEmpty() && w->Text2->text().isEmpty());
        QVERIFY(w->Option1->isChecked() && !w->Option2->isChecked());
        QVERIFY(w->Option3->isChecked() && !w->Option4->isChecked());
        QCOMPARE(QApplication::focusWidget(), w->Command2);
        QVERIFY(w->HangulDB->databaseName().endsWith(QStringLiteral("/견고딕24X24.mdb")));
        QVERIFY(w->HangulDB->source().isOpen());
        QVERIFY(!w->HangulDB->isVisible());
    }

    void formLayout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Text1") << "Text1" << QRect(3270, 1320, 2175, 285);
        QTest::newRow("Image1") << "Image1" << QRect(3270, 1680, 2235, 480);
        QTest::newRow("Text2") << "Text2" << QRect(3270, 2280, 2175, 285);
        QTest::newRow("Frame1") << "Frame1" << QRect(4440, 225, 2415, 975);
        QTest::newRow("Option1") << "Option1" << QRect(240, 240, 1815, 180);
        QTest::newRow("Option2") << "Option2" << QRect(240, 600, 1815, 255);
        QTest::newRow("Label3") << "Label3" << QRect(2385, 2880, 540, 195);
        QTest::newRow("Text5") << "Text5" << QRect(2955, 2865, 615, 270);
        QTest::newRow("Label1") << "Label1" << QRect(2025, 1650, 1035, 195);
        QTest::newRow("Text3") << "Text3" << QRect(2115, 1875, 525, 270);
        QTest::newRow("UpDown1") << "UpDown1" << QRect(2670, 1875, 240, 255);
        QTest::newRow("Label2") << "Label2" << QRect(3150, 615, 1035, 195);
        QTest::newRow("Text4") << "Text4" << QRect(3285, 855, 525, 270);
        QTest::newRow("UpDown2") << "UpDown2" << QRect(3840, 885, 240, 255);
        QTest::newRow("Frame2") << "Frame2" << QRect(0, 240, 1695, 975);
        QTest::newRow("Option3") << "Option3" << QRect(120, 240, 1455, 255);
        QTest::newRow("Option4") << "Option4" << QRect(120, 600, 1335, 255);
        QTest::newRow("Combo1") << "Combo1" << QRect(120, 1440, 1335, 300);
        QTest::newRow("Frame3") << "Frame3" << QRect(0, 1920, 1695, 1215);
        QTest::newRow("Option5") << "Option5" << QRect(120, 360, 1335, 255);
        QTest::newRow("Option6") << "Option6" << QRect(120, 720, 1335, 255);
        QTest::newRow("Command1") << "Command1" << QRect(3690, 2790, 1335, 495);
        QTest::newRow("Command2") << "Command2" << QRect(5250, 2790, 1335, 495);
        QTest::newRow("Shape1") << "Shape1" << QRect(-150, 3420, 7275, 660);
        QTest::newRow("Label4") << "Label4" << QRect(3165, 3600, 3525, 240);
        QTest::newRow("HangulDB") << "HangulDB" << QRect(3600, 6000, 1215, 345);
    }
    void formLayout() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        mainfrm w;
        auto* control = w.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(control->font().family(), QStringLiteral("굴림"));
        QCOMPARE(control->font().pointSizeF(), 9.0);
    }

    void formFrame() {
        mainfrm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("도서 바코드"));
        QCOMPARE(w.centralWidget()->size(), QSize(466, 268));
        QCOMPARE(w.centralWidget()->y(), w.menuBar()->height());
        QCOMPARE(w.minimumSize(), w.maximumSize());
        // The position command, then the printer connection.
        QCOMPARE(w.menuBar()->actions(), (QList<QAction*>{w.p2, w.printerSetup, w.preview}));
        QCOMPARE(w.printerSetup->objectName(), QStringLiteral("printerSetup"));
        QCOMPARE(w.printerSetup->text(), QStringLiteral("프린터 연결..."));
        QCOMPARE(w.p2->objectName(), QStringLiteral("p2"));
        QCOMPARE(w.p2->text(), QStringLiteral("인쇄위치 조정하기.."));
        QCOMPARE(w.p2->menu(), nullptr);
        QCOMPARE(w.MSComm1->objectName(), QStringLiteral("MSComm1"));
        QCOMPARE(CharacterLimit(w.Text1), 13);
        QCOMPARE(CharacterLimit(w.Text2), 13);
        QVERIFY(w.Option3->font().bold() && !w.Option1->font().bold());
        QCOMPARE(w.Image1->pixmap().size(), QSize(477, 40));

        // Tab from the exit button runs through the controls by tab index.
        const QList<QWidget*> expected{w.Command2, w.Text1,   w.UpDown1,  w.Text3,   w.Text4,
                                       w.UpDown2,  w.Option1, w.Text5,    w.Text2,   w.Option3,
                                       w.Option6,  w.Combo1,  w.Command1, w.Command2};
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.Command2);
        QList<QWidget*> visited{QApplication::focusWidget()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        QCOMPARE(visited, expected);
    }

    void loadFailure_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("remove");
        QTest::newRow("position.ini missing") << "position.ini" << QStringList() << true;
        QTest::newRow("position.ini one line") << "position.ini" << QStringList{"10"} << false;
        QTest::newRow("OH.ini missing") << "OH.ini" << QStringList() << true;
        QTest::newRow("OH.ini one line") << "OH.ini" << QStringList{"LPT1"} << false;
    }
    void loadFailure() {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(bool, remove);
        if (remove)
            QVERIFY(QFile::remove(m_fixture.folder().file(file)));
        else
            m_fixture.folder().writeLines(file, lines);
        mainfrm w;
        try {
            w.Form_Load();
            QFAIL("Form_Load did not fail");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(file), qPrintable(failure.message()));
        }
    }

    void loadWithoutGlyphDatabase() {
        QVERIFY(QFile::remove(m_fixture.folder().file(QStringLiteral("견고딕24X24.mdb"))));
        auto w = loaded();
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
        auto w = loaded();
        w->Text1->setText(QStringLiteral("A1"));
        w->Text2->setText(QStringLiteral("00012"));
        w->Text5->setText(QStringLiteral("3"));
        w->Command1->click();
        QVERIFY(test::WaitForOutcome(w.get()));
        const QByteArray byButton = printed();
        QVERIFY(byButton.endsWith("^PQ3^XZ\r\n"));
        QVERIFY(byButton.contains("^FD00012^SFddddd,1^FS"));
        forgetPrinted();

        QTest::keyClick(w->findChild<QLineEdit*>(box), Qt::Key(key));
        QVERIFY(test::WaitForOutcome(w.get()));
        QCOMPARE(printed(), byButton);
        QCOMPARE(w->Text2->text(), QStringLiteral("00012"));
    }

    void enterElsewherePrintsNothing_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("Text1") << "Text1";
        QTest::newRow("Text3") << "Text3";
        QTest::newRow("Text4") << "Text4";
    }
    void enterElsewherePrintsNothing() {
        QFETCH(QString, box);
        auto w = loaded();
        w->Text1->setText(QStringLiteral("A1"));
        const QByteArray ohBefore = m_fixture.folder().readBytes(QStringLiteral("OH.ini"));
        w->Combo1->setEditText(QStringLiteral("LPT1 "));
        QTest::keyClick(w->findChild<QLineEdit*>(box), Qt::Key_Return);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("OH.ini")), ohBefore);
    }

    // An empty quantity, or one with more than digits and blanks, is asked for again.
    void quantityMissing_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("quantity");
        QTest::newRow("button") << "Command1"
                                << "";
        QTest::newRow("Enter in Text5") << "Text5"
                                        << "";
        QTest::newRow("Enter in Text2") << "Text2"
                                        << "";
        QTest::newRow("letter, Enter in Text5") << "Text5"
                                                << "2x";
    }
    void quantityMissing() {
        QFETCH(QString, trigger);
        QFETCH(QString, quantity);
        auto w = shownLoaded();
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
            QTest::keyClick(w->findChild<QLineEdit*>(trigger), Qt::Key_Return);
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
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("OH.ini")), QByteArray("COM7\r\n2\r\n"));
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("position.ini")), QByteArray("12.5\r\n0\r\n"));
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
        QCOMPARE(w->Text5->text(), quantity);
    }

    // A "^" or "~" in an origin box is refused with a message naming the box, which gets the
    // focus; the box keeps its text as the origin file now holds it, and nothing is sent.
    void originWithCommandPrefix_data() {
        test::OriginRejectionRows(QStringLiteral("Text3"), QStringLiteral("Text4"));
    }
    void originWithCommandPrefix() {
        m_fixture.expectOriginRejected(QStringLiteral("Text3"), QStringLiteral("Text4"),
                                       QStringLiteral("position.ini"));
    }

    void spinButtons_data() {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("up on empty") << "UpDown1"
                                     << "Text3" << true << ""
                                     << "1";
        QTest::newRow("down on empty") << "UpDown2"
                                       << "Text4" << false << ""
                                       << "-1";
        QTest::newRow("down on 0") << "UpDown1"
                                   << "Text3" << false << "0"
                                   << "-1";
        QTest::newRow("up on 12.5") << "UpDown2"
                                    << "Text4" << true << "12.5"
                                    << "13.5";
        QTest::newRow("down on 12.5") << "UpDown1"
                                      << "Text3" << false << "12.5"
                                      << "11.5";
        QTest::newRow("up on letters") << "UpDown2"
                                       << "Text4" << true << "abc"
                                       << "1";
        QTest::newRow("up on 1 2 blanks") << "UpDown1"
                                          << "Text3" << true << " 1 2"
                                          << "13";
    }
    void spinButtons() {
        QFETCH(QString, spin);
        QFETCH(QString, box);
        QFETCH(bool, up);
        QFETCH(QString, before);
        QFETCH(QString, after);
        auto w = loaded();
        auto* control = w->findChild<UpDown*>(spin);
        auto* text = w->findChild<QLineEdit*>(box);
        text->setText(before);
        const QPoint arrow(control->width() / 2, up ? 2 : control->height() - 3);
        QTest::mouseClick(control, Qt::LeftButton, {}, arrow);
        QCOMPARE(text->text(), after);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("position.ini")), QByteArray("0\r\n0\r\n"));
    }

    void spinByKeyboardAndHeldArrow() {
        auto w = loaded();
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
        auto w = loaded();
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

    void failureKeepsEveryBox_data() {
        QTest::addColumn<QString>("lptTarget");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QString>("named");
        QTest::newRow("port cannot be opened") << "/nonexistent-hanlabel/lpt1" << QStringList() << "LPT1";
        QTest::newRow("layout overflow") << "" << QStringList{"40000", "20", "", "", ""} << "overflow";
        QTest::newRow("short layout file") << "" << QStringList{"40", "20"} << "DPOS.ini";
    }
    void failureKeepsEveryBox() {
        QFETCH(QString, lptTarget);
        QFETCH(QStringList, layout);
        QFETCH(QString, named);
        if (!lptTarget.isEmpty())
            qputenv("HANLABEL_LPT1", lptTarget.toLocal8Bit());
        if (!layout.isEmpty())
            m_fixture.folder().writeLines(QStringLiteral("DPOS.ini"), layout);
        auto w = loaded();
        w->Text1->setText(QStringLiteral("AB"));
        w->Text2->setText(QStringLiteral("0001"));
        w->Text5->setText(QStringLiteral("2"));
        w->Option2->setChecked(true);
        w->Text3->setText(QStringLiteral("5"));
        w->Text4->setText(QStringLiteral("6"));
        QPointer<mainfrm> alive(w.get());
        {
            ModalBoxes boxes;
            w->Command1->click();
            QVERIFY(test::WaitForOutcome(w.get()));
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QVERIFY2(boxes.seen[0].text.contains(named), qPrintable(boxes.seen[0].text));
        }
        QVERIFY(alive);
        QCOMPARE(w->Text1->text(), QStringLiteral("AB"));
        QCOMPARE(w->Text2->text(), QStringLiteral("0001"));
        QCOMPARE(w->Text5->text(), QStringLiteral("2"));
        QCOMPARE(w->Text3->text(), QStringLiteral("5"));
        QCOMPARE(w->Text4->text(), QStringLiteral("6"));
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("LPT1"));
        QVERIFY(w->Option2->isChecked());
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
    }

    void hangulLabelText() {
        auto w = shownLoaded();
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

    void switchAndMenuSignals() {
        auto w = shownLoaded();
        QVERIFY(w);
        QSignalSpy switching(w.get(), &mainfrm::switchRequested);
        QSignalSpy dialog(w.get(), &mainfrm::positionDialogRequested);
        QTest::mouseClick(w->Option3, Qt::LeftButton);
        QCOMPARE(switching.size(), 0);
        QTest::mouseClick(w->Option4, Qt::LeftButton);
        QCOMPARE(switching.size(), 1);
        // Nobody switched: the window still shows its own kind.
        QVERIFY(w->Option3->isChecked());
        w->p2->trigger();
        QCOMPARE(dialog.size(), 1);
        QCOMPARE(switching.size(), 1);
    }

    void exitAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("exits");
        QTest::newRow("No") << int(QMessageBox::No) << 0;
        QTest::newRow("Yes") << int(QMessageBox::Yes) << 1;
    }
    void exitAsks() {
        QFETCH(int, answer);
        QFETCH(int, exits);
        auto w = loaded();
        w->Text1->setText(QStringLiteral("A"));
        QSignalSpy exit(w.get(), &mainfrm::exitRequested);
        ModalBoxes boxes{QMessageBox::StandardButton(answer)};
        w->Command2->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("종료하기"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(exit.size(), exits);
        QCOMPARE(w->Text1->text(), QStringLiteral("A"));
    }

    void screenshot() {
        auto w = loaded();
        w->Text1->setText(QStringLiteral("한국도서관"));
        w->Text2->setText(QStringLiteral("0000001"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // Hangul captions resolve to an installed Korean font.
        const QString family = QFontInfo(w->Label4->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean), qPrintable(family));
        const QImage image = w->grab().toImage();
        QCOMPARE(image.size(), w->size());
        // The blue band along the bottom and the pink label box.
        // (Above the status line, which is below the client area.)
        QCOMPARE(image.pixelColor(5, w->centralWidget()->geometry().bottom() - 2), QColor(0, 0, 255));
        const QPoint inText1 =
            w->Text1->mapTo(w.get(), QPoint(w->Text1->width() - 4, w->Text1->height() / 2));
        QCOMPARE(image.pixelColor(inText1), QColor(255, 192, 192));
        const QString folder = qEnvironmentVariable("HANLABEL_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(image.save(folder + QStringLiteral("/book-label-window.png")));
    }
};

QTEST_MAIN(TestBookWindow)
#include "tst_bookwindow.moc"
