#include "channels/TargetFactory.h"
#include "core/Failure.h"
#include "printers/ConnectionCheck.h"
#include "printers/CupsQueues.h"
#include "printers/PrinterDevices.h"
#include "printers/PrinterMapping.h"
#include "printers/PrinterTarget.h"

#include "CupsServer.h"
#include "FakePrinter.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace hanlabel;
using namespace std::chrono_literals;
using hanlabel::test::CupsServer;
using hanlabel::test::FakePrinter;
using hanlabel::test::FreeLoopbackPort;
using hanlabel::test::HostStatusAnswer;
using hanlabel::test::kAllFine;
using hanlabel::test::kPaperOut;
using hanlabel::test::kPaused;
using hanlabel::test::PtyCapture;
using hanlabel::test::ReadFileBytes;

Q_DECLARE_METATYPE(hanlabel::PrinterMapping)

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

// The printer connection: the mapping file, its lookup order, device detection and the check.
class TestPrinterSetup : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void mappingSavedAndReloaded_data();
    void mappingSavedAndReloaded();
    void mappingFileLines_data();
    void mappingFileLines();
    void glyphsChoiceKeepsTheRest();
    void unreadableMappingIsReported();
    void lookupOrder_data();
    void lookupOrder();
    void printAfterAChangeGoesToTheNewTarget();
    void noPrinterChosenYet_data();
    void noPrinterChosenYet();
    void missingDevicePointsToTheDialog_data();
    void missingDevicePointsToTheDialog();
    void destinationText_data();
    void destinationText();
    void targetKinds_data();
    void targetKinds();
    void deviceDetection();
    void hostStatus_data();
    void hostStatus();
    void networkCheck_data();
    void networkCheck();
    void deviceAndFileCheck_data();
    void deviceAndFileCheck();
    void serialCheck_data();
    void serialCheck();
    void cupsQueuesAndTheirState();

  private:
    QTemporaryDir m_dir;
    MappingPlaces places() const {
        return {m_dir.filePath("printer.ini"), m_dir.filePath("etc/printer.ini")};
    }
};

void TestPrinterSetup::init() {
    qunsetenv("HANLABEL_LPT1");
    qunsetenv("HANLABEL_COM1");
    QFile::remove(places().operatorFile);
    QFile::remove(places().systemFile);
}

void TestPrinterSetup::mappingSavedAndReloaded_data() {
    QTest::addColumn<QString>("lpt1");
    QTest::addColumn<QString>("com1");
    QTest::newRow("queue and adapter") << "cups:zebra"
                                       << "/dev/ttyUSB0";
    QTest::newRow("network, serial not chosen") << "tcp://[::1]:9100"
                                                << "";
    QTest::newRow("file with Hangul and spaces") << "/home/운영자/라벨 출력.zpl"
                                                 << "/dev/ttyS1";
    QTest::newRow("nothing chosen") << ""
                                    << "";
}

void TestPrinterSetup::mappingSavedAndReloaded() {
    QFETCH(QString, lpt1);
    QFETCH(QString, com1);
    WritePrinterMapping(places().operatorFile, {lpt1, com1});
    QCOMPARE(ReadPrinterMapping(places().operatorFile), (PrinterMapping{lpt1, com1}));
}

