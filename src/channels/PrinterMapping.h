#pragma once

#include "core/Channel.h"

#include <QString>

namespace hanlabel {

// Where the port box's two choices print, as chosen in the printer connection dialog: a target
// for "LPT1" (a device or file path, "tcp://HOST:PORT", "cups:QUEUE", "preview:") and a device
// for serial port 1. An empty entry means "not chosen here".
struct PrinterMapping {
    QString lpt1;
    QString com1;
    bool operator==(const PrinterMapping&) const = default;
};

// The mapping files: the operator's in the application folder, and the one IT sets for every
// operator of the machine.
inline const QString PrinterMappingFileName = QStringLiteral("printer.ini");
inline const QString SystemPrinterMappingFile = QStringLiteral("/etc/hanlabel/printer.ini");

// Reads a mapping file (UTF-8 lines "LPT1=..." and "COM1=...", "#" starts a comment). A file that
// does not exist is an empty mapping; one that cannot be read is a Failure naming it.
PrinterMapping ReadPrinterMapping(const QString& path);
// Replaces a mapping file as a whole; throws Failure naming it.
void WritePrinterMapping(const QString& path, const PrinterMapping& mapping);

// The two files a target is looked up in, operator's first.
struct MappingPlaces {
    QString operatorFile;
    QString systemFile;
};
// printer.ini in the application folder and /etc/hanlabel/printer.ini.
MappingPlaces DefaultMappingPlaces();

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
PortTarget ResolvePortTarget(ChannelKind kind);

// Where a port box text prints, for its tooltip: "LPT1 → cups:zebra",
// "COM1 → /dev/ttyS0 (9600,N,8,1)", with a note when a variable or IT's file decides it.
QString PortDestinationText(const QString& portText, SerialFraming framing, const MappingPlaces& places);
QString PortDestinationText(const QString& portText, SerialFraming framing);

// The kinds of "LPT1" target the dialog offers.
enum class TargetKind { Device, Queue, Network, File, Preview };
TargetKind ClassifyTarget(const QString& target);

// "tcp://HOST:PORT" from its parts (an IPv6 address in brackets) and back; the port is 9100 when
// the target names none. False when the target is not a well-formed network target.
QString NetworkTarget(const QString& host, int port);
bool SplitNetworkTarget(const QString& target, QString* host, int* port);

// Added to a failed print's message when the device it names is missing.
QString PrinterDialogHint();

} // namespace hanlabel
