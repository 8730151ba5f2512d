#include "compose/PieceStream.h"
#include "compose/TextField.h"
#include "core/Failure.h"
#include "glyphs/GlyphSource.h"

#include "TestSupport.h"

#include <QTest>

using namespace hanlabel;

// The emitter of one text field, on both channels, with the real glyph databases.
class TestTextField : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void pieces_data();
    void pieces();
    void workedExampleOnBothChannels();
    void sameHangulTwiceIsDownloadedTwice();
    void graphicNamesArePaddedOrCut();
    void limits_data();
    void limits();
    void channelChoice_data();
    void channelChoice();

  private:
    QByteArray emitField(ChannelKind kind, int16_t& x, int16_t y, const QString& text, GlyphSource& glyphs);
    GlyphSource m_sample;
    GlyphSource m_edge;
    QByteArray m_ga; // ImageData of 가 in the sample database
};

void TestTextField::initTestCase() {
    m_sample.bind(test::SampleDatabasePath());
    m_edge.bind(test::TestDataPath("glyph-edge.mdb"));
    QVERIFY(m_sample.isOpen());
    QVERIFY(m_edge.isOpen());
    m_ga = m_sample.lookup(U'가').data;
    QCOMPARE(m_ga.size(), 280);
}

QByteArray TestTextField::emitField(ChannelKind kind, int16_t& x, int16_t y, const QString& text,
                                    GlyphSource& glyphs) {
    PieceStream out(kind);
    if (kind == ChannelKind::Parallel)
        PrintTextLpt(out, glyphs, x, y, text, 1);
    else
        PrintTextComm(out, glyphs, x, y, text, 1);
    return out.bytes();
}

void TestTextField::pieces_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<int>("xAfter");
    QTest::newRow("empty text") << 100 << 50 << "" << QByteArray() << 100;
    QTest::newRow("one letter") << 100 << 50 << "A" << QByteArray("^FO100,53^A0,35,35^FDA ^FS") << 118;
    QTest::newRow("blank is ascii") << 0 << 0 << " " << QByteArray("^FO0,3^A0,35,35^FD  ^FS") << 18;
    QTest::newRow("negative x") << -5 << 50 << "1" << QByteArray("^FO-5,53^A0,35,35^FD1 ^FS") << 13;
    QTest::newRow("caret escaped") << 0 << 0 << "^" << QByteArray("^FO0,3^A0,35,35^FH^FD_5E ^FS") << 18;
    QTest::newRow("tilde escaped") << 0 << 0 << "~" << QByteArray("^FO0,3^A0,35,35^FH^FD_7E ^FS") << 18;
    QTest::newRow("underscore alone stays") << 0 << 0 << "_" << QByteArray("^FO0,3^A0,35,35^FD_ ^FS") << 18;
}

void TestTextField::pieces() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, text);
    QFETCH(QByteArray, serial);
    QFETCH(int, xAfter);
    int16_t xs = int16_t(x), xp = int16_t(x);
    QCOMPARE(emitField(ChannelKind::Serial, xs, int16_t(y), text, m_sample), serial);
    QCOMPARE(int(xs), xAfter);
    const QByteArray parallel = serial.isEmpty() ? QByteArray() : serial + "\r\n";
    QCOMPARE(emitField(ChannelKind::Parallel, xp, int16_t(y), text, m_sample), parallel);
    QCOMPARE(int(xp), xAfter);
}

void TestTextField::workedExampleOnBothChannels() {
    const QByteArray a = "^FO100,53^A0,35,35^FDA ^FS";
    const QByteArray download = "~DGB0A1,140,4," + m_ga;
    const QByteArray recall = "^FO118,50^XGB0A1.GRF,1,1^FS";
    int16_t x = 100;
    QCOMPARE(emitField(ChannelKind::Parallel, x, 50, "A가", m_sample),
             a + "\r\n" + download + "\r\n" + recall + "\r\n");
    QCOMPARE(int(x), 150);
    x = 100;
    QCOMPARE(emitField(ChannelKind::Serial, x, 50, "A가", m_sample), a + download + recall);
    QCOMPARE(int(x), 150);
}

void TestTextField::sameHangulTwiceIsDownloadedTwice() {
    int16_t x = 40;
    const QByteArray bytes = emitField(ChannelKind::Serial, x, 30, "가가", m_sample);
    const QByteArray download = "~DGB0A1,140,4," + m_ga;
    QCOMPARE(bytes, download + "^FO40,30^XGB0A1.GRF,1,1^FS" + download + "^FO72,30^XGB0A1.GRF,1,1^FS");
    QCOMPARE(int(x), 104);
}

void TestTextField::graphicNamesArePaddedOrCut() {
    int16_t x = 0;
    const QByteArray two = emitField(ChannelKind::Serial, x, 0, "가", m_edge);
    QVERIFY2(two.startsWith("~DGAB  ,140,4,"), two.left(20));
    QVERIFY(two.endsWith("^FO0,0^XGAB  .GRF,1,1^FS"));
    x = 0;
    const QByteArray six = emitField(ChannelKind::Serial, x, 0, "나", m_edge);
    QVERIFY(six.startsWith("~DGABCD,140,4,"));
    QVERIFY(six.endsWith("^XGABCD.GRF,1,1^FS"));
    // The first of two rows with the same key wins.
    x = 0;
    QVERIFY(emitField(ChannelKind::Serial, x, 0, "마", m_edge).startsWith("~DGMA01,140,4,0000"));
}

void TestTextField::limits_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("y 32764 ascii") << 0 << 32764 << "A" << false;
    QTest::newRow("y 32765 ascii") << 0 << 32765 << "A" << true;
    QTest::newRow("y 32767 glyph") << 0 << 32767 << "가" << false;
    QTest::newRow("x reaches 32767") << 32749 << 0 << "A" << false;
    QTest::newRow("x passes 32767") << 32750 << 0 << "A" << true;
    QTest::newRow("glyph advance passes") << 32736 << 0 << "가" << true;
}

void TestTextField::limits() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, text);
    QFETCH(bool, overflows);
    int16_t xs = int16_t(x);
    if (overflows) {
        try {
            emitField(ChannelKind::Serial, xs, int16_t(y), text, m_sample);
            QFAIL("no overflow");
        } catch (const Failure& f) {
            QVERIFY(f.message().contains("overflow"));
        }
    } else {
        QVERIFY(!emitField(ChannelKind::Serial, xs, int16_t(y), text, m_sample).isEmpty());
    }
}

void TestTextField::channelChoice_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("parallel");
    QTest::newRow("LPT1") << "LPT1" << true;
    QTest::newRow("lpt1") << "lpt1" << false;
    QTest::newRow("LPT1 blank") << "LPT1 " << false;
    QTest::newRow("COM1") << "COM1" << false;
    QTest::newRow("COM2") << "COM2" << false;
    QTest::newRow("empty") << "" << false;
}

void TestTextField::channelChoice() {
    QFETCH(QString, port);
    QFETCH(bool, parallel);
    QCOMPARE(ChooseChannel(port) == ChannelKind::Parallel, parallel);
}

QTEST_MAIN(TestTextField)
#include "tst_textfield.moc"
