#include "glyphs/GlyphSource.h"

#include "core/Cp949.h"
#include "core/Failure.h"

#include "glyphs/CheckedTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <memory>
#include <vector>

namespace hanlabel {

namespace {

const char kTableName[] = "HAN24X24";
const char kKeyColumn[] = "HANGUL";
const char kNameColumn[] = "ImageName";
const char kDataColumn[] = "ImageData";
constexpr int kGraphicNameLength = 4;
constexpr int kGlyphHexDigits = 280; // 140 bytes, 4 per row, 35 rows
constexpr qint64 kPageSize = 4096;   // Access 2000 and later
constexpr int kVersionOffset = 0x14;

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

QString damagedMessage(const QString& path) {
    return QStringLiteral("글자 데이터베이스가 손상되었습니다: %1").arg(nativePath(path));
}

enum class FileKind { NotAccess, Jet3, Jet4OrLater };

// libmdb trusts the file it is given, so a file that is not a Jet/ACE database is turned away
// before it gets there. Jet 3 (Access 97) files keep text in a code page, not in Unicode.
FileKind accessFileKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::NotAccess;
    const QByteArray head = file.read(kVersionOffset + 1);
    if (head.size() != kVersionOffset + 1 ||
        (head.mid(4, 15) != "Standard Jet DB" && head.mid(4, 15) != "Standard ACE DB"))
        return FileKind::NotAccess;
    return head[kVersionOffset] == 0 ? FileKind::Jet3 : FileKind::Jet4OrLater;
}

// A name libmdb keeps in a fixed-size array, read no further than the array.
template <size_t N> QByteArray boundedName(const char (&name)[N]) {
    return QByteArray(name, qstrnlen(name, N));
}

// Index of the column with this name (Access names are case-insensitive), or -1.
int columnIndex(MdbTableDef* table, const char* name) {
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        if (boundedName(column->name).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

// Why libmdb must not be given this file, checked without trusting it; empty when it may be opened.
QString refusalBeforeOpening(const QFileInfo& info) {
    const QString shown = nativePath(info.filePath());
    if (!info.exists())
        return QStringLiteral("글자 데이터베이스 파일이 없습니다: %1").arg(shown);
    // A pipe or device could block the start-up for ever; only a regular file is opened.
    if (!info.isFile())
        return QStringLiteral("글자 데이터베이스를 열 수 없습니다 (일반 파일이 아님): %1").arg(shown);
    switch (accessFileKind(info.filePath())) {
    case FileKind::NotAccess:
        return QStringLiteral("글자 데이터베이스를 열 수 없습니다 (Access 파일이 아님): %1").arg(shown);
    case FileKind::Jet3:
        return QStringLiteral("글자 데이터베이스를 열 수 없습니다 (Access 2000 이후 형식이 아님): %1")
            .arg(shown);
    case FileKind::Jet4OrLater:
        break;
    }
    // A database is a whole number of pages; anything else was cut short or grown by accident.
    if (info.size() % kPageSize != 0)
        return damagedMessage(info.filePath());
    return {};
}

// The catalog entry of the table with this name; nothing when the catalog has none.
std::optional<MdbCatalogEntry*> findTable(GPtrArray* catalog, const char* name) {
    for (unsigned int i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (entry && entry->object_type == MDB_TABLE &&
            boundedName(entry->object_name).compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
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
    qint64 pageCount = 0;
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
    if (!readRows(*opened)) {
        m_openError = damagedMessage(databasePath);
        m_records.clear();
        m_rowCount = 0;
        return;
    }
    m_open = true;
}

std::unique_ptr<GlyphSource::OpenedTable> GlyphSource::openTable(const QString& databasePath) {
    const QString shown = nativePath(databasePath);
    const QFileInfo info(databasePath);
    m_openError = refusalBeforeOpening(info);
    if (!m_openError.isEmpty())
        return nullptr;
    auto opened = std::make_unique<OpenedTable>();
    opened->pageCount = info.size() / kPageSize;
    opened->mdb.reset(mdb_open(QFile::encodeName(databasePath).constData(), MDB_NOFLAGS));
    MdbHandle* mdb = opened->mdb.get();
    if (!mdb) {
        m_openError = QStringLiteral("글자 데이터베이스를 열 수 없습니다: %1").arg(shown);
        return nullptr;
    }
    // Every database lists its own system tables, so an empty or unreadable catalog is damage.
    GPtrArray* catalog = mdb_read_catalog(mdb, MDB_TABLE);
    if (!catalog || catalog->len == 0) {
        m_openError = damagedMessage(databasePath);
        return nullptr;
    }
    const std::optional<MdbCatalogEntry*> entry = findTable(catalog, kTableName);
    if (!entry) {
        m_openError =
            QStringLiteral("글자 데이터베이스에 %1 표가 없습니다: %2").arg(QLatin1String(kTableName), shown);
        return nullptr;
    }
    opened->table.reset(mdb_read_table(*entry));
    MdbTableDef* table = opened->table.get();
    if (!table || !mdb_read_columns(table) || !TableDefinitionIsConsistent(table)) {
        m_openError = damagedMessage(databasePath);
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

bool GlyphSource::readRows(OpenedTable& opened) {
    // The whole table is read once in stored order, which is the order FindFirst searches in.
    const std::vector<int> columns{opened.keyColumn, opened.nameColumn, opened.dataColumn};
    return ReadCheckedRows(opened.mdb.get(), opened.table.get(), opened.pageCount, columns,
                           [this](const std::vector<FieldText>& row) {
                               ++m_rowCount;
                               addRecord(row[0], row[1], row[2]);
                           });
}

void GlyphSource::addRecord(const FieldText& key, const FieldText& name, const FieldText& data) {
    if (!key)
        return;
    const QList<uint> keyCodePoints = key->toUcs4();
    if (keyCodePoints.size() != 1) // a search is always for one character
        return;
    const char32_t character = keyCodePoints.front();
    if (m_records.contains(character))
        return;
    Record record;
    record.name = name;
    if (data)
        record.data = data->toUtf8();
    m_records.insert(character, record);
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
