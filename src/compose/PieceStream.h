#pragma once

#include "core/Channel.h"

#include <QByteArray>
#include <QString>

namespace hanlabel {

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

  private:
    ChannelKind m_kind;
    QByteArray m_bytes;
};

// "^FD" and the field data. Data that holds "^" or "~" would start printer commands, so such a
// field is sent as "^FH^FD" with "^", "~" and "_" written as "_5E", "_7E" and "_5F".
QString FieldData(const QString& data);

} // namespace hanlabel