void TestPrinterSetup::mappingFileLines_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<PrinterMapping>("mapping");
    QTest::addColumn<QStringList>("problems"); // each ", N번째 줄: ..." as the message names it
    QTest::newRow("IT's file, CR LF, lower case, comments")
        << QByteArray("# written by IT\r\n\r\nlpt1 = tcp://printer.local:6101\r\nCOM1=/dev/ttyACM0\r\n")
        << PrinterMapping{"tcp://printer.local:6101", "/dev/ttyACM0", false} << QStringList();
    QTest::newRow("glyphs line kept") << QByteArray("LPT1=cups:zebra\nGLYPHS=every-card\n")
                                      << PrinterMapping{"cups:zebra", "", true} << QStringList();
    QTest::newRow("preview picture") << QByteArray("LPT1=preview:/srv/a.png\n")
                                     << PrinterMapping{"preview:/srv/a.png", "", false} << QStringList();
    QTest::newRow("unknown key") << QByteArray("# IT\nSPEED=9600\nCOM1=/dev/ttyACM0\n")
                                 << PrinterMapping{"", "/dev/ttyACM0", false}
                                 << QStringList{
                                        QStringLiteral(", 2번째 줄: 알 수 없는 줄입니다: SPEED=9600")};
    QTest::newRow("garbage") << QByteArray("LPT1=/dev/usb/lp0\n\nzebra\n")
                             << PrinterMapping{"/dev/usb/lp0", "", false}
                             << QStringList{QStringLiteral(", 3번째 줄: 알 수 없는 줄입니다: zebra")};
    QTest::newRow("CR inside a value")
        << QByteArray("LPT1=/srv/a.zpl\rCOM1=/dev/sda\n") << PrinterMapping()
        << QStringList{QStringLiteral(", 1번째 줄: 값 안에 줄바꿈이나 제어 문자가 있습니다")};
    QTest::newRow("U+2028 inside a value")
        << QByteArray("COM1=/dev/ttyS0\nLPT1=/srv/a.zpl\u2028/dev/sda\n")
        << PrinterMapping{"", "/dev/ttyS0", false}
        << QStringList{QStringLiteral(", 2번째 줄: 값 안에 줄바꿈이나 제어 문자가 있습니다")};
    QTest::newRow("relative paths")
        << QByteArray("LPT1=labels.zpl\nCOM1=ttyUSB0\n") << PrinterMapping()
        << QStringList{QStringLiteral(", 1번째 줄: 전체 경로가 아닙니다 (/로 시작해야 합니다): labels.zpl"),
                       QStringLiteral(", 2번째 줄: 전체 경로가 아닙니다 (/로 시작해야 합니다): ttyUSB0")};
    QTest::newRow("relative preview picture")
        << QByteArray("LPT1=preview:a.png\n") << PrinterMapping()
        << QStringList{QStringLiteral(", 1번째 줄: 전체 경로가 아닙니다 (/로 시작해야 합니다): a.png")};
    QTest::newRow("network address that cannot be read")
        << QByteArray("LPT1=tcp://desk:port\n") << PrinterMapping()
        << QStringList{QStringLiteral(
               ", 1번째 줄: 네트워크 프린터의 주소와 포트를 읽을 수 없습니다: tcp://desk:port")};
    QTest::newRow("queue on the serial port")
        << QByteArray("COM1=cups:zebra\n") << PrinterMapping()
        << QStringList{QStringLiteral(", 1번째 줄: 직렬 포트에는 장치만 정할 수 있습니다: cups:zebra")};
    QTest::newRow("other glyphs value")
        << QByteArray("GLYPHS=once\n") << PrinterMapping()
        << QStringList{QStringLiteral(", 1번째 줄: GLYPHS에는 every-card만 쓸 수 있습니다")};
    QTest::newRow("not UTF-8") << QByteArray("LPT1=/srv/\xb6\xf3\xba\xa7.zpl\n") << PrinterMapping()
                               << QStringList{
                                      QStringLiteral(", 1번째 줄: UTF-8로 읽을 수 없는 글자가 있습니다")};
}

void TestPrinterSetup::mappingFileLines() {
    QFETCH(QByteArray, content);
    QFETCH(PrinterMapping, mapping);
    QFETCH(QStringList, problems);
    const QString path = places().operatorFile;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const MappingFileContent read = ReadPrinterMappingFile(path);
    QCOMPARE(read.mapping, mapping);
    QStringList named;
    for (const QString& problem : problems)
        named << path + problem;
    QCOMPARE(read.problems, named);
    // A print stops there, naming the file and the line, rather than printing somewhere else.
    QString message;
    try {
        ResolvePortTarget(ChannelKind::Parallel, places());
    } catch (const Failure& failure) {
        message = failure.message();
    }
    QCOMPARE(message.isEmpty(), problems.isEmpty());
    for (const QString& problem : named)
        QVERIFY2(message.contains(problem), qPrintable(message));
    QCOMPARE(ReadPrinterMappingFile(m_dir.filePath("no-such.ini")).mapping, PrinterMapping());
}

void TestPrinterSetup::glyphsChoiceKeepsTheRest() {
    WritePrinterMapping(places().operatorFile, {"cups:zebra", "/dev/ttyUSB0", false});
    QVERIFY(!GlyphsEveryCard(places()));
    SetGlyphsEveryCard(true, places());
    QVERIFY(GlyphsEveryCard(places()));
    QCOMPARE(ReadFileBytes(places().operatorFile).split('\n').mid(1),
             (QList<QByteArray>{"LPT1=cups:zebra", "COM1=/dev/ttyUSB0", "GLYPHS=every-card", ""}));
    SetGlyphsEveryCard(false, places());
    QCOMPARE(ReadPrinterMapping(places().operatorFile),
             (PrinterMapping{"cups:zebra", "/dev/ttyUSB0", false}));
    // The machine's file does not decide it: the operator turns it on and off.
    QDir().mkpath(m_dir.filePath("etc"));
    WritePrinterMapping(places().systemFile, {"", "", true});
    QVERIFY(!GlyphsEveryCard(places()));
}

