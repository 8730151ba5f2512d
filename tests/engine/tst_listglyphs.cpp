#include "compose/GraphicCompression.h"
#include "compose/PieceStream.h"
#include "core/Cp949.h"
#include "glyphs/GlyphSource.h"
#include "lists/ListCards.h"
#include "lists/ListCompose.h"
#include "lists/ListProgress.h"
#include "preview/ZplGraphic.h"
#include "preview/ZplRenderer.h"

#include "TestSupport.h"

#include <QTest>

using namespace hanlabel;

namespace {

const QStringList kLayout = {"^PR3^PW680^LL432",    "260", "60", "260", "110", "^FO260,170^BY2^BCN,80,Y,N,N",
                             "^FO260,300^A0N,30,30"};

MemberCardInputs Window(const QString& port) {
    MemberCardInputs in;
    in.portText = port;
    in.originX = "20";
    in.originY = "10";
    return in;
}

// The hexadecimal digits of a decoded graphic, row after row, as the database writes them.
QByteArray ToHex(const QImage& image) {
    QByteArray hex;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 4) {
            int v = 0;
            for (int b = 0; b < 4; ++b)
                v = v << 1 | (qAlpha(line[x + b]) ? 1 : 0);
            hex += "0123456789ABCDEF"[v];
        }
    }
    return hex;
}

// The printer's reading of compressed data, through the preview's decoder.
QByteArray Decoded(const QByteArray& data, int totalBytes, int bytesPerRow) {
    bool complete = false;
    const QImage image = zpl::DecodeGraphic(data, totalBytes, bytesPerRow, &complete);
    return complete ? ToHex(image) : QByteArray("incomplete");
}

// How often the stream downloads the graphic `name`.
int Downloads(const QByteArray& stream, const QByteArray& name) {
    return int(stream.count("~DG" + name + ","));
}

// A card of downloads written as a list's card is: "^XA", then per glyph its download and recall.
CardGraphics Card(const QList<std::pair<QString, QByteArray>>& glyphs) {
    PieceStream out(ChannelKind::Serial);
    out.write("^XA");
    for (const auto& [name, bitmap] : glyphs) {
        out.writeDownload("~DG" + name + ",2,1," + QString::fromLatin1(bitmap), name, bitmap);
        out.write("^XG" + name + ".GRF,1,1^FS");
    }
    out.write("^XZ");
    return {out.bytes(), out.downloads()};
}

} // namespace

// Each glyph once per list, compressed; the cards still print as the member card window prints them.
class TestListGlyphs : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void compression_data();
    void compression();
    void everySampleGlyphDecodesBack();
    void sharedGlyphsDownloadedOnce_data();
    void sharedGlyphsDownloadedOnce();
    void ambiguousNames();
    void forgottenGraphicsDownloadAgain();
    void continuedListDownloadsAgain();
    void cardWarnings_data();
    void cardWarnings();
    void warningsShownAndCounted();
    void remainingTimeText_data();
    void remainingTimeText();
    void remainingTime_data();
    void remainingTime();
    void listEndText_data();
    void listEndText();

  private:
    GlyphSource m_glyphs;
};

void TestListGlyphs::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestListGlyphs::compression_data() {
    QTest::addColumn<int>("bytesPerRow");
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("compressed");
    QTest::newRow("M6: seven 6's (the guide)") << 4 << QByteArray("6666666A") << QByteArray("M6A");
    QTest::newRow("hB: forty B's (the guide)") << 20 << QByteArray(40, 'B') << QByteArray("hB");
    QTest::newRow("vMB: 327 B's (the guide)") << 164 << QByteArray(327, 'B') + "C" << QByteArray("vMBC");
    QTest::newRow("more than one count can say") << 250 << QByteArray(500, 'F') << QByteArray("zYFjGF");
    QTest::newRow("an empty glyph") << 4 << QByteArray(280, '0') << QByteArray(",") + QByteArray(34, ':');
    QTest::newRow("a row equal to the one before")
        << 4 << QByteArray("123456781234567887654321") << QByteArray("12345678:87654321");
    QTest::newRow("the first row is never ':'") << 4 << QByteArray("FFFFFFFF") << QByteArray("NF");
    QTest::newRow("a run stops at the row's end")
        << 4 << QByteArray("FFFFFFFFFFFFFFF0") << QByteArray("NFMF0");
    QTest::newRow("trailing zeros, even") << 4 << QByteArray("AB000000") << QByteArray("AB,");
    QTest::newRow("trailing zeros, odd: ',' for whole bytes")
        << 4 << QByteArray("ABC00000") << QByteArray("ABC0,");
    QTest::newRow("one trailing zero") << 4 << QByteArray("ABCDEFA0") << QByteArray("ABCDEFA0");
    QTest::newRow("two alike stay digits") << 4 << QByteArray("1100AB11") << QByteArray("1100AB11");
    QTest::newRow("lower-case digits") << 4 << QByteArray("ab000000") << QByteArray("AB,");
    QTest::newRow("zeros inside a row") << 4 << QByteArray("F00000F0") << QByteArray("FK0F0");
}

