#pragma once

#include "glyphs/GlyphSource.h"

#include <QWidget>

namespace hanlabel {

// The window's data control over the glyph database: never shown, it owns the glyph source
// that the print jobs look Hangul characters up in.
class DataControl : public QWidget {
    Q_OBJECT
  public:
    explicit DataControl(QWidget* parent = nullptr);

    // Binds the control to a database file; one that cannot be opened is remembered by the source.
    void setDatabaseName(const QString& path);
    QString databaseName() const { return m_source.databasePath(); }

    GlyphSource& source() { return m_source; }

  private:
    GlyphSource m_source;
};

} // namespace hanlabel
