#include "lists/MemberList.h"

#include "core/Failure.h"
#include "lists/Spreadsheet.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hanlabel {

namespace {

constexpr int kFirstPartMost = 6;  // the member card window's first number box
constexpr int kSecondPartMost = 7; // and its second

// A header word and how specific it is: "회원번호" beats a plain "번호", which often numbers the rows.
struct HeaderWord {
    const char16_t* word;
    ListField field;
    int weight;
};

constexpr HeaderWord kHeaderWords[] = {
    {u"소속", ListField::Affiliation, 2},
    {u"소속기관", ListField::Affiliation, 2},
    {u"부서", ListField::Affiliation, 2},
    {u"학과", ListField::Affiliation, 2},
    {u"기관", ListField::Affiliation, 1},
    {u"affiliation", ListField::Affiliation, 2},
    {u"department", ListField::Affiliation, 2},
    {u"dept", ListField::Affiliation, 2},
    {u"organization", ListField::Affiliation, 2},
    {u"organisation", ListField::Affiliation, 2},
    {u"성명", ListField::Name, 2},
    {u"이름", ListField::Name, 2},
    {u"성함", ListField::Name, 2},
    {u"name", ListField::Name, 2},
    {u"fullname", ListField::Name, 2},
    {u"membername", ListField::Name, 2},
    {u"회원번호", ListField::MemberNumber, 2},
    {u"학번", ListField::MemberNumber, 2},
    {u"이용자번호", ListField::MemberNumber, 2},
    {u"대출번호", ListField::MemberNumber, 2},
    {u"사번", ListField::MemberNumber, 2},
    {u"membernumber", ListField::MemberNumber, 2},
    {u"memberno", ListField::MemberNumber, 2},
    {u"memberid", ListField::MemberNumber, 2},
    {u"studentid", ListField::MemberNumber, 2},
    {u"studentnumber", ListField::MemberNumber, 2},
    {u"cardnumber", ListField::MemberNumber, 2},
    {u"번호", ListField::MemberNumber, 1},
    {u"number", ListField::MemberNumber, 1},
    {u"no", ListField::MemberNumber, 1},
    {u"id", ListField::MemberNumber, 1},
};

// The Korean name of a field, as messages show it.
QString FieldName(ListField field) {
    switch (field) {
    case ListField::Affiliation:
        return QStringLiteral("소속");
    case ListField::Name:
        return QStringLiteral("성명");
    case ListField::MemberNumber:
        return QStringLiteral("회원번호");
    }
    return {};
}

// A header cell or a mapping word without case, spaces and punctuation between words.
QString NormalisedWord(const QString& cell) {
    QString word;
    for (const QChar c : cell.trimmed())
        if (!c.isSpace() && c != u'_' && c != u'-' && c != u'.')
            word += c.toLower();
    return word;
}

// The header word a cell is, if any.
const HeaderWord* FindHeaderWord(const QString& cell) {
    const QString word = NormalisedWord(cell);
    for (const HeaderWord& w : kHeaderWords)
        if (word == QStringView(w.word))
            return &w;
    return nullptr;
}

// The member of the column map that holds a field's column.
int ColumnMap::*ColumnOf(ListField field) {
    switch (field) {
    case ListField::Affiliation:
        return &ColumnMap::affiliation;
    case ListField::Name:
        return &ColumnMap::name;
    case ListField::MemberNumber:
        break;
    }
    return &ColumnMap::memberNumber;
}

// The columns a header names, and how many different fields it names.
std::pair<ColumnMap, int> HeaderColumns(const QStringList& cells) {
    ColumnMap map;
    int weights[3] = {0, 0, 0};
    int named = 0;
    for (int column = 0; column < cells.size(); ++column) {
        const HeaderWord* w = FindHeaderWord(cells[column]);
        if (!w || w->weight <= weights[int(w->field)])
            continue;
        named += weights[int(w->field)] == 0 ? 1 : 0;
        weights[int(w->field)] = w->weight;
        map.*ColumnOf(w->field) = column;
    }
    return {map, named};
}

// The field a mapping word names; throws Failure for any other word.
ListField MappedField(const QString& word) {
    const HeaderWord* w = FindHeaderWord(word);
    if (!w)
        throw Failure(QStringLiteral("열 지정의 \"%1\"을(를) 알 수 없습니다. 소속, 성명, 회원번호 "
                                     "(affiliation, name, number) 중 하나를 쓰십시오.")
                          .arg(word.trimmed()));
    return w->field;
}

// Puts a field at a column; a field given twice is an error.
void Assign(ColumnMap& map, ListField field, int column) {
    int& slot = map.*ColumnOf(field);
    if (slot >= 0)
        throw Failure(QStringLiteral("열 지정에 %1이(가) 두 번 있습니다.").arg(FieldName(field)));
    slot = column;
}

bool IsEmptyRecord(const CsvRecord& record) {
    return record.cellProblems.isEmpty() &&
           std::all_of(record.fields.begin(), record.fields.end(), [](const QString& f) {
               return std::all_of(f.begin(), f.end(), [](QChar c) { return c.isSpace(); });
           });
}

// The row's own values, hashed: the default affiliation is not part of it.
QByteArray Fingerprint(const QString& affiliation, const QString& name, const QString& number) {
    const QString joined = affiliation + QChar(0x1F) + name + QChar(0x1F) + number;
    return QCryptographicHash::hash(joined.toUtf8(), QCryptographicHash::Sha256).left(8).toHex();
}

// The number of characters (code points) of a text: a surrogate pair counts once.
int CodePoints(const QString& text) {
    return int(text.size() - std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); }));
}