void TestListGlyphs::compression() {
    QFETCH(int, bytesPerRow);
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, compressed);
    QCOMPARE(CompressGraphicData(plain, bytesPerRow), compressed);
    QCOMPARE(Decoded(compressed, int(plain.size() / 2), bytesPerRow), plain.toUpper());
}

void TestListGlyphs::everySampleGlyphDecodesBack() {
    // The sample's characters: the Hangul jamo and syllables of KS X 1001, by their code page 949 codes.
    QList<QByteArray> codes;
    for (int second = 0xA1; second <= 0xD3; ++second)
        codes << QByteArray(1, char(0xA4)) + char(second);
    for (int first = 0xB0; first <= 0xC8; ++first)
        for (int second = 0xA1; second <= 0xFE; ++second)
            codes << QByteArray(1, char(first)) + char(second);
    int fromDatabase = 0;
    qint64 plainBytes = 0, compressedBytes = 0;
    for (const QByteArray& code : codes) {
        const QString text = DecodeCp949(code);
        QCOMPARE(text.size(), 1);
        const Glyph glyph = m_glyphs.lookup(text.at(0).unicode());
        QVERIFY2(!glyph.fromFont, code.toHex().constData());
        ++fromDatabase;
        const QByteArray compressed = CompressGraphicData(glyph.data, 4);
        QVERIFY(!compressed.contains('!'));
        QVERIFY(!compressed.startsWith(':'));
        QCOMPARE(Decoded(compressed, 140, 4), glyph.data.toUpper());
        plainBytes += glyph.data.size();
        compressedBytes += compressed.size();
    }
    QCOMPARE(fromDatabase, 2401);
    QCOMPARE(m_glyphs.recordCount(), 2401);
    QVERIFY(compressedBytes * 2 < plainBytes);
}

void TestListGlyphs::sharedGlyphsDownloadedOnce_data() {
    QTest::addColumn<QString>("port");
    QTest::newRow("serial") << "COM1";
    QTest::newRow("parallel") << "LPT1";
}

void TestListGlyphs::sharedGlyphsDownloadedOnce() {
    QFETCH(QString, port);
    const ChannelKind kind = ChooseChannel(port);
    // Card 3 uses only glyphs the first two downloaded; 똠 is drawn from a font.
    const MemberList list = ParseMemberList(
        "소속,성명,회원번호\n본관,홍길동,2004010123\n본관,김똠,2004010124\n관,동김,200401-0125\n", {});
    const Glyph dong = m_glyphs.lookup(U'동');
    const Glyph ttom = m_glyphs.lookup(U'똠');
    QVERIFY(ttom.fromFont);
    const ComposedList once = ComposeMemberList(list, RowsToPrint(list, {}), Window(port), kLayout, kind,
                                                m_glyphs, GlyphSending::OncePerList);
    const ComposedList every = ComposeMemberList(list, RowsToPrint(list, {}), Window(port), kLayout, kind,
                                                 m_glyphs, GlyphSending::EveryCard);
    QCOMPARE(once.cards.size(), 3);
    QVERIFY(once.errors.isEmpty());

    // Every card downloading its glyphs is the member card window's stream, card after card.
    QByteArray jobs;
    for (int row = 0; row < 3; ++row)
        jobs += ComposeMemberCard(CardInputs(list.rows[row], Window(port)), kLayout, kind, m_glyphs);
    QCOMPARE(every.stream, jobs);
    QCOMPARE(Downloads(every.stream, dong.name.toLatin1()), 2);
    QCOMPARE(Downloads(every.stream, "B0FC"), 3); // 관 in 본관, 본관, 관

    // Once per list: each name once, compressed; the third card downloads nothing.
    for (const char* name : {"BABB", "B0FC", "C8AB", "B1E6", "B5BF", "B1E8"})
        QCOMPARE(Downloads(once.stream, name), 1);
    QCOMPARE(Downloads(once.stream, ttom.name.toLatin1()), 1);
    QVERIFY(once.stream.contains("~DGB5BF,140,4," + CompressGraphicData(dong.data, 4)));
    const QByteArray third = once.stream.mid(once.cards[2].begin, once.cards[2].end - once.cards[2].begin);
    QVERIFY(!third.contains("~DG"));
    QCOMPARE(third.count("^XG"), 3);
    QCOMPARE(once.cards[2].end, once.stream.size());
    QVERIFY(once.stream.size() * 2 < every.stream.size());

    // Drawn as a printer prints them one after another: pixel for pixel the per-card cards.
    const QList<PreviewResult> drawnOnce = RenderZplFormats(once.stream);
    const QList<PreviewResult> drawnEvery = RenderZplFormats(every.stream);
    QCOMPARE(drawnOnce.size(), 3);
    QCOMPARE(drawnEvery.size(), 3);
    for (int i = 0; i < 3; ++i) {
        // A graphic recalled but never downloaded would be noted here.
        QCOMPARE(drawnOnce[i].warnings, drawnEvery[i].warnings);
        QCOMPARE(drawnOnce[i].label, drawnEvery[i].label);
        QCOMPARE(drawnEvery[i].label, RenderZpl(every.stream.mid(every.cards[i].begin)).label);
    }
    // The third card alone lacks its glyphs: the comparison above did see them drawn.
    QVERIFY(RenderZpl(third).label != drawnOnce[2].label);
}

