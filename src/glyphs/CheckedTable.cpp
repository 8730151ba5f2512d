#include "glyphs/CheckedTable.h"

#include <QByteArray>
#include <QSet>
#include <QtEndian>

#include <cstring>

namespace hanlabel {

namespace {

constexpr quint16 kOffsetMask = 0x1FFF;
constexpr quint16 kDeletedRow = 0x4000;
constexpr quint16 kLookupRow = 0x8000; // a pointer to a row moved elsewhere, not a row
constexpr qsizetype kColumnCountSize = 2;
constexpr qsizetype kLongValueHeaderSize = 12; // length and kind, page and row, 4 unused bytes
constexpr quint32 kInlineValue = 0x80;
constexpr quint32 kOnePageValue = 0x40;
constexpr quint32 kPageChainValue = 0x00;
constexpr quint32 kLongValueLengthMask = 0x00FFFFFF;
constexpr qsizetype kLongestValueRead = 64 * 1024; // far beyond any glyph; a longer value is left unread
const char kLongValuePageMark[] = "LVAL";

// Thrown while reading when the file does not agree with itself; ReadCheckedRows answers false.
struct Inconsistent {};

void require(bool condition) {
    if (!condition)
        throw Inconsistent{};
}

quint16 int16At(const unsigned char* bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes + at); }

quint32 int32At(const unsigned char* bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes + at); }

quint32 int32At(const QByteArray& bytes, qsizetype at) {
    return int32At(reinterpret_cast<const unsigned char*>(bytes.constData()), at);
}

MdbColumn* columnAt(MdbTableDef* table, unsigned int index) {
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
}

// Text as Jet 4 stores it: UTF-16LE, or after the mark FF FE "compressed", where each 0 byte
// switches between one byte per character (U+0001..U+00FF) and two.
QString decodeText(const QByteArray& bytes) {
    QString text;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) {
        bool oneByte = true;
        for (qsizetype i = 2; i < bytes.size();) {
            if (bytes[i] == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                text += QChar(uchar(bytes[i++]));
            } else if (i + 1 < bytes.size()) {
                text += QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));
                i += 2;
            } else {
                break; // half a character at the end
            }
        }
        return text;
    }
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8));
    return text;
}

// Reads the rows of the data page libmdb holds in pg_buf, checking everything before use.
class RowReader {
  public:
    RowReader(MdbHandle* mdb, MdbTableDef* table, qint64 pageCount, const std::vector<int>& columns);
    void readPage(const std::function<void(const std::vector<FieldText>&)>& onRow);
    unsigned int liveRows() const { return m_liveRows; }

  private:
    std::vector<FieldText> readRow(qsizetype start, qsizetype end);
    void checkRowLayout(qsizetype start, qsizetype end);
    QByteArray longValue(const QByteArray& header);
    QByteArray longValueRow(quint32 pageRow);

    MdbHandle* m_mdb;
    MdbTableDef* m_table;
    qint64 m_pageCount;
    std::vector<int> m_columns;
    qsizetype m_pageSize;
    qsizetype m_rowCountOffset;
    int m_highestColumnNumber = 0;
    unsigned int m_liveRows = 0;
    std::vector<MdbField> m_fields;
};

RowReader::RowReader(MdbHandle* mdb, MdbTableDef* table, qint64 pageCount, const std::vector<int>& columns)
    : m_mdb(mdb), m_table(table), m_pageCount(pageCount), m_columns(columns), m_pageSize(mdb->fmt->pg_size),
      m_rowCountOffset(mdb->fmt->row_count_offset), m_fields(table->num_cols) {
    require(m_pageSize > 0 && m_pageSize <= MDB_PGSIZE && m_rowCountOffset + 2 <= m_pageSize);
    for (unsigned int i = 0; i < table->num_cols; ++i)
        m_highestColumnNumber = qMax(m_highestColumnNumber, columnAt(table, i)->col_num);
    for (const int column : m_columns) {
        require(column >= 0 && unsigned(column) < table->num_cols);
        const int type = columnAt(table, unsigned(column))->col_type;
        require(type == MDB_TEXT || type == MDB_MEMO);
    }
}

void RowReader::readPage(const std::function<void(const std::vector<FieldText>&)>& onRow) {
    const unsigned char* page = m_mdb->pg_buf;
    const qsizetype rows = int16At(page, m_rowCountOffset);
    const qsizetype firstRowByte = m_rowCountOffset + 2 + 2 * rows;
    require(firstRowByte <= m_pageSize);
    for (qsizetype row = 0; row < rows; ++row) {
        const quint16 entry = int16At(page, m_rowCountOffset + 2 + 2 * row);
        if (entry & (kDeletedRow | kLookupRow))
            continue;
        // A row ends where the one before it in the offset table starts (rows fill the page backwards).
        const qsizetype start = entry & kOffsetMask;
        const qsizetype end = row == 0 ? m_pageSize : int16At(page, m_rowCountOffset + 2 * row) & kOffsetMask;
        require(start >= firstRowByte && start < end && end <= m_pageSize);
        const std::vector<FieldText> texts = readRow(start, end);
        ++m_liveRows;
        onRow(texts);
    }
}

