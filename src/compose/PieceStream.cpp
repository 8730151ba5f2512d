#include "compose/PieceStream.h"

#include "core/Cp949.h"

namespace hanlabel {

void PieceStream::write(const QString& piece) { writeBytes(EncodeCp949(piece)); }

void PieceStream::writeBytes(const QByteArray& piece) {
    m_bytes += piece;
    if (m_kind == ChannelKind::Parallel)
        m_bytes += "\r\n";
}

void PieceStream::writeDownload(const QString& piece, const QString& name, const QByteArray& bitmap) {
    const qsizetype begin = m_bytes.size();
    write(piece);
    m_downloads.append({name, bitmap, begin, m_bytes.size()});
}

QString FieldData(const QString& data) {
    if (!data.contains(u'^') && !data.contains(u'~'))
        return QStringLiteral("^FD") + data;
    QString escaped;
    escaped.reserve(data.size() + 8);
    for (QChar c : data) {
        if (c == u'^')
            escaped += QLatin1String("_5E");
        else if (c == u'~')
            escaped += QLatin1String("_7E");
        else if (c == u'_')
            escaped += QLatin1String("_5F");
        else
            escaped += c;
    }
    return QStringLiteral("^FH^FD") + escaped;
}

} // namespace hanlabel
