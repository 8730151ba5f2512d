#include "lists/Spreadsheet.h"

#include "core/Failure.h"

#include <QBuffer>
#include <QHash>
#include <QXmlStreamReader>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace hanlabel {

namespace {

// The largest sheet a spreadsheet program makes: rows from 1, columns from 0 (A..XFD).
constexpr int kMostRows = 1048576;
constexpr int kMostColumns = 16384;
// A member list is a few thousand rows; these keep a crafted file (a zip bomb, a row repeated a
// million times) from taking the desk's memory.
constexpr qint64 kMostPartBytes = 64 * 1024 * 1024;
constexpr qint64 kMostCells = 2000000;
// Excel shows 15 significant digits of a number; beyond them its digits are not the ones typed.
constexpr int kShownDigits = 15;

const QByteArray kZipMagic("PK\x03\x04", 4);
const QByteArray kEmptyZipMagic("PK\x05\x06", 4);
const QByteArray kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

[[noreturn]] void Refuse(const QString& fileName, const QString& reason) {
    throw Failure(QStringLiteral("명단 파일을 읽을 수 없습니다: %1\n(%2)").arg(fileName, reason));
}

bool HasSuffix(const QString& fileName, const char* suffix) {
    return fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// ---- The grid of shown texts, kept sparse until the end ------------------------------------------

struct SheetCell {
    QString text;
    QString problem; // why the shown text could not be told; the text is then empty
};

class SheetGrid {
  public:
    explicit SheetGrid(const QString& fileName) : m_fileName(fileName) {}

    // Keeps a cell that shows something (or could not be read); empty cells take no room.
    void put(int row, int column, SheetCell cell) {
        if (cell.text.isEmpty() && cell.problem.isEmpty())
            return;
        if (row < 1 || row > kMostRows || column < 0 || column >= kMostColumns)
            Refuse(m_fileName,
                   QStringLiteral("시트의 셀 위치가 올바르지 않습니다(%1행 %2열).").arg(row).arg(column + 1));
        if (++m_cells > kMostCells)
            tooBig();
        m_rows[row][column] = std::move(cell);
        m_width = std::max(m_width, column + 1);
    }

    CsvTable table() const {
        CsvTable table;
        if (m_rows.isEmpty())
            return table;
        const int last = m_rows.lastKey();
        if (qint64(last) * m_width > kMostCells)
            tooBig();
        table.records.reserve(last);
        for (int row = 1; row <= last; ++row) {
            CsvRecord record;
            record.line = row;
            const auto cells = m_rows.constFind(row);
            if (cells != m_rows.cend()) {
                record.fields.resize(m_width);
                for (auto c = cells->cbegin(); c != cells->cend(); ++c) {
                    record.fields[c.key()] = c->text;
                    if (!c->problem.isEmpty())
                        record.cellProblems.insert(c.key(), c->problem);
                }
            }
            // A row without values stays without fields, as a blank line of a CSV file.
            table.records.append(record);
        }
        return table;
    }

  private:
    [[noreturn]] void tooBig() const {
        Refuse(m_fileName, QStringLiteral("시트가 너무 큽니다(셀 %1개까지 읽습니다).").arg(kMostCells));
    }

    const QString m_fileName;
    QMap<int, QMap<int, SheetCell>> m_rows;
    int m_width = 0;
    qint64 m_cells = 0;
};

// ---- The zip ------------------------------------------------------------------------------------

// The parts of a zip, read whole, with the reasons a part cannot be read named for the operator.
class ZipParts {
  public:
    ZipParts(const QByteArray& bytes, const QString& fileName)
        : m_buffer(), m_zip(&m_buffer), m_fileName(fileName) {
        m_buffer.setData(bytes);
        if (!m_zip.open(QuaZip::mdUnzip))
            damaged();
    }

    bool has(const QString& part) {
        return !part.isEmpty() && m_zip.setCurrentFile(part, QuaZip::csInsensitive);
    }

    // A part's bytes; nothing when the zip has no such part.
    std::optional<QByteArray> read(const QString& part) {
        if (!has(part))
            return std::nullopt;
        QuaZipFileInfo64 info;
        if (!m_zip.getCurrentFileInfo(&info))
            damaged();
        if (info.uncompressedSize > quint64(kMostPartBytes))
            Refuse(m_fileName, QStringLiteral("%1 부분이 너무 큽니다(%2 MB까지 읽습니다).")
                                   .arg(part)
                                   .arg(kMostPartBytes / (1024 * 1024)));
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly))
            damaged();
        // One byte more than the directory says is asked for: a part longer than it says is damaged.
        QByteArray data = file.read(qint64(info.uncompressedSize) + 1);
        const bool readFailed = file.getZipError() != UNZ_OK;
        file.close();
        // Closing checks the part's CRC.
        if (readFailed || file.getZipError() != UNZ_OK ||
            qint64(data.size()) != qint64(info.uncompressedSize))
            damaged();
        return data;
    }

