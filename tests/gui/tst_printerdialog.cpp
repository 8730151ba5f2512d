#include "app/KoreanTranslation.h"
#include "printers/PrinterMapping.h"
#include "printers/PrinterTarget.h"
#include "ui/dialogs/PrinterDialog.h"
#include "ui/kit/FormKit.h"

#include "CupsServer.h"
#include "FakePrinter.h"
#include "ModalBoxes.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace hanlabel;
using hanlabel::test::CupsServer;
using hanlabel::test::FakePrinter;
using hanlabel::test::FreeLoopbackPort;
using hanlabel::test::ModalBoxes;

namespace {

template <class T> T* Child(const QWidget* dialog, const char* name) {
    T* found = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

// The printer connection dialog, offscreen, on temporary mapping files and a device tree of its own.
class TestPrinterDialog : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallKoreanFontSubstitutions(); }
    void init();
    void cleanup();
    void devicesComeFromTheFolder();
    void savedChoiceIsShown_data();
    void savedChoiceIsShown();
    void choiceIsSaved_data();
    void choiceIsSaved();
    void incompleteChoiceIsRefused();
    void unreadableLinesAreShownAndDroppedOnSave();
    void glyphsLineIsKept();
    void variableIsShownReadOnly();
    void checkAsksTheNetworkPrinter_data();
    void checkAsksTheNetworkPrinter();
    void queuesOfTheServer();
    void screenshot();

  private:
    std::unique_ptr<PrinterDialog> open() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    PrinterDialogSetup m_setup;
};