void TestListGlyphs::ambiguousNames() {
    // BBBB stands for two bitmaps: downloaded wherever it is used. "aaaa" and "AAAA" are one name
    // with one bitmap, downloaded once.
    ListCards cards({Card({{"AAAA", "F0"}, {"BBBB", "0F"}}),
                     Card({{"BBBB", "FF"}, {"AAAA", "f0"}, {"aaaa", "F0"}}),
                     Card({{"BBBB", "0F"}, {"CC  ", "11"}})},
                    GlyphSending::OncePerList);
    QVERIFY(cards.downloadsEveryTime("bbbb"));
    QVERIFY(!cards.downloadsEveryTime("AAAA"));
    cards.printerForgotGraphics();
    QCOMPARE(cards.card(0),
             QByteArray("^XA~DGAAAA,2,1,F0^XGAAAA.GRF,1,1^FS~DGBBBB,2,1,0F^XGBBBB.GRF,1,1^FS^XZ"));
    QCOMPARE(cards.card(1),
             QByteArray("^XA~DGBBBB,2,1,FF^XGBBBB.GRF,1,1^FS^XGAAAA.GRF,1,1^FS^XGaaaa.GRF,1,1^FS^XZ"));
    QCOMPARE(cards.card(2),
             QByteArray("^XA~DGBBBB,2,1,0F^XGBBBB.GRF,1,1^FS~DGCC  ,2,1,11^XGCC  .GRF,1,1^FS^XZ"));
}

void TestListGlyphs::forgottenGraphicsDownloadAgain() {
    // A stall cleared after card 2: the printer may have been off, so card 3 carries its glyphs.
    const MemberList list = ParseMemberList("A,가나,1-1\nA,나가,1-2\nA,가,1-3\nA,나,1-4\n", {});
    const ComposedList composed = ComposeMemberList(list, RowsToPrint(list, {}), Window("COM1"), kLayout,
                                                    ChannelKind::Serial, m_glyphs);
    ListCards cards = CardsToSend(composed);
    QCOMPARE(cards.cardCount(), 4);
    cards.printerForgotGraphics();
    const qint64 fresh = cards.bytesFrom(0);
    QCOMPARE(fresh, composed.stream.size());
    QCOMPARE(Downloads(cards.card(0), "B0A1"), 1);
    QCOMPARE(Downloads(cards.card(1), "B0A1"), 0);
    const qint64 restHeld = cards.bytesFrom(2);
    cards.printerForgotGraphics();
    QVERIFY(cards.bytesFrom(2) > restHeld);
    const QByteArray third = cards.card(2);
    QCOMPARE(Downloads(third, "B0A1"), 1);
    QCOMPARE(Downloads(cards.card(3), "B3AA"), 1);
    QCOMPARE(third, composed.cardGraphics[2].bytes); // as a card of its own: everything it needs
}

