#include "preview/ZplTokenizer.h"

#include <algorithm>
#include <cctype>

namespace hanlabel::zpl {

namespace {

constexpr int kNoteLength = 48;

// The stream without carriage returns and line feeds.
QByteArray WithoutLineBreaks(const QByteArray& stream) {
    QByteArray s;
    s.reserve(stream.size());
    for (const char c : stream)
        if (c != '\r' && c != '\n')
            s += c;
    return s;
}

// Reads the prefix and code of the command at `i`; returns where its parameters start.
qsizetype ReadCode(const QByteArray& s, qsizetype i, Command* cmd) {
    const qsizetype n = s.size();
    if (s[i] != '^' && s[i] != '~')
        return i;
    cmd->prefix = s[i];
    const qsizetype j = i + 1;
    // The font command takes one letter; the font name that follows is a parameter.
    if (cmd->prefix == '^' && j < n && (s[j] == 'A' || s[j] == 'a')) {
        cmd->code = "A";
        return j + 1;
    }
    const qsizetype len = std::min<qsizetype>(2, n - j);
    cmd->code = s.mid(j, len).toUpper();
    return j + len;
}

// Parameter `index` converted to a number, or the fallback when it is missing or no number.
template <typename T, typename Convert>
T NumberParam(const QList<QByteArray>& p, int index, T fallback, Convert convert) {
    if (index >= p.size())
        return fallback;
    bool ok = false;
    const T value = convert(p[index].trimmed(), &ok);
    return ok ? value : fallback;
}

} // namespace

std::vector<Command> Tokenize(const QByteArray& stream) {
    const QByteArray s = WithoutLineBreaks(stream);
    std::vector<Command> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        Command cmd;
        const qsizetype j = ReadCode(s, i, &cmd);
        qsizetype end = j;
        while (end < n && s[end] != '^' && s[end] != '~')
            ++end;
        cmd.params = s.mid(j, end - j);
        cmd.raw = s.mid(i, end - i);
        out.push_back(std::move(cmd));
        i = end;
    }
    return out;
}

QList<QByteArray> Params(const QByteArray& params) { return params.split(','); }

int IntParam(const QList<QByteArray>& p, int index, int fallback) {
    return NumberParam(p, index, fallback, [](const QByteArray& t, bool* ok) { return t.toInt(ok); });
}

double DoubleParam(const QList<QByteArray>& p, int index, double fallback) {
    return NumberParam(p, index, fallback, [](const QByteArray& t, bool* ok) { return t.toDouble(ok); });
}

char CharParam(const QList<QByteArray>& p, int index, char fallback) {
    if (index >= p.size())
        return fallback;
    const QByteArray t = p[index].trimmed();
    return t.isEmpty() ? fallback : char(std::toupper(static_cast<unsigned char>(t[0])));
}

QString Note(const QByteArray& raw) {
    QString text = QString::fromLatin1(raw);
    if (text.size() > kNoteLength)
        text = text.left(kNoteLength) + QStringLiteral("…");
    return text;
}

int HexNibble(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray ResolveHexEscapes(const QByteArray& d, char indicator) {
    QByteArray bytes;
    for (qsizetype i = 0; i < d.size(); ++i) {
        if (d[i] == indicator && i + 2 < d.size() && HexNibble(d[i + 1]) >= 0 && HexNibble(d[i + 2]) >= 0) {
            bytes += char(HexNibble(d[i + 1]) * 16 + HexNibble(d[i + 2]));
            i += 2;
        } else {
            bytes += d[i];
        }
    }
    return bytes;
}

} // namespace hanlabel::zpl