void TestPrinterDialog::init() {
    qunsetenv("HANLABEL_LPT1");
    qunsetenv("HANLABEL_COM1");
    m_dir = std::make_unique<QTemporaryDir>();
    const QDir dir(m_dir->path());
    dir.mkpath("dev/usb");
    dir.mkpath("etc");
    for (const char* node : {"dev/usb/lp0", "dev/lp0", "dev/ttyS0", "dev/ttyUSB0"}) {
        QFile file(dir.filePath(QString::fromLatin1(node)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    m_setup = PrinterDialogSetup();
    m_setup.places = {dir.filePath("printer.ini"), dir.filePath("etc/printer.ini")};
    m_setup.deviceFolder = dir.filePath("dev");
    m_setup.serialPorts = {{dir.filePath("dev/ttyS0"), "16550A"}};
    // No CUPS server answers here, unless a test starts one.
    m_setup.check.cups = {"127.0.0.1", FreeLoopbackPort()};
    m_setup.check.connect = std::chrono::milliseconds(1000);
}

void TestPrinterDialog::cleanup() {
    qunsetenv("HANLABEL_LPT1");
    qunsetenv("HANLABEL_COM1");
}

std::unique_ptr<PrinterDialog> TestPrinterDialog::open() const {
    auto dialog = std::make_unique<PrinterDialog>(m_setup);
    QSignalSpy listed(dialog.get(), &PrinterDialog::queuesListed);
    dialog->show();
    if (!listed.wait(5000))
        qWarning("the queue list did not come");
    return dialog;
}

void TestPrinterDialog::devicesComeFromTheFolder() {
    const auto dialog = open();
    // The dialog names the window's box by what the window shows.
    QCOMPARE(Child<QGroupBox>(dialog.get(), "lptGroup")->title(),
             QStringLiteral("LPT1: 라벨 창의 포트 선택이 \"LPT1\"일 때"));
    QVERIFY(Child<QLabel>(dialog.get(), "intro")->text().startsWith(QStringLiteral("라벨 창의 포트 선택")));
    const QString dev = m_setup.deviceFolder;
    QCOMPARE(Items(Child<QComboBox>(dialog.get(), "lptDevice")),
             (QStringList{dev + "/usb/lp0 — USB 프린터", dev + "/lp0 — 병렬 포트"}));
    QCOMPARE(Items(Child<QComboBox>(dialog.get(), "comDevice")),
             (QStringList{dev + "/ttyS0 — 16550A", dev + "/ttyUSB0 — USB 직렬 변환기"}));
    // Choosing an entry chooses its path.
    Child<QRadioButton>(dialog.get(), "lptDeviceChoice")->setChecked(true);
    Child<QComboBox>(dialog.get(), "lptDevice")->setCurrentIndex(0);
    Child<QComboBox>(dialog.get(), "comDevice")->setCurrentIndex(1);
    QCOMPARE(dialog->chosenTarget(ChannelKind::Parallel), dev + "/usb/lp0");
    QCOMPARE(dialog->chosenTarget(ChannelKind::Serial), dev + "/ttyUSB0");
}

void TestPrinterDialog::savedChoiceIsShown_data() {
    QTest::addColumn<QString>("lpt1");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("device") << "/dev/usb/lp3"
                            << "lptDeviceChoice"
                            << "lptDevice"
                            << "/dev/usb/lp3";
    QTest::newRow("network") << "tcp://192.0.2.7:6101"
                             << "lptNetworkChoice"
                             << "lptHost"
                             << "192.0.2.7";
    QTest::newRow("file") << "/srv/labels.zpl"
                          << "lptFileChoice"
                          << "lptFile"
                          << "/srv/labels.zpl";
    QTest::newRow("preview") << "preview:"
                             << "lptPreviewChoice"
                             << ""
                             << "";
    // A picture file is the preview's too, and saving again keeps it.
    QTest::newRow("preview picture") << "preview:/srv/a.png"
                                     << "lptPreviewChoice"
                                     << ""
                                     << "";
    QTest::newRow("queue not listed") << "cups:zebra"
                                      << "lptQueueChoice"
                                      << "lptQueue"
                                      << "zebra — 서버 목록에 없음";
    QTest::newRow("nothing saved: the default") << ""
                                                << "lptDeviceChoice"
                                                << "lptDevice"
                                                << "/dev/lp0";
}

void TestPrinterDialog::savedChoiceIsShown() {
    QFETCH(QString, lpt1);
    QFETCH(QString, choice);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    WritePrinterMapping(m_setup.places.operatorFile, {lpt1, "/dev/ttyACM1"});
    const auto dialog = open();
    QVERIFY(Child<QRadioButton>(dialog.get(), choice.toLatin1())->isChecked());
    if (!field.isEmpty()) {
        QWidget* widget = Child<QWidget>(dialog.get(), field.toLatin1());
        const QString text = qobject_cast<QLineEdit*>(widget)
                                 ? static_cast<QLineEdit*>(widget)->text()
                                 : static_cast<QComboBox*>(widget)->currentText();
        QCOMPARE(text, shown);
        QVERIFY(widget->isEnabled());
    }
    if (choice == "lptNetworkChoice")
        QCOMPARE(Child<QSpinBox>(dialog.get(), "lptPort")->value(), 6101);
    QCOMPARE(dialog->chosenTarget(ChannelKind::Parallel), lpt1.isEmpty() ? QStringLiteral("/dev/lp0") : lpt1);
    QCOMPARE(Child<QComboBox>(dialog.get(), "comDevice")->currentText(), QStringLiteral("/dev/ttyACM1"));
    QVERIFY(Child<QLabel>(dialog.get(), "mappingFile")->text().contains(m_setup.places.operatorFile));
}

void TestPrinterDialog::choiceIsSaved_data() {
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("saved");
    QTest::newRow("network printer") << "lptNetworkChoice"
                                     << "printer.local"
                                     << ""
                                     << "LPT1=tcp://printer.local:9100";
    QTest::newRow("network printer, v6") << "lptNetworkChoice"
                                         << "::1"
                                         << ""
                                         << "LPT1=tcp://[::1]:9100";
    QTest::newRow("file") << "lptFileChoice"
                          << "/srv/라벨.zpl"
                          << ""
                          << "LPT1=/srv/라벨.zpl";
    // A pasted line break would add a line of its own to the mapping file.
    QTest::newRow("network printer, line break") << "lptNetworkChoice"
                                                 << "printer.local\r\nLPT1=/dev/sda"
                                                 << ""
                                                 << "LPT1=tcp://printer.local:9100";
    QTest::newRow("file, line break") << "lptFileChoice"
                                      << "/srv/a.zpl\u2028COM1=/dev/sda"
                                      << ""
                                      << "LPT1=/srv/a.zpl";
    QTest::newRow("preview") << "lptPreviewChoice"
                             << ""
                             << ""
                             << "LPT1=preview:";
    // What IT set for the machine stays IT's when the operator leaves it as it is.
    QTest::newRow("IT's choice left alone") << ""
                                            << ""
                                            << "tcp://desk:9100"
                                            << "LPT1=\n";
    QTest::newRow("IT's choice changed") << "lptPreviewChoice"
                                         << ""
                                         << "tcp://desk:9100"
                                         << "LPT1=preview:";
}

void TestPrinterDialog::choiceIsSaved() {
    QFETCH(QString, choice);
    QFETCH(QString, value);
    QFETCH(QString, system);
    QFETCH(QString, saved);
    if (!system.isEmpty())
        WritePrinterMapping(m_setup.places.systemFile, {system, {}});
    const auto dialog = open();
    if (!system.isEmpty())
        QVERIFY(Child<QLabel>(dialog.get(), "mappingFile")->text().contains(m_setup.places.systemFile));
    if (!choice.isEmpty())
        Child<QRadioButton>(dialog.get(), choice.toLatin1())->setChecked(true);
    if (choice == "lptNetworkChoice")
        Child<QLineEdit>(dialog.get(), "lptHost")->setText(value);
    if (choice == "lptFileChoice")
        Child<QLineEdit>(dialog.get(), "lptFile")->setText(value);
    Child<QComboBox>(dialog.get(), "comDevice")->setCurrentIndex(1);
    Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    const QString file = QString::fromUtf8(hanlabel::test::ReadFileBytes(m_setup.places.operatorFile));
    QVERIFY2(file.contains(saved), qPrintable(file));
    QVERIFY2(!file.contains("/dev/sda"), qPrintable(file));
    QVERIFY2(file.contains("COM1=" + m_setup.deviceFolder + "/ttyUSB0"), qPrintable(file));
    // And it is what the next print goes to.
    const QString expected = saved.mid(5).trimmed();
    QCOMPARE(ResolvePortTarget(ChannelKind::Parallel, m_setup.places).target,
             expected.isEmpty() ? system : expected);
}

void TestPrinterDialog::incompleteChoiceIsRefused() {
    WritePrinterMapping(m_setup.places.operatorFile, {"preview:", {}});
    const auto dialog = open();
    Child<QRadioButton>(dialog.get(), "lptNetworkChoice")->setChecked(true);
    ModalBoxes boxes;
    Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("주소를 넣으세요")), qPrintable(boxes.seen[0].text));
    QVERIFY(dialog->isVisible());
    QCOMPARE(ReadPrinterMapping(m_setup.places.operatorFile).lpt1, QStringLiteral("preview:"));
}

void TestPrinterDialog::unreadableLinesAreShownAndDroppedOnSave() {
    QFile file(m_setup.places.operatorFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("LPT1=cups:zebra\nSPEED=9600\nCOM1=ttyUSB0\n");
    file.close();
    const auto dialog = open();
    const QLabel* problems = Child<QLabel>(dialog.get(), "mappingProblems");
    QVERIFY(problems->isVisible());
    const QString path = m_setup.places.operatorFile;
    QVERIFY2(
        problems->text().contains(path + QStringLiteral(", 2번째 줄: 알 수 없는 줄입니다: SPEED=9600")) &&
            problems->text().contains(path + QStringLiteral(", 3번째 줄: 전체 경로가 아닙니다")),
        qPrintable(problems->text()));
    // The lines that could be read are the choices shown.
    QVERIFY(Child<QRadioButton>(dialog.get(), "lptQueueChoice")->isChecked());
    Child<QComboBox>(dialog.get(), "comDevice")->setCurrentIndex(1);
    // A relative path typed in the dialog is refused as the file would be.
    Child<QRadioButton>(dialog.get(), "lptFileChoice")->setChecked(true);
    Child<QLineEdit>(dialog.get(), "lptFile")->setText("labels.zpl");
    {
        ModalBoxes boxes;
        Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("LPT1: 전체 경로가 아닙니다")),
                 qPrintable(boxes.seen[0].text));
    }
    Child<QRadioButton>(dialog.get(), "lptQueueChoice")->setChecked(true);
    Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(ReadPrinterMapping(path),
             (PrinterMapping{"cups:zebra", m_setup.deviceFolder + "/ttyUSB0", false}));
}

