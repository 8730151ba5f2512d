#include "core/Cp949.h"
#include "core/Failure.h"
#include "lists/MemberList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <sys/stat.h>

using namespace hanlabel;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// A row as the tables write it: "line: affiliation / name / first / second" when ready,
// "line! text the reason contains" when an error.
QString Describe(const ListRow& row) {
    if (row.status == RowStatus::Error)
        return QStringLiteral("%1! %2").arg(row.line).arg(row.error);
    return QStringLiteral("%1: %2 / %3 / %4 / %5")
        .arg(row.line)
        .arg(row.affiliation, row.name, row.numberFirst, row.numberSecond);
}

// Compares described rows; an error row's expected text only needs to be part of the reason.
QString CompareRows(const QList<ListRow>& rows, const QStringList& expected) {
    QStringList actual;
    for (const ListRow& row : rows)
        actual << Describe(row);
    bool same = actual.size() == expected.size();
    for (qsizetype i = 0; same && i < actual.size(); ++i)
        same = expected[i].contains(u'!') ? actual[i].startsWith(expected[i].section(u'!', 0, 0) + u'!') &&
                                                actual[i].contains(expected[i].section(u'!', 1).trimmed())
                                          : actual[i] == expected[i];
    if (same)
        return {};
    return QStringLiteral("rows:\n  %1\nexpected:\n  %2").arg(actual.join("\n  "), expected.join("\n  "));
}

const QByteArray kHeaded = "소속,성명,회원번호\n국립중앙도서관,홍길동,2004010123\n";

} // namespace

// Reading a member list: encodings, CSV quoting, headers, column mappings and the number's parts.
class TestMemberList : public QObject {
    Q_OBJECT
  private slots:
    void rows_data();
    void rows();
    void headerWithoutNameColumn();
    void refusedLists_data();
    void refusedLists();
    void onlyRegularFiles_data();
    void onlyRegularFiles();
    void columnMaps_data();
    void columnMaps();
    void badColumnMaps_data();
    void badColumnMaps();
    void fingerprints();
    void unreadableFile();
};