void TestListGlyphs::continuedListDownloadsAgain() {
    // Cards 1 and 2 went before a failure; "이어서 인쇄" composes the rest as a run of its own.
    const MemberList list = ParseMemberList("A,가나,1-1\nA,나가,1-2\nA,가,1-3\n", {});
    const ComposedList whole = ComposeMemberList(list, RowsToPrint(list, {}), Window("COM1"), kLayout,
                                                 ChannelKind::Serial, m_glyphs);
    QVERIFY(!whole.stream.mid(whole.cards[2].begin).contains("~DG"));
    const ComposedList rest = ComposeMemberList(list, RowsToPrint(list, {3, false}), Window("COM1"), kLayout,
                                                ChannelKind::Serial, m_glyphs);
    QCOMPARE(rest.cards.size(), 1);
    QCOMPARE(Downloads(rest.stream, "B0A1"), 1);
    QCOMPARE(RenderZplFormats(rest.stream)[0].label, RenderZplFormats(whole.stream)[2].label);
}

void TestListGlyphs::cardWarnings_data() {
    QTest::addColumn<QString>("affiliation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("originX");
    QTest::addColumn<QStringList>("warnings");
    // ^PW680; affiliation and name start at 260, after the origin.
    QTest::newRow("fits") << "국립중앙도서관"
                          << "홍길동"
                          << "0123"
                          << "20" << QStringList{};
    QTest::newRow("five-digit number")
        << "본관"
        << "홍길동"
        << ""
        << "20" << QStringList{"회원번호 뒷부분이 비어 \"20211-\"로 인쇄됩니다"};
    // 20 + 260 + 12 x 32 = 664; 13 syllables reach 696.
    QTest::newRow("affiliation to the edge") << "가나다라마바사아자차카타"
                                             << "홍"
                                             << "1"
                                             << "20" << QStringList{};
    QTest::newRow("affiliation past the edge") << "가나다라마바사아자차카타파"
                                               << "홍"
                                               << "1"
                                               << "20" << QStringList{"소속이 라벨 폭(680점)을 넘습니다"};
    // 20 + 260 + 3 x 32 + 16 x 18 = 664, and 50 more from the origin.
    QTest::newRow("name to the edge") << "본관"
                                      << "홍길동ABCDEFGHIJKLMNOP"
                                      << "1"
                                      << "20" << QStringList{};
    QTest::newRow("name past the edge, by the origin")
        << "본관"
        << "홍길동ABCDEFGHIJKLMNOP"
        << "1"
        << "70" << QStringList{"성명이 라벨 폭(680점)을 넘습니다"};
}

void TestListGlyphs::cardWarnings() {
    QFETCH(QString, affiliation);
    QFETCH(QString, name);
    QFETCH(QString, second);
    QFETCH(QString, originX);
    QFETCH(QStringList, warnings);
    MemberCardInputs card = Window("COM1");
    card.affiliation = affiliation;
    card.name = name;
    card.memberNumberFirst = "20211";
    card.memberNumberSecond = second;
    card.originX = originX;
    QCOMPARE(CardWarnings(card, kLayout), warnings);
}

void TestListGlyphs::warningsShownAndCounted() {
    // Line 3 has a 5-digit number, line 4 cannot be read, line 5 was sent and has a long name.
    MemberList list = ParseMemberList("A,가,2021101\nA,나,20211\nA,,1\nA,가나다라마바사아자차카타파,2-2\n"
                                      "A,나,3-3\n",
                                      {});
    list.rows[3].sent = true;
    MarkCardWarnings(list, Window("COM1"), kLayout);
    QCOMPARE(list.rows[0].warning, QString());
    QCOMPARE(list.rows[1].warning, QStringLiteral("회원번호 뒷부분이 비어 \"20211-\"로 인쇄됩니다"));
    QCOMPARE(list.rows[2].status, RowStatus::Error);
    QCOMPARE(list.rows[2].warning, QString());
    QCOMPARE(list.rows[3].warning, QStringLiteral("성명이 라벨 폭(680점)을 넘습니다"));
    QCOMPARE(ListSummary(list), QStringLiteral("보냄 1행, 남음 3행, 오류 1행 (그중 확인 필요 2행)"));

    // The print finds the same and keeps the cards as composed.
    const ComposedList composed = ComposeMemberList(list, RowsToPrint(list, {0, true}), Window("COM1"),
                                                    kLayout, ChannelKind::Serial, m_glyphs);
    QCOMPARE(composed.cards.size(), 4);
    QCOMPARE(composed.warnings.size(), 2);
    QCOMPARE(composed.warnings[0].line, 2);
    QCOMPARE(composed.warnings[1].line, 4);
    QVERIFY(composed.stream.contains("^FD20211-^FS"));
}

void TestListGlyphs::remainingTimeText_data() {
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing left") << qint64(0) << "약 5초";
    QTest::newRow("a few seconds") << qint64(12) << "약 15초";
    QTest::newRow("just under a minute") << qint64(58) << "약 1분";
    QTest::newRow("1 min 40 s") << qint64(95) << "약 1분 40초";
    QTest::newRow("whole minutes") << qint64(120) << "약 2분";
    QTest::newRow("11.1 minutes") << qint64(667) << "약 11분 10초";
    QTest::newRow("an hour and more") << qint64(3901) << "약 1시간 6분";
    QTest::newRow("just under an hour") << qint64(3595) << "약 1시간";
}

void TestListGlyphs::remainingTimeText() {
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(RemainingTimeText(seconds), text);
}

void TestListGlyphs::remainingTime_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QList<qint64>>("samples"); // elapsed ms, bytes sent, ...
    QTest::addColumn<int>("cardsSent");
    QTest::addColumn<qint64>("bytesLeft");
    QTest::addColumn<QString>("text");
    QTest::newRow("serial, before a rate: the line's speed")
        << "COM1" << QList<qint64>{200, 4096} << 12 << qint64(96000) << "12 / 250장 · 남은 시간 약 1분 40초";
    QTest::newRow("serial, the buffer's burst left out")
        << "COM1" << QList<qint64>{500, 4096, 1000, 4600, 3000, 5600} << 20 << qint64(50000)
        << "20 / 250장 · 남은 시간 약 1분 40초";
    QTest::newRow("parallel, before a rate: no time")
        << "LPT1" << QList<qint64>{500, 60000} << 3 << qint64(50000) << "3 / 250장";
    QTest::newRow("parallel, measured") << "LPT1" << QList<qint64>{1000, 10000, 4000, 40000} << 40
                                        << qint64(200000) << "40 / 250장 · 남은 시간 약 20초";
    QTest::newRow("all sent") << "COM1" << QList<qint64>{} << 250 << qint64(0) << "250 / 250장";
}