void TestPrinterSetup::unreadableMappingIsReported() {
    // A folder where the file should be cannot be read, even by root.
    QVERIFY(QDir().mkpath(places().operatorFile));
    QString message;
    try {
        ResolvePortTarget(ChannelKind::Parallel, places());
    } catch (const Failure& failure) {
        message = failure.message();
    }
    // The tooltip says so too, rather than naming another target.
    const QString tooltip = PortDestinationText("LPT1", SerialFraming::None8, places());
    QVERIFY(QDir().rmdir(places().operatorFile));
    QVERIFY2(message.contains(places().operatorFile), qPrintable(message));
    QVERIFY2(tooltip.startsWith("LPT1 → ?") && tooltip.contains(places().operatorFile), qPrintable(tooltip));
}

void TestPrinterSetup::lookupOrder_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("source");
    const int lpt = int(ChannelKind::Parallel);
    const int com = int(ChannelKind::Serial);
    QTest::newRow("LPT1 default") << lpt << ""
                                  << ""
                                  << ""
                                  << "/dev/lp0" << int(TargetSource::Default);
    QTest::newRow("COM1 default") << com << ""
                                  << ""
                                  << ""
                                  << "/dev/ttyS0" << int(TargetSource::Default);
    QTest::newRow("IT's file") << lpt << ""
                               << ""
                               << "cups:desk"
                               << "cups:desk" << int(TargetSource::SystemFile);
    QTest::newRow("operator's over IT's") << lpt << ""
                                          << "tcp://10.0.0.9:9100"
                                          << "cups:desk"
                                          << "tcp://10.0.0.9:9100" << int(TargetSource::OperatorFile);
    QTest::newRow("variable over both") << com << "/dev/ttyUSB7"
                                        << "/dev/ttyUSB0"
                                        << "/dev/ttyS1"
                                        << "/dev/ttyUSB7" << int(TargetSource::Environment);
    QTest::newRow("operator chose only the other port") << com << ""
                                                        << ""
                                                        << "/dev/ttyS1"
                                                        << "/dev/ttyS1" << int(TargetSource::SystemFile);
}

void TestPrinterSetup::lookupOrder() {
    QFETCH(int, kind);
    QFETCH(QString, variable);
    QFETCH(QString, own);
    QFETCH(QString, system);
    QFETCH(QString, target);
    QFETCH(int, source);
    const ChannelKind port = ChannelKind(kind);
    if (!variable.isEmpty())
        qputenv(PortVariable(port).toLatin1().constData(), variable.toUtf8());
    QDir().mkpath(m_dir.filePath("etc"));
    PrinterMapping mine, its;
    (port == ChannelKind::Parallel ? mine.lpt1 : mine.com1) = own;
    (port == ChannelKind::Parallel ? its.lpt1 : its.com1) = system;
    // The other port's entry of the operator's file never stands in for this one's.
    (port == ChannelKind::Parallel ? mine.com1 : mine.lpt1) = "/dev/other";
    WritePrinterMapping(places().operatorFile, mine);
    WritePrinterMapping(places().systemFile, its);
    const PortTarget resolved = ResolvePortTarget(port, places());
    QCOMPARE(resolved.target, target);
    QCOMPARE(int(resolved.source), source);
}

void TestPrinterSetup::printAfterAChangeGoesToTheNewTarget() {
    qputenv("HANLABEL_HOME", m_dir.path().toLocal8Bit());
    const auto unset = qScopeGuard([] { qunsetenv("HANLABEL_HOME"); });
    const QString first = m_dir.filePath("first.zpl");
    const QString second = m_dir.filePath("second.zpl");
    WritePrinterMapping(places().operatorFile, {first, {}});
    OpenTransport(ChannelKind::Parallel, SerialFraming::None8)->send("^XA^FDone^XZ", {});
    WritePrinterMapping(places().operatorFile, {second, {}});
    OpenTransport(ChannelKind::Parallel, SerialFraming::None8)->send("^XA^FDtwo^XZ", {});
    QCOMPARE(ReadFileBytes(first), QByteArray("^XA^FDone^XZ"));
    QCOMPARE(ReadFileBytes(second), QByteArray("^XA^FDtwo^XZ"));
    QCOMPARE(ParallelPortTarget(), second);
    QCOMPARE(SerialPortTarget(), QStringLiteral("/dev/ttyS0"));
}

