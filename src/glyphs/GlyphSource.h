#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>

namespace hanlabel {

// What the printer gets for one Hangul character: a graphic name of exactly 4 characters and
// the 280 hex digits of a 32 x 35 dot bitmap (the data part of "~DG<name>,140,4,").
struct Glyph {
    QString name;
    QByteArray data;
    bool fromFont = false; // drawn from an installed font because the database had no usable record
};

// The glyph database (table HAN24X24 of an Access 2000 file), read once when bound and then
// answered from memory. The first row with a matching HANGUL wins, as FindFirst would.
class GlyphSource {
  public:
    GlyphSource();
    ~GlyphSource();
    GlyphSource(const GlyphSource&) = delete;
    GlyphSource& operator=(const GlyphSource&) = delete;

    // Loads the table of the database file. A file that cannot be read, or that does not agree
    // with itself (damaged), is remembered, not thrown: jobs whose text is all ASCII still print.
    void bind(const QString& databasePath);
    QString databasePath() const { return m_path; }
    bool isOpen() const { return m_open; }
    int recordCount() const;

    // The glyph of one character. A character without a usable record (none, a Null or empty
    // field, data that is not exactly 280 hex digits) or outside CP949 is drawn from an installed
    // Korean font. Throws Failure when the database could not be opened or is damaged, or when no
    // font has the character.
    Glyph lookup(char32_t character);

  private:
    struct Record {
        std::optional<QString> name;    // ImageName as stored; nothing when the field is Null
        std::optional<QByteArray> data; // ImageData as stored; nothing when the field is Null
    };
    struct OpenedTable;
    // Opens the file and its glyph table; nothing when that fails, with the reason in m_openError.
    std::unique_ptr<OpenedTable> openTable(const QString& databasePath);
    // Reads every row of the opened table into m_records, the first row per character; false when
    // the file does not agree with itself.
    bool readRows(OpenedTable& opened);
    void addRecord(const std::optional<QString>& key, const std::optional<QString>& name,
                   const std::optional<QString>& data);
    QString m_path;
    bool m_open = false;
    QString m_openError;
    int m_rowCount = 0;
    QHash<char32_t, Record> m_records; // first row per key only
    QHash<char32_t, Glyph> m_drawn;    // font glyphs already drawn
};

// Draws a character from an installed Korean font into the 32 x 35 cell of the database glyphs
// (bold, about 24 dots, no antialiasing, the same baseline). Throws Failure when no installed
// font has the character.
Glyph DrawGlyphFromFont(char32_t character);

// The 4-character graphic name of a font-drawn glyph; never a CP949 hex code like "B0A1".
QString FontGlyphName(char32_t character);

} // namespace hanlabel
