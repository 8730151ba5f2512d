#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// glib must come before mdbtools.h, which uses its types without including it.
#include <glib.h>
#include <mdbtools.h>

namespace hanlabel {

// One field of a row: nothing when it is Null, else its text.
using FieldText = std::optional<QString>;

// Whether the table definition libmdb read from an Access 2000 (Jet 4) file holds together: a list
// of num_cols columns with column numbers in range, and a map of the table's pages.
bool TableDefinitionIsConsistent(MdbTableDef* table);

// Reads every live row of a table whose definition is consistent, in stored order, and hands onRow
// the texts of the given columns, which must be text or memo columns. Nothing read from the file is trusted:
// each page, row offset, column count, field and long-value pointer is checked against the page, the row and
// the table definition before libmdb or this code uses it, and the live rows must add up to the definition's
// row count. Returns false, having stopped, when the file does not agree with itself.
bool ReadCheckedRows(MdbHandle* mdb, MdbTableDef* table, qint64 pageCount, const std::vector<int>& columns,
                     const std::function<void(const std::vector<FieldText>&)>& onRow);

} // namespace hanlabel
