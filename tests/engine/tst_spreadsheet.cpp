#include "core/Failure.h"
#include "glyphs/GlyphSource.h"
#include "lists/ListCompose.h"
#include "lists/ListJob.h"
#include "lists/MemberList.h"
#include "lists/Spreadsheet.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace hanlabel;
using hanlabel::test::AppFolderFixture;

namespace {

// The member card layout the golden list-three streams were made with (tst_listprint's).
const QStringList kLayout = {
    "^PR3", "40", "30", "40", "70", "^FO260,170^BY2^BCN,80,N,N,N", "^FO260,300^A0N,30,30"};

// The CSV list that tests/data/lists/three.xlsx and three.ods hold as sheets.
const QByteArray kThree =
    "소속,성명,회원번호\n국립중앙도서관,홍길동,2004010123\nA1,BC,200401-0123\n본관,김철수,1-2\n";

QString ListFile(const QString& name) { return test::TestDataPath(QStringLiteral("lists/") + name); }

CsvTable ReadSheet(const QString& name) { return ReadSpreadsheet(test::ReadFileBytes(ListFile(name)), name); }

// The record of a sheet row; an empty one when the table has none.
CsvRecord RecordAt(const CsvTable& table, int line) {
    for (const CsvRecord& r : table.records)
        if (r.line == line)
            return r;
    return {};
}

QList<int> Lines(const MemberList& list) {
    QList<int> lines;
    for (const ListRow& row : list.rows)
        lines << row.line;
    return lines;
}

} // namespace

// Member lists read from the first sheet of an .xlsx or .ods file.
class TestSpreadsheet : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void shownText_data();
    void shownText();
    void sheetShape_data();
    void sheetShape();
    void sameCardsAsTheCsvList_data();
    void sameCardsAsTheCsvList();
    void headerEmptyRowsAndCellErrors();
    void refusedNamingTheFile_data();
    void refusedNamingTheFile();
    void contentChoosesTheReader_data();
    void contentChoosesTheReader();
    void cellNames_data();
    void cellNames();

  private:
    GlyphSource m_glyphs;
    QTemporaryDir m_dir;
};

void TestSpreadsheet::initTestCase() {
    m_glyphs.bind(test::SampleDatabasePath());
    QVERIFY(m_glyphs.isOpen());
}