void TestPrinterDialog::glyphsLineIsKept() {
    WritePrinterMapping(m_setup.places.operatorFile, {"preview:", "/dev/ttyS0", true});
    const auto dialog = open();
    QVERIFY(!Child<QLabel>(dialog.get(), "mappingProblems")->isVisible());
    Child<QRadioButton>(dialog.get(), "lptFileChoice")->setChecked(true);
    Child<QLineEdit>(dialog.get(), "lptFile")->setText("/srv/a.zpl");
    Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(ReadPrinterMapping(m_setup.places.operatorFile),
             (PrinterMapping{"/srv/a.zpl", "/dev/ttyS0", true}));
}

void TestPrinterDialog::variableIsShownReadOnly() {
    WritePrinterMapping(m_setup.places.operatorFile, {"cups:zebra", {}});
    qputenv("HANLABEL_LPT1", "tcp://10.1.1.1:9100");
    const auto dialog = open();
    auto* note = Child<QLabel>(dialog.get(), "lptOverride");
    auto* value = Child<QLineEdit>(dialog.get(), "lptOverrideValue");
    QVERIFY(note->isVisible() && value->isVisible());
    QVERIFY2(note->text().contains("HANLABEL_LPT1"), qPrintable(note->text()));
    QCOMPARE(value->text(), QStringLiteral("tcp://10.1.1.1:9100"));
    QVERIFY(value->isReadOnly());
    QVERIFY(!Child<QWidget>(dialog.get(), "lptChoices")->isEnabled());
    // The other port is not overridden.
    QVERIFY(!Child<QLabel>(dialog.get(), "comOverride")->isVisible());
    QVERIFY(Child<QWidget>(dialog.get(), "comChoices")->isEnabled());
    // Saving keeps the operator's own choice for the time the variable is gone.
    Child<QDialogButtonBox>(dialog.get(), "buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(ReadPrinterMapping(m_setup.places.operatorFile).lpt1, QStringLiteral("cups:zebra"));
}

void TestPrinterDialog::checkAsksTheNetworkPrinter_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("says");
    QTest::newRow("all fine")
        << hanlabel::test::kAllFine << int(CheckResult::Ready)
        << "프린터가 응답했습니다.\n네트워크 프린터 127.0.0.1 (포트 @)\n프린터 상태: 이상 없음";
    QTest::newRow("paper out")
        << hanlabel::test::kPaperOut << int(CheckResult::Attention)
        << "프린터가 응답했습니다.\n네트워크 프린터 127.0.0.1 (포트 @)\n프린터 상태: 용지가 "
           "없습니다";
    QTest::newRow("never answers") << QByteArray() << int(CheckResult::Attention)
                                   << "장치는 열리지만 프린터의 응답은 확인하지 못했습니다.\n네트워크 프린터 "
                                      "127.0.0.1 (포트 @): 1초 안에";
}

