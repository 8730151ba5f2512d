#include "TestSupport.h"

#include "core/Cp949.h"
#include "core/Failure.h"
#include "glyphs/GlyphSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace hanlabel;

namespace {

const QRegularExpression kGlyphHex(QStringLiteral("^[0-9A-F]{280}$"));
const QRegularExpression kFontName(QStringLiteral("^[G-Z][0-9A-Z]{3}$"));

char32_t firstCodePoint(const QString& text) { return text.toUcs4().value(0); }

QString hexCode(char32_t character) { return QString::number(uint(character), 16).toUpper(); }

// Dot (row, column) of a 32 x 35 bitmap given as 280 hex digits; 1 = black.
bool dot(const QByteArray& hex, int row, int column) {
    const int value = hex.mid((row * 4 + column / 8) * 2, 2).toInt(nullptr, 16);
    return value & (0x80 >> (column % 8));
}

struct InkBox {
    int top = 99, bottom = -1, left = 99, right = -1, count = 0;
};

InkBox inkBox(const QByteArray& hex) {
    InkBox box;
    for (int row = 0; row < 35; ++row) {
        for (int column = 0; column < 32; ++column) {
            if (!dot(hex, row, column))
                continue;
            ++box.count;
            box.top = qMin(box.top, row);
            box.bottom = qMax(box.bottom, row);
            box.left = qMin(box.left, column);
            box.right = qMax(box.right, column);
        }
    }
    return box;
}

// Whether any installed family has the character, asked without going through the code under test.
bool anyInstalledFontHas(char32_t character) {
    for (const QString& family : QFontDatabase::families()) {
        QFont font(family);
        font.setStyleStrategy(QFont::NoFontMerging);
        if (QRawFont::fromFont(font).supportsCharacter(uint(character)))
            return true;
    }
    return false;
}

struct ExportedRow {
    QString key, name;
    QByteArray data;
};

// The table as the mdbtools command-line exporter prints it, in stored order.
std::optional<QList<ExportedRow>> exportTable(const QString& path) {
    const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
    if (exporter.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(exporter, {QStringLiteral("-d"), QStringLiteral("|"), QStringLiteral("-Q"), path,
                             QStringLiteral("HAN24X24")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return std::nullopt;
    QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QList<ExportedRow> rows;
    for (qsizetype i = 1; i < lines.size(); ++i) { // line 0 holds the column names
        if (lines[i].isEmpty())
            continue;
        const QList<QByteArray> fields = lines[i].split('|');
        if (fields.size() != 3)
            return std::nullopt;
        rows.append({QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]), fields[2]});
    }
    return rows;
}

} // namespace

class TestGlyphSource : public QObject {
    Q_OBJECT