// The first `n` code points of a text and the rest.
std::pair<QString, QString> SplitAtCodePoint(const QString& text, int n) {
    const QList<uint> ucs4 = text.toUcs4();
    if (ucs4.size() <= n)
        return {text, QString()};
    const QString first = QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs4.constData()), n);
    return {first, text.mid(first.size())};
}

// Builds the rows of a list from its records, one check after another.
class RowBuilder {
  public:
    RowBuilder(const ColumnMap& columns, const QString& defaultAffiliation)
        : m_columns(columns), m_defaultAffiliation(defaultAffiliation) {}

    ListRow build(const CsvRecord& record) {
        ListRow row;
        m_reasons.clear();
        row.line = record.line;
        if (record.unclosed)
            m_reasons << QStringLiteral("따옴표(\")로 연 값이 닫히지 않았습니다.");
        const QString ownAffiliation = value(record, ListField::Affiliation);
        row.affiliation = m_columns.affiliation >= 0 ? ownAffiliation : m_defaultAffiliation;
        row.name = value(record, ListField::Name);
        row.memberNumber = value(record, ListField::MemberNumber);
        row.fingerprint = Fingerprint(ownAffiliation, row.name, row.memberNumber);
        splitNumber(row);
        if (!m_reasons.isEmpty()) {
            row.status = RowStatus::Error;
            row.error = m_reasons.join(QLatin1Char(' '));
        }
        return row;
    }

  private:
    // The trimmed value of a field, with the reasons it cannot go on a card.
    QString value(const CsvRecord& record, ListField field) {
        const int column = m_columns.*ColumnOf(field);
        if (column < 0)
            return {};
        // Made only for a row with something to say: most rows have nothing.
        const auto where = [&] { return QStringLiteral("%1열(%2):").arg(column + 1).arg(FieldName(field)); };
        if (const auto problem = record.cellProblems.constFind(column);
            problem != record.cellProblems.cend()) {
            m_reasons << *problem;
            return {};
        }
        if (column >= record.fields.size()) {
            m_reasons << where() + QStringLiteral(" 이 줄에는 이 열이 없습니다.");
            return {};
        }
        const QString text = record.fields[column].trimmed();
        if (text.isEmpty() && field != ListField::Affiliation)
            m_reasons << where() + QStringLiteral(" 값이 비어 있습니다.");
        if (text.contains(QChar::ReplacementCharacter))
            m_reasons << where() + QStringLiteral(" 코드 페이지 949로 읽을 수 없는 바이트가 있습니다.");
        if (std::any_of(text.begin(), text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; }))
            m_reasons << where() + QStringLiteral(" 줄바꿈이나 제어 문자가 있습니다.");
        return text;
    }

    // The window's two number parts: at the first "-", else after 6 characters; neither cut.
    void splitNumber(ListRow& row) {
        const qsizetype dash = row.memberNumber.indexOf(u'-');
        if (dash >= 0) {
            row.numberFirst = row.memberNumber.left(dash);
            row.numberSecond = row.memberNumber.mid(dash + 1);
        } else {
            std::tie(row.numberFirst, row.numberSecond) = SplitAtCodePoint(row.memberNumber, kFirstPartMost);
        }
        const auto where = [&] {
            return QStringLiteral("%1열(%2):").arg(m_columns.memberNumber + 1).arg(FieldName(ListField::MemberNumber));
        };
        if (const int n = CodePoints(row.numberFirst); n > kFirstPartMost)
            m_reasons << where() +
                             QStringLiteral(" 앞부분 \"%1\"이(가) %2자입니다(%3자까지).")
                                 .arg(row.numberFirst, QString::number(n), QString::number(kFirstPartMost));
        if (const int n = CodePoints(row.numberSecond); n > kSecondPartMost)
            m_reasons << where() +
                             QStringLiteral(" 뒷부분 \"%1\"이(가) %2자입니다(%3자까지).")
                                 .arg(row.numberSecond, QString::number(n), QString::number(kSecondPartMost));
    }

    const ColumnMap m_columns;
    const QString m_defaultAffiliation;
    QStringList m_reasons;
};