void TestMemberList::rows_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("columns"); // a mapping, or empty
    QTest::addColumn<bool>("header");
    QTest::addColumn<bool>("cp949");
    QTest::addColumn<int>("emptyRows");
    QTest::addColumn<QStringList>("expected");

    const QStringList one = {"2: 국립중앙도서관 / 홍길동 / 200401 / 0123"};
    QTest::newRow("UTF-8") << kHeaded << "" << true << false << 0 << one;
    QTest::newRow("UTF-8 with byte-order mark") << kBom + kHeaded << "" << true << false << 0 << one;
    QTest::newRow("code page 949") << EncodeCp949(QString::fromUtf8(kHeaded)) << "" << true << true << 0
                                   << one;
    QTest::newRow("code page 949 after a byte-order mark")
        << kBom + EncodeCp949(QString::fromUtf8(kHeaded)) << "" << true << true << 0 << one;
    QTest::newRow("CR LF") << QByteArray(kHeaded).replace("\n", "\r\n") << "" << true << false << 0 << one;
    QTest::newRow("code page 949, CR LF, no line end at the end")
        << EncodeCp949(QStringLiteral("소속,성명,회원번호\r\n본관,김철수,1-2\r\n별관,이영희,3-4")) << ""
        << true << true << 0 << QStringList{"2: 본관 / 김철수 / 1 / 2", "3: 별관 / 이영희 / 3 / 4"};
    QTest::newRow("quoted comma and quotes")
        << QByteArray("소속,성명,회원번호\n\"서울, \"\"본관\"\"\",홍길동,\"2004,\"\n") << "" << true << false
        << 0 << QStringList{"2: 서울, \"본관\" / 홍길동 / 2004, / "};
    QTest::newRow("line breaks inside quotes count as lines")
        << QByteArray("소속,성명,회원번호,비고\nA,홍길동,1-1,\"첫 줄\r\n둘째 줄\n셋째 줄\"\nB,김철수,2-2,\n")
        << "" << true << false << 0 << QStringList{"2: A / 홍길동 / 1 / 1", "5: B / 김철수 / 2 / 2"};
    QTest::newRow("line break inside a name")
        << QByteArray("A,\"홍\n길동\",1-1\nB,김철수,2-2\n") << "" << false << false << 0
        << QStringList{"1! 2열(성명): 줄바꿈", "3: B / 김철수 / 2 / 2"};
    QTest::newRow("tab separated, no affiliation column")
        << QByteArray("성명\t학번\n홍길동\t2004010123\n\"김, 철수\"\t1-2\n") << "" << true << false << 0
        << QStringList{"2: 기본 소속 / 홍길동 / 200401 / 0123", "3: 기본 소속 / 김, 철수 / 1 / 2"};
    QTest::newRow("English header") << QByteArray("Department,Full Name,Student_ID\nLaw,Kim,20-31\n") << ""
                                    << true << false << 0 << QStringList{"2: Law / Kim / 20 / 31"};
    QTest::newRow("a plain number column loses to the member number")
        << QByteArray("번호,이름,학번,소속\n1,홍길동,2004010123,본관\n") << "" << true << false << 0
        << QStringList{"2: 본관 / 홍길동 / 200401 / 0123"};
    QTest::newRow("no header: affiliation, name, number")
        << QByteArray("A1,BC,2004010123\n") << "" << false << false << 0
        << QStringList{"1: A1 / BC / 200401 / 0123"};
    QTest::newRow("one header word beside a member number is a row")
        << QByteArray("성명,x,2004\n") << "" << false << false << 0 << QStringList{"1: 성명 / x / 2004 / "};
    QTest::newRow("extra columns are ignored")
        << QByteArray("A,B,200401,x,y\n") << "" << false << false << 0 << QStringList{"1: A / B / 200401 / "};
    QTest::newRow("missing columns") << QByteArray("A,1\nC\n") << "" << false << false << 0
                                     << QStringList{"1! 3열(회원번호): 이 줄에는 이 열이 없습니다",
                                                    "2! 2열(성명): 이 줄에는 이 열이 없습니다"};
    QTest::newRow("empty rows are skipped and counted")
        << QByteArray("A,B,1\n,,,\n\n  ,\t, \nC,D,2\n\n") << "" << false << false << 4
        << QStringList{"1: A / B / 1 / ", "5: C / D / 2 / "};
    QTest::newRow("empty rows before the header") << QByteArray(",,\n소속,성명,회원번호\nA,B,1\n") << ""
                                                  << true << false << 1 << QStringList{"3: A / B / 1 / "};
    QTest::newRow("values are trimmed") << QByteArray(" A , B , 2004-01 \n") << "" << false << false << 0
                                        << QStringList{"1: A / B / 2004 / 01"};
    QTest::newRow("empty name and number")
        << QByteArray("B,C,1\nA,,\n") << "" << false << false << 0
        << QStringList{"1: B / C / 1 / ", "2! 2열(성명): 값이 비어 있습니다. 3열(회원번호): 값이 비어 있습니다."};
    QTest::newRow("quote left open") << QByteArray("A,\"B,1\n") << "" << false << false << 0
                                     << QStringList{"1! 닫히지 않았습니다"};
    QTest::newRow("bytes neither UTF-8 nor code page 949")
        << QByteArray("A,\xC7\xFF,1\n") << "" << false << true << 0
        << QStringList{"1! 2열(성명): 코드 페이지 949로"};

    // The member number's two parts.
    QTest::newRow("split at the first dash") << QByteArray("A,B,2004-01-23\n") << "" << false << false << 0
                                             << QStringList{"1: A / B / 2004 / 01-23"};
    QTest::newRow("no dash: 6 and the rest") << QByteArray("A,B,1234567890123\n") << "" << false << false << 0
                                             << QStringList{"1: A / B / 123456 / 7890123"};
    QTest::newRow("no dash: 14 characters do not fit")
        << QByteArray("A,B,12345678901234\n") << "" << false << false << 0
        << QStringList{"1! 3열(회원번호): 뒷부분 \"78901234\"이(가) 8자입니다(7자까지)."};
    QTest::newRow("first part before the dash too long")
        << QByteArray("A,B,1234567-1\n") << "" << false << false << 0
        << QStringList{"1! 3열(회원번호): 앞부분 \"1234567\"이(가) 7자입니다(6자까지)."};
    QTest::newRow("second part after the dash too long")
        << QByteArray("A,B,1-12345678\n") << "" << false << false << 0
        << QStringList{"1! 뒷부분 \"12345678\""};
    QTest::newRow("Hangul counts as characters")
        << QByteArray("소속,성명,회원번호\nA,B,가나다라마바-사아자차카타파\n") << "" << true << false << 0
        << QStringList{"2: A / B / 가나다라마바 / 사아자차카타파"};
    QTest::newRow("characters beyond 16 bits count once")
        << QByteArray("A,B,\xF0\x9D\x9F\x98\xF0\x9D\x9F\x99\xF0\x9D\x9F\x9A\xF0\x9D\x9F\x9B\xF0\x9D\x9F\x9C"
                      "\xF0\x9D\x9F\x9D\xF0\x9D\x9F\x9E\n")
        << "" << false << false << 0
        << QStringList{
               QString::fromUtf8("1: A / B / \xF0\x9D\x9F\x98\xF0\x9D\x9F\x99\xF0\x9D\x9F\x9A\xF0\x9D\x9F"
                                 "\x9B\xF0\x9D\x9F\x9C\xF0\x9D\x9F\x9D / \xF0\x9D\x9F\x9E")};

    // Mappings given by the operator.
    QTest::newRow("mapping by names") << QByteArray("홍길동,2004010123\n") << "name,number" << false << false
                                      << 0 << QStringList{"1: 기본 소속 / 홍길동 / 200401 / 0123"};
    QTest::newRow("mapping by column numbers")
        << QByteArray("2004010123,x,홍길동,본관\n") << "number=1,성명=3,affiliation=4" << false << false << 0
        << QStringList{"1: 본관 / 홍길동 / 200401 / 0123"};
    QTest::newRow("mapping over a header the program does not know")
        << QByteArray("이름,전화\n홍길동,2004010123\n") << "name,number" << true << false << 0
        << QStringList{"2: 기본 소속 / 홍길동 / 200401 / 0123"};
    QTest::newRow("mapping over a header row")
        << QByteArray("소속,성명,회원번호\n본관,홍길동,1-2\n") << "-,number,name" << true << false << 0
        << QStringList{"2: 기본 소속 / 1-2 / 홍길동 / "};
}