    [[noreturn]] void damaged() const {
        Refuse(m_fileName,
               QStringLiteral("zip 파일이 손상되었습니다. 스프레드시트 프로그램에서 다시 저장하십시오."));
    }

  private:
    QBuffer m_buffer;
    QuaZip m_zip;
    const QString m_fileName;
};

// ---- XML helpers ----------------------------------------------------------------------------------

// An attribute by its local name, whatever its prefix (Office writes two namespace families).
QString Attribute(const QXmlStreamReader& xml, QStringView name) {
    for (const QXmlStreamAttribute& a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return {};
}

// Steps to the next start element inside the current one; false at its end.
bool NextChild(QXmlStreamReader& xml) { return xml.readNextStartElement(); }

// Reports a part that is not well-formed XML.
void CheckXml(const QXmlStreamReader& xml, const QString& fileName, const QString& part) {
    if (xml.hasError())
        Refuse(fileName, QStringLiteral("%1 부분이 손상되었습니다(%2행: %3).")
                             .arg(part)
                             .arg(xml.lineNumber())
                             .arg(xml.errorString()));
}

// A zero-based column from the letters of a cell reference ("C12" → 2); -1 when it has none.
int ColumnOfReference(QStringView reference) {
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters == 0 ? -1 : column - 1;
}

// ---- .xlsx --------------------------------------------------------------------------------------

// A relationship's target as a part name: relative to the folder of the part that points to it.
QString ResolvePart(const QString& fromPart, const QString& target) {
    QStringList path;
    if (!target.startsWith(u'/')) {
        path = fromPart.split(u'/');
        path.removeLast();
    }
    for (const QString& step : target.split(u'/', Qt::SkipEmptyParts)) {
        if (step == QLatin1String(".."))
            path.isEmpty() ? void() : path.removeLast();
        else if (step != QLatin1String("."))
            path << step;
    }
    return path.join(u'/');
}

// The rels part beside a part: "xl/workbook.xml" → "xl/_rels/workbook.xml.rels".
QString RelsPartOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

struct Relationship {
    QString type; // the last word of the type URI: "officeDocument", "worksheet", "styles", ...
    QString part;
};

// The relationships of a part by id, their targets resolved; none when the part has no rels.
QHash<QString, Relationship> ReadRelationships(ZipParts& zip, const QString& fromPart,
                                               const QString& fileName) {
    QHash<QString, Relationship> rels;
    const QString relsPart = fromPart.isEmpty() ? QStringLiteral("_rels/.rels") : RelsPartOf(fromPart);
    const std::optional<QByteArray> data = zip.read(relsPart);
    if (!data)
        return rels;
    QXmlStreamReader xml(*data);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        if (Attribute(xml, u"TargetMode") == QLatin1String("External"))
            continue;
        const QString type = Attribute(xml, u"Type");
        rels.insert(Attribute(xml, u"Id"),
                    {type.mid(type.lastIndexOf(u'/') + 1), ResolvePart(fromPart, Attribute(xml, u"Target"))});
    }
    CheckXml(xml, fileName, relsPart);
    return rels;
}

QString PartOfType(const QHash<QString, Relationship>& rels, QStringView type) {
    for (const Relationship& r : rels)
        if (r.type == type)
            return r.part;
    return {};
}