// The physical line (from 1) of a byte: line ends are LF, CR LF and a lone CR.
int LineOfByte(const QByteArray& bytes, qsizetype at) {
    int line = 1;
    for (qsizetype i = 0; i < at; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

// A NUL is never part of a list: a file saved as UTF-16, or a damaged one.
void RefuseNul(const QByteArray& bytes) {
    const qsizetype at = bytes.indexOf('\0');
    if (at >= 0)
        throw Failure(QStringLiteral("명단 파일 %1행에 NUL 문자(0 바이트)가 있습니다. UTF-16(유니코드 텍스트)으로 "
                                     "저장된 파일이거나 손상된 파일입니다. CSV(쉼표로 분리)로 다시 저장하십시오.")
                          .arg(LineOfByte(bytes, at)));
}

bool HoldsDigit(const CsvRecord& record) {
    return std::any_of(record.fields.begin(), record.fields.end(), [](const QString& f) {
        const QList<uint> points = f.toUcs4();
        return std::any_of(points.begin(), points.end(), [](uint c) { return QChar::isDigit(char32_t(c)); });
    });
}

// The refusal of a first row that is neither a header the program knows nor a member's row.
[[noreturn]] void RefuseUnknownHeader(const CsvRecord& record) {
    QStringList cells, known;
    for (int column = 0; column < record.fields.size(); ++column) {
        cells << QStringLiteral("\"%1\"").arg(record.fields[column].trimmed());
        if (const HeaderWord* w = FindHeaderWord(record.fields[column]))
            known << QStringLiteral("%1열 %2").arg(column + 1).arg(FieldName(w->field));
    }
    throw Failure(QStringLiteral("명단의 첫 줄(%1행)이 머리글인지 회원인지 알 수 없습니다: %2\n"
                                 "알아본 열: %3. 머리글에는 소속, 성명, 회원번호 중 두 열 이상이 있어야 합니다.\n"
                                 "머리글을 고치거나 열을 지정하십시오: 명단 인쇄 창의 \"열 지정\" 또는 "
                                 "hanlabel-batch --columns (예: name=2,number=3; 열 번호는 1부터).")
                      .arg(record.line)
                      .arg(cells.join(QStringLiteral(", ")),
                           known.isEmpty() ? QStringLiteral("없음") : known.join(QStringLiteral(", "))));
}

QString FileKind(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("폴더");
    if (S_ISFIFO(mode))
        return QStringLiteral("이름 있는 파이프");
    if (S_ISSOCK(mode))
        return QStringLiteral("소켓");
    return QStringLiteral("장치");
}

} // namespace

std::optional<ListField> HeaderField(const QString& cell) {
    const HeaderWord* w = FindHeaderWord(cell);
    return w ? std::optional<ListField>(w->field) : std::nullopt;
}

ColumnMap ParseColumnMap(const QString& text) {
    const QStringList parts = text.split(u',');
    const bool pairs = text.contains(u'=');
    ColumnMap map;
    for (int column = 0; column < parts.size(); ++column) {
        const QString part = parts[column].trimmed();
        if (!pairs) {
            if (!part.isEmpty() && part != QLatin1String("-"))
                Assign(map, MappedField(part), column);
            continue;
        }
        const qsizetype eq = part.indexOf(u'=');
        bool ok = false;
        const int number = eq < 0 ? 0 : part.mid(eq + 1).trimmed().toInt(&ok);
        if (eq < 0 || !ok || number < 1)
            throw Failure(
                QStringLiteral("열 지정 \"%1\"은(는) 이름=열번호(1부터) 꼴이어야 합니다. 예: name=2")
                    .arg(part));
        Assign(map, MappedField(part.left(eq)), number - 1);
    }
    for (const ListField required : {ListField::Name, ListField::MemberNumber})
        if (map.*ColumnOf(required) < 0)
            throw Failure(
                QStringLiteral("열 지정에 %1 열이 없습니다: \"%2\"").arg(FieldName(required), text));
    return map;
}

int MemberList::count(RowStatus status) const {
    return int(std::count_if(rows.begin(), rows.end(), [&](const ListRow& r) { return r.status == status; }));
}

int MemberList::sentCount() const {
    return int(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.sent; }));
}

