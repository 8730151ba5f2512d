#include "lists/MemberList.h"

#include "core/Failure.h"
#include "lists/Spreadsheet.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

namespace hanlabel {

namespace {

constexpr int kFirstPartMost = 6;  // the member card window's first number box
constexpr int kSecondPartMost = 7; // and its second
// A list file bigger than this is no member list (a CSV of 100,000 members is a few MB).
constexpr qint64 kMostListBytes = 32 * 1024 * 1024;

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
           std::all_of(record.fields.begin(), record.fields.end(),
                       [](const QString& f) { return f.trimmed().isEmpty(); });
}

// The row's own values, hashed: the default affiliation is not part of it.
QByteArray Fingerprint(const QString& affiliation, const QString& name, const QString& number) {
    const QString joined = affiliation + QChar(0x1F) + name + QChar(0x1F) + number;
    return QCryptographicHash::hash(joined.toUtf8(), QCryptographicHash::Sha256).left(8).toHex();
}

// The number of characters (code points) of a text.
int CodePoints(const QString& text) { return int(text.toUcs4().size()); }

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
        const QString where = QStringLiteral("%1열(%2):").arg(column + 1).arg(FieldName(field));
        if (const auto problem = record.cellProblems.constFind(column);
            problem != record.cellProblems.cend()) {
            m_reasons << *problem;
            return {};
        }
        if (column >= record.fields.size()) {
            m_reasons << where + QStringLiteral(" 이 줄에는 이 열이 없습니다.");
            return {};
        }
        const QString text = record.fields[column].trimmed();
        if (text.isEmpty() && field != ListField::Affiliation)
            m_reasons << where + QStringLiteral(" 값이 비어 있습니다.");
        if (text.contains(QChar::ReplacementCharacter))
            m_reasons << where + QStringLiteral(" 코드 페이지 949로 읽을 수 없는 바이트가 있습니다.");
        if (std::any_of(text.begin(), text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; }))
            m_reasons << where + QStringLiteral(" 줄바꿈이나 제어 문자가 있습니다.");
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
        const QString where = QStringLiteral("%1열(%2):")
                                  .arg(m_columns.memberNumber + 1)
                                  .arg(FieldName(ListField::MemberNumber));
        if (const int n = CodePoints(row.numberFirst); n > kFirstPartMost)
            m_reasons << where +
                             QStringLiteral(" 앞부분 \"%1\"이(가) %2자입니다(%3자까지).")
                                 .arg(row.numberFirst, QString::number(n), QString::number(kFirstPartMost));
        if (const int n = CodePoints(row.numberSecond); n > kSecondPartMost)
            m_reasons << where +
                             QStringLiteral(" 뒷부분 \"%1\"이(가) %2자입니다(%3자까지).")
                                 .arg(row.numberSecond, QString::number(n), QString::number(kSecondPartMost));
    }

    const ColumnMap m_columns;
    const QString m_defaultAffiliation;
    QStringList m_reasons;
};

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
    const ListText decoded = DecodeListText(bytes);
    MemberList list = ListFromRecords(ParseCsv(decoded.text), options);
    list.encoding = decoded.encoding;
    return list;
}

MemberList ReadMemberList(const QString& path, const ListReadOptions& options) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    // A pipe or a device could block the dialog for ever or never end; only a regular file is read.
    if (info.exists() && !info.isFile())
        throw Failure(QStringLiteral("명단 파일을 읽을 수 없습니다: %1\n(보통 파일이 아닙니다.)").arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("명단 파일을 읽을 수 없습니다: %1\n(%2)").arg(name, file.errorString()));
    if (file.size() > kMostListBytes)
        throw Failure(QStringLiteral("명단 파일을 읽을 수 없습니다: %1\n(%2 MB보다 큽니다.)")
                          .arg(name)
                          .arg(kMostListBytes / (1024 * 1024)));
    const QByteArray bytes = file.readAll();
    // The content decides: a spreadsheet saved under another name is still one.
    if (IsSpreadsheetFile(bytes, name))
        return ListFromRecords(ReadSpreadsheet(bytes, name), options);
    return ParseMemberList(bytes, options);
}

QString RowErrorText(const ListRow& row) { return QStringLiteral("%1행: %2").arg(row.line).arg(row.error); }

QString ListSummary(const MemberList& list) {
    QString summary = QStringLiteral("준비 %1행, 오류 %2행")
                          .arg(list.count(RowStatus::Ready))
                          .arg(list.count(RowStatus::Error));
    if (const int sent = list.sentCount())
        summary += QStringLiteral(", 보냄 %1행").arg(sent);
    if (list.emptyRows)
        summary += QStringLiteral(", 빈 줄 %1개 건너뜀").arg(list.emptyRows);
    return summary;
}

} // namespace hanlabel