void TestPrinterDialog::checkAsksTheNetworkPrinter() {
    QFETCH(QByteArray, answer);
    QFETCH(int, verdict);
    QFETCH(QString, says);
    FakePrinter printer(answer);
    const PrinterTarget target = PrinterTarget::parse(printer.target());
    QVERIFY(target.valid());
    const QString host = target.host();
    const int port = target.port();
    const auto dialog = open();
    Child<QRadioButton>(dialog.get(), "lptNetworkChoice")->setChecked(true);
    Child<QLineEdit>(dialog.get(), "lptHost")->setText(host);
    Child<QSpinBox>(dialog.get(), "lptPort")->setValue(port);
    QSignalSpy finished(dialog.get(), &PrinterDialog::checkFinished);
    auto* check = Child<QPushButton>(dialog.get(), "lptCheck");
    check->click();
    QVERIFY(!check->isEnabled());
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0][1].toInt(), verdict);
    const QString result = Child<QLabel>(dialog.get(), "lptResult")->text();
    says.replace(u'@', QString::number(port));
    QVERIFY2(result.startsWith(says), qPrintable(result));
    // Every line of the result shows: the dialog grows for them.
    auto* label = Child<QLabel>(dialog.get(), "lptResult");
    QTRY_VERIFY(label->height() >= label->heightForWidth(label->width()));
    QVERIFY(check->isEnabled());
}

