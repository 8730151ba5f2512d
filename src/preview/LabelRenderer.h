#pragma once

#include "preview/Barcodes.h"
#include "preview/FieldBlock.h"
#include "preview/PrinterFont.h"
#include "preview/SerialNumbers.h"
#include "preview/ZplRenderer.h"
#include "preview/ZplTokenizer.h"

#include <QHash>
#include <QPainter>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace hanlabel::zpl {

// Canvas length while the length is unknown; cropped to the content afterwards.
inline constexpr int kOpenLength = 2436;

enum class FieldKind { Text, Code128, Code39, Unsupported };

// What the commands of one field (up to its "^FS") have said so far.
struct Field {
    FieldKind kind = FieldKind::Text;
    bool hasFont = false;
    char fontName = 0;                // "^A": 0 for the "^CF" font
    int fontHeight = 0, fontWidth = 0; // as "^A" asks; 0 where it does not
    char orientation = 0; // of its font or barcode command; 0 until one names it
    bool fontBeforeBarcode = false; // a font command before "^BC"/"^B3": its interpretation line's
    std::optional<BlockFormat> block; // "^FB"
    bool hex = false;
    char hexIndicator = '_';
    bool hasData = false;
    QByteArray data;
    bool serial = false;
    QString serialMask, serialIncrement;
    QByteArray graphic;
    int graphicMx = 1, graphicMy = 1;
    bool box = false;
    QList<QByteArray> boxParams;
    QList<QByteArray> barcodeParams;
    QByteArray barcodeRaw;
};

// Room around a field's area in its picture, for ink that reaches past the cell.
int Margin(int height);
// A transparent picture to paint one field into.
QImage FieldCanvas(int width, int height);
// The painter of a field picture: black ink, dots either set or not.
void PreparePainter(QPainter& painter);

// One field painted in its own unrotated frame, before it is turned and placed on the label.
struct FieldPicture {
    QImage image; // transparent where the field leaves the label as it is
    QRect box;    // the field's area in the picture: what "^FO" places at its origin
    QPoint origin; // the point "^FT" places at its origin: the text's baseline or the bars' base, at the left
};

// Where the first label format stands among the commands: the places of its "^XA" and "^XZ",
// each the number of commands when it is missing.
struct FormatSpan {
    size_t begin, end;
};

// The virtual printer: draws the first label format of a stream onto a picture of the label.
class LabelRenderer {
  public:
    PreviewResult run(const QByteArray& stream);

  private:
    using Handler = void (LabelRenderer::*)(const Command&, const QList<QByteArray>&);

    // LabelRenderer.cpp: the canvas and the run through the stream.
    void openCanvas(int width, int length);
    void runCommands(const std::vector<Command>& commands, FormatSpan format);
    QImage croppedLabel() const;

    // LabelCommands.cpp: one handler a command, found in a table by the command's code.
    static Handler handlerFor(const QByteArray& code);
    void execute(const Command& cmd);
    void skip(const Command& cmd);
    void download(const Command& cmd);
    void setHome(const Command& cmd, const QList<QByteArray>& p);
    void setOrigin(const Command& cmd, const QList<QByteArray>& p);
    void setTypeset(const Command& cmd, const QList<QByteArray>& p);
    void noteJustification(const Command& cmd, const QList<QByteArray>& p);
    void setDefaultOrientation(const Command& cmd, const QList<QByteArray>& p);
    void setFont(const Command& cmd, const QList<QByteArray>& p);
    void setDefaultFont(const Command& cmd, const QList<QByteArray>& p);
    void setBlock(const Command& cmd, const QList<QByteArray>& p);
    void changeCharacterSet(const Command& cmd, const QList<QByteArray>& p);
    void setData(const Command& cmd, const QList<QByteArray>& p);
    void setHexIndicator(const Command& cmd, const QList<QByteArray>& p);
    void setSerial(const Command& cmd, const QList<QByteArray>& p);
    void setBarDefaults(const Command& cmd, const QList<QByteArray>& p);
    void setBarcode(const Command& cmd, const QList<QByteArray>& p);
    void setGraphic(const Command& cmd, const QList<QByteArray>& p);
    void setBox(const Command& cmd, const QList<QByteArray>& p);
    void setQuantity(const Command& cmd, const QList<QByteArray>& p);
    void endField(const Command& cmd, const QList<QByteArray>& p);
    void readBeforeDrawing(const Command& cmd, const QList<QByteArray>& p);

    // LabelDrawing.cpp: the field drawn once its "^FS" comes.
    void finishField();
    std::optional<FieldPicture> paintBarcode(const QByteArray& data);
    std::optional<FieldPicture> paintGraphic();
    FieldPicture paintBox() const;
    // Turns the field to its orientation and puts it at the field origin; returns where it landed.
    QRect place(const FieldPicture& field, char orientation);
    void mark(const QRect& area);

    // LabelText.cpp: text fields in the printer's fonts, also as a block of lines.
    TextFace fieldFace();
    void drawTextField(const QByteArray& bytes);
    FieldPicture paintText(const QString& text, const TextFace& face);
    FieldPicture paintBlock(const QString& text, const TextFace& face, const BlockFormat& format);

    // LabelNotes.cpp: what the caption says, in words for the operator and in ZPL behind "자세히".
    void note(const QString& words, const QString& detail = QString());
    void noteCodePage(const QByteArray& bytes);
    void noteClearNumbers();

    PreviewResult m_result;
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    PrinterFont m_font;
    QRect m_label;
    bool m_lengthGiven = false;
    int m_contentBottom = 0;
    int m_homeX = 0, m_homeY = 0, m_originX = 0, m_originY = 0;
    bool m_typeset = false;           // the origin came from "^FT"
    QPoint m_nextTypeset;             // where "^FT" without coordinates goes: after the last text field
    char m_defaultOrientation = 'N';  // "^FW"
    bool m_characterSetChanged = false; // "^CI": bytes above 127 may print otherwise than drawn
    BarDefaults m_bars;
    char m_defaultFontName = 'A'; // "^CF": font A, 9 x 5, until a format names another
    int m_defaultFontHeight = 9, m_defaultFontWidth = 5;
    Field m_field;
    QHash<QByteArray, QImage> m_graphics;
    std::vector<SerialField> m_serials; // described once the quantity is known
    QStringList m_texts;                // text printed in the printer's font, for the star mask note
    QStringList m_barcodeLines;         // interpretation lines printed under or over a barcode
};

} // namespace hanlabel::zpl