void TestPrinterSetup::noPrinterChosenYet_data() {
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("system");
    QTest::addColumn<bool>("none");
    // This machine has no /dev/lp0, as a USB desk has none.
    QTest::newRow("fresh install") << ""
                                   << ""
                                   << "" << true;
    QTest::newRow("chosen in the dialog") << ""
                                          << "/dev/usb/lp0"
                                          << "" << false;
    QTest::newRow("chosen by IT") << ""
                                  << ""
                                  << "cups:desk" << false;
    QTest::newRow("chosen at start-up") << "preview:"
                                        << ""
                                        << "" << false;
    QTest::newRow("only the serial port chosen") << ""
                                                 << ""
                                                 << "" << true;
}

void TestPrinterSetup::noPrinterChosenYet() {
    QFETCH(QString, variable);
    QFETCH(QString, own);
    QFETCH(QString, system);
    QFETCH(bool, none);
    if (QFileInfo::exists(DefaultPortTarget(ChannelKind::Parallel)))
        QSKIP("this machine has the built-in parallel device");
    if (!variable.isEmpty())
        qputenv("HANLABEL_LPT1", variable.toUtf8());
    QDir().mkpath(m_dir.filePath("etc"));
    WritePrinterMapping(places().operatorFile, {own, QStringLiteral("/dev/ttyUSB0")});
    WritePrinterMapping(places().systemFile, {system, {}});
    QCOMPARE(NoPrinterChosen(ChannelKind::Parallel, places()), none);
}

void TestPrinterSetup::missingDevicePointsToTheDialog_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("pointed");
    QTest::newRow("USB printer unplugged") << int(ChannelKind::Parallel) << "/dev/usb/lp97" << true;
    QTest::newRow("serial adapter unplugged") << int(ChannelKind::Serial) << "/dev/ttyUSB97" << true;
    // A device that is there but cannot be written is another matter.
    QTest::newRow("a folder, not a device") << int(ChannelKind::Parallel) << "/tmp" << false;
}

void TestPrinterSetup::missingDevicePointsToTheDialog() {
    QFETCH(int, kind);
    QFETCH(QString, device);
    QFETCH(bool, pointed);
    qputenv(PortVariable(ChannelKind(kind)).toLatin1().constData(), device.toUtf8());
    QString message;
    try {
        OpenTransport(ChannelKind(kind), SerialFraming::None8)->send("^XA^XZ", {});
    } catch (const Failure& failure) {
        message = failure.message();
    }
    QVERIFY2(message.contains(device), qPrintable(message));
    QCOMPARE(message.contains(QStringLiteral("\"프린터 연결...\"")), pointed);
}

void TestPrinterSetup::destinationText_data() {
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LPT1 on a queue") << "LPT1"
                                     << ""
                                     << "LPT1 → CUPS 프린터 큐 zebra";
    QTest::newRow("COM1 with framing") << "COM1"
                                       << ""
                                       << "COM1 → 직렬 장치 /dev/ttyUSB0 (9600,E,7,1)";
    QTest::newRow("other text is serial port 1") << "lpt1"
                                                 << ""
                                                 << "lpt1 → 직렬 포트 1: 직렬 장치 /dev/ttyUSB0 (9600,E,7,1)";
    QTest::newRow("started with a preview")
        << "LPT1"
        << "preview:"
        << "LPT1 → 미리보기 창 (프로그램을 시작할 때 정해진 연결: 프린터 연결 창에 나옵니다)";
    QTest::newRow("network printer")
        << "LPT1"
        << "tcp://192.168.0.50:9100"
        << "LPT1 → 네트워크 프린터 192.168.0.50 (프로그램을 시작할 때 정해진 연결: "
           "프린터 연결 창에 나옵니다)";
}

void TestPrinterSetup::destinationText() {
    QFETCH(QString, portText);
    QFETCH(QString, variable);
    QFETCH(QString, expected);
    if (!variable.isEmpty())
        qputenv("HANLABEL_LPT1", variable.toUtf8());
    WritePrinterMapping(places().operatorFile, {"cups:zebra", "/dev/ttyUSB0"});
    QCOMPARE(PortDestinationText(portText, SerialFraming::Even7, places()), expected);
}