void TestSpreadsheet::shownText_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem"); // a part of the reason; empty when the cell reads

    const auto xlsx = [](const char* name, int row, const QString& text, const QString& problem = {}) {
        QTest::newRow(name) << "cells.xlsx" << row << 1 << text << problem;
    };
    xlsx("xlsx general integer", 2, "2004010123");
    xlsx("xlsx general integer written with an exponent", 3, "2004010123");
    xlsx("xlsx fifteen digits", 4, "123456789012345");
    xlsx("xlsx more than fifteen digits", 5, "", "B5: 숫자 1234567890123456789");
    xlsx("xlsx general fraction", 6, "12.5");
    xlsx("xlsx general float noise", 7, "0.3");
    xlsx("xlsx zeros restore the width", 8, "0000012345");
    xlsx("xlsx zeros, number wider than the format", 9, "12345678");
    xlsx("xlsx format 0 rounds half away", 10, "13");
    xlsx("xlsx text format, string", 11, "0012345");
    xlsx("xlsx text format, number typed before", 12, "12345");
    xlsx("xlsx number stored as text", 13, "0000012345");
    xlsx("xlsx inline rich text", 14, "김철수");
    xlsx("xlsx shared string without its phonetic guide", 15, "홍길동");
    xlsx("xlsx date format", 16, "", "B16: 셀 서식 14번(기본 제공)");
    xlsx("xlsx thousands format", 17, "", "B17: 셀 서식 \"#,##0\"");
    xlsx("xlsx boolean", 18, "", "B18: 참/거짓");
    xlsx("xlsx error value", 19, "", "B19: 셀 값이 오류(#N/A)");
    xlsx("xlsx formula value", 20, "42");
    xlsx("xlsx formula without value", 21, "", "B21: 수식의 값이");
    xlsx("xlsx formula string", 22, "abc");
    xlsx("xlsx escaped line end", 23, "A\rB");
    xlsx("xlsx unknown style", 24, "", "B24: 셀 스타일 99번이 파일에 없습니다");
    xlsx("xlsx spaces kept for the list", 25, " 12 ");
    xlsx("xlsx missing shared string", 26, "", "B26: 공유 문자열 77번");
    xlsx("xlsx zeros, negative", 27, "-000005");
    xlsx("xlsx Korean Excel's number format 0_ ", 28, "2004010123");
    xlsx("xlsx a negative number's own section", 29, "", "B29: 셀 서식 \"0_);[Red]\\(0\\)\"");
    xlsx("xlsx positive beside a negative section", 30, "12345");
    xlsx("xlsx colour", 31, "0000012345");
    xlsx("xlsx text section adding to the string", 32, "", "B32: 셀 서식 \"@\" 님\"\"");
    xlsx("xlsx plain text section", 33, "0012345");
    xlsx("xlsx zero's own section", 34, "0000");
    QTest::newRow("xlsx row without position") << "cells.xlsx" << 35 << 0 << "no positions"
                                               << "";
    QTest::newRow("xlsx cell without position") << "cells.xlsx" << 35 << 1 << "7"
                                                << "";

    const auto ods = [](const char* name, int row, int column, const QString& text,
                        const QString& problem = {}) {
        QTest::newRow(name) << "cells.ods" << row << column << text << problem;
    };
    ods("ods header row", 1, 0, "case");
    ods("ods float shown as digits", 2, 1, "2004010123");
    ods("ods float shown with leading zeros", 3, 1, "0000012345");
    ods("ods string", 4, 1, "0012345");
    ods("ods value without shown text", 5, 1, "", "B5: 셀에 보이는 글자가");
    ods("ods spans and spaces", 6, 1, "김철  수");
    ods("ods two paragraphs", 7, 1, "a\nb");
    ods("ods comment left out", 8, 1, "본문");
    ods("ods date as shown", 9, 1, "2026-03-02");
    ods("ods merged cell", 10, 1, "merged");
    ods("ods covered cell", 10, 2, "");
    ods("ods repeated cell, first", 10, 3, "x");
    ods("ods repeated cell, second", 10, 4, "x");
    ods("ods row after two empty rows, in a group", 13, 0, "after empty rows");
}

void TestSpreadsheet::shownText() {
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, problem);
    const CsvRecord record = RecordAt(ReadSheet(file), row);
    QCOMPARE(record.line, row);
    QVERIFY(column < record.fields.size());
    QCOMPARE(record.fields[column], text);
    const QString reason = record.cellProblems.value(column);
    if (problem.isEmpty())
        QVERIFY2(reason.isEmpty(), qPrintable(reason));
    else
        QVERIFY2(reason.startsWith(problem), qPrintable(reason));
}

void TestSpreadsheet::sheetShape_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("records"); // up to the last row with a value
    QTest::addColumn<int>("width");   // of every row with a value
    QTest::addColumn<QList<int>>("emptyLines");
    QTest::newRow("xlsx, second sheet not read") << "three.xlsx" << 4 << 3 << QList<int>{};
    QTest::newRow("ods, rows and cells repeated to the sheet's end") << "three.ods" << 4 << 3 << QList<int>{};
    QTest::newRow("ods with empty rows") << "cells.ods" << 13 << 5 << QList<int>{11, 12};
    QTest::newRow("xlsx with a missing row") << "layout.xlsx" << 6 << 5 << QList<int>{3};
}

void TestSpreadsheet::sheetShape() {
    QFETCH(QString, file);
    QFETCH(int, records);
    QFETCH(int, width);
    QFETCH(QList<int>, emptyLines);
    const CsvTable table = ReadSheet(file);
    QCOMPARE(table.records.size(), records);
    for (int i = 0; i < records; ++i) {
        const CsvRecord& r = table.records[i];
        QCOMPARE(r.line, i + 1);
        QCOMPARE(r.fields.size(), emptyLines.contains(r.line) ? 0 : width);
        QVERIFY(!r.unclosed);
    }
}

