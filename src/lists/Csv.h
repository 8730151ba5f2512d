#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace hanlabel {

// The encoding a list file was read in.
enum class ListEncoding { Utf8, Cp949 };

// A list file's text, decoded once after a UTF-8 byte-order mark (some programs put one before code
// page 949 text too): a valid UTF-8 body is UTF-8, anything else code page 949.
struct ListText {
    QString text;
    ListEncoding encoding = ListEncoding::Utf8;
};
ListText DecodeListText(const QByteArray& bytes);

// One record of a CSV file.
struct CsvRecord {
    int line = 0;          // the physical line (from 1) where the record starts
    QStringList fields;    // as written, quotes resolved
    bool unclosed = false; // a quoted field runs to the end of the file
    // Cells whose shown text could not be told (a spreadsheet's), by column: the reason, naming the cell.
    QMap<int, QString> cellProblems = {};
};

// A CSV file split into records.
struct CsvTable {
    QChar separator = u',';
    QList<CsvRecord> records;
};

// Splits text as RFC 4180 does, separated by commas or tabs (whichever the first line holds more of
// outside quotes). Lines end with CR LF, LF or a lone CR; a quoted field may hold separators, doubled
// quotes and line ends. A line end right before the end of the text closes the last record and
// starts none; every other line, blank ones too, is a record.
CsvTable ParseCsv(const QString& text);

} // namespace hanlabel