void TestPrinterSetup::targetKinds_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("part"); // path, host or queue
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("text"); // as written back
    const int device = int(PrinterTarget::Kind::Device);
    const int file = int(PrinterTarget::Kind::File);
    const int network = int(PrinterTarget::Kind::Network);
    const int queue = int(PrinterTarget::Kind::Queue);
    const int preview = int(PrinterTarget::Kind::Preview);
    QTest::newRow("USB printer") << "/dev/usb/lp0" << device << true << "/dev/usb/lp0" << 0 << "/dev/usb/lp0";
    QTest::newRow("queue") << "cups:zebra" << queue << true << "zebra" << 0 << "cups:zebra";
    QTest::newRow("default queue") << "cups:" << queue << true << "" << 0 << "cups:";
    QTest::newRow("network") << "tcp://192.0.2.7:6101" << network << true << "192.0.2.7" << 6101
                             << "tcp://192.0.2.7:6101";
    QTest::newRow("network, raw port")
        << "tcp://zebra.local" << network << true << "zebra.local" << 9100 << "tcp://zebra.local:9100";
    QTest::newRow("network, v6") << "tcp://[::1]:9100" << network << true << "::1" << 9100
                                 << "tcp://[::1]:9100";
    QTest::newRow("network, v6 raw port")
        << "tcp://[fe80::1]" << network << true << "fe80::1" << 9100 << "tcp://[fe80::1]:9100";
    QTest::newRow("network, no host") << "tcp://:9100" << network << false << "" << 0 << "tcp://:9100";
    QTest::newRow("network, port too big")
        << "tcp://a:70000" << network << false << "" << 0 << "tcp://a:70000";
    QTest::newRow("network, port 0") << "tcp://a:0" << network << false << "" << 0 << "tcp://a:0";
    QTest::newRow("network, port not a number")
        << "tcp://a:lp" << network << false << "" << 0 << "tcp://a:lp";
    QTest::newRow("network, empty port") << "tcp://a:" << network << false << "" << 0 << "tcp://a:";
    QTest::newRow("network, v6 unbracketed") << "tcp://::1" << network << false << "" << 0 << "tcp://::1";
    QTest::newRow("network, unclosed v6")
        << "tcp://[::1:9100" << network << false << "" << 0 << "tcp://[::1:9100";
    QTest::newRow("network, a path") << "tcp://host/x" << network << false << "" << 0 << "tcp://host/x";
    QTest::newRow("preview window") << "preview:" << preview << true << "" << 0 << "preview:";
    QTest::newRow("preview picture") << "preview:/tmp/a.png" << preview << true << "/tmp/a.png" << 0
                                     << "preview:/tmp/a.png";
    QTest::newRow("file") << "/home/desk/labels.zpl" << file << true << "/home/desk/labels.zpl" << 0
                          << "/home/desk/labels.zpl";
}

void TestPrinterSetup::targetKinds() {
    QFETCH(QString, target);
    QFETCH(int, kind);
    QFETCH(bool, valid);
    QFETCH(QString, part);
    QFETCH(int, port);
    QFETCH(QString, text);
    const PrinterTarget parsed = PrinterTarget::parse(target);
    QCOMPARE(int(parsed.kind()), kind);
    QCOMPARE(parsed.valid(), valid);
    if (valid) {
        const QString found = parsed.kind() == PrinterTarget::Kind::Network ? parsed.host()
                              : parsed.kind() == PrinterTarget::Kind::Queue ? parsed.queueName()
                                                                            : parsed.filePath();
        QCOMPARE(found, part);
        QCOMPARE(parsed.port(), port);
        QCOMPARE(PrinterTarget::parse(text), parsed);
    }
    QCOMPARE(parsed.text(), text);
}