// Office escapes characters XML cannot hold as _xHHHH_ ("_x000D_" is a CR, "_x005F_" an underscore).
QString UnescapeOfficeText(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    const auto hex = [](QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_' &&
            std::all_of(text.begin() + i + 2, text.begin() + i + 6, hex)) {
            out += QChar(text.mid(i + 2, 4).toUShort(nullptr, 16));
            i += 6;
            continue;
        }
        out += text[i];
    }
    return out;
}

// The <t> runs of a string item or of its rich-text runs (<r>), without the phonetic guides (<rPh>).
QString ReadRuns(QXmlStreamReader& xml) {
    QString text;
    while (NextChild(xml)) {
        if (xml.name() == u"t")
            text += xml.readElementText();
        else if (xml.name() == u"r")
            text += ReadRuns(xml);
        else
            xml.skipCurrentElement();
    }
    return text;
}

// The text of a string item (<si>, <is>).
QString ReadStringItem(QXmlStreamReader& xml) { return UnescapeOfficeText(ReadRuns(xml)); }

QStringList ReadSharedStrings(ZipParts& zip, const QString& part, const QString& fileName) {
    QStringList strings;
    const std::optional<QByteArray> data = zip.read(part);
    if (!data)
        return strings;
    QXmlStreamReader xml(*data);
    if (NextChild(xml))
        while (NextChild(xml)) {
            if (xml.name() == u"si")
                strings << ReadStringItem(xml);
            else
                xml.skipCurrentElement();
        }
    CheckXml(xml, fileName, part);
    return strings;
}

// A cell style's number format.
struct NumberFormat {
    QString code = QStringLiteral("General"); // as the file writes it; empty for an unknown built-in one
    QString description = {};                 // for a message: "#,##0", 14번(기본 제공)
};

// What one section of a format shows of a member number.
struct FormatSection {
    enum Kind { General, Zeros, Text, Other } kind = Other;
    int width = 0; // Zeros: the digits shown at least
};

bool IsColourTag(const QString& tag) {
    static const QStringList colours = {"Black",   "Blue", "Cyan",  "Green",
                                        "Magenta", "Red",  "White", "Yellow"};
    return colours.contains(tag, Qt::CaseInsensitive) ||
           tag.startsWith(QLatin1String("Color"), Qt::CaseInsensitive);
}