void TestListGlyphs::remainingTime() {
    QFETCH(QString, port);
    QFETCH(QList<qint64>, samples);
    QFETCH(int, cardsSent);
    QFETCH(qint64, bytesLeft);
    QFETCH(QString, text);
    RemainingTime remaining(LineBytesPerSecond(ChooseChannel(port)));
    for (qsizetype i = 0; i + 1 < samples.size(); i += 2)
        remaining.update(samples[i + 1], samples[i]);
    QCOMPARE(ListProgressText(cardsSent, 250, remaining.secondsFor(bytesLeft)), text);
}

void TestListGlyphs::listEndText_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("continueLine");
    QTest::addColumn<QString>("text");
    QTest::newRow("all sent") << int(ListEnd::How::Done) << 250 << "" << 0 << "250장 중 250장을 보냈습니다.";
    QTest::newRow("stopped after a card")
        << int(ListEnd::How::Stopped) << 12 << "" << 15
        << "250장 중 12장을 보냈습니다. 멈춤을 눌러 238장은 보내지 않았습니다.\n\n"
           "\"이어서 인쇄\"는 명단의 15행부터 보냅니다.";
    QTest::newRow("cancelled")
        << int(ListEnd::How::Cancelled) << 0 << "인쇄를 취소했습니다." << 2
        << "250장 중 0장을 보냈습니다. 취소해서 250장은 보내지 않았습니다.\n\n인쇄를 취소했습니다.\n\n"
           "\"이어서 인쇄\"는 명단의 2행부터 보냅니다.";
    QTest::newRow("failed")
        << int(ListEnd::How::Failed) << 249 << "장치를 열 수 없습니다." << 251
        << "250장 중 249장을 보냈습니다. 오류로 1장을 보내지 못했습니다.\n\n장치를 열 수 없습니다.\n\n"
           "\"이어서 인쇄\"는 명단의 251행부터 보냅니다.";
    QTest::newRow("stopped after the last card")
        << int(ListEnd::How::Stopped) << 250 << "" << 0 << "250장 중 250장을 보냈습니다.";
}

void TestListGlyphs::listEndText() {
    QFETCH(int, how);
    QFETCH(int, sent);
    QFETCH(QString, reason);
    QFETCH(int, continueLine);
    QFETCH(QString, text);
    QCOMPARE(ListEndText({ListEnd::How(how), 250, sent, reason, continueLine}), text);
}

QTEST_MAIN(TestListGlyphs)
#include "tst_listglyphs.moc"
