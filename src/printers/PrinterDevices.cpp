#include "printers/PrinterDevices.h"

#include <QDir>
#include <QSerialPortInfo>

#include <algorithm>

namespace hanlabel {

namespace {

// The device nodes of a folder whose names match the pattern, in number order (lp2 before lp10).
QStringList Nodes(const QString& folder, const QString& pattern) {
    const QDir dir(folder);
    QStringList names = dir.entryList({pattern}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    // By the name's letters, then by its number.
    const auto split = [](const QString& name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit())
            --digits;
        return std::pair(name.left(digits), name.mid(digits).toLongLong());
    };
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return split(a) < split(b); });
    QStringList paths;
    for (const QString& name : names)
        paths << dir.filePath(name);
    return paths;
}

} // namespace

QList<DeviceEntry> FindPrinterDevices(const QString& deviceFolder) {
    QList<DeviceEntry> found;
    for (const QString& path : Nodes(deviceFolder + QStringLiteral("/usb"), QStringLiteral("lp*")))
        found.append({path, QStringLiteral("USB 프린터")});
    for (const QString& path : Nodes(deviceFolder, QStringLiteral("lp*")))
        found.append({path, QStringLiteral("병렬 포트")});
    return found;
}

QList<DeviceEntry> FindSerialDevices(const QString& deviceFolder, const QList<KnownSerialPort>& known) {
    const auto knownPort = [&](const QString& path) {
        return std::find_if(known.begin(), known.end(),
                            [&](const KnownSerialPort& p) { return p.path == path; });
    };
    const auto describe = [&](const QString& path, const QString& fallback) {
        const auto port = knownPort(path);
        return port != known.end() && !port->description.isEmpty() ? port->description : fallback;
    };
    QList<DeviceEntry> found;
    for (const QString& path : Nodes(deviceFolder, QStringLiteral("ttyS*")))
        if (knownPort(path) != known.end())
            found.append({path, describe(path, QStringLiteral("직렬 포트"))});
    for (const QString& path : Nodes(deviceFolder, QStringLiteral("ttyUSB*")))
        found.append({path, describe(path, QStringLiteral("USB 직렬 변환기"))});
    for (const QString& path : Nodes(deviceFolder, QStringLiteral("ttyACM*")))
        found.append({path, describe(path, QStringLiteral("USB 직렬 장치 (ACM)"))});
    const QString prefix = QDir(deviceFolder).path() + QLatin1Char('/');
    for (const KnownSerialPort& port : known) {
        const bool listed = std::any_of(found.begin(), found.end(),
                                        [&](const DeviceEntry& e) { return e.path == port.path; });
        if (!listed && port.path.startsWith(prefix))
            found.append({port.path, describe(port.path, QStringLiteral("직렬 포트"))});
    }
    return found;
}

QList<KnownSerialPort> SystemSerialPorts() {
    QList<KnownSerialPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QStringList parts;
        for (const QString& part : {info.description(), info.manufacturer()})
            if (!part.isEmpty() && !parts.contains(part))
                parts << part;
        ports.append({info.systemLocation(), parts.join(QStringLiteral(", "))});
    }
    return ports;
}

} // namespace hanlabel