void TestPrinterSetup::deviceDetection() {
    QTemporaryDir dev;
    for (const char* name : {"usb/lp1", "usb/lp0", "lp10", "lp2", "lp0", "ttyS0", "ttyS1", "ttyS31",
                             "ttyUSB0", "ttyACM0", "ttyAMA0", "tty1", "null", "lpfoo/x"})
        Touch(dev.filePath(QString::fromLatin1(name)));
    const QList<DeviceEntry> printers = FindPrinterDevices(dev.path());
    QStringList paths;
    for (const DeviceEntry& e : printers)
        paths << e.path.mid(dev.path().size());
    QCOMPARE(paths, (QStringList{"/usb/lp0", "/usb/lp1", "/lp0", "/lp2", "/lp10"}));
    QCOMPARE(printers.first().description, QStringLiteral("USB 프린터"));
    QCOMPARE(printers.last().description, QStringLiteral("병렬 포트"));

    const QList<KnownSerialPort> known{{dev.filePath("ttyS1"), "16550A"},
                                       {dev.filePath("ttyUSB0"), "FT232R USB UART, FTDI"},
                                       {dev.filePath("ttyAMA0"), ""},
                                       {"/elsewhere/ttyS5", "not in this folder"}};
    const QList<DeviceEntry> serial = FindSerialDevices(dev.path(), known);
    const QList<DeviceEntry> expected{{dev.filePath("ttyS1"), "16550A"},
                                      {dev.filePath("ttyUSB0"), "FT232R USB UART, FTDI"},
                                      {dev.filePath("ttyACM0"), QStringLiteral("USB 직렬 장치 (ACM)")},
                                      {dev.filePath("ttyAMA0"), QStringLiteral("직렬 포트")}};
    QCOMPARE(serial, expected);
}

void TestPrinterSetup::hostStatus_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QStringList>("problems");
    QTest::newRow("all fine") << kAllFine << QStringList();
    QTest::newRow("paper out") << kPaperOut << QStringList{QStringLiteral("용지가 없습니다")};
    QTest::newRow("paused, two formats waiting")
        << kPaused
        << QStringList{QStringLiteral("일시 정지되어 있습니다 (PAUSE 버튼으로 풉니다)"),
                       QStringLiteral("인쇄를 기다리는 라벨 형식: 2개")};
    QTest::newRow("head open, ribbon out")
        << HostStatusAnswer("030,0,0,0812,000,0,0,0,000,0,0,0", "000,0,1,1,1,2,4,0,00000000,1,000")
        << QStringList{QStringLiteral("헤드가 열려 있습니다"), QStringLiteral("리본이 없습니다")};
    QTest::newRow("buffer full, partial format")
        << HostStatusAnswer("030,0,0,0812,000,1,0,1,000,0,0,0", "000,0,0,0,1,2,4,0,00000000,1,000")
        << QStringList{QStringLiteral("수신 버퍼가 가득 찼습니다"),
                       QStringLiteral("다 받지 못한 라벨 형식이 프린터에 남아 있습니다 (끊긴 작업)")};
}

void TestPrinterSetup::hostStatus() {
    QFETCH(QByteArray, answer);
    QFETCH(QStringList, problems);
    const std::optional<HostStatus> status = ParseHostStatus(answer);
    QVERIFY(status);
    QCOMPARE(HostStatusProblems(*status), problems);
    // Cut short or garbled, it is no status at all.
    QVERIFY(!ParseHostStatus(answer.left(answer.indexOf('\x03'))));
    QVERIFY(!ParseHostStatus(QByteArray(answer).replace(',', ';')));
}

void TestPrinterSetup::networkCheck_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("says");
    QTest::newRow("all fine") << kAllFine << int(CheckResult::Ready)
                              << QStringLiteral("프린터가 응답했습니다.\n네트워크 프린터 127.0.0.1 (포트 @)\n"
                                                "프린터 상태: 이상 없음 (인쇄 준비됨)");
    QTest::newRow("paper out") << kPaperOut << int(CheckResult::Attention)
                               << QStringLiteral(
                                      "프린터가 응답했습니다.\n네트워크 프린터 127.0.0.1 (포트 @)\n"
                                      "프린터 상태: 용지가 없습니다");
    QTest::newRow("paused") << kPaused << int(CheckResult::Attention)
                            << QStringLiteral("프린터가 응답했습니다.\n네트워크 프린터 127.0.0.1 (포트 @)\n"
                                              "프린터 상태: 일시 정지되어 있습니다 (PAUSE 버튼으로 풉니다)");
    QTest::newRow("accepts and says nothing")
        << QByteArray() << int(CheckResult::Attention)
        << QStringLiteral(
               "장치는 열리지만 프린터의 응답은 확인하지 못했습니다.\n네트워크 프린터 127.0.0.1 (포트 @): "
               "1초 안에 상태 요청에 답이 없었습니다.");
}

