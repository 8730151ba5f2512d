#include "lists/Csv.h"

#include "core/Cp949.h"

#include <QStringDecoder>

namespace hanlabel {

namespace {

// The separator the first line holds more of outside quotes; a comma when there are as many tabs.
QChar DetectSeparator(const QString& text) {
    int commas = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u',')
            ++commas;
        else if (!quoted && c == u'\t')
            ++tabs;
    }
    return tabs > commas ? QChar(u'\t') : QChar(u',');
}

// Reads records one character at a time, counting physical lines.
class CsvReader {
  public:
    CsvReader(const QString& text, QChar separator) : m_text(text), m_separator(separator) {}

    QList<CsvRecord> read() {
        while (m_pos < m_text.size()) {
            m_record = CsvRecord{m_line, {}, false};
            readRecord();
            m_records.append(std::move(m_record));
        }
        return std::move(m_records);
    }

  private:
    // One record up to and including its line end.
    void readRecord() {
        QString field;
        while (true) {
            if (m_pos < m_text.size() && m_text[m_pos] == u'"' && field.isEmpty())
                readQuoted(field);
            if (m_pos >= m_text.size()) {
                m_record.fields.append(field);
                return;
            }
            const QChar c = m_text[m_pos++];
            if (c == m_separator) {
                m_record.fields.append(field);
                field.clear();
            } else if (c == u'\r' || c == u'\n') {
                skipLineEnd(c);
                m_record.fields.append(field);
                return;
            } else {
                field += c; // also text after a closing quote, kept rather than lost
            }
        }
    }

    // A quoted field from its opening quote through its closing one.
    void readQuoted(QString& field) {
        ++m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c == u'"') {
                if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
                    field += u'"';
                    ++m_pos;
                    continue;
                }
                return;
            }
            if (c == u'\r' || c == u'\n') {
                // The line end stays in the field as written; a CR LF counts as one line.
                field += c;
                if (c == u'\r' && m_pos < m_text.size() && m_text[m_pos] == u'\n')
                    field += m_text[m_pos++];
                ++m_line;
                continue;
            }
            field += c;
        }
        m_record.unclosed = true;
    }

    // Steps over the rest of a line end (the LF of a CR LF) and counts the line.
    void skipLineEnd(QChar c) {
        if (c == u'\r' && m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;
        ++m_line;
    }

    const QString& m_text;
    const QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
    CsvRecord m_record;
    QList<CsvRecord> m_records;
};

} // namespace

ListText DecodeListText(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return {text, ListEncoding::Utf8};
    return {DecodeCp949(body), ListEncoding::Cp949};
}

CsvTable ParseCsv(const QString& text) {
    CsvTable table;
    table.separator = DetectSeparator(text);
    table.records = CsvReader(text, table.separator).read();
    return table;
}

} // namespace hanlabel