// A section read without what adds no character to the text: a colour ("[Red]") and the blank
// a "_x" leaves the width of x for (Korean Excel's number format is "0_ ").
FormatSection ClassifySection(const QString& section) {
    QString c;
    for (qsizetype i = 0; i < section.size(); ++i) {
        if (section[i] == u'_' && i + 1 < section.size()) {
            ++i;
            continue;
        }
        const qsizetype close = section[i] == u'[' ? section.indexOf(u']', i) : -1;
        if (close > i && IsColourTag(section.mid(i + 1, close - i - 1))) {
            i = close;
            continue;
        }
        c += section[i];
    }
    c = c.trimmed();
    if (c.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return {FormatSection::General};
    if (c == QLatin1String("@"))
        return {FormatSection::Text};
    if (!c.isEmpty() && c.size() <= kShownDigits && c.count(u'0') == c.size())
        return {FormatSection::Zeros, int(c.size())};
    return {};
}

// The section of a format that shows a number: the first, the third for a zero when there is
// one; a negative number's own section is not read (it would show no minus sign of its own).
FormatSection SectionFor(const QString& code, double value) {
    const QStringList sections = code.split(u';');
    if (value < 0 && sections.size() >= 2)
        return {};
    if (value == 0 && sections.size() >= 3)
        return ClassifySection(sections[2]);
    return ClassifySection(sections[0]);
}

// Whether a string shows as it is written: unless the format's text section adds to it ("@ 님").
bool ShowsStringAsIs(const QString& code) {
    const QStringList sections = code.split(u';');
    if (sections.size() >= 4)
        return ClassifySection(sections[3]).kind == FormatSection::Text;
    return !sections[0].contains(u'@') || ClassifySection(sections[0]).kind == FormatSection::Text;
}

// The number format of each cell style (the s attribute of a cell indexes this list).
QList<NumberFormat> ReadCellFormats(ZipParts& zip, const QString& part, const QString& fileName) {
    QList<NumberFormat> formats;
    const std::optional<QByteArray> data = zip.read(part);
    if (!data)
        return formats;
    // The formats every file has without writing them down; the others it names by number.
    QHash<int, QString> codes{
        {0, QStringLiteral("General")}, {1, QStringLiteral("0")}, {49, QStringLiteral("@")}};
    QList<int> styleFormats;
    QXmlStreamReader xml(*data);
    if (NextChild(xml))
        while (NextChild(xml)) {
            if (xml.name() == u"numFmts") {
                while (NextChild(xml)) {
                    if (xml.name() == u"numFmt")
                        codes.insert(Attribute(xml, u"numFmtId").toInt(), Attribute(xml, u"formatCode"));
                    xml.skipCurrentElement();
                }
            } else if (xml.name() == u"cellXfs") {
                while (NextChild(xml)) {
                    if (xml.name() == u"xf")
                        styleFormats << Attribute(xml, u"numFmtId").toInt();
                    xml.skipCurrentElement();
                }
            } else {
                xml.skipCurrentElement();
            }
        }
    CheckXml(xml, fileName, part);
    for (const int id : styleFormats) {
        if (const auto code = codes.constFind(id); code != codes.cend())
            formats << NumberFormat{*code, QLatin1Char('"') + *code + QLatin1Char('"')};
        else
            formats << NumberFormat{QString(), QStringLiteral("%1번(기본 제공)").arg(id)};
    }
    return formats;
}

// A number as its format shows it; nothing when that text cannot be told exactly.
std::optional<QString> ShowNumber(double value, const FormatSection& format) {
    if (!std::isfinite(value))
        return std::nullopt;
    if (format.kind == FormatSection::Zeros) {
        const double rounded = std::round(value); // halves away from zero, as spreadsheets round
        if (std::fabs(rounded) >= 1e15)
            return std::nullopt;
        const QString digits = QString::number(qint64(std::fabs(rounded))).rightJustified(format.width, u'0');
        return rounded < 0 ? QStringLiteral("-") + digits : digits;
    }
    // General, and a number typed before its cell was made text, which still shows as General:
    // the value to 15 significant digits, an integer as its digits, never with an exponent.
    const QString text = QString::number(value, 'g', kShownDigits);
    if (text.contains(u'e'))
        return std::nullopt;
    return text;
}

struct XlsxStyles {
    QStringList sharedStrings;
    QList<NumberFormat> formats;
};

// One <c> element: its shown text, or why there is none.
SheetCell ReadXlsxCell(QXmlStreamReader& xml, const XlsxStyles& styles, const QString& name) {
    const QString type = Attribute(xml, u"t");
    const QString style = Attribute(xml, u"s");
    QString value;
    bool hasValue = false;
    bool formula = false;
    QString inlineText;
    while (NextChild(xml)) {
        if (xml.name() == u"v") {
            value = xml.readElementText();
            hasValue = true;
        } else if (xml.name() == u"is") {
            inlineText = ReadStringItem(xml);
            hasValue = true;
        } else {
            formula = formula || xml.name() == u"f";
            xml.skipCurrentElement();
        }
    }
    if (!hasValue)
        return formula ? SheetCell{{},
                                   name + QStringLiteral(": 수식의 값이 저장되어 있지 않습니다. "
                                                         "스프레드시트 프로그램에서 다시 저장하십시오.")}
                       : SheetCell{};

    NumberFormat format; // General when the file has no styles
    if (!style.isEmpty() && !styles.formats.isEmpty()) {
        const int index = style.toInt();
        if (index < 0 || index >= styles.formats.size())
            return {{}, name + QStringLiteral(": 셀 스타일 %1번이 파일에 없습니다.").arg(style)};
        format = styles.formats[index];
    }
    const SheetCell unreadFormat{
        {},
        name + QStringLiteral(": 셀 서식 %1은(는) 읽지 않습니다. 서식을 일반, 텍스트(@) "
                              "또는 0000처럼 0만으로 바꾸십시오.")
                   .arg(format.description)};

    QString text;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= styles.sharedStrings.size())
            return {{}, name + QStringLiteral(": 공유 문자열 %1번이 파일에 없습니다.").arg(value.trimmed())};
        text = styles.sharedStrings[index];
    } else if (type == QLatin1String("inlineStr")) {
        text = inlineText;
    } else if (type == QLatin1String("str")) {
        text = UnescapeOfficeText(value);
    } else if (type == QLatin1String("e")) {
        return {{}, name + QStringLiteral(": 셀 값이 오류(%1)입니다.").arg(value)};
    } else if (type == QLatin1String("b")) {
        return {{}, name + QStringLiteral(": 참/거짓 값은 읽지 않습니다.")};
    } else if (type == QLatin1String("d")) {
        return {{}, name + QStringLiteral(": 날짜 값은 읽지 않습니다.")};
    } else if (!type.isEmpty() && type != QLatin1String("n")) {
        return {{}, name + QStringLiteral(": 값의 종류 \"%1\"을(를) 알 수 없습니다.").arg(type)};
    } else {
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok)
            return {{}, name + QStringLiteral(": 숫자 \"%1\"을(를) 읽을 수 없습니다.").arg(value)};
        const FormatSection section = SectionFor(format.code, number);
        if (section.kind == FormatSection::Other)
            return unreadFormat;
        if (const std::optional<QString> shown = ShowNumber(number, section))
            return {*shown, {}};
        return {{},
                name + QStringLiteral(": 숫자 %1은(는) 보이는 그대로 읽을 수 없습니다(15자리까지). "
                                      "텍스트로 입력하십시오.")
                           .arg(value.trimmed())};
    }
    // A built-in format shows a string as it is; only a text section of the file's own can add to it.
    if (!format.code.isEmpty() && !ShowsStringAsIs(format.code))
        return unreadFormat;
    return {text, {}};
}