// The column count, null mask and variable-column offsets at both ends of a row must fit in it and
// agree with the table definition before libmdb cracks the row, which checks none of this.
void RowReader::checkRowLayout(qsizetype start, qsizetype end) {
    const unsigned char* page = m_mdb->pg_buf;
    const qsizetype size = end - start;
    require(size >= kColumnCountSize);
    const qsizetype rowColumns = int16At(page, start);
    const qsizetype maskSize = (rowColumns + 7) / 8;
    require(m_highestColumnNumber / 8 < maskSize); // every column's null bit lies in the mask
    require(kColumnCountSize + maskSize <= size);
    if (m_table->num_var_cols == 0)
        return;
    require(kColumnCountSize + maskSize + 2 <= size);
    const qsizetype variableColumns = int16At(page, end - maskSize - 2);
    require(variableColumns <= rowColumns);
    // One offset per variable column and one for the end of the data, read backwards.
    require(end - maskSize - 4 - 2 * variableColumns >= start + kColumnCountSize);
}

std::vector<FieldText> RowReader::readRow(qsizetype start, qsizetype end) {
    checkRowLayout(start, end);
    const int cracked = mdb_crack_row(m_table, int(start), size_t(end - start), m_fields.data());
    require(cracked == int16At(m_mdb->pg_buf, start));
    std::vector<FieldText> texts;
    for (const int column : m_columns) {
        const MdbField& field = m_fields[size_t(column)];
        require(field.colnum == column);
        if (field.is_null) {
            texts.push_back(std::nullopt);
            continue;
        }
        require(field.siz >= 0 && field.start >= start + kColumnCountSize && field.start + field.siz <= end);
        QByteArray bytes(reinterpret_cast<const char*>(m_mdb->pg_buf) + field.start, field.siz);
        if (columnAt(m_table, unsigned(column))->col_type == MDB_MEMO)
            bytes = longValue(bytes);
        texts.push_back(decodeText(bytes));
    }
    return texts;
}

// The bytes of a memo field from its 12-byte header: kept in the row, on one long-value page, or
// in a chain of them. A value longer than any glyph is not read and comes back empty.
QByteArray RowReader::longValue(const QByteArray& header) {
    require(header.size() >= kLongValueHeaderSize);
    const quint32 kind = int32At(header, 0) >> 24;
    const qsizetype length = int32At(header, 0) & kLongValueLengthMask;
    if (kind == kInlineValue) {
        require(header.size() - kLongValueHeaderSize == length);
        return header.mid(kLongValueHeaderSize);
    }
    require(header.size() == kLongValueHeaderSize);
    if (length > kLongestValueRead)
        return {};
    const quint32 firstRow = int32At(header, 4);
    if (kind == kOnePageValue) {
        const QByteArray value = longValueRow(firstRow);
        require(value.size() == length);
        return value;
    }
    require(kind == kPageChainValue);
    // Each part starts with the page and row of the next; a part seen twice would loop forever.
    QByteArray value;
    QSet<quint32> seen;
    for (quint32 next = firstRow; next != 0;) {
        require(!seen.contains(next));
        seen.insert(next);
        const QByteArray part = longValueRow(next);
        require(part.size() > 4);
        next = int32At(part, 0);
        value += part.mid(4);
        require(value.size() <= length);
    }
    require(value.size() == length);
    return value;
}

// One row of a long-value page, given as page number << 8 | row number.
QByteArray RowReader::longValueRow(quint32 pageRow) {
    const quint32 pageNumber = pageRow >> 8;
    const qsizetype row = pageRow & 0xFF;
    require(pageNumber > 0 && pageNumber < m_pageCount);
    void* buffer = nullptr;
    int offset = 0;
    size_t length = 0;
    require(mdb_find_pg_row(m_mdb, int(pageRow), &buffer, &offset, &length) == 0);
    const unsigned char* page = m_mdb->alt_pg_buf;
    require(buffer == page);
    require(page[0] == MDB_PAGE_DATA && std::memcmp(page + 4, kLongValuePageMark, 4) == 0);
    const qsizetype rows = int16At(page, m_rowCountOffset);
    require(row < rows && m_rowCountOffset + 2 + 2 * rows <= offset);
    require(offset >= 0 && qsizetype(length) <= m_pageSize - offset);
    return QByteArray(reinterpret_cast<const char*>(page) + offset, qsizetype(length));
}

} // namespace

bool TableDefinitionIsConsistent(MdbTableDef* table) {
    if (!table->columns || table->num_cols == 0 || table->num_cols > MDB_MAX_COLS ||
        table->columns->len != table->num_cols)
        return false;
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const MdbColumn* column = columnAt(table, i);
        if (!column || column->col_num < 0 || column->col_num >= MDB_MAX_COLS)
            return false;
    }
    return table->usage_map && table->map_sz > 0;
}

bool ReadCheckedRows(MdbHandle* mdb, MdbTableDef* table, qint64 pageCount, const std::vector<int>& columns,
                     const std::function<void(const std::vector<FieldText>&)>& onRow) {
    try {
        require(!IS_JET3(mdb));
        RowReader reader(mdb, table, pageCount, columns);
        mdb_rewind_table(table);
        // libmdb hands out the table's pages in ascending order; anything else is a damaged map.
        qint64 previousPage = 0;
        for (int page = mdb_read_next_dpg(table); page != 0; page = mdb_read_next_dpg(table)) {
            require(page > previousPage && page <= pageCount);
            previousPage = page;
            reader.readPage(onRow);
        }
        require(reader.liveRows() == table->num_rows);
        return true;
    } catch (const Inconsistent&) {
        return false;
    }
}

} // namespace hanlabel
