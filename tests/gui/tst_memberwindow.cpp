#include "ModalBoxes.h"
#include "WindowFixture.h"

#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "ui/kit/DataControl.h"
#include "ui/kit/FormKit.h"
#include "ui/kit/OneLineText.h"
#include "ui/kit/UpDown.h"
#include "ui/windows/MemberCardWindow.h"

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
using hanlabel::test::AppFolderFixture;
using hanlabel::test::ModalBoxes;
using hanlabel::test::Type;

class TestMemberWindow : public QObject {
    Q_OBJECT

  private:
    test::WindowFixture<main1frm> m_fixture;

    std::unique_ptr<main1frm> loaded() { return m_fixture.loaded(); }
    std::unique_ptr<main1frm> shownLoaded() { return m_fixture.shownLoaded(); }
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
                                              << "1" << true;
        QTest::newRow("code with a blank") << "LPT1"
                                           << "1 " << false;
        QTest::newRow("unknown code") << "COM1"
                                      << "3" << false;
    }
    void startupState() {
        QFETCH(QString, port);
        QFETCH(QString, framing);
        QFETCH(bool, option5);
        m_fixture.folder().writeLines(QStringLiteral("OH1.ini"), {port, framing});
        m_fixture.folder().writeLines(QStringLiteral("position1.ini"),
                                      {QStringLiteral("15"), QStringLiteral("25")});
        auto w = shownLoaded();
        QVERIFY(w);

        QCOMPARE(w->Combo1->currentText(), port);
        QCOMPARE(w->Option5->isChecked(), option5);
        QCOMPARE(w->Option6->isChecked(), !option5);
        QCOMPARE(w->Text6->text(), QStringLiteral("15"));
        QCOMPARE(w->Text5->text(), QStringLiteral("25"));
        QVERIFY(w->Option4->isChecked() && !w->Option3->isChecked());
        QCOMPARE(w->Check1->checkState(), Qt::Checked);
        QCOMPARE(w->Text4->echoMode(), QLineEdit::Normal);
        for (QLineEdit* box : {w->Text1, w->Text2, w->Text3, w->Text4})
            QVERIFY(box->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w->Option4);
        QVERIFY(w->HangulDB->databaseName().endsWith(QStringLiteral("/견고딕24X24.mdb")));
        QVERIFY(w->HangulDB->source().isOpen());
    }

    void formLayout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("bold");
        QTest::newRow("Frame2") << "Frame2" << QRect(0, 240, 1695, 975) << false;
        QTest::newRow("Option4") << "Option4" << QRect(120, 600, 1335, 255) << true;
        QTest::newRow("Option3") << "Option3" << QRect(120, 240, 1455, 255) << true;
        QTest::newRow("Text1") << "Text1" << QRect(4560, 720, 2175, 285) << false;
        QTest::newRow("Text2") << "Text2" << QRect(4560, 1080, 2175, 285) << false;
        QTest::newRow("Text3") << "Text3" << QRect(4560, 1440, 855, 285) << false;
        QTest::newRow("Text4") << "Text4" << QRect(5760, 1440, 975, 285) << false;
        QTest::newRow("Command1") << "Command1" << QRect(3690, 2790, 1335, 495) << false;
        QTest::newRow("Command2") << "Command2" << QRect(5250, 2790, 1335, 495) << false;
        QTest::newRow("Check1") << "Check1" << QRect(5880, 1800, 975, 300) << true;
        QTest::newRow("Text5") << "Text5" << QRect(5280, 360, 615, 270) << false;
        QTest::newRow("Text6") << "Text6" << QRect(3240, 360, 615, 270) << false;
        QTest::newRow("UpDown1") << "UpDown1" << QRect(3840, 360, 240, 255) << false;
        QTest::newRow("UpDown2") << "UpDown2" << QRect(5880, 360, 240, 255) << false;
        QTest::newRow("Combo1") << "Combo1" << QRect(120, 1440, 1335, 300) << false;
        QTest::newRow("Frame3") << "Frame3" << QRect(0, 1920, 1695, 1215) << true;
        QTest::newRow("Option6") << "Option6" << QRect(120, 720, 1335, 255) << false;
        QTest::newRow("Option5") << "Option5" << QRect(120, 360, 1335, 255) << false;
        QTest::newRow("Label1") << "Label1" << QRect(5520, 1440, 255, 255) << false;
        QTest::newRow("Label2") << "Label2" << QRect(2160, 360, 1035, 195) << true;
        QTest::newRow("Label3") << "Label3" << QRect(4200, 360, 1035, 195) << true;
        QTest::newRow("Label4") << "Label4" << QRect(3600, 720, 795, 195) << false;
        QTest::newRow("Label5") << "Label5" << QRect(3600, 1080, 795, 195) << false;
        QTest::newRow("Label6") << "Label6" << QRect(3600, 1440, 795, 195) << false;
        QTest::newRow("Image2") << "Image2" << QRect(2040, 840, 1425, 1770) << false;
        QTest::newRow("Image1") << "Image1" << QRect(3600, 2160, 3195, 480) << false;
        QTest::newRow("Shape1") << "Shape1" << QRect(0, 3420, 7275, 660) << false;
        QTest::newRow("Label7") << "Label7" << QRect(3315, 3555, 3525, 240) << true;
        QTest::newRow("Label8") << "Label8" << QRect(3165, 3600, 3525, 240) << true;
        QTest::newRow("HangulDB") << "HangulDB" << QRect(6000, 5880, 1140, 285) << false;
    }
    void formLayout() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(bool, bold);
        main1frm w;
        auto* control = w.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(control->font().family(), QStringLiteral("굴림"));
        QCOMPARE(control->font().bold(), bold);
    }

    void formFrame() {
        main1frm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("회원증 바코드"));
        QCOMPARE(w.centralWidget()->size(), QSize(466, 268));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.menuBar()->actions(), (QList<QAction*>{w.q1, w.printerSetup, w.preview, w.listPrint}));
        QCOMPARE(w.printerSetup->text(), QStringLiteral("프린터 연결..."));
        QCOMPARE(w.q1->objectName(), QStringLiteral("q1"));
        QCOMPARE(w.q1->text(), QStringLiteral("인쇄위치 조정하기.."));
        QCOMPARE(w.MSComm1->objectName(), QStringLiteral("MSComm1"));
        QCOMPARE(CharacterLimit(w.Text3), 6);
        QCOMPARE(CharacterLimit(w.Text4), 7);
        QCOMPARE(w.Label7->text(), w.Label8->text());
        QCOMPARE(w.Image2->pixmap().size(), QSize(183, 238));
        QCOMPARE(w.Image1->pixmap().size(), QSize(477, 40));

        // The keyboard order: card entry first, then the frame of controls around it.
        const QList<QWidget*> expected{w.Option4,  w.Text1,    w.Text2,  w.Text3,   w.Text4,
                                       w.Command1, w.Command2, w.Check1, w.Text5,   w.Text6,
                                       w.UpDown1,  w.UpDown2,  w.Combo1, w.Option6, w.Option4};
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
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
        QTest::newRow("position1.ini missing") << "position1.ini" << QStringList() << true;
        QTest::newRow("position1.ini empty") << "position1.ini" << QStringList() << false;
        QTest::newRow("OH1.ini missing") << "OH1.ini" << QStringList() << true;
        QTest::newRow("OH1.ini one line") << "OH1.ini" << QStringList{"LPT1"} << false;
    }
    void loadFailure() {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(bool, remove);
        if (remove)
            QVERIFY(QFile::remove(m_fixture.folder().file(file)));
        else
            m_fixture.folder().writeLines(file, lines);
        main1frm w;
        try {
            w.Form_Load();
            QFAIL("Form_Load did not fail");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(file), qPrintable(failure.message()));
        }
    }

    void fullFirstPartMovesFocus() {
        auto w = shownLoaded();
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
        auto w = shownLoaded();
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
        auto w = shownLoaded();
        QVERIFY(w);
        for (bool expectChecked : {false, true}) {
            w->Text1->setFocus();
            QCOMPARE(QApplication::focusWidget(), w->Text1);
            QTest::mouseClick(w->Check1, Qt::LeftButton);
            QCOMPARE(w->Check1->isChecked(), expectChecked);
            QCOMPARE(QApplication::focusWidget(), w->Text4);
        }
    }

    void spinButtons_data() {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("down on empty Text6") << "UpDown1"
                                             << "Text6" << false << ""
                                             << "-1";
        QTest::newRow("up on 12.5 in Text5") << "UpDown2"
                                             << "Text5" << true << "12.5"
                                             << "13.5";
        QTest::newRow("up on letters in Text6") << "UpDown1"
                                                << "Text6" << true << "abc"
                                                << "1";
        QTest::newRow("down on 0 in Text5") << "UpDown2"
                                            << "Text5" << false << "0"
                                            << "-1";
        QTest::newRow("up on 18 in Text6") << "UpDown1"
                                           << "Text6" << true << "18"
                                           << "19";
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
        QTest::mouseClick(control, Qt::LeftButton, {},
                          QPoint(control->width() / 2, up ? 2 : control->height() - 3));
        QCOMPARE(text->text(), after);
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("position1.ini")), QByteArray("0\r\n0\r\n"));
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
        auto w = shownLoaded();
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
        QVERIFY(stream.contains("^FO260,170^BY2^BCN,80,Y,N,N^FD2004010123^FS\r\n"));
        QVERIFY(stream.contains(numberLine));
        QVERIFY(stream.endsWith("^XZ\r\n"));
        QCOMPARE(layout.size(), 7);
        QCOMPARE(layout[0], QStringLiteral("^PR3^PW680^LL432"));
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
        QVERIFY(w->Text2->text().isEmpty() && w->Text3->text().isEmpty() && w->Text4->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w->Text2);
        QCOMPARE(m_fixture.folder().readBytes(QStringLiteral("position1.ini")), QByteArray("20\r\n10\r\n"));
    }

    void enterDoesNotPrint() {
        auto w = loaded();
        w->Text1->setText(QStringLiteral("A1"));
        for (QLineEdit* box : {w->Text1, w->Text2, w->Text3, w->Text4, w->Text5, w->Text6})
            QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
    }

    void failureKeepsEveryBox_data() {
        QTest::addColumn<QString>("lptTarget");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QString>("named");
        QTest::newRow("port cannot be opened") << "/nonexistent-hanlabel/lpt1" << QStringList() << "LPT1";
        QTest::newRow("layout overflow")
            << "" << QStringList{"", "260", "60", "-40000", "110", "", ""} << "overflow";
        QTest::newRow("short layout file") << "" << QStringList{"", "260"} << "DPOS1.ini";
    }
    void failureKeepsEveryBox() {
        QFETCH(QString, lptTarget);
        QFETCH(QStringList, layout);
        QFETCH(QString, named);
        if (!lptTarget.isEmpty())
            qputenv("HANLABEL_LPT1", lptTarget.toLocal8Bit());
        if (!layout.isEmpty())
            m_fixture.folder().writeLines(QStringLiteral("DPOS1.ini"), layout);
        auto w = loaded();
        w->Text1->setText(QStringLiteral("A1"));
        w->Text2->setText(QStringLiteral("BC"));
        w->Text3->setText(QStringLiteral("200401"));
        w->Text4->setText(QStringLiteral("0123"));
        w->Text6->setText(QStringLiteral("3"));
        {
            ModalBoxes boxes;
            w->Command1->click();
            QVERIFY(test::WaitForOutcome(w.get()));
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QVERIFY2(boxes.seen[0].text.contains(named), qPrintable(boxes.seen[0].text));
        }
        QCOMPARE(w->Text1->text(), QStringLiteral("A1"));
        QCOMPARE(w->Text2->text(), QStringLiteral("BC"));
        QCOMPARE(w->Text3->text(), QStringLiteral("200401"));
        QCOMPARE(w->Text4->text(), QStringLiteral("0123"));
        QCOMPARE(w->Text6->text(), QStringLiteral("3"));
        QVERIFY(!QFile::exists(m_fixture.lptPath()));
    }

    // A "^" or "~" in an origin box is refused with a message naming the box, which gets the
    // focus; the box keeps its text as the origin file now holds it, and nothing is sent.
    void originWithCommandPrefix_data() {
        test::OriginRejectionRows(QStringLiteral("Text6"), QStringLiteral("Text5"));
    }
    void originWithCommandPrefix() {
        m_fixture.expectOriginRejected(QStringLiteral("Text6"), QStringLiteral("Text5"),
                                       QStringLiteral("position1.ini"));
    }

    void switchAndMenuSignals() {
        auto w = shownLoaded();
        QVERIFY(w);
        QSignalSpy switching(w.get(), &main1frm::switchRequested);
        QSignalSpy dialog(w.get(), &main1frm::positionDialogRequested);
        QTest::mouseClick(w->Option4, Qt::LeftButton);
        QCOMPARE(switching.size(), 0);
        QTest::mouseClick(w->Option3, Qt::LeftButton);
        QCOMPARE(switching.size(), 1);
        QVERIFY(w->Option4->isChecked());
        w->q1->trigger();
        QCOMPARE(dialog.size(), 1);
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
        QSignalSpy exit(w.get(), &main1frm::exitRequested);
        ModalBoxes boxes{QMessageBox::StandardButton(answer)};
        w->Command2->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("정말로 종료 하시겠습니까?"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("종료하기"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(exit.size(), exits);
    }

    void screenshot() {
        auto w = loaded();
        w->Text1->setText(QStringLiteral("한빛도서관"));
        w->Text2->setText(QStringLiteral("홍길동"));
        w->Text3->setText(QStringLiteral("200401"));
        w->Text4->setText(QStringLiteral("0123"));
        w->Text4->setEchoMode(QLineEdit::Password);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->Text4->displayText(), QStringLiteral("****"));
        // Hangul captions resolve to an installed Korean font.
        const QString family = QFontInfo(w->Label8->font()).family();
        QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean), qPrintable(family));
        const QImage image = w->grab().toImage();
        QCOMPARE(image.size(), w->size());
        // (Above the status line, which is below the client area.)
        QCOMPARE(image.pixelColor(5, w->centralWidget()->geometry().bottom() - 2), QColor(0, 0, 255));
        const QString folder = qEnvironmentVariable("HANLABEL_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(image.save(folder + QStringLiteral("/member-card-window.png")));
    }
};

QTEST_MAIN(TestMemberWindow)
#include "tst_memberwindow.moc"