void ReadXlsxSheet(const QByteArray& data, const XlsxStyles& styles, SheetGrid& grid, const QString& fileName,
                   const QString& part) {
    QXmlStreamReader xml(data);
    int row = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row") {
            const QString r = Attribute(xml, u"r");
            row = r.isEmpty() ? row + 1 : r.toInt();
            int column = -1;
            while (NextChild(xml)) {
                if (xml.name() != u"c") {
                    xml.skipCurrentElement();
                    continue;
                }
                const QString reference = Attribute(xml, u"r");
                column = reference.isEmpty() ? column + 1 : ColumnOfReference(reference);
                if (column < 0)
                    Refuse(fileName, QStringLiteral("%1 부분의 셀 위치 \"%2\"이(가) 올바르지 않습니다.")
                                         .arg(part, reference));
                grid.put(row, column, ReadXlsxCell(xml, styles, CellName(row, column)));
            }
        }
    }
    CheckXml(xml, fileName, part);
}

// The first sheet of a workbook, by the order of its tabs; false when the zip holds no workbook.
bool ReadXlsx(ZipParts& zip, SheetGrid& grid, const QString& fileName) {
    const QString workbook = PartOfType(ReadRelationships(zip, {}, fileName), u"officeDocument");
    const std::optional<QByteArray> data = zip.read(workbook);
    if (!data)
        return false;
    QXmlStreamReader xml(*data);
    if (!NextChild(xml) || xml.name() != u"workbook") {
        CheckXml(xml, fileName, workbook);
        return false; // a document or a presentation
    }
    QString firstSheetId;
    while (firstSheetId.isEmpty() && !xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet")
            firstSheetId = Attribute(xml, u"id");
    CheckXml(xml, fileName, workbook);

    const QHash<QString, Relationship> rels = ReadRelationships(zip, workbook, fileName);
    const QString sheet = rels.value(firstSheetId).part;
    if (firstSheetId.isEmpty() || !zip.has(sheet))
        Refuse(fileName, QStringLiteral("통합 문서에 시트가 없습니다."));
    XlsxStyles styles;
    styles.sharedStrings = ReadSharedStrings(zip, PartOfType(rels, u"sharedStrings"), fileName);
    styles.formats = ReadCellFormats(zip, PartOfType(rels, u"styles"), fileName);
    ReadXlsxSheet(*zip.read(sheet), styles, grid, fileName, sheet);
    return true;
}

// ---- .ods ---------------------------------------------------------------------------------------

// A cell's paragraph as shown: spans and links are their text, text:s its spaces.
QString ReadOdsParagraph(QXmlStreamReader& xml) {
    QString text;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            text += xml.text();
            break;
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"s") {
                const QString c = Attribute(xml, u"c");
                text += QString(c.isEmpty() ? 1 : std::clamp(c.toInt(), 0, 1000), u' ');
                xml.skipCurrentElement();
            } else if (xml.name() == u"tab") {
                text += u'\t';
                xml.skipCurrentElement();
            } else if (xml.name() == u"line-break") {
                text += u'\n';
                xml.skipCurrentElement();
            } else if (xml.name() == u"annotation" || xml.name() == u"note") {
                xml.skipCurrentElement();
            } else {
                text += ReadOdsParagraph(xml);
            }
            break;
        case QXmlStreamReader::EndElement:
            return text;
        default:
            break;
        }
    }
    return text;
}

