#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace hanlabel {

// Code page 949 (the Korean ANSI code page) through ICU's "windows-949".
// Never use the name "CP949" here: Qt maps it to a smaller IBM code page.

// The CP949 bytes of one character (a code point), or nothing when CP949 cannot represent it.
std::optional<QByteArray> EncodeCp949Char(char32_t codePoint);

// The whole text in CP949; throws Failure naming the first character CP949 cannot represent.
QByteArray EncodeCp949(const QString& text);

// CP949 bytes as text; undecodable bytes become U+FFFD.
QString DecodeCp949(const QByteArray& bytes);

// CP949 bytes as text; nothing when any byte sequence is not CP949 (binary data, another encoding).
std::optional<QString> DecodeCp949Exactly(const QByteArray& bytes);

} // namespace hanlabel