int MemberList::uncertainCount() const {
    return int(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.uncertain; }));
}

namespace {

// The list in the records of a CSV file or of a spreadsheet's sheet.
MemberList ListFromRecords(const CsvTable& table, const ListReadOptions& options) {
    MemberList list;
    list.separator = table.separator;

    // The first record with a value is a header when it names at least two different fields.
    const auto first = std::find_if(table.records.begin(), table.records.end(),
                                    [](const CsvRecord& r) { return !IsEmptyRecord(r); });
    if (first != table.records.end()) {
        const auto [headerColumns, named] = HeaderColumns(first->fields);
        list.hasHeader = named >= 2;
        list.columns = headerColumns;
        // A row without a single digit holds no member number: it names columns, or is no list.
        if (!list.hasHeader && !HoldsDigit(*first)) {
            if (!options.columns)
                RefuseUnknownHeader(*first);
            list.hasHeader = true; // the given mapping says what its columns are
        }
        if (list.hasHeader)
            list.headerLine = first->line;
        if (list.hasHeader && !options.columns)
            for (const ListField required : {ListField::Name, ListField::MemberNumber})
                if (headerColumns.*ColumnOf(required) < 0)
                    throw Failure(QStringLiteral("명단의 머리글(%1행)에 %2 열이 없습니다.")
                                      .arg(first->line)
                                      .arg(FieldName(required)));
    }
    if (options.columns)
        list.columns = *options.columns;
    else if (!list.hasHeader)
        list.columns = ColumnMap{0, 1, 2};

    RowBuilder builder(list.columns, options.defaultAffiliation);
    list.rows.reserve(table.records.size());
    for (auto it = table.records.begin(); it != table.records.end(); ++it) {
        if (IsEmptyRecord(*it))
            ++list.emptyRows;
        else if (!(list.hasHeader && it == first))
            list.rows.append(builder.build(*it));
    }
    return list;
}

} // namespace

MemberList ParseMemberList(const QByteArray& bytes, const ListReadOptions& options) {
    RefuseNul(bytes);
    const ListText decoded = DecodeListText(bytes);
    MemberList list = ListFromRecords(ParseCsv(decoded.text), options);
    list.encoding = decoded.encoding;
    return list;
}

MemberList ReadMemberList(const QString& path, const ListReadOptions& options) {
    const QString name = QFileInfo(path).fileName();
    const auto unreadable = [&](const QString& reason) {
        return Failure(QStringLiteral("명단 파일을 읽을 수 없습니다: %1\n(%2)").arg(name, reason));
    };
    // Opened without blocking so that a named pipe is refused, never waited on.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw unreadable(QString::fromLocal8Bit(std::strerror(errno)));
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw unreadable(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        throw Failure(QStringLiteral("명단은 보통 파일이어야 합니다: %1은(는) %2입니다.").arg(name, FileKind(st.st_mode)));
    const auto tooLarge = [&] {
        return Failure(QStringLiteral("명단 파일이 너무 큽니다: %1 (%2 MB까지 읽습니다). 명단을 나누어 저장하십시오.")
                           .arg(name)
                           .arg(kMostListBytes / (1024 * 1024)));
    };
    if (st.st_size > kMostListBytes)
        throw tooLarge();
    const QByteArray bytes = file.read(kMostListBytes + 1);
    if (bytes.size() > kMostListBytes)
        throw tooLarge();
    if (file.error() != QFileDevice::NoError)
        throw unreadable(file.errorString());
    // The content decides: a spreadsheet saved under another name is still one.
    if (IsSpreadsheetFile(bytes, name))
        return ListFromRecords(ReadSpreadsheet(bytes, name), options);
    return ParseMemberList(bytes, options);
}

QString UncertainText(const ListRow& row) {
    return QStringLiteral("%1행 %2: 보냈는지 알 수 없습니다").arg(row.line).arg(row.name);
}

QString RowErrorText(const ListRow& row) { return QStringLiteral("%1행: %2").arg(row.line).arg(row.error); }

QString ListSummary(const MemberList& list) {
    QString summary = QStringLiteral("준비 %1행, 오류 %2행")
                          .arg(list.count(RowStatus::Ready))
                          .arg(list.count(RowStatus::Error));
    if (const int sent = list.sentCount())
        summary += QStringLiteral(", 보냄 %1행").arg(sent);
    if (const int uncertain = list.uncertainCount())
        summary += QStringLiteral(", 보냈는지 모름 %1행").arg(uncertain);
    if (list.emptyRows)
        summary += QStringLiteral(", 빈 줄 %1개 건너뜀").arg(list.emptyRows);
    return summary;
}

} // namespace hanlabel