// A repeat count of a row or column; at least one.
int Repeats(const QXmlStreamReader& xml, QStringView attribute) {
    const QString text = Attribute(xml, attribute);
    return text.isEmpty() ? 1 : std::max(1, text.toInt());
}

void ReadOdsRow(QXmlStreamReader& xml, int& row, SheetGrid& grid) {
    const int rows = std::min(Repeats(xml, u"number-rows-repeated"), kMostRows);
    struct OdsCell {
        int column;
        QString text;
        bool unshown; // a value without the text that shows it
    };
    QList<OdsCell> cells;
    int column = 0;
    while (NextChild(xml)) {
        if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
            xml.skipCurrentElement();
            continue;
        }
        const int columns = std::min(Repeats(xml, u"number-columns-repeated"), kMostColumns);
        const bool hasValue = !Attribute(xml, u"value-type").isEmpty();
        QStringList paragraphs;
        while (NextChild(xml)) {
            if (xml.name() == u"p")
                paragraphs << ReadOdsParagraph(xml);
            else
                xml.skipCurrentElement(); // a comment, a drawing
        }
        for (int i = 0; i < columns && column < kMostColumns; ++i, ++column)
            if (!paragraphs.isEmpty() || hasValue)
                cells.append({column, paragraphs.join(u'\n'), paragraphs.isEmpty()});
    }
    if (cells.isEmpty()) {
        // Empty rows, often repeated to the sheet's end, take no room.
        row = std::min(row + rows, kMostRows + 1);
        return;
    }
    for (int i = 0; i < rows; ++i) {
        ++row;
        for (const OdsCell& cell : cells)
            grid.put(row, cell.column,
                     {cell.text, cell.unshown
                                     ? CellName(row, cell.column) +
                                           QStringLiteral(": 셀에 보이는 글자가 저장되어 있지 않습니다. "
                                                          "스프레드시트 프로그램에서 다시 저장하십시오.")
                                     : QString()});
    }
}

// Rows of a table and of the groups it holds them in.
void ReadOdsRows(QXmlStreamReader& xml, int& row, SheetGrid& grid) {
    while (NextChild(xml)) {
        if (xml.name() == u"table-row")
            ReadOdsRow(xml, row, grid);
        else if (xml.name() == u"table-header-rows" || xml.name() == u"table-row-group" ||
                 xml.name() == u"table-rows")
            ReadOdsRows(xml, row, grid);
        else
            xml.skipCurrentElement();
    }
}