  private slots:
    void sampleAgreesWithMdbExport();
    void sampleKnownRows_data();
    void sampleKnownRows();
    void edgeRows_data();
    void edgeRows();
    void absentSyllableDrawnFromFont_data();
    void absentSyllableDrawnFromFont();
    void everySyllableFitsTheCell();
    void outsideCp949DrawnFromFont_data();
    void outsideCp949DrawnFromFont();
    void characterNoFontHasThrows_data();
    void characterNoFontHasThrows();
    void fontGlyphMatchesDatabase_data();
    void fontGlyphMatchesDatabase();
    void fontGlyphName_data();
    void fontGlyphName();
    void fontGlyphNamesNeverClashWithDatabase();
    void unusableDatabase_data();
    void unusableDatabase();
    void lookupBeforeBindThrows();
    void rebindReplacesEverything();
};

void TestGlyphSource::sampleAgreesWithMdbExport() {
    const QString path = test::SampleDatabasePath();
    const auto rows = exportTable(path);
    if (!rows)
        QSKIP("mdb-export (mdbtools) is not installed or cannot read the file");
    QCOMPARE(rows->size(), 2401);
    QCOMPARE(rows->front().key, QStringLiteral("ㄱ"));

    GlyphSource source;
    QElapsedTimer timer;
    timer.start();
    source.bind(path);
    qInfo("binding the sample database (%lld rows) took %lld ms", qlonglong(source.recordCount()),
          qlonglong(timer.elapsed()));
    QVERIFY(source.isOpen());
    QCOMPARE(source.databasePath(), path);
    QCOMPARE(source.recordCount(), 2401);

    QSet<QString> seen;
    timer.restart();
    for (const ExportedRow& row : *rows)
        source.lookup(firstCodePoint(row.key));
    qInfo("looking up all %lld characters took %lld ms", qlonglong(rows->size()), qlonglong(timer.elapsed()));
    for (const ExportedRow& row : *rows) {
        QVERIFY2(!seen.contains(row.key), qPrintable(row.key));
        seen.insert(row.key);
        const Glyph glyph = source.lookup(firstCodePoint(row.key));
        QCOMPARE(glyph.fromFont, false);
        QCOMPARE(glyph.name, row.name.leftJustified(4, QLatin1Char(' '), true));
        QCOMPARE(glyph.data, row.data);
        QCOMPARE(glyph.data.size(), 280);
    }
}

void TestGlyphSource::sampleKnownRows_data() {
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("rows5to7");

    QTest::newRow("first row") << QStringLiteral("ㄱ") << QStringLiteral("A4A1") << QByteArray();
    QTest::newRow("가") << QStringLiteral("가") << QStringLiteral("B0A1")
                        << QByteArray("000007000000070003FF8700");
    QTest::newRow("한") << QStringLiteral("한") << QStringLiteral("C7D1")
                        << QByteArray("00000700007F0700007F0700");
    QTest::newRow("글") << QStringLiteral("글") << QStringLiteral("B1DB")
                        << QByteArray("00FFFE0000FFFF0000000700");
    QTest::newRow("last row") << QStringLiteral("힝") << QStringLiteral("C8FE") << QByteArray();
}

void TestGlyphSource::sampleKnownRows() {
    QFETCH(QString, character);
    QFETCH(QString, name);
    QFETCH(QByteArray, rows5to7);

    GlyphSource source;
    source.bind(test::SampleDatabasePath());
    const Glyph glyph = source.lookup(firstCodePoint(character));
    QCOMPARE(glyph.name, name);
    QCOMPARE(glyph.fromFont, false);
    QVERIFY(kGlyphHex.match(QString::fromLatin1(glyph.data)).hasMatch());
    QCOMPARE(glyph.data.left(24), QByteArray(24, '0'));
    if (!rows5to7.isEmpty())
        QCOMPARE(glyph.data.mid(40, 24), rows5to7);
    // The name is the character's code in code page 949.
    QCOMPARE(QString::fromLatin1(EncodeCp949Char(firstCodePoint(character))->toHex().toUpper()), name);
}

void TestGlyphSource::edgeRows_data() {
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("name"); // empty: drawn from the font
    QTest::addColumn<bool>("sameDataAsSample");

    QTest::newRow("name of 2 characters") << QStringLiteral("가") << QStringLiteral("AB  ") << true;
    QTest::newRow("name of 6 characters") << QStringLiteral("나") << QStringLiteral("ABCD") << true;
    QTest::newRow("Null data") << QStringLiteral("다") << QString() << false;
    QTest::newRow("Null name") << QStringLiteral("라") << QString() << false;
    QTest::newRow("duplicate key, first row wins") << QStringLiteral("마") << QStringLiteral("MA01") << true;
    QTest::newRow("short data") << QStringLiteral("바") << QString() << false;
    QTest::newRow("normal") << QStringLiteral("사") << QStringLiteral("SA01") << true;
    QTest::newRow("normal, CP949 name 한") << QStringLiteral("한") << QStringLiteral("C7D1") << true;
    QTest::newRow("normal, CP949 name 글") << QStringLiteral("글") << QStringLiteral("B1DB") << true;
}

void TestGlyphSource::edgeRows() {
    QFETCH(QString, character);
    QFETCH(QString, name);
    QFETCH(bool, sameDataAsSample);

    GlyphSource edge;
    edge.bind(test::TestDataPath(QStringLiteral("glyph-edge.mdb")));
    QVERIFY(edge.isOpen());
    QCOMPARE(edge.recordCount(), 10);
    GlyphSource sample;
    sample.bind(test::SampleDatabasePath());

    const char32_t ch = firstCodePoint(character);
    const Glyph glyph = edge.lookup(ch);
    QVERIFY(kGlyphHex.match(QString::fromLatin1(glyph.data)).hasMatch());
    if (name.isEmpty()) {
        QCOMPARE(glyph.fromFont, true);
        QCOMPARE(glyph.name, FontGlyphName(ch));
        QVERIFY(inkBox(glyph.data).count > 0);
    } else {
        QCOMPARE(glyph.fromFont, false);
        QCOMPARE(glyph.name, name);
    }
    if (sameDataAsSample)
        QCOMPARE(glyph.data, sample.lookup(ch).data);
    QVERIFY(!glyph.data.startsWith("FFFF")); // never the inverted second row of 마
}

void TestGlyphSource::absentSyllableDrawnFromFont_data() {
    QTest::addColumn<QString>("character");
    QTest::newRow("똠") << QStringLiteral("똠");
    QTest::newRow("햏") << QStringLiteral("햏");
    QTest::newRow("뷁") << QStringLiteral("뷁");
    QTest::newRow("쀍") << QStringLiteral("쀍");
}

void TestGlyphSource::absentSyllableDrawnFromFont() {
    QFETCH(QString, character);
    const char32_t ch = firstCodePoint(character);

    GlyphSource source;
    source.bind(test::SampleDatabasePath());
    const Glyph glyph = source.lookup(ch);
    QCOMPARE(glyph.fromFont, true);
    QCOMPARE(glyph.name, FontGlyphName(ch));
    QVERIFY(kFontName.match(glyph.name).hasMatch());
    QVERIFY(kGlyphHex.match(QString::fromLatin1(glyph.data)).hasMatch());
    const InkBox box = inkBox(glyph.data);
    QVERIFY(box.count > 40);
    // The same face as the database glyphs; syllables outside KS X 1001 may reach one dot further.
    QVERIFY2(
        box.left >= 3 && box.right <= 28 && box.top >= 4 && box.bottom <= 29,
        qPrintable(
            QStringLiteral("ink %1..%2 x %3..%4").arg(box.left).arg(box.right).arg(box.top).arg(box.bottom)));
    // Asked again, the same glyph comes back.
    const Glyph again = source.lookup(ch);
    QCOMPARE(again.name, glyph.name);
    QCOMPARE(again.data, glyph.data);
}

void TestGlyphSource::everySyllableFitsTheCell() {
    // Every modern syllable must fit the cell with the database glyphs' margins, give or take a dot.
    QElapsedTimer timer;
    timer.start();
    InkBox all;
    for (char32_t ch = 0xAC00; ch <= 0xD7A3; ++ch) {
        const Glyph glyph = DrawGlyphFromFont(ch);
        const InkBox box = inkBox(glyph.data);
        QVERIFY2(box.count > 0, qPrintable(hexCode(ch)));
        all.left = qMin(all.left, box.left);
        all.right = qMax(all.right, box.right);
        all.top = qMin(all.top, box.top);
        all.bottom = qMax(all.bottom, box.bottom);
    }
    qInfo("drew 11172 syllables in %lld ms; ink in columns %d..%d, rows %d..%d", qlonglong(timer.elapsed()),
          all.left, all.right, all.top, all.bottom);
    QVERIFY(all.left >= 3 && all.right <= 28 && all.top >= 4 && all.bottom <= 29);
}

void TestGlyphSource::outsideCp949DrawnFromFont_data() {
    QTest::addColumn<uint>("codePoint");
    QTest::newRow("Thai ก") << 0x0E01u;
    QTest::newRow("emoji") << 0x1F600u;
    QTest::newRow("Latin ă") << 0x0103u;
}

void TestGlyphSource::outsideCp949DrawnFromFont() {
    QFETCH(uint, codePoint);
    const char32_t ch = char32_t(codePoint);
    QVERIFY(!EncodeCp949Char(ch).has_value());
    if (!anyInstalledFontHas(ch))
        QSKIP("no installed font has this character");

    GlyphSource source;
    source.bind(test::SampleDatabasePath());
    const Glyph glyph = source.lookup(ch);
    QCOMPARE(glyph.fromFont, true);
    QCOMPARE(glyph.name, FontGlyphName(ch));
    QVERIFY(kGlyphHex.match(QString::fromLatin1(glyph.data)).hasMatch());
    QVERIFY(inkBox(glyph.data).count > 0);
}

void TestGlyphSource::characterNoFontHasThrows_data() {
    QTest::addColumn<uint>("codePoint");
    QTest::newRow("private use U+E000") << 0xE000u;
    QTest::newRow("private use U+10FFFD") << 0x10FFFDu;
    QTest::newRow("private use U+F0000") << 0xF0000u;
}

void TestGlyphSource::characterNoFontHasThrows() {
    QFETCH(uint, codePoint);
    const char32_t ch = char32_t(codePoint);
    if (anyInstalledFontHas(ch))
        QSKIP("an installed font has this character");

    GlyphSource source;
    source.bind(test::SampleDatabasePath());
    for (int attempt = 0; attempt < 2; ++attempt) { // the second answer comes from the cache
        try {
            source.lookup(ch);
            QFAIL("no Failure thrown");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(QStringLiteral("U+") + hexCode(ch)),
                     qPrintable(failure.message()));
            QVERIFY2(failure.message().contains(QString::fromUcs4(&ch, 1)), qPrintable(failure.message()));
            QVERIFY(failure.message().contains(QStringLiteral("글꼴")));
        }
    }
}

