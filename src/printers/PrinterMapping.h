#pragma once

#include "core/Channel.h"

#include <QString>
#include <QStringList>

namespace hanlabel {

// Where the port box's two choices print, as chosen in the printer connection dialog: a target
// for "LPT1" (a `PrinterTarget` text) and a device for serial port 1, and how a member list sends
// its glyphs to this printer. An empty entry means "not chosen here".
struct PrinterMapping {
    PrinterMapping(QString lpt1Target = {}, QString com1Device = {}, bool glyphsEveryCard = false)
        : lpt1(std::move(lpt1Target)), com1(std::move(com1Device)), m_glyphsEveryCard(glyphsEveryCard) {}

    QString lpt1;
    QString com1;

    // The line "GLYPHS=every-card": a member list sends every card with its own glyphs to this
    // printer, as a single job does, instead of each glyph once a list.
    bool glyphsEveryCard() const { return m_glyphsEveryCard; }
    void setGlyphsEveryCard(bool everyCard) { m_glyphsEveryCard = everyCard; }

    bool operator==(const PrinterMapping&) const = default;

  private:
    bool m_glyphsEveryCard = false;
};

// The mapping files: the operator's in the application folder, and the one IT sets for every
// operator of the machine.
inline const QString PrinterMappingFileName = QStringLiteral("printer.ini");
// /etc/hanlabel/printer.ini unless a test has pointed it elsewhere; an empty path is no file.
QString SystemPrinterMappingFile();
void SetSystemPrinterMappingFile(const QString& path);

// A mapping file as read, with a Korean line for each line that is not one of its own (empty, "#"
// comment, "LPT1=", "COM1=", "GLYPHS="), naming the file and the line: anything else, a line break
// or control character inside a value, a relative path, a network address that cannot be read.
struct MappingFileContent {
    PrinterMapping mapping; // the lines that could be read
    QStringList problems;
};
// Throws Failure only when the file exists and cannot be read; a missing file is an empty mapping.
MappingFileContent ReadPrinterMappingFile(const QString& path);

// Why a value cannot stand in a port's line of a mapping file, in Korean; empty when it can.
QString PortValueProblem(ChannelKind kind, const QString& value);

// Reads a mapping file (UTF-8). A file that does not exist is an empty mapping; one that cannot be
// read, or holds a line that is not its own, is a Failure naming it (and the line).
PrinterMapping ReadPrinterMapping(const QString& path);
// Replaces a mapping file as a whole; throws Failure naming it.
void WritePrinterMapping(const QString& path, const PrinterMapping& mapping);

// The two files a target is looked up in, operator's first.
struct MappingPlaces {
    QString operatorFile;
    QString systemFile;
};
// printer.ini in the application folder and the system-wide file.
MappingPlaces DefaultMappingPlaces();

// The list's choice "카드마다 글자 보내기" for this printer: the operator's GLYPHS line (the
// operator turns it on and off, so IT's file does not decide it). Throws Failure as
// ReadPrinterMapping does.
bool GlyphsEveryCard(const MappingPlaces& places = DefaultMappingPlaces());
// Sets or clears the operator's GLYPHS line, keeping the rest of the file.
void SetGlyphsEveryCard(bool everyCard, const MappingPlaces& places = DefaultMappingPlaces());

// Which setting a port's target comes from.
enum class TargetSource { Environment, OperatorFile, SystemFile, Default };

struct PortTarget {
    QString target;
    TargetSource source = TargetSource::Default;
    QString origin; // the variable's name or the file's path; empty for the default
};

// The variable that overrides a port: HANLABEL_LPT1 or HANLABEL_COM1.
QString PortVariable(ChannelKind kind);
// The port's name in the mapping file and on screen: "LPT1" or "COM1".
QString PortName(ChannelKind kind);
// The platform's own device for a port: /dev/lp0 and /dev/ttyS0 (Windows: LPT1, COM1).
QString DefaultPortTarget(ChannelKind kind);

// A port's target: its environment variable when set, else the operator's mapping file, else the
// system-wide one, else the platform's device. Read afresh on every call, so a change applies to
// the next print. Throws Failure when a mapping file cannot be read.
PortTarget ResolvePortTarget(ChannelKind kind, const MappingPlaces& places);
// The same, with the lines in question added to problems instead of thrown (the printer dialog
// shows them and what the rest of the files choose).
PortTarget ResolvePortTarget(ChannelKind kind, const MappingPlaces& places, QStringList* problems);
PortTarget ResolvePortTarget(ChannelKind kind);

// A port's target in the operator's words: "CUPS 프린터 큐 zebra", "직렬 장치 /dev/ttyS0 (9600,N,8,1)".
QString PortTargetName(ChannelKind kind, const QString& target, SerialFraming framing);

// True when no printer has been chosen for the port anywhere (no variable, no mapping file entry)
// and the platform's device it falls back to is not there: a fresh install's first print.
bool NoPrinterChosen(ChannelKind kind, const MappingPlaces& places);
bool NoPrinterChosen(ChannelKind kind);

// True when the port prints to the preview window (not to a picture file).
bool PrintsToPreviewWindow(ChannelKind kind);

// Where a port box text prints, for its tooltip: "LPT1 → CUPS 프린터 큐 zebra",
// "COM1 → 직렬 장치 /dev/ttyS0 (9600,N,8,1)", with a note when the start-up or IT's file decides it.
QString PortDestinationText(const QString& portText, SerialFraming framing, const MappingPlaces& places);
QString PortDestinationText(const QString& portText, SerialFraming framing);

// Added to a failed print's message when the device it names is missing.
QString PrinterDialogHint();

} // namespace hanlabel