void TestPrinterDialog::queuesOfTheServer() {
    CupsServer cups;
    QString why;
    if (!cups.start(
            FreeLoopbackPort(), &why,
            "<Printer stopped>\nDeviceURI socket://127.0.0.1:9\nState Stopped\nReason paused\nType 4\n"
            "Accepting No\nShared No\nJobSheets none none\nOpPolicy default\nErrorPolicy abort-job\n"
            "</Printer>\n"))
        QSKIP(qPrintable(why));
    m_setup.check.cups = {"127.0.0.1", cups.server().section(':', 1).toInt()};
    WritePrinterMapping(m_setup.places.operatorFile, {"cups:stopped", {}});
    const auto dialog = open();
    auto* queues = Child<QComboBox>(dialog.get(), "lptQueue");
    QStringList items = Items(queues);
    items.sort();
    QCOMPARE(items, (QStringList{QStringLiteral("hanlabel — 대기 중"),
                                 QStringLiteral("stopped — 멈춤, 작업 안 받음, 일시 정지됨 (paused)")}));
    QCOMPARE(queues->currentData().toString(), QStringLiteral("stopped"));
    QVERIFY(queues->isEnabled());
    queues->setCurrentIndex(queues->findData("hanlabel"));
    QSignalSpy finished(dialog.get(), &PrinterDialog::checkFinished);
    Child<QPushButton>(dialog.get(), "lptCheck")->click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0][1].toInt(), int(CheckResult::Ready));
    QVERIFY(Child<QLabel>(dialog.get(), "lptResult")->text().contains(QStringLiteral("대기 중")));
}

// The picture of the dialog in the README: a USB printer chosen and checked.
void TestPrinterDialog::screenshot() {
    WritePrinterMapping(m_setup.places.operatorFile, {"/dev/usb/lp0", "/dev/ttyUSB0"});
    m_setup.deviceFolder = "/nonexistent";
    m_setup.serialPorts.clear();
    InstallKoreanTranslation(*qApp);
    const auto dialog = open();
    auto* queues = Child<QComboBox>(dialog.get(), "lptQueue");
    queues->clear();
    queues->addItem(QStringLiteral("zebra (기본) — 대기 중"), "zebra");
    auto* devices = Child<QComboBox>(dialog.get(), "lptDevice");
    devices->addItem(QStringLiteral("/dev/usb/lp0 — USB 프린터"), "/dev/usb/lp0");
    devices->setCurrentIndex(0);
    Child<QComboBox>(dialog.get(), "comDevice")
        ->addItem(QStringLiteral("/dev/ttyUSB0 — USB 직렬 변환기"), "/dev/ttyUSB0");
    Child<QLabel>(dialog.get(), "mappingFile")
        ->setText(QStringLiteral("저장할 곳: /home/desk/.local/share/hanlabel/printer.ini"));
    Child<QLabel>(dialog.get(), "lptResult")->setStyleSheet("color: #1b6e20;");
    Child<QLabel>(dialog.get(), "lptResult")
        ->setText(QStringLiteral("프린터가 응답했습니다. 프린터 상태: 이상 없음 (인쇄 준비됨)"));
    dialog->adjustSize();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QString family = QFontInfo(Child<QLabel>(dialog.get(), "intro")->font()).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Korean), qPrintable(family));
    const QImage image = dialog->grab().toImage();
    QVERIFY(!image.isNull());
    const QString folder = qEnvironmentVariable("HANLABEL_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(image.save(folder + QStringLiteral("/printer-dialog.png")));
}

QTEST_MAIN(TestPrinterDialog)
#include "tst_printerdialog.moc"