void TestMemberList::rows() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, columns);
    QFETCH(bool, header);
    QFETCH(bool, cp949);
    QFETCH(int, emptyRows);
    QFETCH(QStringList, expected);
    ListReadOptions options;
    options.defaultAffiliation = QStringLiteral("기본 소속");
    if (!columns.isEmpty())
        options.columns = ParseColumnMap(columns);
    const MemberList list = ParseMemberList(bytes, options);
    const QString diff = CompareRows(list.rows, expected);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(list.hasHeader, header);
    QCOMPARE(list.encoding, cp949 ? ListEncoding::Cp949 : ListEncoding::Utf8);
    QCOMPARE(list.emptyRows, emptyRows);
    QCOMPARE(list.count(RowStatus::Ready) + list.count(RowStatus::Error), int(list.rows.size()));
}

void TestMemberList::headerWithoutNameColumn() {
    try {
        ParseMemberList("소속,회원번호\nA,1\n", {});
        QFAIL("a header without a name column was accepted");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(QStringLiteral("1행")) &&
                     failure.message().contains(QStringLiteral("성명")),
                 qPrintable(failure.message()));
    }
    // A given mapping does not need the header's names.
    const MemberList list =
        ParseMemberList("소속,회원번호,x\nA,1,B\n", {{}, ParseColumnMap("-,number,name")});
    QCOMPARE(list.rows.size(), 1);
    QCOMPARE(list.rows[0].name, QStringLiteral("B"));
}

void TestMemberList::refusedLists_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("NUL before the header")
        << QByteArray("\0소속,성명,회원번호\nA,B,1\n", 34) << QStringList{"1행", "NUL"};
    QTest::newRow("NUL in the third line after CR LF and a lone CR")
        << QByteArray("소속,성명,회원번호\r\nA,B,1\rC,D\0,2\n", 41) << QStringList{"3행", "NUL"};
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE\x8C\xC1,\0", 6) << QStringList{"1행", "UTF-16"};
    QTest::newRow("one known column")
        << QByteArray("성명,연락처,비고\n홍길동,2004010123,x\n")
        << QStringList{"1행", "\"성명\", \"연락처\", \"비고\"", "알아본 열: 1열 성명", "--columns", "열 지정"};
    QTest::newRow("no known column")
        << QByteArray("\n\nfoo,bar\nA,B,1\n") << QStringList{"3행", "\"foo\", \"bar\"", "알아본 열: 없음"};
}

// A list that cannot be read as it stands is refused whole, never printed without a field.
void TestMemberList::refusedLists() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, mentions);
    try {
        ParseMemberList(bytes, {});
        QFAIL("the list was read");
    } catch (const Failure& failure) {
        for (const QString& part : mentions)
            QVERIFY2(failure.message().contains(part), qPrintable(failure.message()));
    }
}