void TestSpreadsheet::sameCardsAsTheCsvList_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("savedAs"); // the name the list has on the desk
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("golden");
    QTest::newRow("xlsx, parallel") << "three.xlsx"
                                    << "명단.xlsx"
                                    << "LPT1"
                                    << "list-three.lpt.zpl";
    QTest::newRow("xlsx, serial") << "three.xlsx"
                                  << "명단.xlsx"
                                  << "COM1"
                                  << "list-three.com.zpl";
    QTest::newRow("ods, parallel") << "three.ods"
                                   << "명단.ods"
                                   << "LPT1"
                                   << "list-three.lpt.zpl";
    QTest::newRow("xlsx saved as .csv") << "three.xlsx"
                                        << "명단.csv"
                                        << "LPT1"
                                        << "list-three.lpt.zpl";
    QTest::newRow("ods without an extension") << "three.ods"
                                              << "명단"
                                              << "COM1"
                                              << "list-three.com.zpl";
}

void TestSpreadsheet::sameCardsAsTheCsvList() {
    QFETCH(QString, file);
    QFETCH(QString, savedAs);
    QFETCH(QString, port);
    QFETCH(QString, golden);
    const QString path = m_dir.filePath(savedAs);
    QFile::remove(path);
    QVERIFY(QFile::copy(ListFile(file), path));
    const MemberList sheet = ReadMemberList(path, {});
    const MemberList csv = ParseMemberList(kThree, {});

    QVERIFY(sheet.hasHeader);
    QCOMPARE(sheet.emptyRows, 0);
    QCOMPARE(sheet.rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const ListRow& s = sheet.rows[i];
        const ListRow& c = csv.rows[i];
        QCOMPARE(s.line, c.line);
        QCOMPARE(s.affiliation, c.affiliation);
        QCOMPARE(s.name, c.name);
        QCOMPARE(s.memberNumber, c.memberNumber);
        QCOMPARE(s.numberFirst, c.numberFirst);
        QCOMPARE(s.numberSecond, c.numberSecond);
        QCOMPARE(s.status, RowStatus::Ready);
        QCOMPARE(s.fingerprint, c.fingerprint); // a marks file knows the same rows
    }
    QCOMPARE(sheet.rows[0].memberNumber, QStringLiteral("2004010123"));

    MemberCardInputs window;
    window.portText = port;
    window.originX = "20";
    window.originY = "10";
    window.maskSecondPart = true;
    AppFolderFixture app;
    app.writeLines("DPOS1.ini", kLayout);
    const JobEnvironment env{app.path(), &m_glyphs};
    const ListPrintOutcome fromSheet = PrepareListPrint(sheet, RowsToPrint(sheet, {}), window, env);
    const ListPrintOutcome fromCsv = PrepareListPrint(csv, RowsToPrint(csv, {}), window, env);
    QVERIFY2(fromSheet.status == JobStatus::Composed, qPrintable(fromSheet.failure));
    QVERIFY2(fromCsv.status == JobStatus::Composed, qPrintable(fromCsv.failure));
    QCOMPARE(fromSheet.composed.stream, fromCsv.composed.stream);
    QCOMPARE(fromSheet.composed.stream, test::ReadFileBytes(test::TestDataPath("golden/" + golden)));
}

void TestSpreadsheet::headerEmptyRowsAndCellErrors() {
    // A header merged over C1:D1, row 3 missing, row 4 only blanks, a date in the unused column E
    // (rows 1 and 2) and one in the member number column (C6); a second sheet with another member.
    const MemberList list = ReadMemberList(ListFile("layout.xlsx"), {QStringLiteral("기본"), std::nullopt});
    QVERIFY(list.hasHeader);
    QCOMPARE(list.columns.affiliation, 0);
    QCOMPARE(list.columns.name, 1);
    QCOMPARE(list.columns.memberNumber, 2);
    QCOMPARE(list.emptyRows, 2);
    QCOMPARE(Lines(list), (QList<int>{2, 5, 6}));
    QCOMPARE(list.rows[0].status, RowStatus::Ready);
    QCOMPARE(list.rows[0].name, QStringLiteral("홍길동"));
    QCOMPARE(list.rows[1].memberNumber, QStringLiteral("2004010124"));
    QCOMPARE(list.rows[1].status, RowStatus::Ready);
    QCOMPARE(list.rows[2].status, RowStatus::Error);
    QVERIFY2(list.rows[2].error.startsWith(QStringLiteral("C6: 셀 서식 14번(기본 제공)")),
             qPrintable(list.rows[2].error));
    QVERIFY2(RowErrorText(list.rows[2]).startsWith(QStringLiteral("6행: C6: ")),
             qPrintable(RowErrorText(list.rows[2])));
    QCOMPARE(ListSummary(list), QStringLiteral("준비 2행, 오류 1행, 빈 줄 2개 건너뜀"));
}