// The first table of the document; false when the zip is no spreadsheet document.
bool ReadOds(ZipParts& zip, SheetGrid& grid, const QString& fileName) {
    const std::optional<QByteArray> mimetype = zip.read(QStringLiteral("mimetype"));
    if (!mimetype || !mimetype->trimmed().startsWith("application/vnd.oasis.opendocument.spreadsheet"))
        return false;
    const std::optional<QByteArray> manifest = zip.read(QStringLiteral("META-INF/manifest.xml"));
    if (manifest && manifest->contains("encryption-data"))
        Refuse(fileName, QStringLiteral("암호로 보호된 파일입니다. 암호를 풀고 다시 저장한 뒤 여십시오."));
    const QString part = QStringLiteral("content.xml");
    const std::optional<QByteArray> content = zip.read(part);
    if (!content)
        zip.damaged();
    QXmlStreamReader xml(*content);
    bool found = false;
    while (!found && !xml.atEnd())
        found = xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"table" &&
                xml.namespaceUri().endsWith(u":table:1.0");
    CheckXml(xml, fileName, part);
    if (!found)
        Refuse(fileName, QStringLiteral("문서에 시트가 없습니다."));
    int row = 0;
    ReadOdsRows(xml, row, grid);
    CheckXml(xml, fileName, part);
    return true;
}

// Whether bytes look like text (a CSV), not a binary file: no NUL among the first of them.
bool LooksLikeText(const QByteArray& bytes) { return !bytes.left(4096).contains('\0'); }

// Whether text is markup: many library systems save a web page (an HTML table) as ".xls".
bool LooksLikeMarkup(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray head = (bytes.startsWith(bom) ? bytes.mid(bom.size(), 256) : bytes.left(256)).trimmed();
    return head.startsWith('<');
}

} // namespace

bool IsSpreadsheetFile(const QByteArray& bytes, const QString& fileName) {
    if (bytes.startsWith(kZipMagic) || bytes.startsWith(kEmptyZipMagic) || bytes.startsWith(kOleMagic))
        return true;
    if (HasSuffix(fileName, ".xlsx") || HasSuffix(fileName, ".xlsm") || HasSuffix(fileName, ".ods"))
        return true;
    // Many library systems save text as ".xls": a tab-separated list reads as CSV, a web page does not.
    return HasSuffix(fileName, ".xls") && LooksLikeText(bytes) && LooksLikeMarkup(bytes);
}

CsvTable ReadSpreadsheet(const QByteArray& bytes, const QString& fileName) {
    if (bytes.startsWith(kOleMagic)) {
        if (HasSuffix(fileName, ".xls"))
            Refuse(fileName, QStringLiteral("Excel 97-2003 통합 문서(.xls)는 읽지 않습니다. "
                                            "Excel에서 .xlsx 통합 문서나 CSV로 다시 저장하십시오."));
        Refuse(fileName, QStringLiteral("암호로 보호된 파일입니다(또는 Excel 97-2003 .xls 파일입니다). "
                                        "암호를 풀고 .xlsx로 다시 저장한 뒤 여십시오."));
    }
    if (!bytes.startsWith(kZipMagic) && !bytes.startsWith(kEmptyZipMagic)) {
        if (!bytes.isEmpty() && LooksLikeText(bytes) && LooksLikeMarkup(bytes))
            Refuse(fileName,
                   QStringLiteral("이름은 스프레드시트이지만 내용은 웹 페이지(HTML)나 XML입니다. "
                                  "스프레드시트 프로그램에서 열어 .xlsx나 CSV로 다시 저장하십시오."));
        if (!bytes.isEmpty() && LooksLikeText(bytes))
            Refuse(fileName, QStringLiteral("이름은 스프레드시트이지만 내용은 CSV 같은 텍스트입니다. "
                                            "이름을 .csv로 바꾸어 여십시오."));
        Refuse(fileName, QStringLiteral("이름은 스프레드시트이지만 내용은 .xlsx나 .ods가 아닙니다."));
    }
    ZipParts zip(bytes, fileName);
    SheetGrid grid(fileName);
    if (!ReadXlsx(zip, grid, fileName) && !ReadOds(zip, grid, fileName))
        Refuse(fileName, QStringLiteral("스프레드시트(.xlsx, .ods)가 아닌 zip 파일입니다."));
    return grid.table();
}

QString CellName(int row, int column) {
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

} // namespace hanlabel
