#include "glyphs/GlyphSource.h"

#include "core/Cp949.h"
#include "core/Failure.h"

#include <QDir>
#include <QFile>

#include <cctype>
#include <memory>
#include <vector>

// glib must come before mdbtools.h, which uses its types without including it.
#include <glib.h>
#include <mdbtools.h>

namespace hanlabel {

namespace {

const char kTableName[] = "HAN24X24";
const char kKeyColumn[] = "HANGUL";
const char kNameColumn[] = "ImageName";
const char kDataColumn[] = "ImageData";
constexpr int kGraphicNameLength = 4;
constexpr int kGlyphHexDigits = 280; // 140 bytes, 4 per row, 35 rows
constexpr size_t kFieldBufferSize = 4096;

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

// libmdb trusts the file it is given, so a file that is not a Jet/ACE database is turned away
// before it gets there.
bool looksLikeAccessFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    return head.size() == 20 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

// Index of the column with this name (Access names are case-insensitive), or -1.
int columnIndex(MdbTableDef* table, const char* name) {
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (g_ascii_strcasecmp(column->name, name) == 0)
            return int(i);
    }
    return -1;
}

// One field of the row just cracked, as UTF-8 text; nothing when it is Null.
std::optional<QByteArray> fieldText(MdbHandle* mdb, MdbTableDef* table, const MdbField& field) {
    if (field.is_null)
        return std::nullopt;
    if (field.siz <= 0)
        return QByteArray(""); // a zero-length text, not Null
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, field.colnum));
    // The same conversion the bound-column path uses; for a memo it follows the long-value pages.
    char* text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz);
    if (!text)
        return QByteArray("");
    QByteArray bytes(text);
    g_free(text);
    return bytes;
}

// The graphic name the printer gets: the stored name filled with blanks or cut to 4 characters.
QString graphicName(const QString& imageName) {
    QList<uint> codePoints = imageName.toUcs4();
    codePoints.resize(qMin<qsizetype>(codePoints.size(), kGraphicNameLength));
    QString name =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()), codePoints.size());
    while (name.toUcs4().size() < kGraphicNameLength)
        name += QLatin1Char(' ');
    return name;
}

