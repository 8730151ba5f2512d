#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace hanlabel::zpl {

// One ZPL II command: its prefix, its upper-case code and everything up to the next command.
struct Command {
    char prefix = 0; // '^' or '~'; 0 for stray text between commands
    QByteArray code; // "FO", "DG", ...; "A" for the font command, whose font name opens params
    QByteArray params;
    QByteArray raw; // the command as it stood in the stream
};

// Splits the stream into commands. The printer ignores CR and LF, also inside a command.
std::vector<Command> Tokenize(const QByteArray& stream);

// The comma-separated parameters of a command.
QList<QByteArray> Params(const QByteArray& params);

// Parameter `index` as a number, or the fallback when it is missing or not a number.
int IntParam(const QList<QByteArray>& p, int index, int fallback);
double DoubleParam(const QList<QByteArray>& p, int index, double fallback);

// The first letter of parameter `index`, upper case, or the fallback when it is missing or empty.
char CharParam(const QList<QByteArray>& p, int index, char fallback);

// A command as the caption quotes it, shortened when long.
QString Note(const QByteArray& raw);

// The value of one hexadecimal digit, or -1 for any other character.
int HexNibble(char c);

// Field data with the "^FH" escapes (the indicator and two hexadecimal digits) resolved.
QByteArray ResolveHexEscapes(const QByteArray& data, char indicator);

} // namespace hanlabel::zpl
