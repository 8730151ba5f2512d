#pragma once

#include "core/Channel.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace hanlabel {

// How a stream carries the bitmaps of its glyphs: plain hexadecimal (the label windows, a list
// whose every card downloads its glyphs) or compressed (a list that downloads each glyph once).
enum class GraphicData { Plain, Compressed };

// A graphic download within a stream, so that a list can leave it out where the printer already
// holds the graphic.
struct GraphicDownload {
    QString name;      // the name it is stored and recalled under
    QByteArray bitmap; // its plain hexadecimal data: the same name with other data is another graphic
    qsizetype begin = 0, end = 0; // the piece in the stream, with its line ending
};

// One job's stream, composed completely before the channel opens. Each piece is written in
// CP949 followed by the channel's line ending: CR LF on the parallel port, nothing on serial.
class PieceStream {
  public:
    explicit PieceStream(ChannelKind kind, GraphicData graphics = GraphicData::Plain)
        : m_kind(kind), m_graphics(graphics) {}

    ChannelKind kind() const { return m_kind; }
    GraphicData graphicData() const { return m_graphics; }
    // Throws Failure when the piece holds a character CP949 cannot represent.
    void write(const QString& piece);
    void writeBytes(const QByteArray& piece);
    // A piece that downloads the graphic `name` with the plain data `bitmap`; noted in downloads().
    void writeDownload(const QString& piece, const QString& name, const QByteArray& bitmap);

    const QByteArray& bytes() const { return m_bytes; }
    const QList<GraphicDownload>& downloads() const { return m_downloads; }

  private:
    ChannelKind m_kind;
    GraphicData m_graphics;
    QByteArray m_bytes;
    QList<GraphicDownload> m_downloads;
};

// "^FD" and the field data. Data that holds "^" or "~" would start printer commands, so such a
// field is sent as "^FH^FD" with "^", "~" and "_" written as "_5E", "_7E" and "_5F".
QString FieldData(const QString& data);

} // namespace hanlabel
