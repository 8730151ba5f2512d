#pragma once

#include <QByteArray>
#include <QString>

namespace hanlabel {

// The two kinds of print channel. Exactly "LPT1" selects the parallel port; any other port
// text (also "lpt1" or "COM2") selects serial port 1.
enum class ChannelKind { Parallel, Serial };
ChannelKind ChooseChannel(const QString& portText);

// One job's stream, composed completely before the channel opens. Each piece is written in
// CP949 followed by the channel's line ending: CR LF on the parallel port, nothing on serial.
class PieceStream {
  public:
    explicit PieceStream(ChannelKind kind) : m_kind(kind) {}

    ChannelKind kind() const { return m_kind; }
    // Throws Failure when the piece holds a character CP949 cannot represent.
    void write(const QString& piece);
    void writeBytes(const QByteArray& piece);

    const QByteArray& bytes() const { return m_bytes; }
    int pieceCount() const { return m_pieces; }

  private:
    ChannelKind m_kind;
    QByteArray m_bytes;
    int m_pieces = 0;
};

// "^FD" and the field data. Data that holds "^" or "~" would start printer commands, so such a
// field is sent as "^FH^FD" with "^", "~" and "_" written as "_5E", "_7E" and "_5F".
QString FieldData(const QString& data);

} // namespace hanlabel
