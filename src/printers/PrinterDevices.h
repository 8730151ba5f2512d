#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace hanlabel {

// A device node the printer connection dialog offers, with what it is in Korean.
struct DeviceEntry {
    QString path;
    QString description;
    bool operator==(const DeviceEntry&) const = default;
};

// A serial port the system knows, as QSerialPortInfo reports it.
struct KnownSerialPort {
    QString path;
    QString description;
};

// The printer devices in a device folder (normally /dev): USB printers (usb/lp*) first, then
// parallel ports (lp*), each in number order.
QList<DeviceEntry> FindPrinterDevices(const QString& deviceFolder);

// The serial devices in a device folder: every ttyUSB* and ttyACM* node, the ttyS* nodes of
// ports the system knows (a PC has 32 ttyS nodes whether or not a port is behind them), and any
// other known port in the folder. Descriptions come from the known ports where they have one.
QList<DeviceEntry> FindSerialDevices(const QString& deviceFolder, const QList<KnownSerialPort>& known);

// The serial ports of this machine (QSerialPortInfo).
QList<KnownSerialPort> SystemSerialPorts();

} // namespace hanlabel