void TestSpreadsheet::refusedNamingTheFile_data() {
    QTest::addColumn<QString>("file"); // in tests/data/lists
    QTest::addColumn<QString>("reason");
    QTest::newRow("zip cut short") << "damaged.xlsx"
                                   << "zip 파일이 손상되었습니다";
    QTest::newRow("part checksum wrong") << "crc.xlsx"
                                         << "zip 파일이 손상되었습니다";
    QTest::newRow("sheet XML cut short") << "badxml.xlsx"
                                         << "xl/worksheets/sheet1.xml 부분이 손상되었습니다";
    QTest::newRow("password-protected xlsx") << "protected.xlsx"
                                             << "암호로 보호된 파일입니다";
    QTest::newRow("old xls") << "old.xls"
                             << "Excel 97-2003 통합 문서(.xls)는 읽지 않습니다";
    QTest::newRow("CSV named xlsx") << "renamed.xlsx"
                                    << "내용은 CSV 같은 텍스트입니다";
    QTest::newRow("web page named xls") << "webpage.xls"
                                        << "내용은 웹 페이지(HTML)나 XML입니다";
    QTest::newRow("word document") << "document.xlsx"
                                   << "스프레드시트(.xlsx, .ods)가 아닌 zip 파일입니다";
    QTest::newRow("other zip") << "photos.zip"
                               << "스프레드시트(.xlsx, .ods)가 아닌 zip 파일입니다";
    QTest::newRow("password-protected ods") << "encrypted.ods"
                                            << "암호로 보호된 파일입니다";
}

void TestSpreadsheet::refusedNamingTheFile() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const QString path = ListFile(file);
    const QString name = QFileInfo(path).fileName();
    try {
        ReadMemberList(path, {});
        QFAIL("the file was read");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().startsWith(QStringLiteral("명단 파일을 읽을 수 없습니다: ") + name),
                 qPrintable(failure.message()));
        QVERIFY2(failure.message().contains(reason), qPrintable(failure.message()));
    }
}

void TestSpreadsheet::contentChoosesTheReader_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("spreadsheet");
    QTest::newRow("zip named csv") << QByteArray("PK\x03\x04\x14\x00", 6) << "명단.csv" << true;
    QTest::newRow("empty zip without a name") << QByteArray("PK\x05\x06", 4) << "명단" << true;
    QTest::newRow("OLE named txt") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") << "명단.txt" << true;
    QTest::newRow("text named xlsx") << QByteArray("소속,성명") << "명단.xlsx" << true;
    QTest::newRow("text named ODS") << QByteArray("소속,성명") << "명단.ODS" << true;
    QTest::newRow("text named csv") << QByteArray("소속,성명") << "명단.csv" << false;
    QTest::newRow("tab-separated text named xls") << QByteArray("소속\t성명\n") << "명단.xls" << false;
    QTest::newRow("web page named xls") << QByteArray("\xEF\xBB\xBF <html><table>") << "명단.xls" << true;
    QTest::newRow("PK text named csv") << QByteArray("PK,1234\n") << "명단.csv" << false;
}

void TestSpreadsheet::contentChoosesTheReader() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(bool, spreadsheet);
    QCOMPARE(IsSpreadsheetFile(bytes, name), spreadsheet);
}

void TestSpreadsheet::cellNames_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 1 << 0 << "A1";
    QTest::newRow("C12") << 12 << 2 << "C12";
    QTest::newRow("last single letter") << 3 << 25 << "Z3";
    QTest::newRow("first double letter") << 4 << 26 << "AA4";
    QTest::newRow("AZ") << 5 << 51 << "AZ5";
    QTest::newRow("sheet's last cell") << 1048576 << 16383 << "XFD1048576";
}

void TestSpreadsheet::cellNames() {
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, name);
    QCOMPARE(CellName(row, column), name);
}

QTEST_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