void TestPrinterSetup::networkCheck() {
    QFETCH(QByteArray, answer);
    QFETCH(int, verdict);
    QFETCH(QString, says);
    FakePrinter printer(answer);
    const CheckResult result = CheckPortTarget(ChannelKind::Parallel, printer.target(), SerialFraming::None8);
    const QString text = result.lines.join('\n');
    QCOMPARE(int(result.verdict), verdict);
    says.replace(u'@', printer.target().section(u':', -1));
    QVERIFY2(text.startsWith(says), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("연결됨")));
}

void TestPrinterSetup::deviceAndFileCheck_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("says"); // the lines' start; @ is the temporary folder
    QTest::newRow("device that opens, nobody answers")
        << "/dev/null" << int(CheckResult::Attention)
        << QStringLiteral(
               "장치는 열리지만 프린터의 응답은 확인하지 못했습니다.\n장치 /dev/null: 1초 안에 상태 "
               "요청에 답이 없었습니다.");
    QTest::newRow("missing device") << "/dev/usb/lp9" << int(CheckResult::Failed)
                                    << QStringLiteral("장치가 없습니다: /dev/usb/lp9");
    QTest::newRow("new file") << "@/labels.zpl" << int(CheckResult::Ready)
                              << QStringLiteral("파일에 쓸 수 있습니다.\n@/labels.zpl (첫 인쇄 때 만듭니다)");
    QTest::newRow("file in a missing folder")
        << "@/no/such/labels.zpl" << int(CheckResult::Failed) << QStringLiteral("폴더가 없습니다: @/no/such");
    QTest::newRow("a folder, not a file")
        << "@" << int(CheckResult::Failed)
        << QStringLiteral("장치를 열 수 없습니다: @ (파일이 아니라 폴더입니다)");
    QTest::newRow("preview window") << "preview:" << int(CheckResult::Ready)
                                    << QStringLiteral("라벨을 화면의 미리보기 창에 보여 줍니다.");
    QTest::newRow("preview picture") << "preview:@/a.png" << int(CheckResult::Ready)
                                     << QStringLiteral(
                                            "파일에 쓸 수 있습니다.\n@/a.png (첫 인쇄 때 만듭니다)");
}

void TestPrinterSetup::deviceAndFileCheck() {
    QFETCH(QString, target);
    QFETCH(int, verdict);
    QFETCH(QString, says);
    QTemporaryDir dir;
    target.replace('@', dir.path());
    says.replace('@', dir.path());
    const CheckResult result = CheckPortTarget(ChannelKind::Parallel, target, SerialFraming::None8);
    const QString text = result.lines.join('\n');
    QCOMPARE(int(result.verdict), verdict);
    QVERIFY2(text.startsWith(says), qPrintable(text));
    // Checking writes nothing.
    QVERIFY(!QFile::exists(dir.filePath("labels.zpl")));
}

void TestPrinterSetup::serialCheck_data() {
    QTest::addColumn<int>("line"); // 0 no device, 1 a line with no printer, 2 a printer answering
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("framing");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("says"); // the lines' start; @ is the device
    const int serial = int(ChannelKind::Serial);
    const int lpt = int(ChannelKind::Parallel);
    QTest::newRow("printer answers at 9600,N,8,1")
        << 2 << serial << int(SerialFraming::None8) << int(CheckResult::Ready)
        << QStringLiteral(
               "프린터가 응답했습니다.\n직렬 장치 @ (9600,N,8,1)\n프린터 상태: 이상 없음 (인쇄 준비됨)");
    QTest::newRow("line opens, nothing answers")
        << 1 << serial << int(SerialFraming::None8) << int(CheckResult::Attention)
        << QStringLiteral(
               "장치는 열리지만 프린터의 응답은 확인하지 못했습니다.\n직렬 장치 @ (9600,N,8,1): 1초 "
               "안에 상태 요청에 답이 없었습니다.");
    // A pseudo-terminal keeps no parity, as a device that refuses the framing would.
    QTest::newRow("does not keep 9600,E,7,1")
        << 2 << serial << int(SerialFraming::Even7) << int(CheckResult::Failed)
        << QStringLiteral("COM1 포트(@)에 통신 설정 9600,E,7,1을 적용할 수 없습니다 (데이터 비트 7)");
    QTest::newRow("missing") << 0 << serial << int(SerialFraming::None8) << int(CheckResult::Failed)
                             << QStringLiteral("직렬 장치가 없습니다: @");
    // A printer device that reads back (a USB printer's back channel) is asked as well.
    QTest::newRow("device reads back, printer answers")
        << 2 << lpt << int(SerialFraming::None8) << int(CheckResult::Ready)
        << QStringLiteral("프린터가 응답했습니다.\n장치 @\n프린터 상태: 이상 없음 (인쇄 준비됨)");
    QTest::newRow("device reads back, nothing answers")
        << 1 << lpt << int(SerialFraming::None8) << int(CheckResult::Attention)
        << QStringLiteral(
               "장치는 열리지만 프린터의 응답은 확인하지 못했습니다.\n장치 @: 1초 안에 상태 요청에 답이 "
               "없었습니다.");
}

