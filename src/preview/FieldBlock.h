#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace hanlabel::zpl {

// "^FBa,b,c,d,e": a block of text lines.
struct BlockFormat {
    int width = 0;       // a: dots across each line
    int lines = 1;       // b: the most lines; more text overwrites the last
    int spacing = 0;     // c: dots added between lines (taken away when negative)
    char justify = 'L';  // d: L, C, R, or J (the last line left-justified)
    int indent = 0;      // e: dots the second and later lines start further in
};

// One piece of text at its place in the block: x from the block's left, the line it stands on.
struct BlockPiece {
    QString text;
    int x = 0;
    int line = 0;          // 0-based, at most lines - 1
    bool overflow = false; // a line past the last, put on the last
};

// Lays the text into the block: "\&" breaks a line, words wrap at spaces, a word wider than a
// line is cut with a hyphen where the line ends; lines past the last are put on the last line.
QList<BlockPiece> LayoutBlock(const QString& text, const BlockFormat& format,
                              const std::function<int(const QString&)>& width);

} // namespace hanlabel::zpl
