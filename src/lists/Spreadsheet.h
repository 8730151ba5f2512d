#pragma once

#include "lists/Csv.h"

#include <QByteArray>
#include <QString>

namespace hanlabel {

// Whether a list file is to be read as a spreadsheet: its bytes are a zip or an OLE compound file
// (a password-protected .xlsx, an old .xls), whatever its name, or its name ends in .xlsx, .xlsm
// or .ods, whatever its bytes (a CSV merely renamed is then refused, not misread), or it is a web
// page named .xls (refused too). Text named .xls, as library systems export it, is a CSV list.
bool IsSpreadsheetFile(const QByteArray& bytes, const QString& fileName);

// The first sheet of an .xlsx or .ods file as the records a CSV file gives: one record a sheet row
// (`line` is the row number), each cell the text a person sees in it, every record as wide as the
// sheet's widest row; rows without a value between two with values are empty records, rows after
// the last value are left out. An .xlsx number is shown as its format shows it (General, a format
// of zeros such as 0000000000, text @); a cell whose shown text cannot be told that way is empty,
// with the reason in the record's cellProblems. Other sheets are not read.
// Throws Failure naming the file when it is no spreadsheet that can be read: protected, damaged,
// another kind of zip, not a zip at all, or too big.
CsvTable ReadSpreadsheet(const QByteArray& bytes, const QString& fileName);

// A cell's name as a spreadsheet shows it: row 12 (from 1), column 2 (from 0) is "C12".
QString CellName(int row, int column);

} // namespace hanlabel