void TestGlyphSource::fontGlyphMatchesDatabase_data() {
    QTest::addColumn<QString>("character");
    QTest::addColumn<bool>("fullHeight");
    QTest::newRow("가") << QStringLiteral("가") << true;
    QTest::newRow("한") << QStringLiteral("한") << true;
    QTest::newRow("글") << QStringLiteral("글") << true;
    QTest::newRow("short 도") << QStringLiteral("도") << false;
    QTest::newRow("jamo ㄱ") << QStringLiteral("ㄱ") << false;
}

void TestGlyphSource::fontGlyphMatchesDatabase() {
    QFETCH(QString, character);
    QFETCH(bool, fullHeight);
    const char32_t ch = firstCodePoint(character);

    GlyphSource sample;
    sample.bind(test::SampleDatabasePath());
    const QByteArray stored = sample.lookup(ch).data;
    const Glyph drawn = DrawGlyphFromFont(ch);
    QCOMPARE(drawn.fromFont, true);
    QCOMPARE(drawn.name, FontGlyphName(ch));
    QVERIFY(kGlyphHex.match(QString::fromLatin1(drawn.data)).hasMatch());

    int agreeing = 0, inkBoth = 0, inkEither = 0;
    for (int row = 0; row < 35; ++row) {
        for (int column = 0; column < 32; ++column) {
            const bool a = dot(stored, row, column), b = dot(drawn.data, row, column);
            agreeing += a == b;
            inkBoth += a && b;
            inkEither += a || b;
        }
    }
    const QString figures = QStringLiteral("%1 of 1120 dots agree, ink overlap %2 of %3")
                                .arg(agreeing)
                                .arg(inkBoth)
                                .arg(inkEither);
    QVERIFY2(agreeing >= 1120 * 97 / 100, qPrintable(figures));
    QVERIFY2(inkBoth * 10 >= inkEither * 9, qPrintable(figures));

    const InkBox box = inkBox(drawn.data), storedBox = inkBox(stored);
    QVERIFY(box.left >= 4 && box.right <= 27 && box.top >= 5 && box.bottom <= 28);
    QVERIFY(qAbs(box.bottom - storedBox.bottom) <= 1 && qAbs(box.top - storedBox.top) <= 1);
    QVERIFY(qAbs(box.left - storedBox.left) <= 1 && qAbs(box.right - storedBox.right) <= 1);
    if (fullHeight)
        QVERIFY(box.bottom >= 27 && box.top <= 6);
}