void TestMemberList::onlyRegularFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("named pipe") << "fifo" << QStringLiteral("이름 있는 파이프입니다");
    QTest::newRow("device") << "device" << QStringLiteral("장치입니다");
    QTest::newRow("folder") << "folder" << QStringLiteral("폴더입니다");
    QTest::newRow("larger than the limit") << "large" << QStringLiteral("너무 큽니다: big.csv (100 MB까지");
}

// A pipe or a device is refused at once, never waited on or read without end.
void TestMemberList::onlyRegularFiles() {
    QFETCH(QString, kind);
    QFETCH(QString, mentions);
    QTemporaryDir dir;
    QString path = dir.filePath("list.fifo");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "device")
        path = QStringLiteral("/dev/zero");
    else if (kind == "folder")
        path = dir.path();
    else {
        path = dir.filePath("big.csv");
        QFile big(path);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kMostListBytes + 1));
    }
    try {
        ReadMemberList(path, {});
        QFAIL("read");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(mentions), qPrintable(failure.message()));
    }
}

void TestMemberList::columnMaps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("affiliation");
    QTest::addColumn<int>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("names") << "affiliation,name,number" << 0 << 1 << 2;
    QTest::newRow("Korean names, skipped columns") << "-,성명,,학번" << -1 << 1 << 3;
    QTest::newRow("spaces and case") << " Name , Member Number " << -1 << 0 << 1;
    QTest::newRow("pairs") << "name=2, number=3" << -1 << 1 << 2;
    QTest::newRow("pairs in Korean") << "회원번호=1,이름=4,소속=2" << 1 << 3 << 0;
}

void TestMemberList::columnMaps() {
    QFETCH(QString, text);
    QFETCH(int, affiliation);
    QFETCH(int, name);
    QFETCH(int, number);
    const ColumnMap map = ParseColumnMap(text);
    QCOMPARE(map.affiliation, affiliation);
    QCOMPARE(map.name, name);
    QCOMPARE(map.memberNumber, number);
}

void TestMemberList::badColumnMaps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("unknown word") << "name,phone"
                                  << "phone";
    QTest::newRow("no number") << "affiliation,name" << QStringLiteral("회원번호");
    QTest::newRow("no name") << "number=1" << QStringLiteral("성명");
    QTest::newRow("twice") << "name,number,이름" << QStringLiteral("두 번");
    QTest::newRow("column 0") << "name=0,number=1"
                              << "name=0";
    QTest::newRow("not a column") << "name=x,number=1"
                                  << "name=x";
    QTest::newRow("pair form mixed with a bare name") << "name=1,number"
                                                      << "number";
    QTest::newRow("empty") << "" << QStringLiteral("성명");
}

void TestMemberList::badColumnMaps() {
    QFETCH(QString, text);
    QFETCH(QString, mentions);
    try {
        ParseColumnMap(text);
        QFAIL("accepted");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(mentions), qPrintable(failure.message()));
    }
}

void TestMemberList::fingerprints() {
    // The same values give the same fingerprint wherever they stand; any changed value another.
    const MemberList list = ParseMemberList("A,B,1\nC,D,2\nA,B,1\nA,B,2\nA,E,1\n,B,1\n", {});
    const auto fp = [&](int i) { return list.rows[i].fingerprint; };
    QCOMPARE(fp(0), fp(2));
    QVERIFY(!fp(0).isEmpty());
    for (int other : {1, 3, 4, 5})
        QVERIFY2(fp(0) != fp(other), qPrintable(QString::number(other)));
    // The default affiliation is no part of it: a row reads the same whatever the window's box says.
    const MemberList a = ParseMemberList("B,1\n", {QStringLiteral("X"), ParseColumnMap("name,number")});
    const MemberList b = ParseMemberList("B,1\n", {QStringLiteral("Y"), ParseColumnMap("name,number")});
    QCOMPARE(a.rows[0].fingerprint, b.rows[0].fingerprint);
}

void TestMemberList::unreadableFile() {
    try {
        ReadMemberList(QStringLiteral("/nonexistent/명단.csv"), {});
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(QStringLiteral("명단.csv")), qPrintable(failure.message()));
    }
}

QTEST_APPLESS_MAIN(TestMemberList)
#include "tst_memberlist.moc"
