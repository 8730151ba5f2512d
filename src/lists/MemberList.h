#pragma once

#include "lists/Csv.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace hanlabel {

// A list of members read from a CSV file or a spreadsheet's first sheet, one member card a row,
// for the list print dialog and the batch command. Reading a list:
//
//     MemberList list = ReadMemberList(path, {window.affiliation, columnsOption});
//     ApplySentMarks(list, SentMarks::Load(SentMarks::PathFor(path)));   // lists/SentMarks.h
//
// then show list.rows (line, affiliation, name, memberNumber, status, error, sent) and compose the
// ready rows (lists/ListCompose.h).

// The values a row gives a card.
enum class ListField { Affiliation, Name, MemberNumber };

// Which column (from 0) holds each value; -1 where the list has none.
struct ColumnMap {
    int affiliation = -1;
    int name = -1;
    int memberNumber = -1;
};

// The field a header cell names ("소속", "성명", "이름", "회원번호", "학번", "번호", "affiliation",
// "department", "name", "member number", "id", ...; case, spaces, "_", "-" and "." do not count),
// or nothing.
std::optional<ListField> HeaderField(const QString& cell);

// A column mapping as an operator or "--columns" writes it, in one of two forms:
//   - field names in the file's column order, "-" or nothing for a column to skip:
//     "name,number", "-,성명,학번", "affiliation,name,number";
//   - field=column pairs, columns counted from 1: "name=2,number=3", "성명=1,회원번호=4,소속=2".
// Field names are those a header may use. Name and member number are required, the affiliation
// may be left out (then it comes from the default). Throws Failure naming what is wrong.
ColumnMap ParseColumnMap(const QString& text);

// How a list is read.
struct ListReadOptions {
    QString defaultAffiliation;       // every card's affiliation when the list has no such column
    std::optional<ColumnMap> columns; // a given mapping; else the header's; else 소속, 성명, 회원번호
};

enum class RowStatus {
    Ready, // the row's values fit a card
    Error, // `error` says why not; the row is never printed
};

// One record of the list that is a card.
struct ListRow {
    int line = 0;         // the physical line (from 1) where the record starts
    QString affiliation;  // the list's value, or the default when the list has no such column
    QString name;         // trimmed
    QString memberNumber; // trimmed, as written
    QString numberFirst;  // the member number up to its first "-", else its first 6 characters
    QString numberSecond; // the rest after the "-", else after the first 6 characters
    RowStatus status = RowStatus::Ready;
    QString error;          // the reasons, in Korean, naming the column: "3열(회원번호): ..."
    QByteArray fingerprint; // of the row's own values, to recognise the row in the marks file
    bool sent = false;      // marked as handed whole to the channel (ApplySentMarks, MarkCardsSent)
    bool uncertain = false; // its card was on its way when a run ended unseen: it may have printed
};

// A list as read.
struct MemberList {
    ListEncoding encoding = ListEncoding::Utf8;
    QChar separator = u',';
    bool hasHeader = false; // the first record named the columns and is no card
    int headerLine = 0;     // the header's line when there is one
    ColumnMap columns;
    QList<ListRow> rows; // every record that is a card, ready or not, in file order
    int emptyRows = 0;   // records without any value (",,,", blank lines), skipped

    int count(RowStatus status) const;
    int sentCount() const;
    int uncertainCount() const;
};

// The largest list file read: a million rows of a registrar's export take about 60 MB.
inline constexpr qint64 kMostListBytes = 100 * 1024 * 1024;

// The list in a file's bytes. Throws Failure when the bytes hold a NUL (naming its line), when a
// header lacks the name or member number column, and, without a given mapping, when the first row
// with a value names fewer than two known columns and holds no member number (a header the
// program does not know: it names the cells and how to map them).
MemberList ParseMemberList(const QByteArray& bytes, const ListReadOptions& options);

// The list in a file: a spreadsheet (.xlsx, .ods; lists/Spreadsheet.h) when its bytes or its name
// say so, else CSV. Throws Failure when the path is no regular file (a named pipe or a device is
// never read), is larger than kMostListBytes, cannot be read or is a spreadsheet that cannot be
// opened, or as ParseMemberList.
MemberList ReadMemberList(const QString& path, const ListReadOptions& options);

// "12행 홍길동: 보냈는지 알 수 없습니다" for a row whose card may or may not have printed.
QString UncertainText(const ListRow& row);

// "12행: 3열(회원번호): ..." for a message or the batch command's error output.
QString RowErrorText(const ListRow& row);

// A one-line Korean summary: how many rows are ready, errors, sent, and empty rows skipped.
QString ListSummary(const MemberList& list);

} // namespace hanlabel