void TestGlyphSource::fontGlyphName_data() {
    QTest::addColumn<uint>("codePoint");
    QTest::addColumn<QString>("name");
    // 16 * 36^3 = 746496 is "G000"; the code point is added to it.
    QTest::newRow("U+0000") << 0x0u << QStringLiteral("G000");
    QTest::newRow("U+0023") << 0x23u << QStringLiteral("G00Z");
    QTest::newRow("U+0024") << 0x24u << QStringLiteral("G010");
    QTest::newRow("가 U+AC00") << 0xAC00u << QStringLiteral("GXZ4");
    QTest::newRow("last of G, U+B63F") << 0xB63Fu << QStringLiteral("GZZZ");
    QTest::newRow("first of H, U+B640") << 0xB640u << QStringLiteral("H000");
    QTest::newRow("largest, U+E3CFF") << 0xE3CFFu << QStringLiteral("ZZZZ");
    QTest::newRow("too large, U+E3D00") << 0xE3D00u << QString();
    QTest::newRow("too large, U+10FFFF") << 0x10FFFFu << QString();
}

void TestGlyphSource::fontGlyphName() {
    QFETCH(uint, codePoint);
    QFETCH(QString, name);
    QCOMPARE(FontGlyphName(char32_t(codePoint)), name);
}