void TestPrinterSetup::serialCheck() {
    QFETCH(int, line);
    QFETCH(int, kind);
    QFETCH(int, framing);
    QFETCH(int, verdict);
    QFETCH(QString, says);
    PtyCapture pty(line == 2 ? kAllFine : QByteArray());
    const QString device = line > 0 ? pty.slavePath() : QStringLiteral("/dev/ttyUSB97");
    const CheckResult result = CheckPortTarget(ChannelKind(kind), device, SerialFraming(framing));
    const QString text = result.lines.join('\n');
    QCOMPARE(int(result.verdict), verdict);
    says.replace(u'@', device);
    QVERIFY2(text.startsWith(says), qPrintable(text));
    // The status request is all that goes down the line.
    if (verdict != CheckResult::Failed)
        QCOMPARE(pty.waitFor(3, 2000), QByteArray("~HS"));
    else
        QVERIFY(pty.received().isEmpty());
}

void TestPrinterSetup::cupsQueuesAndTheirState() {
    CupsServer cups;
    QString why;
    const QString stopped = QStringLiteral(
        "<Printer stopped>\nInfo stopped queue\nDeviceURI socket://127.0.0.1:9\nState Stopped\n"
        "StateMessage paused by IT\nReason paused\nType 4\nAccepting No\nShared No\nJobSheets none none\n"
        "OpPolicy default\nErrorPolicy abort-job\n</Printer>\n");
    if (!cups.start(FreeLoopbackPort(), &why, stopped))
        QSKIP(qPrintable(why));
    const QByteArray server = cups.server().toUtf8();
    const CupsServerAddress address{server.left(server.indexOf(':')),
                                    server.mid(server.indexOf(':') + 1).toInt()};
    const CupsQueueList list = ListCupsQueues(address);
    QVERIFY2(list.failure.isEmpty(), qPrintable(list.failure));
    QStringList states;
    for (const CupsQueue& queue : list.queues)
        states << queue.name + ": " + CupsQueueStateText(queue);
    states.sort();
    QCOMPARE(states, (QStringList{QStringLiteral("hanlabel: 대기 중"),
                                  QStringLiteral("stopped: 멈춤, 작업 안 받음, 일시 정지됨 (paused)")}));

    CheckOptions options;
    options.cups = address;
    CheckResult result =
        CheckPortTarget(ChannelKind::Parallel, "cups:hanlabel", SerialFraming::None8, options);
    QCOMPARE(result.verdict, CheckResult::Ready);
    result = CheckPortTarget(ChannelKind::Parallel, "cups:stopped", SerialFraming::None8, options);
    QCOMPARE(result.verdict, CheckResult::Attention);
    QVERIFY2(result.lines.join('\n').contains(QStringLiteral("멈춤")), qPrintable(result.lines.join('\n')));
    result = CheckPortTarget(ChannelKind::Parallel, "cups:nowhere", SerialFraming::None8, options);
    QCOMPARE(result.verdict, CheckResult::Failed);
    QVERIFY2(result.lines.join('\n').contains("nowhere"), qPrintable(result.lines.join('\n')));
    // A server that is not there.
    options.cups.port = FreeLoopbackPort();
    result = CheckPortTarget(ChannelKind::Parallel, "cups:hanlabel", SerialFraming::None8, options);
    QCOMPARE(result.verdict, CheckResult::Failed);
    // libcups' English "Connection refused" is told in the program's words.
    QVERIFY2(result.lines.join('\n').contains(QString::number(options.cups.port)) &&
                 result.lines.join('\n').endsWith(
                     QStringLiteral("상대가 연결을 거부했습니다 (그 포트에서 받는 프린터가 없습니다)")),
             qPrintable(result.lines.join('\n')));
}

QTEST_MAIN(TestPrinterSetup)
#include "tst_printersetup.moc"