bool isGlyphData(const QByteArray& data) {
    if (data.size() != kGlyphHexDigits)
        return false;
    for (const char c : data) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

GlyphSource::GlyphSource() = default;
GlyphSource::~GlyphSource() = default;

// The open database and its glyph table, with the positions of the three columns the glyphs need.
struct GlyphSource::OpenedTable {
    HandlePtr mdb;
    TablePtr table;
    int keyColumn = -1;
    int nameColumn = -1;
    int dataColumn = -1;
};

void GlyphSource::bind(const QString& databasePath) {
    m_path = databasePath;
    m_open = false;
    m_openError.clear();
    m_records.clear();
    m_drawn.clear();
    m_rowCount = 0;

    const std::unique_ptr<OpenedTable> opened = openTable(databasePath);
    if (!opened)
        return;
    readRows(*opened);
    m_open = true;
}

std::unique_ptr<GlyphSource::OpenedTable> GlyphSource::openTable(const QString& databasePath) {
    const QString shown = nativePath(databasePath);
    if (!QFile::exists(databasePath)) {
        m_openError = QStringLiteral("글자 데이터베이스 파일이 없습니다: %1").arg(shown);
        return nullptr;
    }
    if (!looksLikeAccessFile(databasePath)) {
        m_openError =
            QStringLiteral("글자 데이터베이스를 열 수 없습니다 (Access 파일이 아님): %1").arg(shown);
        return nullptr;
    }
    auto opened = std::make_unique<OpenedTable>();
    opened->mdb.reset(mdb_open(QFile::encodeName(databasePath).constData(), MDB_NOFLAGS));
    if (!opened->mdb) {
        m_openError = QStringLiteral("글자 데이터베이스를 열 수 없습니다: %1").arg(shown);
        return nullptr;
    }
    // Each converted field takes a buffer of the bind size (16 KB by default); a glyph field is
    // never near 4 KB, and a longer one is unusable whether cut or not.
    mdb_set_bind_size(opened->mdb.get(), kFieldBufferSize);
    QByteArray tableName(kTableName);
    opened->table.reset(mdb_read_table_by_name(opened->mdb.get(), tableName.data(), MDB_TABLE));
    MdbTableDef* table = opened->table.get();
    if (!table || !mdb_read_columns(table)) {
        m_openError =
            QStringLiteral("글자 데이터베이스에 %1 표가 없습니다: %2").arg(QLatin1String(kTableName), shown);
        return nullptr;
    }
    opened->keyColumn = columnIndex(table, kKeyColumn);
    opened->nameColumn = columnIndex(table, kNameColumn);
    opened->dataColumn = columnIndex(table, kDataColumn);
    if (opened->keyColumn < 0 || opened->nameColumn < 0 || opened->dataColumn < 0) {
        m_openError = QStringLiteral("글자 데이터베이스의 %1 표에 %2, %3, %4 열이 모두 있어야 합니다: %5")
                          .arg(QLatin1String(kTableName), QLatin1String(kKeyColumn),
                               QLatin1String(kNameColumn), QLatin1String(kDataColumn), shown);
        return nullptr;
    }
    return opened;
}

void GlyphSource::readRows(OpenedTable& opened) {
    MdbHandle* mdb = opened.mdb.get();
    MdbTableDef* table = opened.table.get();
    // The whole table is read once in stored order, which is the order FindFirst searches in.
    std::vector<MdbField> fields(table->num_cols + 1);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // mdb_fetch_row leaves the row's page in pg_buf and cur_row just past it; cracking the row
        // again gives each field's Null flag, which the bound-column path loses.
        int rowStart = 0;
        size_t rowSize = 0;
        if (table->cur_row == 0 || mdb_find_row(mdb, int(table->cur_row) - 1, &rowStart, &rowSize) != 0)
            continue;
        rowStart &= 0x1FFF; // the top bits are row flags (deleted, lookup)
        const int cracked = mdb_crack_row(table, rowStart, rowSize, fields.data());
        if (cracked <= 0)
            continue;
        ++m_rowCount;
        std::optional<QByteArray> key, name, data;
        for (int i = 0; i < cracked; ++i) {
            const MdbField& field = fields[size_t(i)];
            if (field.colnum == opened.keyColumn)
                key = fieldText(mdb, table, field);
            else if (field.colnum == opened.nameColumn)
                name = fieldText(mdb, table, field);
            else if (field.colnum == opened.dataColumn)
                data = fieldText(mdb, table, field);
        }
        if (!key)
            continue;
        const QList<uint> keyCodePoints = QString::fromUtf8(*key).toUcs4();
        if (keyCodePoints.size() != 1) // a search is always for one character
            continue;
        const char32_t character = keyCodePoints.front();
        if (m_records.contains(character))
            continue;
        Record record;
        if (name)
            record.name = QString::fromUtf8(*name);
        record.data = data;
        m_records.insert(character, record);
    }
}

int GlyphSource::recordCount() const { return m_rowCount; }

Glyph GlyphSource::lookup(char32_t character) {
    if (!m_open) {
        if (m_openError.isEmpty())
            throw Failure(QStringLiteral("글자 데이터베이스가 연결되지 않았습니다."));
        throw Failure(m_openError);
    }
    if (const auto drawn = m_drawn.constFind(character); drawn != m_drawn.constEnd())
        return *drawn;
    // Only a complete record of a character the printer stream can carry is trusted; anything
    // else is drawn from a font rather than risking another character's glyph.
    const auto found = m_records.constFind(character);
    if (found != m_records.constEnd()) {
        const Record& record = *found;
        const bool usable = record.name && !record.name->trimmed().isEmpty() && record.data &&
                            isGlyphData(*record.data) && EncodeCp949Char(character).has_value();
        if (usable)
            return Glyph{graphicName(*record.name), *record.data, false};
    }
    Glyph glyph = DrawGlyphFromFont(character);
    m_drawn.insert(character, glyph);
    return glyph;
}

} // namespace hanlabel