void TestGlyphSource::fontGlyphNamesNeverClashWithDatabase() {
    GlyphSource sample;
    sample.bind(test::SampleDatabasePath());
    QSet<QString> databaseNames;
    for (char32_t ch = 0x3131; ch <= 0x3163; ++ch)
        databaseNames.insert(sample.lookup(ch).name);
    QSet<QString> fontNames;
    for (char32_t ch = 0xAC00; ch <= 0xD7A3; ++ch) { // every Hangul syllable
        const QString name = FontGlyphName(ch);
        QVERIFY(kFontName.match(name).hasMatch());
        fontNames.insert(name);
        if (EncodeCp949Char(ch).has_value() && !sample.lookup(ch).fromFont)
            databaseNames.insert(sample.lookup(ch).name);
    }
    QCOMPARE(databaseNames.size(), 2401);
    QCOMPARE(fontNames.size(), 11172);
    QVERIFY(!databaseNames.intersects(fontNames));
}

void TestGlyphSource::unusableDatabase_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // null: the file is not created
    QTest::addColumn<QString>("mentions");
    QTest::newRow("missing file") << QStringLiteral("없는파일.mdb") << QByteArray()
                                  << QStringLiteral("없습니다");
    QTest::newRow("empty file") << QStringLiteral("빈.mdb") << QByteArray("")
                                << QStringLiteral("Access 파일이 아님");
    QTest::newRow("text file") << QStringLiteral("글자.mdb")
                               << QByteArray("HANGUL|ImageName|ImageData\r\n가|B0A1|00\r\n")
                               << QStringLiteral("Access 파일이 아님");
    const QByteArray sample = test::ReadFileBytes(test::SampleDatabasePath());
    QTest::newRow("first page of an Access file")
        << QStringLiteral("잘림.mdb") << sample.left(4096) << QStringLiteral("손상되었습니다");
    QByteArray access97 = sample;
    access97[0x14] = 0; // the version byte of a Jet 3 file
    QTest::newRow("Access 97 file") << QStringLiteral("97.mdb") << access97 << QStringLiteral("Access 2000");
}

void TestGlyphSource::unusableDatabase() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, mentions);

    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    GlyphSource source;
    source.bind(path); // remembered, not thrown
    QVERIFY(!source.isOpen());
    QCOMPARE(source.databasePath(), path);
    QCOMPARE(source.recordCount(), 0);
    for (const char32_t ch : {char32_t(U'가'), char32_t(U'똠')}) {
        try {
            source.lookup(ch);
            QFAIL("no Failure thrown");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(QDir::toNativeSeparators(path)) &&
                         failure.message().contains(mentions),
                     qPrintable(failure.message()));
        }
    }
}

void TestGlyphSource::lookupBeforeBindThrows() {
    GlyphSource source;
    QVERIFY(!source.isOpen());
    QVERIFY_THROWS_EXCEPTION(Failure, source.lookup(U'가'));
}

void TestGlyphSource::rebindReplacesEverything() {
    GlyphSource source;
    source.bind(test::TestDataPath(QStringLiteral("glyph-edge.mdb")));
    QCOMPARE(source.lookup(U'가').name, QStringLiteral("AB  "));
    QCOMPARE(source.lookup(U'다').fromFont, true);

    source.bind(test::SampleDatabasePath());
    QVERIFY(source.isOpen());
    QCOMPARE(source.recordCount(), 2401);
    QCOMPARE(source.lookup(U'가').name, QStringLiteral("B0A1"));
    QCOMPARE(source.lookup(U'다').fromFont, false);

    source.bind(QStringLiteral("/nonexistent/견고딕24X24.mdb"));
    QVERIFY(!source.isOpen());
    QCOMPARE(source.recordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(Failure, source.lookup(U'가'));
}

QTEST_MAIN(TestGlyphSource)
#include "tst_glyphsource.moc"
